#include "continuousscan.h"

#include <algorithm>

namespace simcard {

void ContinuousScan::start(std::int32_t firstChannel, std::int32_t lastChannel,
                           const Pacing &pacing, std::int64_t now,
                           const std::array<double, 2> &outputs)
{
    m_table.build(firstChannel, lastChannel, pacing, outputs);
    m_pacing = pacing;
    m_channels = lastChannel - firstChannel + 1;
    m_startTime = now;
    m_running = true;
    m_converted = 0;
    m_nextRead = 0;
    m_lost = 0;
    m_delivered = 0;
}

void ContinuousScan::stop(std::int64_t now)
{
    catchUp(now);
    m_running = false;
}

std::int64_t ContinuousScan::ready(std::int64_t now)
{
    catchUp(now);
    return m_converted - m_nextRead;
}

std::int64_t ContinuousScan::read(std::int64_t now, std::int32_t *destination, std::int64_t count)
{
    catchUp(now);
    const std::int64_t copied = std::min(count, m_converted - m_nextRead);
    if (copied <= 0)
        return 0;
    m_table.copy(m_nextRead, destination, copied);
    m_nextRead += copied;
    m_delivered += copied;
    return copied;
}

void ContinuousScan::catchUp(std::int64_t now)
{
    if (m_running)
        m_converted = m_pacing.samplesIn(now - m_startTime);
    // A full FIFO overwrites its oldest samples, a whole scan at a time, so
    // what is left still starts on the same channel as before.
    const std::int64_t excess = m_converted - m_nextRead - fifoDepth;
    if (excess > 0) {
        const std::int64_t dropped = (excess + m_channels - 1) / m_channels * m_channels;
        m_nextRead += dropped;
        m_lost += dropped;
    }
}

} // namespace simcard
