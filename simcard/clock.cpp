#include "clock.h"

namespace simcard {

SteadyClock::SteadyClock()
    : m_origin(std::chrono::steady_clock::now())
{
}

std::int64_t SteadyClock::elapsedNanoseconds() const
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now()
                                                                - m_origin)
        .count();
}

void ManualClock::advance(std::chrono::nanoseconds duration)
{
    if (duration.count() > 0)
        m_now += duration.count();
}

} // namespace simcard
