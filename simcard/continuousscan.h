#pragma once

#include "scantable.h"

#include <array>
#include <cstdint>

namespace simcard {

/// A paced multi-channel scan feeding a FIFO. Nothing runs in the background:
/// every call brings the scan up to the time it is given.
class ContinuousScan
{
public:
    /// FIFO depth in samples: 0.65 s of the default 100,000 samples/s, far more than a 50 ms poll needs.
    static constexpr std::int64_t fifoDepth = 65536;

    /// Starts afresh: empty FIFO, no loss, channels first..last from time `now`.
    void start(std::int32_t firstChannel, std::int32_t lastChannel, const Pacing &pacing,
               std::int64_t now, const std::array<double, 2> &outputs);

    /// Stops converting at `now`; what is in the FIFO stays readable.
    void stop(std::int64_t now);

    /// Samples waiting in the FIFO at `now`.
    std::int64_t ready(std::int64_t now);

    /// Moves the oldest min(count, ready) samples to destination and returns how many.
    std::int64_t read(std::int64_t now, std::int32_t *destination, std::int64_t count);

    /// Samples lost to overflow since start().
    std::int64_t lostSamples() const { return m_lost; }

    /// Samples handed out by read() since start().
    std::int64_t deliveredSamples() const { return m_delivered; }

    /// Whether the scan is converting.
    bool isRunning() const { return m_running; }

    /// An analog output changed: loopback channels read the new level from now on.
    void setOutput(std::int32_t output, double millivolts) { m_table.setOutput(output, millivolts); }

private:
    void catchUp(std::int64_t now);

    ScanTable m_table;
    Pacing m_pacing;
    std::int64_t m_channels = 1;
    std::int64_t m_startTime = 0;
    bool m_running = false;
    std::int64_t m_converted = 0; ///< samples converted since start
    std::int64_t m_nextRead = 0;  ///< index of the oldest sample in the FIFO
    std::int64_t m_lost = 0;
    std::int64_t m_delivered = 0;
};

} // namespace simcard
