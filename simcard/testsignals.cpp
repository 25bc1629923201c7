#include "testsignals.h"

#include <cmath>
#include <numbers>

namespace simcard {

namespace {

/// Single-shot conversions take their noise sample from a 10 us tick.
constexpr std::int64_t noiseTickNanoseconds = 10'000;

/// Seed of the noise channel; fixed so every run reads the same values.
constexpr std::uint64_t noiseSeed = 0x5EED'0583'0000'0015ULL;

} // namespace

double waveform(SignalPattern pattern, double phase)
{
    switch (pattern) {
    case SignalPattern::Sine:
        return std::sin(2.0 * std::numbers::pi * phase);
    case SignalPattern::Triangle:
        return 1.0 - 4.0 * std::fabs(phase - 0.5);
    case SignalPattern::Square:
        return phase < 0.5 ? 1.0 : -1.0;
    case SignalPattern::Loopback:
    case SignalPattern::Dc:
    case SignalPattern::Noise:
        break;
    }
    return 0.0;
}

double noiseAt(std::uint64_t index)
{
    // splitmix64: cheap, well mixed, and the same on every platform.
    std::uint64_t z = index + noiseSeed;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    return double(z >> 11) / double(1ULL << 52) - 1.0;
}

double channelMillivoltsAt(std::int32_t channel, std::int64_t nanoseconds,
                           const std::array<double, 2> &outputs)
{
    const ChannelSignal &signal = channelSignals[std::size_t(channel)];
    switch (signal.pattern) {
    case SignalPattern::Loopback:
        return outputs[std::size_t(channel)];
    case SignalPattern::Noise:
        return signal.offsetMillivolts
            + signal.amplitudeMillivolts * noiseAt(std::uint64_t(nanoseconds / noiseTickNanoseconds));
    case SignalPattern::Dc:
    case SignalPattern::Sine:
    case SignalPattern::Triangle:
    case SignalPattern::Square:
        break;
    }
    // Whole-number arithmetic keeps the phase exact however long the card runs.
    const std::int64_t intoPattern = nanoseconds % patternPeriodNanoseconds;
    const std::int64_t cycles = signal.cyclesPerPattern * intoPattern % patternPeriodNanoseconds;
    const double phase = double(cycles) / double(patternPeriodNanoseconds);
    return signal.offsetMillivolts + signal.amplitudeMillivolts * waveform(signal.pattern, phase);
}

} // namespace simcard
