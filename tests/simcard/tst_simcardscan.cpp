// The continuous scan: pacing, the FIFO, overflow, data order and values.

#include "cardfixture.h"
#include "ranges.h"
#include "testsignals.h"

#include <QtTest>

#include <vector>

using namespace simcard;
using namespace std::chrono_literals;

namespace {

/// Raw code of a DC reference channel in the scan's -10..+10 V range.
std::int32_t dcRaw(std::int32_t channel)
{
    return millivoltsToRaw(*findInputRange(scanRangeCode), channelSignals[std::size_t(channel)].offsetMillivolts);
}

} // namespace

class TestSimCardScan : public QObject
{
    Q_OBJECT

private slots:
    void pacing_data();
    void pacing();
    void readsInChannelOrderAndNeverPastCount();
    void dataMatchesSingleShotSignals();
    void overflowDropsOldestWholeScans_data();
    void overflowDropsOldestWholeScans();
    void consoleRunLosesNothing();
    void stopAndRestart();
    void analogOutputChangeReachesTheScan();
    void scanRefusals_data();
    void scanRefusals();
};

void TestSimCardScan::pacing_data()
{
    QTest::addColumn<std::int32_t>("first");
    QTest::addColumn<std::int32_t>("last");
    QTest::addColumn<std::int32_t>("divider");
    QTest::addColumn<std::int32_t>("rateOverride");
    QTest::addColumn<qint64>("elapsedNs");
    QTest::addColumn<std::int32_t>("ready");

    QTest::newRow("console scan, 9.999 us: none yet") << 0 << 15 << 50 << 0 << qint64(9'999) << 0;
    QTest::newRow("console scan, 10 us: one sample") << 0 << 15 << 50 << 0 << qint64(10'000) << 1;
    QTest::newRow("console scan, 1 ms") << 0 << 15 << 50 << 0 << qint64(1'000'000) << 100;
    QTest::newRow("console scan, 50 ms poll") << 0 << 15 << 50 << 0 << qint64(50'000'000) << 5'000;
    QTest::newRow("console scan, 0.65536 s fills the FIFO") << 0 << 15 << 50 << 0 << qint64(655'360'000) << 65'536;
    QTest::newRow("divider 5000: 1000 samples/s") << 0 << 15 << 5000 << 0 << qint64(1'000'000'000) << 1'000;
    QTest::newRow("divider 3: 1,666,666.7 samples/s") << 4 << 4 << 3 << 0 << qint64(3'000'000) << 5'000;
    QTest::newRow("override 1000 samples/s") << 0 << 15 << 50 << 1'000 << qint64(50'000'000) << 50;
    QTest::newRow("override 3 samples/s, 1 s") << 2 << 7 << 50 << 3 << qint64(1'000'000'000) << 3;
    QTest::newRow("override 3 samples/s, 0.999 s") << 2 << 7 << 50 << 3 << qint64(999'999'999) << 2;
}

void TestSimCardScan::pacing()
{
    QFETCH(std::int32_t, first);
    QFETCH(std::int32_t, last);
    QFETCH(std::int32_t, divider);
    QFETCH(std::int32_t, rateOverride);
    QFETCH(qint64, elapsedNs);
    QFETCH(std::int32_t, ready);

    CardFixture f(CardOptions{false, rateOverride});
    f.advance(123ms); // the scan counts from its own start, not the card's
    QCOMPARE(f.card.pollScan(f.handle), 0);
    QCOMPARE(f.card.startScan(f.handle, first, last, 0, 0, divider), 0);
    QCOMPARE(f.card.pollScan(f.handle), 0);
    f.advance(std::chrono::nanoseconds(elapsedNs));
    QCOMPARE(f.card.pollScan(f.handle), ready);
    QCOMPARE(f.card.pollScan(f.handle), ready);
}

void TestSimCardScan::readsInChannelOrderAndNeverPastCount()
{
    // Channels 2..5 are DC references, so every scan reads the same four codes.
    CardFixture f;
    QCOMPARE(f.card.startScan(f.handle, 2, 5, 0, 0, 50), 0);
    f.advance(1ms);
    QCOMPARE(f.card.pollScan(f.handle), 100);

    std::vector<std::int32_t> out(200, -7);
    QCOMPARE(f.card.readScan(f.handle, out.data(), 6), 6);
    const std::vector<std::int32_t> expected{dcRaw(2), dcRaw(3), dcRaw(4), dcRaw(5), dcRaw(2), dcRaw(3)};
    QCOMPARE(std::vector<std::int32_t>(out.begin(), out.begin() + 6), expected);
    QCOMPARE(out[6], -7);
    QCOMPARE(f.card.pollScan(f.handle), 94);

    // A partial scan was read: the next read continues with the channel after it.
    QCOMPARE(f.card.readScan(f.handle, out.data(), 2), 2);
    QCOMPARE(out[0], dcRaw(4));
    QCOMPARE(out[1], dcRaw(5));

    // Asking for more than is ready copies what is ready and nothing beyond it.
    std::fill(out.begin(), out.end(), -7);
    QCOMPARE(f.card.readScan(f.handle, out.data(), 200), 92);
    QCOMPARE(out[0], dcRaw(2));
    QCOMPARE(out[91], dcRaw(5));
    QCOMPARE(out[92], -7);
    QCOMPARE(f.card.pollScan(f.handle), 0);
    QCOMPARE(f.card.readScan(f.handle, out.data(), 16), 0);
    QCOMPARE(f.card.readScan(f.handle, out.data(), 0), 0);
    QCOMPARE(f.card.readScan(f.handle, out.data(), -1), -1);
    QCOMPARE(f.card.readScan(f.handle, nullptr, 16), -1);
}

void TestSimCardScan::dataMatchesSingleShotSignals()
{
    // At the default rate, sample k of a 16-channel scan is taken k * 10 us
    // after the start, and reads what a single-shot conversion would read then.
    CardFixture f;
    QCOMPARE(f.card.analogOutput(f.handle, 0, 2, 3000), 0);
    QCOMPARE(f.card.startScan(f.handle, 0, 15, 0, 0, 50), 0);
    const std::int64_t start = f.clock.elapsedNanoseconds();
    f.advance(2s); // past the table's length, so the read wraps around it
    std::vector<std::int32_t> out(65536);
    QCOMPARE(f.card.readScan(f.handle, out.data(), 1000), 1000); // skip ahead
    QCOMPARE(f.card.readScan(f.handle, out.data(), 65536), 64536);
    const std::int64_t firstIndex = 200'000 - 65'536 + 1000;

    CardFixture single;
    QCOMPARE(single.card.analogOutput(single.handle, 0, 2, 3000), 0);
    single.advance(std::chrono::nanoseconds(start));
    const std::int64_t singleStart = single.clock.elapsedNanoseconds();
    for (std::int64_t i = 0; i < 64536; i += 97) {
        const std::int64_t k = firstIndex + i;
        const std::int32_t channel = std::int32_t(k % 16);
        if (channel == 15)
            continue; // noise: reproducible, but drawn per sample in the scan
        single.advance(std::chrono::nanoseconds(singleStart + k * 10'000 - single.clock.elapsedNanoseconds()));
        QCOMPARE(out[std::size_t(i)], single.card.analogInput(single.handle, channel, 4, 0, 1));
    }
}

void TestSimCardScan::overflowDropsOldestWholeScans_data()
{
    QTest::addColumn<std::int32_t>("readFirst");
    QTest::addColumn<qint64>("elapsedNs");
    QTest::addColumn<std::int32_t>("lost");

    // Channels 2..4 at 100,000 samples/s; the FIFO holds 65,536.
    QTest::newRow("just full: nothing lost") << 0 << qint64(655'360'000) << 0;
    QTest::newRow("one sample over: a whole scan goes") << 0 << qint64(655'370'000) << 3;
    QTest::newRow("0.7 s: 4,464 over") << 0 << qint64(700'000'000) << 4'464;
    QTest::newRow("one sample read, then 0.7 s: 4,463 over, rounded up to scans") << 1 << qint64(700'000'000) << 4'464;
    QTest::newRow("two read, then 10 s") << 2 << qint64(10'000'000'000) << 934'464;
}

void TestSimCardScan::overflowDropsOldestWholeScans()
{
    QFETCH(std::int32_t, readFirst);
    QFETCH(qint64, elapsedNs);
    QFETCH(std::int32_t, lost);

    CardFixture f;
    QCOMPARE(f.card.startScan(f.handle, 2, 4, 0, 0, 50), 0);
    const std::array<std::int32_t, 3> scan{dcRaw(2), dcRaw(3), dcRaw(4)};
    std::array<std::int32_t, 3> out{};
    if (readFirst > 0) {
        f.advance(1ms);
        QCOMPARE(f.card.readScan(f.handle, out.data(), readFirst), readFirst);
        f.advance(std::chrono::nanoseconds(elapsedNs) - 1ms);
    } else {
        f.advance(std::chrono::nanoseconds(elapsedNs));
    }

    const std::int64_t converted = elapsedNs / 10'000;
    const std::int32_t ready = f.card.pollScan(f.handle);
    QCOMPARE(ready, std::int32_t(converted - readFirst - lost));
    QVERIFY(ready <= 65536);
    QCOMPARE(f.card.lostSamples(f.handle), lost);

    // The FIFO hands out the channel that was next before the overflow.
    QCOMPARE(f.card.readScan(f.handle, out.data(), 3), 3);
    for (std::size_t i = 0; i < 3; ++i)
        QCOMPARE(out[i], scan[(std::size_t(readFirst) + i) % 3]);
}

void TestSimCardScan::consoleRunLosesNothing()
{
    // The console: polls every 50 ms, reads whole scans once 100 are ready, stops at 200,000.
    CardFixture f;
    QCOMPARE(f.card.startScan(f.handle, 0, 15, 0, 0, 50), 0);
    std::vector<std::int32_t> buffer(200'000 + 65'536);
    std::int32_t taken = 0;
    int polls = 0;
    while (taken < 200'000) {
        f.advance(50ms);
        ++polls;
        const std::int32_t ready = f.card.pollScan(f.handle);
        if (ready >= 100) {
            const std::int32_t count = ready / 16 * 16;
            QCOMPARE(f.card.readScan(f.handle, buffer.data() + taken, count), count);
            taken += count;
        }
    }
    QCOMPARE(f.card.stopScan(f.handle), 0);
    QCOMPARE(polls, 40);
    QCOMPARE(taken, 200'000);
    QCOMPARE(f.card.lostSamples(f.handle), 0);
    QCOMPARE(f.card.deliveredSamples(f.handle), 200'000);
    for (std::int32_t scan = 0; scan < 200'000 / 16; scan += 611) {
        QCOMPARE(buffer[std::size_t(scan * 16 + 2)], dcRaw(2));
        QCOMPARE(buffer[std::size_t(scan * 16 + 14)], dcRaw(14));
    }
}

void TestSimCardScan::stopAndRestart()
{
    CardFixture f;
    QCOMPARE(f.card.startScan(f.handle, 2, 3, 0, 0, 50), 0);
    f.advance(1s);
    QCOMPARE(f.card.lostSamples(f.handle), 100'000 - 65'536);
    std::array<std::int32_t, 1> one{};
    QCOMPARE(f.card.readScan(f.handle, one.data(), 1), 1);

    // Stopped: no more conversions, but what is in the FIFO stays readable.
    QCOMPARE(f.card.stopScan(f.handle), 0);
    f.advance(1s);
    QCOMPARE(f.card.pollScan(f.handle), 65'535);
    QCOMPARE(f.card.lostSamples(f.handle), 100'000 - 65'536);

    // A new scan starts empty, without loss, on its first channel.
    QCOMPARE(f.card.startScan(f.handle, 2, 3, 0, 0, 50), 0);
    QCOMPARE(f.card.pollScan(f.handle), 0);
    QCOMPARE(f.card.lostSamples(f.handle), 0);
    f.advance(20us);
    QCOMPARE(f.card.readScan(f.handle, one.data(), 1), 1);
    QCOMPARE(one[0], dcRaw(2));
}

void TestSimCardScan::analogOutputChangeReachesTheScan()
{
    CardFixture f;
    QCOMPARE(f.card.startScan(f.handle, 0, 1, 0, 0, 50), 0);
    f.advance(40us);
    std::array<std::int32_t, 4> out{};
    QCOMPARE(f.card.readScan(f.handle, out.data(), 4), 4);
    QCOMPARE(out, (std::array<std::int32_t, 4>{2048, 2048, 2048, 2048}));

    QCOMPARE(f.card.analogOutput(f.handle, 0, 1, 4095), 0); // 10 V: clipped in -10..+10 V
    QCOMPARE(f.card.analogOutput(f.handle, 1, 2, 0), 0);    // -5 V
    f.advance(40us);
    QCOMPARE(f.card.readScan(f.handle, out.data(), 4), 4);
    QCOMPARE(out, (std::array<std::int32_t, 4>{4095, 1024, 4095, 1024}));

    QCOMPARE(f.card.resetAnalogOutputs(f.handle), 0);
    f.advance(20us);
    QCOMPARE(f.card.readScan(f.handle, out.data(), 2), 2);
    QCOMPARE(out[0], 2048);
    QCOMPARE(out[1], 2048);
}

void TestSimCardScan::scanRefusals_data()
{
    QTest::addColumn<std::int32_t>("first");
    QTest::addColumn<std::int32_t>("last");
    QTest::addColumn<std::int32_t>("setting");
    QTest::addColumn<std::int32_t>("extra1");
    QTest::addColumn<std::int32_t>("divider");

    QTest::newRow("first -1") << -1 << 15 << 0 << 0 << 50;
    QTest::newRow("last 16") << 0 << 16 << 0 << 0 << 50;
    QTest::newRow("first after last") << 5 << 4 << 0 << 0 << 50;
    QTest::newRow("setting 1") << 0 << 15 << 1 << 0 << 50;
    QTest::newRow("pacer clock 1") << 0 << 15 << 0 << 1 << 50;
    QTest::newRow("divider 0") << 0 << 15 << 0 << 0 << 0;
    QTest::newRow("divider -50") << 0 << 15 << 0 << 0 << -50;
}

void TestSimCardScan::scanRefusals()
{
    QFETCH(std::int32_t, first);
    QFETCH(std::int32_t, last);
    QFETCH(std::int32_t, setting);
    QFETCH(std::int32_t, extra1);
    QFETCH(std::int32_t, divider);

    // A refused start leaves the running scan alone.
    CardFixture f;
    QCOMPARE(f.card.startScan(f.handle, 0, 15, 0, 0, 50), 0);
    f.advance(1ms);
    QCOMPARE(f.card.startScan(f.handle, first, last, setting, extra1, divider), -1);
    f.advance(1ms);
    QCOMPARE(f.card.pollScan(f.handle), 200);
}

QTEST_APPLESS_MAIN(TestSimCardScan)
#include "tst_simcardscan.moc"
