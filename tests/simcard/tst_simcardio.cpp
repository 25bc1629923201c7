// Opening, handles, digital and analog I/O, the ranges, the test signals, the EEPROM.

#include "cardfixture.h"
#include "ranges.h"
#include "testsignals.h"

#include <QtTest>

#include <array>
#include <cmath>
#include <cstring>
#include <functional>

using namespace simcard;
using namespace std::chrono_literals;

class TestSimCardIo : public QObject
{
    Q_OBJECT

private slots:
    void opening();
    void refusedHandles_data();
    void refusedHandles();
    void digitalLoopback();
    void inputRanges_data();
    void inputRanges();
    void rawToMillivoltsRejectsUnknown();
    void analogLoopback_data();
    void analogLoopback();
    void analogOutputRefusals();
    void testSignals_data();
    void testSignals();
    void eepromRoundTrip();
};

void TestSimCardIo::opening()
{
    ManualClock clock;
    SimulatedCard card(clock);
    QCOMPARE(card.openDevice(1), -1);
    QCOMPARE(card.openDevice(-1), -1);
    QCOMPARE(card.digitalInput(0x583), -1); // not open yet
    QCOMPARE(card.openDevice(0), 1411);
    QCOMPARE(card.openDevice(0), 1411);
    QCOMPARE(card.calibrate(1411), 0);
    QCOMPARE(card.calibrate(1411), 0);
    QCOMPARE(card.calibrationCount(), 2);
    QCOMPARE(card.closeDevice(1411), 0);
    QCOMPARE(card.digitalInput(1411), -1);
    QCOMPARE(card.closeDevice(1411), -1);

    SimulatedCard absent(clock, CardOptions{true, 0});
    QCOMPARE(absent.openDevice(0), -1);
}

using CardCall = std::function<std::int32_t(SimulatedCard &, std::int32_t handle)>;
Q_DECLARE_METATYPE(CardCall)

void TestSimCardIo::refusedHandles_data()
{
    QTest::addColumn<CardCall>("call");
    QTest::addColumn<std::int32_t>("handle");

    const std::array<std::pair<const char *, CardCall>, 20> calls{{
        {"CloseDevice", [](SimulatedCard &c, std::int32_t h) { return c.closeDevice(h); }},
        {"CAL", [](SimulatedCard &c, std::int32_t h) { return c.calibrate(h); }},
        {"AD", [](SimulatedCard &c, std::int32_t h) { return c.analogInput(h, 2, 4, 0, 1); }},
        {"TAD", [](SimulatedCard &c, std::int32_t h) { return c.startScan(h, 0, 15, 0, 0, 50); }},
        {"TAD_Poll", [](SimulatedCard &c, std::int32_t h) { return c.pollScan(h); }},
        {"TAD_Read", [](SimulatedCard &c, std::int32_t h) {
             std::array<std::int32_t, 4> out{7, 7, 7, 7};
             const std::int32_t r = c.readScan(h, out.data(), 4);
             return out == std::array<std::int32_t, 4>{7, 7, 7, 7} ? r : 99;
         }},
        {"TAD_Stop", [](SimulatedCard &c, std::int32_t h) { return c.stopScan(h); }},
        {"LostSamples", [](SimulatedCard &c, std::int32_t h) { return c.lostSamples(h); }},
        {"DO", [](SimulatedCard &c, std::int32_t h) { return c.digitalOutput(h, 1); }},
        {"DI", [](SimulatedCard &c, std::int32_t h) { return c.digitalInput(h); }},
        {"DA_INI", [](SimulatedCard &c, std::int32_t h) { return c.resetAnalogOutputs(h); }},
        {"DA", [](SimulatedCard &c, std::int32_t h) { return c.analogOutput(h, 0, 1, 4095); }},
        {"PRun", [](SimulatedCard &c, std::int32_t h) { return c.startPulse(h, 0, 0, 10000, 5000); }},
        {"PEnd", [](SimulatedCard &c, std::int32_t h) { return c.endPulse(h, 0); }},
        {"PState", [](SimulatedCard &c, std::int32_t h) { return c.pulseState(h, 0); }},
        {"PSetData", [](SimulatedCard &c, std::int32_t h) { return c.setPulseData(h, 0, 100, 50); }},
        {"CNT_Run", [](SimulatedCard &c, std::int32_t h) { return c.startCounter(h, 0, 10); }},
        {"CNT_Read", [](SimulatedCard &c, std::int32_t h) {
             std::int32_t count = 7, time = 7;
             const std::int32_t r = c.readCounter(h, 0, &count, &time);
             return count == 7 && time == 7 ? r : 99;
         }},
        {"EEPROM_Write", [](SimulatedCard &c, std::int32_t h) {
             const std::array<std::uint8_t, 33> block{};
             const std::int32_t r = c.writeEeprom(h, block.data());
             std::array<std::uint8_t, 33> check{};
             c.readEeprom(0x583, check.data());
             return check[0] == 0xFF ? r : 99; // the erased contents survived
         }},
        {"EEPROM_Read", [](SimulatedCard &c, std::int32_t h) {
             std::array<std::uint8_t, 33> block{};
             const std::int32_t r = c.readEeprom(h, block.data());
             return block == std::array<std::uint8_t, 33>{} ? r : 99;
         }},
    }};
    for (const auto &[name, call] : calls) {
        QTest::addRow("%s, handle 0", name) << call << 0;
        QTest::addRow("%s, handle -1", name) << call << -1;
        QTest::addRow("%s, handle 0x584", name) << call << 0x584;
    }
}

void TestSimCardIo::refusedHandles()
{
    QFETCH(CardCall, call);
    QFETCH(std::int32_t, handle);

    CardFixture f;
    QCOMPARE(f.card.digitalOutput(f.handle, 0x1234), 0);
    QCOMPARE(call(f.card, handle), -1);
    QCOMPARE(f.card.digitalInput(f.handle), 0x1234);
    QCOMPARE(f.card.calibrationCount(), 0);
}

void TestSimCardIo::digitalLoopback()
{
    CardFixture f;
    QCOMPARE(f.card.digitalInput(f.handle), 0xFFFF);
    QCOMPARE(f.card.digitalOutput(f.handle, 0x55AA), 0);
    QCOMPARE(f.card.digitalInput(f.handle), 0x55AA);
    QCOMPARE(f.card.digitalOutput(f.handle, 0), 0);
    QCOMPARE(f.card.digitalInput(f.handle), 0);
    QCOMPARE(f.card.digitalOutput(f.handle, 0x10000), -1);
    QCOMPARE(f.card.digitalOutput(f.handle, -1), -1);
    QCOMPARE(f.card.digitalInput(f.handle), 0);
}

void TestSimCardIo::inputRanges_data()
{
    QTest::addColumn<std::int32_t>("code");
    QTest::addColumn<double>("lowMillivolts");
    QTest::addColumn<double>("highMillivolts");

    QTest::newRow("0: 0..+5 V") << 0 << 0.0 << 5000.0;
    QTest::newRow("1: 0..+10 V") << 1 << 0.0 << 10000.0;
    QTest::newRow("2: -2.5..+2.5 V") << 2 << -2500.0 << 2500.0;
    QTest::newRow("3: -5..+5 V") << 3 << -5000.0 << 5000.0;
    QTest::newRow("4: -10..+10 V") << 4 << -10000.0 << 10000.0;
}

void TestSimCardIo::inputRanges()
{
    QFETCH(std::int32_t, code);
    QFETCH(double, lowMillivolts);
    QFETCH(double, highMillivolts);

    const double step = (highMillivolts - lowMillivolts) / 4096;
    QCOMPARE(SimulatedCard::rawToMillivolts(code, 0), lowMillivolts);
    QCOMPARE(SimulatedCard::rawToMillivolts(code, 2048), (lowMillivolts + highMillivolts) / 2);
    QCOMPARE(SimulatedCard::rawToMillivolts(code, 4095), highMillivolts - step);

    // The converter picks the nearest step and clips at both ends, and every
    // code read back gives the voltage it stands for.
    const InputRange &range = *findInputRange(code);
    QCOMPARE(millivoltsToRaw(range, lowMillivolts - 1000), 0);
    QCOMPARE(millivoltsToRaw(range, highMillivolts + 1000), 4095);
    QCOMPARE(millivoltsToRaw(range, lowMillivolts + 10 * step + 0.49 * step), 10);
    QCOMPARE(millivoltsToRaw(range, lowMillivolts + 10 * step + 0.51 * step), 11);
    for (std::int32_t raw = 0; raw <= 4095; raw += 13)
        QCOMPARE(millivoltsToRaw(range, SimulatedCard::rawToMillivolts(code, raw)), raw);
}

void TestSimCardIo::rawToMillivoltsRejectsUnknown()
{
    QVERIFY(std::isnan(SimulatedCard::rawToMillivolts(5, 100)));
    QVERIFY(std::isnan(SimulatedCard::rawToMillivolts(-1, 100)));
    QVERIFY(std::isnan(SimulatedCard::rawToMillivolts(4, 4096)));
    QVERIFY(std::isnan(SimulatedCard::rawToMillivolts(4, -1)));

    CardFixture f;
    QCOMPARE(f.card.analogInput(f.handle, 2, 5, 0, 1), -1);
    QCOMPARE(f.card.analogInput(f.handle, 16, 4, 0, 1), -1);
    QCOMPARE(f.card.analogInput(f.handle, -1, 4, 0, 1), -1);
}

void TestSimCardIo::analogLoopback_data()
{
    QTest::addColumn<std::int32_t>("output");
    QTest::addColumn<std::int32_t>("outputRange");
    QTest::addColumn<std::int32_t>("code");
    QTest::addColumn<double>("millivolts");
    QTest::addColumn<std::int32_t>("inputRange");
    QTest::addColumn<std::int32_t>("raw");

    QTest::newRow("out 0, 0..10 V, 4095: 10 V, clipped at +10 V") << 0 << 1 << 4095 << 10000.0 << 4 << 4095;
    QTest::newRow("out 0, 0..10 V, 4095 read in 0..10 V: clipped") << 0 << 1 << 4095 << 10000.0 << 1 << 4095;
    QTest::newRow("out 1, -5..+5 V, 0: -5 V") << 1 << 2 << 0 << -5000.0 << 4 << 1024;
    QTest::newRow("out 1, -5..+5 V, 4095: +5 V") << 1 << 2 << 4095 << 5000.0 << 3 << 4095;
    QTest::newRow("out 0, 0..5 V, 0: 0 V") << 0 << 0 << 0 << 0.0 << 4 << 2048;
    QTest::newRow("out 1, 0..5 V, 4095: 5 V") << 1 << 0 << 4095 << 5000.0 << 4 << 3072;
    QTest::newRow("out 0, -10..+10 V, 0: -10 V") << 0 << 3 << 0 << -10000.0 << 4 << 0;
    QTest::newRow("out 1, -10..+10 V, 2457: ~+2 V") << 1 << 3 << 2457 << 10000.0 * (2 * 2457 - 4095) / 4095.0 << 4 << 2458;
}

void TestSimCardIo::analogLoopback()
{
    QFETCH(std::int32_t, output);
    QFETCH(std::int32_t, outputRange);
    QFETCH(std::int32_t, code);
    QFETCH(double, millivolts);
    QFETCH(std::int32_t, inputRange);
    QFETCH(std::int32_t, raw);

    CardFixture f;
    QCOMPARE(f.card.analogOutput(f.handle, output, outputRange, code), 0);
    QCOMPARE(f.card.analogOutputMillivolts(output), millivolts);
    QCOMPARE(f.card.analogInput(f.handle, output, inputRange, 0, 1), raw);
    // The other output still drives 0 V.
    QCOMPARE(f.card.analogInput(f.handle, 1 - output, 4, 0, 1), 2048);

    QCOMPARE(f.card.resetAnalogOutputs(f.handle), 0);
    QCOMPARE(f.card.analogInput(f.handle, output, 4, 0, 1), 2048);
}

void TestSimCardIo::analogOutputRefusals()
{
    CardFixture f;
    QCOMPARE(f.card.analogOutput(f.handle, 0, 2, 4095), 0);
    QCOMPARE(f.card.analogOutput(f.handle, 2, 1, 100), -1);
    QCOMPARE(f.card.analogOutput(f.handle, -1, 1, 100), -1);
    QCOMPARE(f.card.analogOutput(f.handle, 0, 4, 100), -1);
    QCOMPARE(f.card.analogOutput(f.handle, 0, 1, 4096), -1);
    QCOMPARE(f.card.analogOutput(f.handle, 0, 1, -1), -1);
    QCOMPARE(f.card.analogOutputMillivolts(0), 5000.0);
}

void TestSimCardIo::testSignals_data()
{
    QTest::addColumn<std::int32_t>("channel");
    QTest::addColumn<qint64>("atNanoseconds");
    QTest::addColumn<double>("millivolts");

    const double period = double(patternPeriodNanoseconds);
    QTest::newRow("2: +5 V reference") << 2 << qint64(123456789) << 5000.0;
    QTest::newRow("3: -2.5 V reference") << 3 << qint64(987654321) << -2500.0;
    QTest::newRow("4: ground") << 4 << qint64(5) << 0.0;
    QTest::newRow("5: +1 V reference") << 5 << qint64(0) << 1000.0;
    QTest::newRow("6: sine peak at a quarter cycle") << 6 << qint64(period / 64 / 4) << 5000.0;
    QTest::newRow("6: sine trough, 100 patterns later") << 6 << qint64(100 * period + period / 64 * 3 / 4) << -5000.0;
    QTest::newRow("9: triangle low at the cycle start") << 9 << qint64(period / 32 * 7) << -4000.0;
    QTest::newRow("9: triangle high at half cycle") << 9 << qint64(period / 32 / 2) << 4000.0;
    QTest::newRow("11: square high in the first half") << 11 << qint64(period / 16 / 4) << 3000.0;
    QTest::newRow("11: square low in the second half") << 11 << qint64(period / 16 * 3 / 4) << -3000.0;
    QTest::newRow("12: 0/+5 V square, low") << 12 << qint64(period / 512 * 3 / 4) << 0.0;
    QTest::newRow("13: sine on +2 V, crest") << 13 << qint64(period / 4 / 4) << 2500.0;
    QTest::newRow("14: +9.5 V") << 14 << qint64(1) << 9500.0;
}

void TestSimCardIo::testSignals()
{
    QFETCH(std::int32_t, channel);
    QFETCH(qint64, atNanoseconds);
    QFETCH(double, millivolts);

    const double computed = channelMillivoltsAt(channel, atNanoseconds, {0.0, 0.0});
    QVERIFY2(std::fabs(computed - millivolts) < 1e-6, qPrintable(QString::number(computed)));

    // A single-shot conversion at that moment reads the same, to the nearest step of -10..+10 V.
    CardFixture f;
    f.advance(std::chrono::nanoseconds(atNanoseconds));
    const std::int32_t raw = f.card.analogInput(f.handle, channel, 4, 0, 1);
    QVERIFY(std::fabs(SimulatedCard::rawToMillivolts(4, raw) - std::min(millivolts, 9995.1171875))
            <= 20000.0 / 4096 / 2);
}

void TestSimCardIo::eepromRoundTrip()
{
    CardFixture f;
    std::array<std::uint8_t, 33> block{};
    QCOMPARE(f.card.readEeprom(f.handle, block.data()), 0);
    for (std::size_t i = 0; i < 32; ++i)
        QCOMPARE(block[i], std::uint8_t(0xFF));
    QCOMPARE(block[32], std::uint8_t(0));

    std::array<std::uint8_t, 33> written{};
    for (std::uint8_t i = 0; i < 10; ++i)
        written[i] = i;
    written[31] = 0xA5;
    written[32] = 0x77; // beyond the block: never stored
    QCOMPARE(f.card.writeEeprom(f.handle, written.data()), 0);

    // Contents outlive closing and reopening.
    QCOMPARE(f.card.closeDevice(f.handle), 0);
    QCOMPARE(f.card.openDevice(0), f.handle);

    std::array<std::uint8_t, 33> readBack{};
    readBack[32] = 0x3C;
    QCOMPARE(f.card.readEeprom(f.handle, readBack.data()), 0);
    QCOMPARE(std::memcmp(readBack.data(), written.data(), 32), 0);
    QCOMPARE(readBack[32], std::uint8_t(0x3C));

    QCOMPARE(f.card.writeEeprom(f.handle, nullptr), -1);
    QCOMPARE(f.card.readEeprom(f.handle, nullptr), -1);
}

QTEST_APPLESS_MAIN(TestSimCardIo)
#include "tst_simcardio.moc"
