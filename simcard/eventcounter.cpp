#include "eventcounter.h"

namespace simcard {

void EventCounter::start(std::int64_t initial, std::int64_t now)
{
    m_started = true;
    m_initial = initial;
    m_startTime = now;
    m_banked = 0;
    m_bankedUpTo = now;
    m_over = initial == 0;
    m_overTime = now;
}

void EventCounter::settle(const PulseOutput &input, std::int64_t now)
{
    if (!m_started || m_over)
        return;
    // The edge at exactly `now` belongs to the input's next run, if any.
    read(input, now - 1);
    if (!m_over && now - 1 > m_bankedUpTo) {
        m_banked += input.edgesBetween(m_bankedUpTo, now - 1);
        m_bankedUpTo = now - 1;
    }
}

EventCounter::Reading EventCounter::read(const PulseOutput &input, std::int64_t now)
{
    if (!m_over) {
        const std::int64_t edges = m_banked + input.edgesBetween(m_bankedUpTo, now);
        if (edges >= m_initial) {
            m_over = true;
            m_overTime = input.edgeTimeAfter(m_bankedUpTo, m_initial - m_banked - 1);
        }
    }
    if (m_over)
        return {0, m_overTime - m_startTime, true};
    const std::int64_t edges = m_banked + input.edgesBetween(m_bankedUpTo, now);
    return {m_initial - edges, now - m_startTime, false};
}

} // namespace simcard
