#pragma once

#include "fakecard.h"

/// A FakeCard whose scan keeps running: every poll, samplesPerPoll more
/// samples arrive and the poll reports all that are waiting. With
/// keepsUnread, what a read leaves stays for the next poll; without it, each
/// poll reports samplesPerPoll alone. With samplesPerPoll 0 the polls follow
/// readyCounts as in FakeCard.
class StreamingCard : public FakeCard
{
public:
    std::int32_t samplesPerPoll = 0;
    bool keepsUnread = true;
    std::int32_t pending = 0;   ///< samples waiting to be read

    std::int32_t TAD_Poll(std::int32_t h) override
    {
        const std::int32_t scripted = FakeCard::TAD_Poll(h);
        if (samplesPerPoll == 0)
            return scripted;
        if (!keepsUnread)
            pending = 0;
        pending += samplesPerPoll;
        return pending;
    }
    std::int32_t TAD_Read(std::int32_t h, std::int32_t *destination, std::int32_t count) override
    {
        pending -= count;
        return FakeCard::TAD_Read(h, destination, count);
    }
};
