#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace simcard {

/// A pacer clock: `samples` samples every `nanoseconds` nanoseconds, aggregate over all channels.
struct Pacing
{
    std::int64_t samples = 1;
    std::int64_t nanoseconds = 10'000;

    /// Samples converted in the first `elapsed` nanoseconds.
    std::int64_t samplesIn(std::int64_t elapsed) const;
};

/// One whole repeat of a continuous scan's data, interleaved in channel order,
/// so that reading is copying. Sample k of a scan is entry k mod size().
class ScanTable
{
public:
    /// Scans in one repeat of the 16-channel pattern at the default rate.
    static constexpr std::int64_t baseScans = 4096;
    /// The table holds at least this many samples, so no read of a FIFO's worth wraps twice.
    static constexpr std::int64_t minimumSamples = 65536;

    /// Fills the table for channels first..last sampled by this pacer; outputs are the analog outputs in mV.
    void build(std::int32_t firstChannel, std::int32_t lastChannel, const Pacing &pacing,
               const std::array<double, 2> &outputs);

    /// Rewrites a loopback channel's entries after its analog output changed.
    void setOutput(std::int32_t output, double millivolts);

    /// Copies `count` samples starting at sample index `first`; at most two copies for any count up to size().
    void copy(std::int64_t first, std::int32_t *destination, std::int64_t count) const;

    /// Entries in the table: whole scans of the scanned channels.
    std::int64_t size() const { return std::int64_t(m_samples.size()); }

    /// The raw code of sample index k.
    std::int32_t at(std::int64_t k) const { return m_samples[std::size_t(k % size())]; }

private:
    std::vector<std::int32_t> m_samples;
    std::int32_t m_firstChannel = 0;
    std::int32_t m_channels = 0;
};

} // namespace simcard
