#pragma once

#include <array>
#include <cstdint>

namespace simcard {

/// Number of analog input channels.
inline constexpr std::int32_t inputChannelCount = 16;

/// The shape of what a channel carries.
enum class SignalPattern {
    Loopback, ///< the analog output of the same number (channels 0 and 1)
    Dc,       ///< a constant reference level
    Sine,     ///< offset + amplitude * sin(2 pi phase)
    Triangle, ///< offset - amplitude at phase 0, offset + amplitude at phase 1/2
    Square,   ///< offset + amplitude for the first half period, offset - amplitude after
    Noise,    ///< offset + amplitude * uniform(-1, 1), from a fixed seed
};

/// What one analog input channel carries.
struct ChannelSignal
{
    SignalPattern pattern;
    double offsetMillivolts;
    double amplitudeMillivolts;
    std::int32_t cyclesPerPattern; ///< whole cycles in one pattern period
};

/// All periodic signals repeat together every 0.65536 s: 4096 scans of 16
/// channels at the default 100,000 samples/s, which lets a continuous scan
/// serve samples straight from one precomputed table.
inline constexpr std::int64_t patternPeriodNanoseconds = 655'360'000;

/// Frequency of a signal with one cycle per pattern: 1.52587890625 Hz.
inline constexpr double patternFrequencyHertz = 1e9 / double(patternPeriodNanoseconds);

/// What each analog input channel carries, by channel number.
inline constexpr std::array<ChannelSignal, inputChannelCount> channelSignals{{
    {SignalPattern::Loopback, 0, 0, 0},       // 0: analog output 0
    {SignalPattern::Loopback, 0, 0, 0},       // 1: analog output 1
    {SignalPattern::Dc, 5000, 0, 0},          // 2: +5.000 V reference
    {SignalPattern::Dc, -2500, 0, 0},         // 3: -2.500 V reference
    {SignalPattern::Dc, 0, 0, 0},             // 4: ground
    {SignalPattern::Dc, 1000, 0, 0},          // 5: +1.000 V reference
    {SignalPattern::Sine, 0, 5000, 64},       // 6: 5 V amplitude, 97.65625 Hz
    {SignalPattern::Sine, 0, 1000, 8},        // 7: 1 V amplitude, 12.20703125 Hz
    {SignalPattern::Sine, 0, 9000, 256},      // 8: 9 V amplitude, 390.625 Hz
    {SignalPattern::Triangle, 0, 4000, 32},   // 9: -4..+4 V, 48.828125 Hz
    {SignalPattern::Triangle, 2500, 2500, 128}, // 10: 0..+5 V, 195.3125 Hz
    {SignalPattern::Square, 0, 3000, 16},     // 11: -3/+3 V, 24.4140625 Hz
    {SignalPattern::Square, 2500, 2500, 512}, // 12: 0/+5 V, 781.25 Hz
    {SignalPattern::Sine, 2000, 500, 4},      // 13: +2 V +- 0.5 V, 6.103515625 Hz
    {SignalPattern::Dc, 9500, 0, 0},          // 14: +9.500 V, near full scale
    {SignalPattern::Noise, 0, 200, 0},        // 15: 0 V +- 200 mV uniform noise
}};

/// The pattern's value at a phase in [0, 1), from -1 to +1 (0 for Dc and Loopback).
double waveform(SignalPattern pattern, double phase);

/// Deterministic noise in [-1, 1) for a sample index; the same index always gives the same value.
double noiseAt(std::uint64_t index);

/// A channel's voltage at a time since the card's start; outputs are the analog outputs' millivolts.
double channelMillivoltsAt(std::int32_t channel, std::int64_t nanoseconds,
                           const std::array<double, 2> &outputs);

} // namespace simcard
