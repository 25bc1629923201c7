#pragma once

#include <cstdint>

namespace device {

/// The card as the procedures reach it: one method per entry point they call,
/// named after the entry point without its ZK583_ prefix.
class Card
{
public:
    virtual ~Card() = default;

    /// Opens card cardIndex; the handle, or -1 when no card was opened.
    virtual std::int32_t OpenDevice(std::int32_t cardIndex) = 0;
    /// Calibrates the analog input before a run.
    virtual std::int32_t CAL(std::int32_t handle) = 0;
    /// One raw conversion of channel.
    virtual std::int32_t AD(std::int32_t handle, std::int32_t channel, std::int32_t rangeCode,
                            std::int32_t extra1, std::int32_t extra2) = 0;
    /// The raw value of rangeCode in millivolts.
    virtual double ADV(std::int32_t rangeCode, std::int32_t raw) = 0;
    /// Starts the continuous scan of firstChannel..lastChannel.
    virtual std::int32_t TAD(std::int32_t handle, std::int32_t firstChannel,
                             std::int32_t lastChannel, std::int32_t scanSetting,
                             std::int32_t extra1, std::int32_t extra2) = 0;
    /// Number of scan samples ready.
    virtual std::int32_t TAD_Poll(std::int32_t handle) = 0;
    /// Stores the oldest count ready samples at destination.
    virtual std::int32_t TAD_Read(std::int32_t handle, std::int32_t *destination,
                                  std::int32_t count) = 0;
    /// Ends the continuous scan.
    virtual std::int32_t TAD_Stop(std::int32_t handle) = 0;
    /// Writes the digital output word.
    virtual std::int32_t DO(std::int32_t handle, std::int32_t word) = 0;
    /// Reads the digital input word.
    virtual std::int32_t DI(std::int32_t handle) = 0;
    /// Prepares the analog outputs.
    virtual std::int32_t DA_INI(std::int32_t handle) = 0;
    /// Sets analog output to a 12-bit code of rangeCode.
    virtual std::int32_t DA(std::int32_t handle, std::int32_t output, std::int32_t rangeCode,
                            std::int32_t code) = 0;
    /// Starts pulse output channel.
    virtual std::int32_t PRun(std::int32_t handle, std::int32_t channel, std::int32_t type,
                              std::int32_t firstValue, std::int32_t secondValue) = 0;
    /// Stops pulse output channel.
    virtual std::int32_t PEnd(std::int32_t handle, std::int32_t channel) = 0;
    /// Starts counter from initialValue.
    virtual std::int32_t CNT_Run(std::int32_t handle, std::int32_t counter,
                                 std::int32_t initialValue) = 0;
    /// Writes the counter's count and time (0.1 us); 0 while counting.
    virtual std::int32_t CNT_Read(std::int32_t handle, std::int32_t counter, std::int32_t *count,
                                  std::int32_t *timeValue) = 0;
    /// Writes the EEPROM block taken from block.
    virtual std::int32_t EEPROM_Write(std::int32_t handle, const std::uint8_t *block) = 0;
    /// Reads the EEPROM block into block.
    virtual std::int32_t EEPROM_Read(std::int32_t handle, std::uint8_t *block) = 0;
};

} // namespace device
