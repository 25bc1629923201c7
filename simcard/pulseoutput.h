#pragma once

#include <cstdint>

namespace simcard {

/// What a pulse channel sends.
enum class PulseMode : std::int32_t {
    Pwm = 0,        ///< a square wave at a duty cycle, until stopped
    PulseTrain = 1, ///< a number of pulses at 50 % duty, then it stops by itself
};

/// One pulse output channel. Period n starts with a rising edge at
/// start + n * period; nothing runs in the background, every question names its time.
class PulseOutput
{
public:
    /// Fastest pulse rate, in 0.1 Hz: 1 MHz.
    static constexpr std::int32_t maximumFrequency = 10'000'000;
    /// Duty cycle bounds for PWM, in 0.01 %: 0.01 %..99.99 %, so every period has a rising edge.
    static constexpr std::int32_t minimumDuty = 1;
    static constexpr std::int32_t maximumDuty = 9999;

    /// Whether these values would be accepted by start().
    static bool isValid(PulseMode mode, std::int32_t frequency, std::int32_t second);

    /// Starts (or restarts) at `now`: frequency in 0.1 Hz; second is the duty in 0.01 % or the pulse count.
    void start(PulseMode mode, std::int32_t frequency, std::int32_t second, std::int64_t now);

    /// Stops at `now`; edges from `now` on are not sent.
    void stop(std::int64_t now);

    /// Whether the output is sending at `now` (a pulse train ends after its last period).
    bool isRunning(std::int64_t now) const;

    /// The mode of the latest start.
    PulseMode mode() const { return m_mode; }

    /// Rising edges sent at times t with after < t <= upTo.
    std::int64_t edgesBetween(std::int64_t after, std::int64_t upTo) const;

    /// Time of the n-th (from 0) rising edge later than `after`.
    std::int64_t edgeTimeAfter(std::int64_t after, std::int64_t n) const;

private:
    /// Rising edges sent at times <= t.
    std::int64_t edgesUpTo(std::int64_t t) const;
    /// Time of rising edge number n since start.
    std::int64_t edgeTime(std::int64_t n) const;

    bool m_started = false;
    bool m_stopped = false;
    PulseMode m_mode = PulseMode::Pwm;
    std::int32_t m_frequency = 1;  ///< 0.1 Hz
    std::int64_t m_pulseLimit = 0; ///< pulse train length; 0 for PWM
    std::int64_t m_startTime = 0;
    std::int64_t m_stopTime = 0;
};

} // namespace simcard
