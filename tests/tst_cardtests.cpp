// The card tests behind the output, counter and EEPROM buttons.
#include "procedurebench.h"

#include <QTest>

#include <limits>
#include <memory>

namespace {

constexpr int int32Max = std::numeric_limits<std::int32_t>::max();
constexpr int int32Min = std::numeric_limits<std::int32_t>::min();

const QString daLine = QStringLiteral("DA0输出10V, DA1输出-5V");
const QString pwmLine = QStringLiteral("脉冲通道0（PWM）输出1KHZ方波");
const QString plpLine = QStringLiteral("脉冲通道1（PLP）输出10个2KHZ方波");
const QString stopLine = QStringLiteral("停止脉冲输出");
const QString hyphens = QString(59, QLatin1Char('-'));
const QString writtenBytes = QStringLiteral(" 0  1  2  3  4  5  6  7  8  9 ");

} // namespace

class TestCardTests : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_bench = std::make_unique<ProcedureBench<>>(); }
    void cleanup() { m_bench.reset(); }

    void digitalOutputWritesTheWordOnly();
    void digitalInputShowsHex_data();
    void digitalInputShowsHex();
    void analogOutputsLeaveTheirLineOpen();
    void pulseOutputsStart();
    void pulseOutputsStopWithoutClearing_data();
    void pulseOutputsStopWithoutClearing();

    void counterStartShowsTheInitialValue();
    void counterRead_data();
    void counterRead();
    void counterReadsAppendAndStartFromZero();

    void eepromListsWrittenAndReadBytes_data();
    void eepromListsWrittenAndReadBytes();

private:
    std::unique_ptr<ProcedureBench<>> m_bench;
};

void TestCardTests::digitalOutputWritesTheWordOnly()
{
    m_bench->printEarlierText();
    m_bench->procedures.writeDigitalOutput();

    QCOMPARE(m_bench->card.calls, QStringList{"DO(7,21930)"});
    QCOMPARE(m_bench->window.calls, QStringList{});
    QCOMPARE(m_bench->lines(), QStringList{"earlier text"});
    QCOMPARE(m_bench->console.line(), 1);
}

void TestCardTests::digitalInputShowsHex_data()
{
    QTest::addColumn<int>("word");
    QTest::addColumn<QString>("text");

    QTest::newRow("DI 255") << 255 << "FF";
    QTest::newRow("DI 0") << 0 << "0";
    QTest::newRow("DI 21930") << 21930 << "55AA";
    QTest::newRow("DI -1") << -1 << "FFFFFFFF";
    QTest::newRow("DI int32 min") << int32Min << "80000000";
    QTest::newRow("DI int32 max") << int32Max << "7FFFFFFF";
}

void TestCardTests::digitalInputShowsHex()
{
    QFETCH(int, word);
    QFETCH(QString, text);

    m_bench->card.diWord = word;
    m_bench->printEarlierText();
    m_bench->procedures.readDigitalInput();

    QCOMPARE(m_bench->card.calls, QStringList{"DI(7)"});
    QCOMPARE(m_bench->window.calls, QStringList{"setBoxText(Text2," + text + ")"});
    QCOMPARE(m_bench->window.text2, text);
    QCOMPARE(m_bench->lines(), QStringList{"earlier text"});
}

void TestCardTests::analogOutputsLeaveTheirLineOpen()
{
    m_bench->printEarlierText();
    m_bench->procedures.setAnalogOutputs();

    QCOMPARE(m_bench->card.calls, (QStringList{"DA_INI(7)", "DA(7,0,1,4095)", "DA(7,1,2,0)"}));
    QCOMPARE(m_bench->lines(), (QStringList{"", daLine}));
    QCOMPARE(m_bench->console.line(), 1);
    QCOMPARE(m_bench->console.x(), int(daLine.size()));
    QCOMPARE(m_bench->window.calls, QStringList{});
}

void TestCardTests::pulseOutputsStart()
{
    m_bench->printEarlierText();
    m_bench->procedures.startPulseOutputs();

    QCOMPARE(m_bench->card.calls,
             (QStringList{"PRun(7,0,0,10000,5000)", "PRun(7,1,1,20000,10)"}));
    QCOMPARE(m_bench->lines(), (QStringList{"", pwmLine, "", plpLine}));
    QCOMPARE(m_bench->console.line(), 4);
    QCOMPARE(m_bench->console.x(), 0);
}

void TestCardTests::pulseOutputsStopWithoutClearing_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("on an empty console") << "" << QStringList{" ", stopLine};
    QTest::newRow("after the pulse start, two lines added")
        << "pulses" << QStringList{"", pwmLine, "", plpLine, " ", stopLine};
    QTest::newRow("after the analog outputs, their line continued and ended")
        << "analog" << QStringList{"", daLine + " ", stopLine};
    QTest::newRow("after a stop, two more lines")
        << "stop" << QStringList{" ", stopLine, " ", stopLine};
    QTest::newRow("after the EEPROM test, its read line continued")
        << "eeprom"
        << QStringList{"", "write  EEPROM data", writtenBytes, "Read   EEPROM data",
                       writtenBytes + " ", stopLine};
}

void TestCardTests::pulseOutputsStopWithoutClearing()
{
    QFETCH(QString, before);
    QFETCH(QStringList, lines);

    procedures::Procedures &procedures = m_bench->procedures;
    if (before == "pulses")
        procedures.startPulseOutputs();
    else if (before == "analog")
        procedures.setAnalogOutputs();
    else if (before == "stop")
        procedures.stopPulseOutputs();
    else if (before == "eeprom")
        procedures.testEeprom();
    m_bench->forgetCalls();

    procedures.stopPulseOutputs();

    QCOMPARE(m_bench->card.calls, (QStringList{"PEnd(7,0)", "PEnd(7,1)"}));
    QCOMPARE(m_bench->lines(), lines);
    QCOMPARE(m_bench->console.line(), int(lines.size()));
    QCOMPARE(m_bench->console.x(), 0);
}

void TestCardTests::counterStartShowsTheInitialValue()
{
    m_bench->printEarlierText();
    m_bench->procedures.startCounter();

    QCOMPARE(m_bench->card.calls, QStringList{"CNT_Run(7,0,10000)"});
    QCOMPARE(m_bench->lines(), QStringList{"CNT0 run, initial data 10000 "});
    QCOMPARE(m_bench->console.line(), 1);
    QCOMPARE(m_bench->console.x(), 0);
}

void TestCardTests::counterRead_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("time");
    QTest::addColumn<QString>("line");

    // While counting: tdata stands in the third print zone, at column 28.
    QTest::newRow("status 0 count 123 time 10000")
        << 0 << 123 << 10000 << "CNT0 cnt data 123           tdata 10000 ";
    QTest::newRow("status 0 count -5 time 0")
        << 0 << -5 << 0 << "CNT0 cnt data-5             tdata 0 ";
    QTest::newRow("status 0 count int32 min time int32 max")
        << 0 << int32Min << int32Max << "CNT0 cnt data-2147483648    tdata 2147483647 ";

    // Count over: the time in 0.1 us and in milliseconds.
    const QString over = QStringLiteral("CNT0 Over and timer data is ok ! tdata");
    QTest::newRow("status 1 time 10000 is 1 ms")
        << 1 << 99 << 10000 << over + " 10000   time 1 mS";
    QTest::newRow("status 1 time 5 is 0.0005 ms")
        << 1 << 0 << 5 << over + " 5   time 0.0005 mS";
    QTest::newRow("status 2 time 12345 is 1.2345 ms")
        << 2 << 0 << 12345 << over + " 12345   time 1.2345 mS";
    QTest::newRow("status -1 time 0 is 0 ms") << -1 << 0 << 0 << over + " 0   time 0 mS";
    QTest::newRow("status 1 time -3 is -0.0003 ms")
        << 1 << 0 << -3 << over + "-3   time-0.0003 mS";
    QTest::newRow("status 1 time int32 max is 214748.3647 ms")
        << 1 << 0 << int32Max << over + " 2147483647   time 214748.3647 mS";
}

void TestCardTests::counterRead()
{
    QFETCH(int, status);
    QFETCH(int, count);
    QFETCH(int, time);
    QFETCH(QString, line);

    m_bench->card.cntStatus = status;
    m_bench->card.cntCount = count;
    m_bench->card.cntTime = time;
    m_bench->printEarlierText();
    m_bench->procedures.readCounter();

    QCOMPARE(m_bench->card.calls, QStringList{"CNT_Read(7,0,0,0)"});
    QCOMPARE(m_bench->lines(), (QStringList{"earlier text", hyphens, line}));
    QCOMPARE(m_bench->console.line(), 3);
    QCOMPARE(m_bench->console.x(), 0);
    QCOMPARE(m_bench->window.calls, QStringList{});
}

void TestCardTests::counterReadsAppendAndStartFromZero()
{
    FakeCard &card = m_bench->card;
    m_bench->procedures.startCounter();
    card.cntCount = 123;
    card.cntTime = 10000;
    m_bench->procedures.readCounter();
    card.cntStatus = 1;
    card.cntTime = 20000;
    m_bench->procedures.readCounter();

    // Each read hands the card zeros, whatever the last read left.
    QCOMPARE(card.calls,
             (QStringList{"CNT_Run(7,0,10000)", "CNT_Read(7,0,0,0)", "CNT_Read(7,0,0,0)"}));
    QCOMPARE(m_bench->lines(),
             (QStringList{"CNT0 run, initial data 10000 ", hyphens,
                          "CNT0 cnt data 123           tdata 10000 ", hyphens,
                          "CNT0 Over and timer data is ok ! tdata 20000   time 2 mS"}));
}

void TestCardTests::eepromListsWrittenAndReadBytes_data()
{
    QTest::addColumn<bool>("storesWrites");
    QTest::addColumn<int>("bytesFilled");
    QTest::addColumn<QString>("readLine");

    QTest::newRow("card echoes the block") << true << 32 << writtenBytes;
    QTest::newRow("card fills the whole 33-byte block") << true << 33 << writtenBytes;
    QTest::newRow("card fills 4 bytes, the rest show 0")
        << true << 4 << " 0  1  2  3  0  0  0  0  0  0 ";
    QTest::newRow("card fills no byte") << true << 0 << " 0  0  0  0  0  0  0  0  0  0 ";
    QTest::newRow("card keeps its own bytes 200 on")
        << false << 32 << " 200  201  202  203  204  205  206  207  208  209 ";
    QTest::newRow("card keeps its own bytes, fills 3")
        << false << 3 << " 200  201  202  0  0  0  0  0  0  0 ";
}

void TestCardTests::eepromListsWrittenAndReadBytes()
{
    QFETCH(bool, storesWrites);
    QFETCH(int, bytesFilled);
    QFETCH(QString, readLine);

    FakeCard &card = m_bench->card;
    card.eepromStoresWrites = storesWrites;
    card.eepromBytesFilled = std::size_t(bytesFilled);
    for (std::size_t i = 0; i < card.eeprom.size(); ++i)
        card.eeprom[i] = std::uint8_t(200 + i);
    m_bench->printEarlierText();
    m_bench->procedures.testEeprom();

    QCOMPARE(card.calls, (QStringList{"EEPROM_Write(7)", "EEPROM_Read(7)"}));
    std::vector<std::uint8_t> block(FakeCard::eepromBlockSize, 0);
    for (std::uint8_t i = 0; i <= 9; ++i)
        block[i] = i;
    QCOMPARE(card.eepromWritten, block);

    QCOMPARE(m_bench->lines(), (QStringList{"", "write  EEPROM data", writtenBytes,
                                            "Read   EEPROM data", readLine}));
    // The read bytes' line is left open.
    QCOMPARE(m_bench->console.line(), 4);
    QCOMPARE(m_bench->console.x(), int(readLine.size()));
    QCOMPARE(m_bench->window.calls, QStringList{});
}

QTEST_APPLESS_MAIN(TestCardTests)
#include "tst_cardtests.moc"
