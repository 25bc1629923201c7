// Pulse outputs and the counters they drive.

#include "cardfixture.h"

#include <QtTest>

#include <algorithm>
#include <functional>
#include <limits>
#include <vector>

using namespace simcard;
using namespace std::chrono_literals;

class TestSimCardTiming : public QObject
{
    Q_OBJECT

private slots:
    void pwmRunsUntilEnded();
    void pulseTrainStopsByItself();
    void pulseRefusals_data();
    void pulseRefusals();
    void counterOverAtTenSeconds();
    void counterTiming_data();
    void counterTiming();
    void counterTimeClampsInsteadOfWrapping();
    void counterRefusals();
};

void TestSimCardTiming::pwmRunsUntilEnded()
{
    CardFixture f;
    QCOMPARE(f.card.pulseState(f.handle, 0), 0);
    QCOMPARE(f.card.startPulse(f.handle, 0, 0, 10000, 5000), 0);
    QCOMPARE(f.card.pulseState(f.handle, 0), 1);
    QCOMPARE(f.card.pulseState(f.handle, 1), 0);
    f.advance(3600s);
    QCOMPARE(f.card.pulseState(f.handle, 0), 1);
    QCOMPARE(f.card.endPulse(f.handle, 0), 0);
    QCOMPARE(f.card.pulseState(f.handle, 0), 0);
    QCOMPARE(f.card.endPulse(f.handle, 0), 0); // ending twice is harmless
    QCOMPARE(f.card.setPulseData(f.handle, 0, 20000, 5000), -1); // only a running channel
}

void TestSimCardTiming::pulseTrainStopsByItself()
{
    // Counter 1 watches pulse 1, started a moment before it, so every pulse is counted.
    CardFixture f;
    QCOMPARE(f.card.startCounter(f.handle, 1, 100), 0);
    f.advance(1ns);
    QCOMPARE(f.card.startPulse(f.handle, 1, 1, 20000, 10), 0);
    f.advance(5ms - 1ns);
    QCOMPARE(f.card.pulseState(f.handle, 1), 1);
    f.advance(1ns);
    QCOMPARE(f.card.pulseState(f.handle, 1), 0);

    f.advance(10s);
    std::int32_t count = 0, time = 0;
    QCOMPARE(f.card.readCounter(f.handle, 1, &count, &time), 0);
    QCOMPARE(count, 90);
    QCOMPARE(f.card.endPulse(f.handle, 1), 0);

    // New values for a running train restart it: 3 more pulses at 1 kHz.
    QCOMPARE(f.card.startPulse(f.handle, 1, 1, 20000, 1000), 0);
    f.advance(1ms);
    QCOMPARE(f.card.setPulseData(f.handle, 1, 10000, 3), 0);
    f.advance(3ms);
    QCOMPARE(f.card.pulseState(f.handle, 1), 0);
    QCOMPARE(f.card.readCounter(f.handle, 1, &count, &time), 0);
    QCOMPARE(count, 90 - 2 - 3); // 2 at 2 kHz in the first ms, then 3
}

void TestSimCardTiming::pulseRefusals_data()
{
    QTest::addColumn<std::int32_t>("channel");
    QTest::addColumn<std::int32_t>("type");
    QTest::addColumn<std::int32_t>("first");
    QTest::addColumn<std::int32_t>("second");

    QTest::newRow("channel 2") << 2 << 0 << 10000 << 5000;
    QTest::newRow("channel -1") << -1 << 0 << 10000 << 5000;
    QTest::newRow("type 2") << 0 << 2 << 10000 << 5000;
    QTest::newRow("frequency 0") << 0 << 0 << 0 << 5000;
    QTest::newRow("frequency above 1 MHz") << 0 << 0 << 10000001 << 5000;
    QTest::newRow("PWM duty 0 %") << 0 << 0 << 10000 << 0;
    QTest::newRow("PWM duty 100 %") << 0 << 0 << 10000 << 10000;
    QTest::newRow("train of 0 pulses") << 1 << 1 << 10000 << 0;
    QTest::newRow("train of -5 pulses") << 1 << 1 << 10000 << -5;
}

void TestSimCardTiming::pulseRefusals()
{
    QFETCH(std::int32_t, channel);
    QFETCH(std::int32_t, type);
    QFETCH(std::int32_t, first);
    QFETCH(std::int32_t, second);

    CardFixture f;
    QCOMPARE(f.card.startPulse(f.handle, 0, 0, 10000, 5000), 0);
    QCOMPARE(f.card.startPulse(f.handle, channel, type, first, second), -1);
    QCOMPARE(f.card.setPulseData(f.handle, 0, first, second) == 0,
             first == 10000 && second == 5000); // only valid PWM values change a channel
    QCOMPARE(f.card.pulseState(f.handle, 0), 1);
    QCOMPARE(f.card.pulseState(f.handle, 1), 0);
}

void TestSimCardTiming::counterOverAtTenSeconds()
{
    // The console's sequence: 1 kHz PWM on pulse 0, counter 0 from 10000.
    CardFixture f;
    QCOMPARE(f.card.startPulse(f.handle, 0, 0, 10000, 5000), 0);
    QCOMPARE(f.card.startCounter(f.handle, 0, 10000), 0);

    std::int32_t count = -7, time = -7;
    f.advance(5s);
    QCOMPARE(f.card.readCounter(f.handle, 0, &count, &time), 0);
    QCOMPARE(count, 5000);
    QCOMPARE(time, 50'000'000);

    f.advance(5s - 1ns);
    QCOMPARE(f.card.readCounter(f.handle, 0, &count, &time), 0);
    QCOMPARE(count, 1);

    f.advance(1ns);
    QCOMPARE(f.card.readCounter(f.handle, 0, &count, &time), 1);
    QCOMPARE(count, 0);
    QCOMPARE(time, 100'000'000);

    // Once over, the count and time stay, even after the pulse has gone on and stopped.
    f.advance(7s);
    QCOMPARE(f.card.endPulse(f.handle, 0), 0);
    f.advance(1s);
    QCOMPARE(f.card.readCounter(f.handle, 0, &count, &time), 1);
    QCOMPARE(count, 0);
    QCOMPARE(time, 100'000'000);
}

void TestSimCardTiming::counterTiming_data()
{
    QTest::addColumn<qint64>("pulseStartNs");  // -1: never
    QTest::addColumn<qint64>("counterStartNs");
    QTest::addColumn<qint64>("restartPulseNs"); // -1: no restart
    QTest::addColumn<qint64>("endPulseNs");     // -1: not ended
    QTest::addColumn<std::int32_t>("initial");
    QTest::addColumn<qint64>("readNs");
    QTest::addColumn<std::int32_t>("status");
    QTest::addColumn<std::int32_t>("count");
    QTest::addColumn<std::int32_t>("time");

    // Pulse 0 at 1 kHz throughout: rising edges every 1 ms from its start.
    QTest::newRow("pulse started 0.3 ms before the counter: over on its 3rd edge")
        << qint64(0) << qint64(300'000) << qint64(-1) << qint64(-1) << 3 << qint64(1'000'000'000)
        << 1 << 0 << 27'000;
    QTest::newRow("pulse started 5 ms after the counter: its first edge counts")
        << qint64(5'000'000) << qint64(0) << qint64(-1) << qint64(-1) << 3 << qint64(1'000'000'000)
        << 1 << 0 << 70'000;
    QTest::newRow("pulse restarted at 2.5 ms: 2 edges before, then from 2.5 ms")
        << qint64(0) << qint64(0) << qint64(2'500'000) << qint64(-1) << 4 << qint64(1'000'000'000)
        << 1 << 0 << 35'000;
    QTest::newRow("pulse ended at 2.5 ms: counting goes on, time runs")
        << qint64(0) << qint64(0) << qint64(-1) << qint64(2'500'000) << 10 << qint64(100'000'000)
        << 0 << 8 << 1'000'000;
    QTest::newRow("pulse ended exactly on an edge: that edge is not sent")
        << qint64(0) << qint64(0) << qint64(-1) << qint64(3'000'000) << 10 << qint64(50'000'000)
        << 0 << 8 << 500'000;
    QTest::newRow("no pulse at all") << qint64(-1) << qint64(0) << qint64(-1) << qint64(-1) << 1
                                     << qint64(2'000'000) << 0 << 1 << 20'000;
    QTest::newRow("initial 0 is over at once") << qint64(0) << qint64(4'000'000) << qint64(-1)
                                               << qint64(-1) << 0 << qint64(9'000'000) << 1 << 0 << 0;
}

void TestSimCardTiming::counterTiming()
{
    QFETCH(qint64, pulseStartNs);
    QFETCH(qint64, counterStartNs);
    QFETCH(qint64, restartPulseNs);
    QFETCH(qint64, endPulseNs);
    QFETCH(std::int32_t, initial);
    QFETCH(qint64, readNs);

    // Replays the events in time order on a manual clock.
    struct Event
    {
        qint64 at;
        std::function<void(SimulatedCard &, std::int32_t)> act;
    };
    std::vector<Event> events;
    if (pulseStartNs >= 0)
        events.push_back({pulseStartNs, [](SimulatedCard &c, std::int32_t h) { QCOMPARE(c.startPulse(h, 0, 0, 10000, 5000), 0); }});
    events.push_back({counterStartNs, [initial](SimulatedCard &c, std::int32_t h) { QCOMPARE(c.startCounter(h, 0, initial), 0); }});
    if (restartPulseNs >= 0)
        events.push_back({restartPulseNs, [](SimulatedCard &c, std::int32_t h) { QCOMPARE(c.startPulse(h, 0, 0, 10000, 2500), 0); }});
    if (endPulseNs >= 0)
        events.push_back({endPulseNs, [](SimulatedCard &c, std::int32_t h) { QCOMPARE(c.endPulse(h, 0), 0); }});
    std::stable_sort(events.begin(), events.end(), [](const Event &a, const Event &b) { return a.at < b.at; });

    CardFixture f;
    for (const Event &event : events) {
        f.advance(std::chrono::nanoseconds(event.at - f.clock.elapsedNanoseconds()));
        event.act(f.card, f.handle);
    }
    f.advance(std::chrono::nanoseconds(readNs - f.clock.elapsedNanoseconds()));

    std::int32_t count = -7, time = -7;
    QTEST(f.card.readCounter(f.handle, 0, &count, &time), "status");
    QTEST(count, "count");
    QTEST(time, "time");
}

void TestSimCardTiming::counterTimeClampsInsteadOfWrapping()
{
    CardFixture f;
    QCOMPARE(f.card.startCounter(f.handle, 0, 5), 0);
    f.advance(214s);
    std::int32_t count = 0, time = 0;
    QCOMPARE(f.card.readCounter(f.handle, 0, &count, &time), 0);
    QCOMPARE(time, 2'140'000'000);
    f.advance(100s);
    QCOMPARE(f.card.readCounter(f.handle, 0, &count, &time), 0);
    QCOMPARE(time, std::numeric_limits<std::int32_t>::max());
    QCOMPARE(count, 5);
}

void TestSimCardTiming::counterRefusals()
{
    CardFixture f;
    std::int32_t count = -7, time = -7;
    QCOMPARE(f.card.readCounter(f.handle, 0, &count, &time), -1); // never started
    QCOMPARE(f.card.startCounter(f.handle, 2, 10), -1);
    QCOMPARE(f.card.startCounter(f.handle, 0, -1), -1);
    QCOMPARE(f.card.startCounter(f.handle, 0, 10), 0);
    QCOMPARE(f.card.readCounter(f.handle, 0, nullptr, &time), -1);
    QCOMPARE(f.card.readCounter(f.handle, 0, &count, nullptr), -1);
    QCOMPARE(f.card.readCounter(f.handle, 2, &count, &time), -1);
    QCOMPARE(count, -7);
    QCOMPARE(time, -7);
}

QTEST_APPLESS_MAIN(TestSimCardTiming)
#include "tst_simcardtiming.moc"
