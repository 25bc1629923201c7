#include "pulseoutput.h"

#include "muldiv.h"

#include <algorithm>

namespace simcard {

namespace {

/// A frequency f in 0.1 Hz has a period of 1e10 / f nanoseconds.
constexpr std::int64_t deciHertzNanoseconds = 10'000'000'000;

} // namespace

bool PulseOutput::isValid(PulseMode mode, std::int32_t frequency, std::int32_t second)
{
    if (frequency < 1 || frequency > maximumFrequency)
        return false;
    if (mode == PulseMode::Pwm)
        return second >= minimumDuty && second <= maximumDuty;
    return second >= 1;
}

void PulseOutput::start(PulseMode mode, std::int32_t frequency, std::int32_t second,
                        std::int64_t now)
{
    m_started = true;
    m_stopped = false;
    m_mode = mode;
    m_frequency = frequency;
    m_pulseLimit = mode == PulseMode::PulseTrain ? second : 0;
    m_startTime = now;
}

void PulseOutput::stop(std::int64_t now)
{
    if (!m_started || m_stopped)
        return;
    m_stopped = true;
    m_stopTime = std::max(now, m_startTime);
}

bool PulseOutput::isRunning(std::int64_t now) const
{
    if (!m_started || m_stopped)
        return false;
    if (m_mode == PulseMode::PulseTrain)
        return now < edgeTime(m_pulseLimit);
    return true;
}

std::int64_t PulseOutput::edgeTime(std::int64_t n) const
{
    return m_startTime + mulDivFloor(n, deciHertzNanoseconds, m_frequency);
}

std::int64_t PulseOutput::edgesUpTo(std::int64_t t) const
{
    if (!m_started)
        return 0;
    if (m_stopped)
        t = std::min(t, m_stopTime - 1);
    if (t < m_startTime)
        return 0;
    // Edge n is at or before t when floor(n * 1e10 / f) <= t - start, that is n * 1e10 < (t - start + 1) * f.
    const std::int64_t edges = mulDivCeil(t - m_startTime + 1, m_frequency, deciHertzNanoseconds);
    return m_pulseLimit > 0 ? std::min(edges, m_pulseLimit) : edges;
}

std::int64_t PulseOutput::edgesBetween(std::int64_t after, std::int64_t upTo) const
{
    return upTo <= after ? 0 : edgesUpTo(upTo) - edgesUpTo(after);
}

std::int64_t PulseOutput::edgeTimeAfter(std::int64_t after, std::int64_t n) const
{
    return edgeTime(edgesUpTo(after) + n);
}

} // namespace simcard
