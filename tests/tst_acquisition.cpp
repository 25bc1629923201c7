// Continuous acquisition (the AD button and the timer tick) and the
// single-shot scan (the StopAD button).
#include "procedurebench.h"
#include "streamingcard.h"

#include <QTest>

#include <cmath>
#include <limits>
#include <memory>

using procedures::Procedures;

namespace {

constexpr int int32Max = std::numeric_limits<std::int32_t>::max();
constexpr int int32Min = std::numeric_limits<std::int32_t>::min();

const QString startLine = QStringLiteral("wave sam begin, max length 200000 ");
const QString limitLine = QStringLiteral("max l= 200000 ");
const QString endLine = QStringLiteral("******** AD Sam. END ********");

/// A channel line of an acquisition page: "CH", the channel, then "Data"
/// and the sample in the second print zone.
QString channelLine(int channel, int sample)
{
    return QStringLiteral("CH %1 ").arg(channel).leftJustified(14)
        + QStringLiteral("Data %1 ").arg(sample);
}

/// The page a batch leaves: its first scan, channel by channel, then the limit.
QStringList batchPage(int firstSample)
{
    QStringList page;
    for (int channel = 0; channel < 16; ++channel)
        page << channelLine(channel, firstSample + channel);
    page << limitLine;
    return page;
}

/// Index of the first sample that is not firstValue, firstValue + 1, ...
/// among the first count; -1 when they all follow on.
int firstGap(const std::int32_t *samples, int count, int firstValue)
{
    for (int i = 0; i < count; ++i) {
        if (samples[i] != firstValue + i)
            return i;
    }
    return -1;
}

} // namespace

class TestAcquisition : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_bench = std::make_unique<ProcedureBench<StreamingCard>>(); }
    void cleanup() { m_bench.reset(); }

    void startClearsAndStartsTheScanAndTimer();
    void tickReadsWholeScansOnly_data();
    void tickReadsWholeScansOnly();
    void batchesFillTheBufferWithoutGaps();
    void runEndsOnTheBatchThatReachesTheLimit_data();
    void runEndsOnTheBatchThatReachesTheLimit();
    void startAgainStartsOver_data();
    void startAgainStartsOver();
    void singleShotLeavesARunningAcquisitionAlone();
    void batchesStopAtTheEndOfTheBuffer_data();
    void batchesStopAtTheEndOfTheBuffer();

    void singleShotListsEveryChannel();
    void singleShotLine_data();
    void singleShotLine();

private:
    /// Starts an acquisition and forgets the calls it made.
    void start()
    {
        m_bench->procedures.startAcquisition();
        m_bench->forgetCalls();
    }
    /// One timer tick with ready samples reported by the card.
    void tick(int ready)
    {
        m_bench->card.readyCounts = {ready};
        m_bench->procedures.acquisitionTick();
    }
    const std::int32_t *buffer() const { return m_bench->procedures.sampleBuffer(); }

    std::unique_ptr<ProcedureBench<StreamingCard>> m_bench;
};

void TestAcquisition::startClearsAndStartsTheScanAndTimer()
{
    m_bench->printEarlierText();
    m_bench->procedures.startAcquisition();

    QCOMPARE(m_bench->card.calls, (QStringList{"CAL(7)", "TAD(7,0,15,0,0,50)"}));
    QCOMPARE(m_bench->window.calls, QStringList{"setTimerEnabled(on)"});
    QCOMPARE(m_bench->lines(), QStringList{startLine});
    QCOMPARE(m_bench->console.line(), 1);
    QCOMPARE(m_bench->console.x(), 0);
    QCOMPARE(m_bench->procedures.samplesTaken(), 0);
}

void TestAcquisition::tickReadsWholeScansOnly_data()
{
    QTest::addColumn<int>("ready");
    QTest::addColumn<int>("count");

    QTest::newRow("ready int32 min reads nothing") << int32Min << 0;
    QTest::newRow("ready -1 reads nothing") << -1 << 0;
    QTest::newRow("ready 0 reads nothing") << 0 << 0;
    QTest::newRow("ready 99 stays in the card") << 99 << 0;
    QTest::newRow("ready 100 reads 6 scans, 4 stay") << 100 << 96;
    QTest::newRow("ready 111 reads 6 scans") << 111 << 96;
    QTest::newRow("ready 112 reads 7 scans") << 112 << 112;
    QTest::newRow("ready 4999 reads 4992") << 4999 << 4992;
    QTest::newRow("ready 65536 reads all") << 65536 << 65536;
}

void TestAcquisition::tickReadsWholeScansOnly()
{
    QFETCH(int, ready);
    QFETCH(int, count);

    start();
    tick(ready);

    QStringList calls{"TAD_Poll(7)"};
    if (count > 0)
        calls << QStringLiteral("TAD_Read(7,%1)").arg(count);
    QCOMPARE(m_bench->card.calls, calls);
    QCOMPARE(m_bench->procedures.samplesTaken(), count);
    // The box is refreshed every tick; no samples show as empty text.
    QCOMPARE(m_bench->window.calls,
             QStringList{QStringLiteral("setBoxText(TAD_TEXT,%1)")
                             .arg(count > 0 ? QString::number(count) : QString())});
    QVERIFY(m_bench->window.timerOn);

    if (count == 0) {
        QCOMPARE(m_bench->lines(), QStringList{startLine});
        return;
    }
    QCOMPARE(m_bench->card.readDestinations.size(), std::size_t{1});
    QCOMPARE(m_bench->card.readDestinations.front(), buffer());
    QCOMPARE(m_bench->lines(), batchPage(1000));
    QCOMPARE(m_bench->console.line(), 17);
    QCOMPARE(m_bench->console.x(), 0);
}

void TestAcquisition::batchesFillTheBufferWithoutGaps()
{
    start();
    tick(100);
    tick(99);
    // A tick that reads nothing leaves the last page as it was.
    QCOMPARE(m_bench->lines(), batchPage(1000));
    QCOMPARE(m_bench->window.tadText, "96");

    tick(4999);
    QCOMPARE(m_bench->procedures.samplesTaken(), 96 + 4992);
    QCOMPARE(m_bench->card.readDestinations,
             (std::vector<const std::int32_t *>{buffer(), buffer() + 96}));
    // The page shows the first scan of this batch, not of the buffer.
    QCOMPARE(m_bench->lines(), batchPage(1096));
    QCOMPARE(firstGap(buffer(), 96 + 4992, 1000), -1);
    QCOMPARE(buffer()[96 + 4992], 0);
    QCOMPARE(m_bench->window.tadText, "5088");
    QVERIFY(!m_bench->card.calls.contains("TAD_Stop(7)"));
}

void TestAcquisition::runEndsOnTheBatchThatReachesTheLimit_data()
{
    QTest::addColumn<int>("readyPerTick");
    QTest::addColumn<bool>("cardKeepsUnread");
    QTest::addColumn<int>("batches");
    QTest::addColumn<int>("finalCount");

    QTest::newRow("4000 ready per tick: 50 batches, 200000") << 4000 << false << 50 << 200000;
    QTest::newRow("4999 ready per tick: 41 batches of 4992, 204672")
        << 4999 << false << 41 << 204672;
    QTest::newRow("5000 ready per tick: 41 batches of 4992, 204672")
        << 5000 << false << 41 << 204672;
    QTest::newRow("100 ready per tick: 2084 batches of 96, 200064")
        << 100 << false << 2084 << 200064;
    QTest::newRow("5000 arriving per tick, rest kept: 40 batches, 200000")
        << 5000 << true << 40 << 200000;
    QTest::newRow("4999 arriving per tick, rest kept: 41 batches, 204944")
        << 4999 << true << 41 << 204944;
}

void TestAcquisition::runEndsOnTheBatchThatReachesTheLimit()
{
    QFETCH(int, readyPerTick);
    QFETCH(bool, cardKeepsUnread);
    QFETCH(int, batches);
    QFETCH(int, finalCount);

    StreamingCard &card = m_bench->card;
    card.samplesPerPoll = readyPerTick;
    card.keepsUnread = cardKeepsUnread;
    start();

    int ticks = 0;
    while (m_bench->window.timerOn && ticks <= batches) {
        m_bench->procedures.acquisitionTick();
        ++ticks;
        if (m_bench->window.timerOn)
            QVERIFY2(!card.calls.contains("TAD_Stop(7)"), qPrintable(QString::number(ticks)));
    }

    QCOMPARE(ticks, batches);
    QCOMPARE(card.calls.filter("TAD_Read").size(), batches);
    QCOMPARE(card.calls.count("TAD_Stop(7)"), 1);
    QCOMPARE(card.calls.last(), "TAD_Stop(7)");
    QCOMPARE(m_bench->window.calls.count("setTimerEnabled(off)"), 1);
    QCOMPARE(m_bench->window.calls.last(),
             QStringLiteral("setBoxText(TAD_TEXT,%1)").arg(finalCount));
    QCOMPARE(m_bench->procedures.samplesTaken(), finalCount);

    QCOMPARE(firstGap(buffer(), finalCount, 1000), -1);
    QCOMPARE(buffer()[finalCount], 0);

    // The last page: the batch's first scan, the limit, then the end.
    const int lastBatchStart = int(card.readDestinations.back() - buffer());
    QStringList page = batchPage(1000 + lastBatchStart);
    page << endLine;
    QCOMPARE(m_bench->lines(), page);
}

void TestAcquisition::startAgainStartsOver_data()
{
    QTest::addColumn<bool>("runToTheEnd");

    QTest::newRow("while running") << false;
    QTest::newRow("after the end") << true;
}

void TestAcquisition::startAgainStartsOver()
{
    QFETCH(bool, runToTheEnd);

    start();
    tick(runToTheEnd ? 200000 : 5000);
    QCOMPARE(m_bench->window.timerOn, !runToTheEnd);
    m_bench->forgetCalls();

    m_bench->procedures.startAcquisition();
    QCOMPARE(m_bench->card.calls, (QStringList{"CAL(7)", "TAD(7,0,15,0,0,50)"}));
    QCOMPARE(m_bench->window.calls, QStringList{"setTimerEnabled(on)"});
    QVERIFY(m_bench->window.timerOn);
    QCOMPARE(m_bench->procedures.samplesTaken(), 0);
    QCOMPARE(m_bench->lines(), QStringList{startLine});

    // The new run fills the buffer from its start again.
    const int nextSample = m_bench->card.nextSample;
    tick(100);
    QCOMPARE(m_bench->card.readDestinations.back(), buffer());
    QCOMPARE(m_bench->procedures.samplesTaken(), 96);
    QCOMPARE(m_bench->lines(), batchPage(nextSample));
    QVERIFY(m_bench->window.timerOn);
}

void TestAcquisition::singleShotLeavesARunningAcquisitionAlone()
{
    start();
    tick(5000);
    m_bench->forgetCalls();

    m_bench->procedures.singleShotScan();
    QCOMPARE(m_bench->window.calls, QStringList{});
    QVERIFY(m_bench->window.timerOn);
    QCOMPARE(m_bench->procedures.samplesTaken(), 4992);
    QVERIFY(m_bench->card.calls.filter("TAD").isEmpty());

    tick(100);
    QCOMPARE(m_bench->card.readDestinations.back(), buffer() + 4992);
    QCOMPARE(m_bench->procedures.samplesTaken(), 4992 + 96);
    QCOMPARE(m_bench->lines(), batchPage(1000 + 4992));
}

void TestAcquisition::batchesStopAtTheEndOfTheBuffer_data()
{
    QTest::addColumn<QList<int>>("readyCounts");
    QTest::addColumn<QList<int>>("reads");

    const int size = Procedures::sampleBufferSize;   // 10000001: 625000 scans and one sample
    QTest::newRow("ready int32 max reads the 625000 scans that fit")
        << QList<int>{int32Max} << QList<int>{10000000};
    QTest::newRow("ready 10000001 reads the 625000 scans that fit")
        << QList<int>{size} << QList<int>{10000000};

    QList<int> pastTheLimit(50, 4000);
    pastTheLimit << int32Max;
    QList<int> limitReads(50, 4000);
    limitReads << 9800000;
    QTest::newRow("ready int32 max after the limit reads the rest")
        << pastTheLimit << limitReads;

    QTest::newRow("room 97, ready 5000 reads 6 scans")
        << QList<int>{9999904, 5000} << QList<int>{9999904, 96};
    QTest::newRow("room 17, ready 100 reads the last scan")
        << QList<int>{9999984, 100} << QList<int>{9999984, 16};
    QTest::newRow("full buffer reads nothing more")
        << QList<int>{int32Max, int32Max, 5000, 100, -1} << QList<int>{10000000};
}

void TestAcquisition::batchesStopAtTheEndOfTheBuffer()
{
    QFETCH(QList<int>, readyCounts);
    QFETCH(QList<int>, reads);

    // The card stores nothing: the test is where and how much it is asked to store.
    FakeCard &card = m_bench->card;
    card.writeSamples = false;
    start();

    QList<int> asked;
    for (int ready : readyCounts) {
        const int before = m_bench->procedures.samplesTaken();
        const std::size_t readsBefore = card.readDestinations.size();
        const QStringList pageBefore = m_bench->lines();
        tick(ready);

        if (card.readDestinations.size() == readsBefore) {
            QCOMPARE(m_bench->procedures.samplesTaken(), before);
            QCOMPARE(m_bench->lines(), pageBefore);
            continue;
        }
        const int count = card.calls.filter("TAD_Read").last().section(',', 1).chopped(1).toInt();
        asked << count;
        const int room = Procedures::sampleBufferSize - before;
        QVERIFY2(count <= room, qPrintable(QStringLiteral("%1 asked, %2 room").arg(count).arg(room)));
        QCOMPARE(count % 16, 0);
        QCOMPARE(card.readDestinations.back(), buffer() + before);
        QCOMPARE(m_bench->procedures.samplesTaken(), before + count);
    }
    QCOMPARE(asked, reads);
    QCOMPARE(m_bench->window.tadText, QString::number(m_bench->procedures.samplesTaken()));
}

void TestAcquisition::singleShotListsEveryChannel()
{
    // The fake converts channel c to raw 100 c, and raw r to r / 2 millivolts.
    m_bench->printEarlierText();
    m_bench->procedures.singleShotScan();

    QStringList calls{"CAL(7)"};
    QStringList lines;
    for (int channel = 0; channel < 16; ++channel) {
        calls << QStringLiteral("AD(7,%1,4,0,1)").arg(channel)
              << QStringLiteral("ADV(4,%1)").arg(100 * channel);
        lines << QStringLiteral("CH %1 ").arg(channel).leftJustified(14)
                     + QStringLiteral("Data %1 ").arg(100 * channel).leftJustified(14)
                     + QStringLiteral("V%1.00mV").arg(50 * channel, 3, 10, QLatin1Char('0'));
    }
    QCOMPARE(m_bench->card.calls, calls);
    QCOMPARE(lines.first(), "CH 0          Data 0        V000.00mV");
    QCOMPARE(lines.last(), "CH 15         Data 1500     V750.00mV");
    QCOMPARE(m_bench->lines(), lines);
    QCOMPARE(m_bench->console.line(), 16);
    QCOMPARE(m_bench->console.x(), 0);
    QCOMPARE(m_bench->window.calls, QStringList{});
}

void TestAcquisition::singleShotLine_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("raw");
    QTest::addColumn<double>("reading");
    QTest::addColumn<QString>("line");

    QTest::newRow("channel 3 raw 512 reading 12.5")
        << 3 << 512 << 12.5 << "CH 3          Data 512      V012.50mV";
    QTest::newRow("channel 0 raw -1 reading -5000")
        << 0 << -1 << -5000.0 << "CH 0          Data-1        V-5000.00mV";
    QTest::newRow("channel 15 raw 4095 reading 9999.999 rounds up")
        << 15 << 4095 << 9999.999 << "CH 15         Data 4095     V10000.00mV";
    QTest::newRow("channel 9 reading -0.001 has no sign")
        << 9 << 2 << -0.001 << "CH 9          Data 2        V000.00mV";
    QTest::newRow("channel 12 reading NaN")
        << 12 << 3 << std::nan("") << "CH 12         Data 3        VNaNmV";
    QTest::newRow("channel 7 raw int32 max pushes V a zone on")
        << 7 << int32Max << 1.0 << "CH 7          Data 2147483647             V001.00mV";
}

void TestAcquisition::singleShotLine()
{
    QFETCH(int, channel);
    QFETCH(int, raw);
    QFETCH(double, reading);
    QFETCH(QString, line);

    FakeCard &card = m_bench->card;
    card.adRaw = [=](std::int32_t c) { return c == channel ? raw : 100 * c; };
    card.adMillivolts = [=](std::int32_t r) { return r == raw ? reading : r * 0.5; };
    m_bench->procedures.singleShotScan();

    QCOMPARE(card.calls.at(1 + 2 * channel + 1), QStringLiteral("ADV(4,%1)").arg(raw));
    const QStringList lines = m_bench->lines();
    QCOMPARE(lines.size(), 16);
    QCOMPARE(lines.at(channel), line);
}

QTEST_APPLESS_MAIN(TestAcquisition)
#include "tst_acquisition.moc"
