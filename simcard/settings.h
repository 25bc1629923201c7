#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace simcard {

/// The simulated card's run settings, from ZK583SIM_ environment variables.
struct Settings
{
    /// Fastest sample rate ZK583SIM_SAMPLE_RATE accepts, in samples/s.
    static constexpr std::int32_t maximumSampleRate = 10'000'000;

    bool absent = false;         ///< ZK583SIM_ABSENT=1: no card
    std::int32_t sampleRate = 0; ///< ZK583SIM_SAMPLE_RATE, samples/s aggregate; 0: not set
    std::string tracePath;       ///< ZK583SIM_TRACE: call trace file; empty: no trace
    std::vector<std::string> problems; ///< one line per malformed value, each naming the variable

    /// Reads the settings through `lookup` (getenv, or a stand-in); a malformed value keeps the default.
    static Settings read(const std::function<const char *(const char *)> &lookup);
};

} // namespace simcard
