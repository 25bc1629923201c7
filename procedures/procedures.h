#pragma once

#include "card.h"
#include "outputconsole.h"
#include "windowservices.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace procedures {

/// Start-up and the card test procedures behind the buttons and the timer.
/// Each runs to its end on the user-interface thread; they share the card
/// handle and the continuous-acquisition state.
class Procedures
{
public:
    /// Samples the acquisition buffer holds.
    static constexpr std::int32_t sampleBufferSize = 10'000'001;
    /// Samples an acquisition reaches: its limit and one more batch of a
    /// card's 65,536-sample FIFO.
    static constexpr std::int32_t prefaultedSamples = 200'000 + 65'536;

    /// cardSource names the card library in use, for the window caption.
    Procedures(device::Card &card, console::OutputConsole &console,
               console::WindowServices &window, std::string cardSource);

    /// Opens card 0 and shows in the caption whether it was found.
    void startUp();

    /// Starts the continuous scan of channels 0 to 15 and the timer.
    void startAcquisition();
    /// Collects the samples ready, in whole scans; ends at the sample limit.
    void acquisitionTick();

    /// Converts channels 0 to 15 once and lists raw values and millivolts.
    void singleShotScan();

    /// Writes 0x55AA to the digital output.
    void writeDigitalOutput();
    /// Shows the digital input word in hexadecimal.
    void readDigitalInput();
    /// Sets analog output 0 to its top code and output 1 to its bottom code.
    void setAnalogOutputs();
    /// Starts both pulse outputs.
    void startPulseOutputs();
    /// Stops both pulse outputs.
    void stopPulseOutputs();

    /// Starts counter 0 from 10000.
    void startCounter();
    /// Reads counter 0's count, or its time once the count is over.
    void readCounter();
    /// Writes ten bytes to the EEPROM and lists them beside the bytes read back.
    void testEeprom();

    std::int32_t deviceHandle() const { return m_deviceHandle; }
    std::int32_t samplesTaken() const { return m_samplesTaken; }
    const std::int32_t *sampleBuffer() const { return m_sampleBuffer.get(); }

private:
    struct FreeDeleter
    {
        void operator()(std::int32_t *p) const { std::free(p); }
    };

    device::Card &m_card;
    console::OutputConsole &m_console;
    console::WindowServices &m_window;
    const std::string m_cardSource;

    std::int32_t m_deviceHandle = 0;

    // Continuous acquisition.
    std::int32_t m_firstChannel = 0;
    std::int32_t m_lastChannel = 0;
    std::int32_t m_scanSetting = 0;
    std::int32_t m_sampleLimit = 0;
    std::int32_t m_samplesTaken = 0;
    std::unique_ptr<std::int32_t[], FreeDeleter> m_sampleBuffer;
};

} // namespace procedures
