#pragma once

#include "clock.h"
#include "simulatedcard.h"

#include <chrono>

/// A simulated card on a manual clock, opened.
struct CardFixture
{
    explicit CardFixture(simcard::CardOptions options = {})
        : card(clock, options)
        , handle(card.openDevice(0))
    {
    }

    void advance(std::chrono::nanoseconds duration) { clock.advance(duration); }

    simcard::ManualClock clock;
    simcard::SimulatedCard card;
    std::int32_t handle;
};
