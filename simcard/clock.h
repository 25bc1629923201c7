#pragma once

#include <chrono>
#include <cstdint>

namespace simcard {

/// A monotonic time source; the card model takes all its time from one.
class Clock
{
public:
    virtual ~Clock() = default;

    /// Nanoseconds since the clock's own start; never decreases.
    virtual std::int64_t elapsedNanoseconds() const = 0;
};

/// The host's steady clock, counted from construction.
class SteadyClock final : public Clock
{
public:
    SteadyClock();

    /// Nanoseconds since this clock was made.
    std::int64_t elapsedNanoseconds() const override;

private:
    std::chrono::steady_clock::time_point m_origin;
};

/// A clock that moves only when told to, for tests and benchmarks.
class ManualClock final : public Clock
{
public:
    /// The time set by advance(), starting at 0.
    std::int64_t elapsedNanoseconds() const override { return m_now; }

    /// Moves the clock forward; a negative duration is ignored, time never runs back.
    void advance(std::chrono::nanoseconds duration);

private:
    std::int64_t m_now = 0;
};

} // namespace simcard
