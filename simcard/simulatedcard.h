#pragma once

#include "clock.h"
#include "continuousscan.h"
#include "eventcounter.h"
#include "pulseoutput.h"

#include <array>
#include <cstdint>

namespace simcard {

/// How the simulated card is set up for a run.
struct CardOptions
{
    bool absent = false;           ///< no card: opening fails
    std::int32_t sampleRate = 0;   ///< continuous scan samples/s (aggregate); 0: chosen by the scan's arguments
};

/// The simulated card, one method per card entry point, with the entry points'
/// argument and result conventions: -1 for anything refused, and nothing
/// written through a pointer unless the call succeeds.
class SimulatedCard
{
public:
    /// The handle of card 0 once opened.
    static constexpr std::int32_t cardHandle = 0x583;
    /// Result of a refused call.
    static constexpr std::int32_t failure = -1;
    /// What the digital inputs read before the first digital output: all pulled up.
    static constexpr std::int32_t digitalInputPowerOn = 0xFFFF;
    /// Bytes in the EEPROM block.
    static constexpr std::int32_t eepromSize = 32;
    /// Contents of an erased EEPROM byte, as at power-on.
    static constexpr std::uint8_t eepromErased = 0xFF;
    /// Number of analog outputs, pulse outputs and counters.
    static constexpr std::int32_t analogOutputCount = 2;
    static constexpr std::int32_t pulseChannelCount = 2;
    static constexpr std::int32_t counterCount = 2;
    /// Pacer base clock of the continuous scan, in Hz: one sample per `extra2` ticks.
    static constexpr std::int64_t pacerClockHertz = 5'000'000;

    /// A card reading its time from `clock`, which must outlive it.
    explicit SimulatedCard(const Clock &clock, CardOptions options = {});

    /// Opens card `index` (only 0 exists) and returns cardHandle.
    std::int32_t openDevice(std::int32_t index);
    /// Stops the scan and the pulse outputs; outputs, digital word and EEPROM keep their values.
    std::int32_t closeDevice(std::int32_t handle);
    /// Calibrates the analog input (counted; the simulated converter needs no correction).
    std::int32_t calibrate(std::int32_t handle);
    /// One conversion of a channel now; the raw code 0..4095.
    std::int32_t analogInput(std::int32_t handle, std::int32_t channel, std::int32_t rangeCode,
                             std::int32_t extra1, std::int32_t extra2);
    /// Millivolts of a raw code in a range; NaN for an unknown range or a raw code outside 0..4095.
    static double rawToMillivolts(std::int32_t rangeCode, std::int32_t raw);

    /// Starts a continuous scan of channels first..last, paced at pacerClockHertz / extra2.
    std::int32_t startScan(std::int32_t handle, std::int32_t firstChannel,
                           std::int32_t lastChannel, std::int32_t scanSetting,
                           std::int32_t extra1, std::int32_t extra2);
    /// Samples ready in the FIFO.
    std::int32_t pollScan(std::int32_t handle);
    /// Moves the oldest min(count, ready) samples to destination; returns how many.
    std::int32_t readScan(std::int32_t handle, std::int32_t *destination, std::int32_t count);
    /// Ends the scan.
    std::int32_t stopScan(std::int32_t handle);
    /// Samples lost to FIFO overflow in the latest scan, clamped to int32.
    std::int32_t lostSamples(std::int32_t handle);
    /// Samples handed out by readScan() in the latest scan, clamped to int32.
    std::int32_t deliveredSamples(std::int32_t handle);

    /// Sets the 16-bit digital output word (0..0xFFFF).
    std::int32_t digitalOutput(std::int32_t handle, std::int32_t word);
    /// The 16-bit digital input word: the output word, wired back.
    std::int32_t digitalInput(std::int32_t handle);

    /// Sets both analog outputs to 0 V.
    std::int32_t resetAnalogOutputs(std::int32_t handle);
    /// Sets an analog output to a 12-bit code in a range.
    std::int32_t analogOutput(std::int32_t handle, std::int32_t output, std::int32_t rangeCode,
                              std::int32_t code);
    /// Millivolts an analog output drives now.
    double analogOutputMillivolts(std::int32_t output) const;

    /// Starts a pulse channel: type 0 PWM (frequency 0.1 Hz, duty 0.01 %), type 1 pulse train (frequency, count).
    std::int32_t startPulse(std::int32_t handle, std::int32_t channel, std::int32_t type,
                            std::int32_t frequency, std::int32_t second);
    /// Stops a pulse channel (also one that has stopped by itself).
    std::int32_t endPulse(std::int32_t handle, std::int32_t channel);
    /// 1 while a pulse channel is sending, else 0.
    std::int32_t pulseState(std::int32_t handle, std::int32_t channel);
    /// Restarts a running pulse channel, same type, with new values from now.
    std::int32_t setPulseData(std::int32_t handle, std::int32_t channel, std::int32_t frequency,
                              std::int32_t second);

    /// Loads a counter (>= 0) and starts it counting down on its pulse channel's rising edges.
    std::int32_t startCounter(std::int32_t handle, std::int32_t counter, std::int32_t initial);
    /// Writes the remaining count and the time since start in 0.1 us; returns 0 while counting, 1 once over.
    std::int32_t readCounter(std::int32_t handle, std::int32_t counter, std::int32_t *count,
                             std::int32_t *tenthMicroseconds);

    /// Stores 32 bytes from block.
    std::int32_t writeEeprom(std::int32_t handle, const std::uint8_t *block);
    /// Fills exactly 32 bytes of block.
    std::int32_t readEeprom(std::int32_t handle, std::uint8_t *block);

    /// How many times calibrate() succeeded.
    std::int32_t calibrationCount() const { return m_calibrations; }

private:
    bool isOpen(std::int32_t handle) const { return m_open && handle == cardHandle; }
    std::int64_t now() const { return m_clock.elapsedNanoseconds(); }
    Pacing pacingFor(std::int32_t extra2) const;

    const Clock &m_clock;
    CardOptions m_options;
    bool m_open = false;
    std::int32_t m_calibrations = 0;
    std::int32_t m_digitalWord = digitalInputPowerOn;
    std::array<double, analogOutputCount> m_outputs{};
    ContinuousScan m_scan;
    std::array<PulseOutput, pulseChannelCount> m_pulses{};
    std::array<EventCounter, counterCount> m_counters{};
    std::array<std::uint8_t, eepromSize> m_eeprom{};
};

} // namespace simcard
