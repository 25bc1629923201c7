#pragma once

#include "pulseoutput.h"

#include <cstdint>

namespace simcard {

/// A down-counter on the rising edges of a pulse output. Edges strictly after
/// the counter's start count; at 0 it is over and its time stops at the last edge.
class EventCounter
{
public:
    /// What a read reports.
    struct Reading
    {
        std::int64_t remaining;   ///< count left
        std::int64_t nanoseconds; ///< since start, frozen at the last edge once over
        bool over;                ///< the count has reached 0
    };

    /// Loads the initial count (>= 0) and starts counting at `now`.
    void start(std::int64_t initial, std::int64_t now);

    /// Whether start() has been called.
    bool isStarted() const { return m_started; }

    /// Banks the edges of `input` up to (not including) `now`, before the input changes at `now`.
    void settle(const PulseOutput &input, std::int64_t now);

    /// The counter at `now`, with `input` as it has been since the last settle().
    Reading read(const PulseOutput &input, std::int64_t now);

private:
    bool m_started = false;
    bool m_over = false;
    std::int64_t m_initial = 0;
    std::int64_t m_startTime = 0;
    std::int64_t m_banked = 0;     ///< edges counted up to m_bankedUpTo
    std::int64_t m_bankedUpTo = 0; ///< edges after this time are the input's current run's
    std::int64_t m_overTime = 0;
};

} // namespace simcard
