#pragma once

#include "consoletext.h"
#include "fakecard.h"
#include "procedures.h"
#include "recordingwindow.h"

#include <QStringList>

/// The procedures on a scripted card, a recording window and a console laid
/// out in columns, after start-up has opened card handle 7. The calls of
/// start-up are forgotten, so each test sees only its own.
template <typename CardType = FakeCard>
struct ProcedureBench
{
    CardType card;
    RecordingWindow window;
    console::FixedWidthMetrics metrics;
    console::OutputConsole console{metrics};
    procedures::Procedures procedures{card, console, window, "Simulated card"};

    ProcedureBench()
    {
        procedures.startUp();
        card.calls.clear();
        window.calls.clear();
    }

    QStringList lines() const { return consoleLines(console); }

    /// Text left on the console by an earlier procedure.
    void printEarlierText()
    {
        console.print("earlier text", console::LineEnd);
    }

    /// Forgets what was called so far.
    void forgetCalls()
    {
        card.calls.clear();
        card.readDestinations.clear();
        window.calls.clear();
    }
};
