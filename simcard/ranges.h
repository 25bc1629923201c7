#pragma once

#include <array>
#include <cstdint>

namespace simcard {

/// Steps of the 12-bit analog input converter: raw codes 0..4095.
inline constexpr std::int32_t inputSteps = 4096;
/// Largest raw code of the analog input converter.
inline constexpr std::int32_t maximumRaw = inputSteps - 1;
/// Largest code of the 12-bit analog outputs (codes 0..4095).
inline constexpr std::int32_t maximumOutputCode = 4095;

/// One analog input range: raw r reads low + r * (high - low) / 4096 mV.
struct InputRange
{
    std::int32_t code;           ///< range code passed to AD, ADV
    std::int32_t lowMillivolts;  ///< voltage of raw 0
    std::int32_t highMillivolts; ///< one step above raw 4095
};

/// The analog input range codes.
inline constexpr std::array<InputRange, 5> inputRanges{{
    {0, 0, 5000},       // 0..+5 V, 1.2207 mV per step
    {1, 0, 10000},      // 0..+10 V, 2.4414 mV per step
    {2, -2500, 2500},   // -2.5..+2.5 V, 1.2207 mV per step
    {3, -5000, 5000},   // -5..+5 V, 2.4414 mV per step
    {4, -10000, 10000}, // -10..+10 V, 4.8828 mV per step; the continuous scan's range
}};

/// The range every continuous scan converts in (-10..+10 V).
inline constexpr std::int32_t scanRangeCode = 4;

/// One analog output range: code c gives low + c * (high - low) / 4095 mV.
struct OutputRange
{
    std::int32_t code;           ///< range code passed to DA
    std::int32_t lowMillivolts;  ///< voltage of code 0
    std::int32_t highMillivolts; ///< voltage of code 4095
};

/// The analog output range codes.
inline constexpr std::array<OutputRange, 4> outputRanges{{
    {0, 0, 5000},       // 0..+5 V, 1.2210 mV per step
    {1, 0, 10000},      // 0..+10 V, 2.4420 mV per step
    {2, -5000, 5000},   // -5..+5 V, 2.4420 mV per step
    {3, -10000, 10000}, // -10..+10 V, 4.8840 mV per step
}};

/// The input range with this code, or nullptr.
const InputRange *findInputRange(std::int32_t code);

/// The output range with this code, or nullptr.
const OutputRange *findOutputRange(std::int32_t code);

/// Millivolts a raw code stands for (raw must be 0..4095).
double rawToMillivolts(const InputRange &range, std::int32_t raw);

/// The raw code the converter gives for a voltage: nearest step, clipped to 0..4095.
std::int32_t millivoltsToRaw(const InputRange &range, double millivolts);

/// Millivolts an analog output drives for a code (code must be 0..4095).
double outputMillivolts(const OutputRange &range, std::int32_t code);

} // namespace simcard
