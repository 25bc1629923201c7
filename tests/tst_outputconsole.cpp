#include "consoletext.h"
#include "formats.h"
#include "outputconsole.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace console;

Q_DECLARE_METATYPE(console::Item)
Q_DECLARE_METATYPE(console::Pattern)

class TestOutputConsole : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_console.clear(); }

    void itemText_data();
    void itemText();
    void hexText_data();
    void hexText();
    void formatPattern_data();
    void formatPattern();

    void statementsShareLinesAndZones();
    void commaMovesToTheNextZoneToTheRight();
    void emptyTextEndsAnOpenLineOrMakesAnEmptyOne();
    void clearReturnsToTheTopLeftCorner();
    void zonesFollowTheColumnWidth();

private:
    FixedWidthMetrics m_metrics;
    OutputConsole m_console{m_metrics};
};

void TestOutputConsole::itemText_data()
{
    QTest::addColumn<Item>("item");
    QTest::addColumn<QString>("drawn");

    QTest::newRow("text unchanged") << Item("CH") << "CH";
    QTest::newRow("chinese text") << Item("停止脉冲输出") << "停止脉冲输出";
    QTest::newRow("byte 255") << Item(std::uint8_t{255}) << " 255 ";
    QTest::newRow("int16 -32768") << Item(std::int16_t{-32768}) << "-32768 ";
    QTest::newRow("int32 -7") << Item(std::int32_t{-7}) << "-7 ";
    QTest::newRow("int32 0") << Item(std::int32_t{0}) << " 0 ";
    QTest::newRow("int32 min") << Item(std::numeric_limits<std::int32_t>::min()) << "-2147483648 ";
    QTest::newRow("real 1.5") << Item(1.5) << " 1.5 ";
    QTest::newRow("real 2") << Item(2.0) << " 2 ";
    QTest::newRow("real -0.0005") << Item(-0.0005) << "-0.0005 ";
    QTest::newRow("real 0.1+0.2 to 15 digits") << Item(0.1 + 0.2) << " 0.3 ";
    QTest::newRow("real 1/3") << Item(1.0 / 3) << " 0.333333333333333 ";
    QTest::newRow("real 1e20 without exponent") << Item(1e20) << " 100000000000000000000 ";
    QTest::newRow("real 1.5e-7 without exponent") << Item(1.5e-7) << " 0.00000015 ";
    QTest::newRow("real 10000") << Item(10000.0) << " 10000 ";
    QTest::newRow("real NaN") << Item(std::nan("")) << " NaN ";
}

void TestOutputConsole::itemText()
{
    QFETCH(Item, item);
    QFETCH(QString, drawn);
    QCOMPARE(QString::fromStdString(item.text()), drawn);
}

void TestOutputConsole::hexText_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("hex -1") << -1 << "FFFFFFFF";
    QTest::newRow("hex -2") << -2 << "FFFFFFFE";
    QTest::newRow("hex 420") << 420 << "1A4";
    QTest::newRow("hex 0") << 0 << "0";
    QTest::newRow("hex 255") << 255 << "FF";
    QTest::newRow("hex int32 min") << std::numeric_limits<int>::min() << "80000000";
}

void TestOutputConsole::hexText()
{
    QFETCH(int, value);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(console::hexText(value)), text);
}

void TestOutputConsole::formatPattern_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<Pattern>("pattern");
    QTest::addColumn<QString>("text");

    QTest::newRow("######## of 0") << 0.0 << Pattern::Digits << "";
    QTest::newRow("######## of 96") << 96.0 << Pattern::Digits << "96";
    QTest::newRow("######## of 200064") << 200064.0 << Pattern::Digits << "200064";
    QTest::newRow("######## of 2.5 rounds up") << 2.5 << Pattern::Digits << "3";
    QTest::newRow("######## of -4.4") << -4.4 << Pattern::Digits << "-4";
    QTest::newRow("######## of 0.4 is empty") << 0.4 << Pattern::Digits << "";
    QTest::newRow("000.00 of 1.5") << 1.5 << Pattern::ThreeDotTwo << "001.50";
    QTest::newRow("000.00 of 123.456") << 123.456 << Pattern::ThreeDotTwo << "123.46";
    QTest::newRow("000.00 of -2.25") << -2.25 << Pattern::ThreeDotTwo << "-002.25";
    QTest::newRow("000.00 of -5000") << -5000.0 << Pattern::ThreeDotTwo << "-5000.00";
    QTest::newRow("000.00 of 12.5") << 12.5 << Pattern::ThreeDotTwo << "012.50";
    QTest::newRow("000.00 of 0") << 0.0 << Pattern::ThreeDotTwo << "000.00";
    QTest::newRow("000.00 of -0.001 has no sign") << -0.001 << Pattern::ThreeDotTwo << "000.00";
    QTest::newRow("000.00 of 999.999") << 999.999 << Pattern::ThreeDotTwo << "1000.00";
    QTest::newRow("000.00 of NaN") << std::nan("") << Pattern::ThreeDotTwo << "NaN";
}

void TestOutputConsole::formatPattern()
{
    QFETCH(double, value);
    QFETCH(Pattern, pattern);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(console::formatPattern(value, pattern)), text);
}

void TestOutputConsole::statementsShareLinesAndZones()
{
    m_console.print("CH", Semi, 5, Comma, "Data", Semi, -12, LineEnd);
    m_console.print("CH", Semi, 3, Comma, "Data", Semi, 512, Comma, "V", Semi, "012.50", Semi,
                    "mV", LineEnd);

    QCOMPARE(consoleLines(m_console), QStringList({
        "CH 5          Data-12 ",
        "CH 3          Data 512      V012.50mV",
    }));
    QCOMPARE(m_console.line(), 2);
    QCOMPARE(m_console.x(), 0);
    // What the window draws again after a statement: all of the text.
    QCOMPARE(m_console.usedWidth(), int(consoleLines(m_console).at(1).size()));
    QCOMPARE(m_console.usedLines(), 2);
}

void TestOutputConsole::commaMovesToTheNextZoneToTheRight()
{
    m_console.print("", Comma);                       // at a zone start: on to the next
    QCOMPARE(m_console.x(), 14);
    m_console.print("exactly fourte", Comma);         // ends on a zone start
    QCOMPARE(m_console.x(), 42);
    m_console.print("x", Semi);
    QCOMPARE(m_console.x(), 43);
    QCOMPARE(m_console.line(), 0);
}

void TestOutputConsole::emptyTextEndsAnOpenLineOrMakesAnEmptyOne()
{
    m_console.print("", LineEnd);
    m_console.print("open", Semi);
    m_console.print("", LineEnd);
    m_console.print(" ", LineEnd);
    QCOMPARE(consoleLines(m_console), QStringList({"", "open", " "}));
    QCOMPARE(m_console.line(), 3);
    QCOMPARE(m_console.usedLines(), 3);
}

void TestOutputConsole::clearReturnsToTheTopLeftCorner()
{
    for (int i = 0; i < OutputConsole::keptLines + 10; ++i)
        m_console.print("past the bottom edge", LineEnd);
    m_console.print("open", Semi);
    QCOMPARE(m_console.line(), OutputConsole::keptLines + 10);
    QCOMPARE(int(m_console.runs().size()), OutputConsole::keptLines);

    m_console.clear();
    QVERIFY(m_console.runs().empty());
    QCOMPARE(m_console.usedWidth(), 0);
    QCOMPARE(m_console.usedLines(), 0);
    m_console.print("top", Semi);
    QCOMPARE(consoleLines(m_console), QStringList({"top"}));
    QCOMPARE(m_console.runs().front().x, 0);
}

void TestOutputConsole::zonesFollowTheColumnWidth()
{
    // Text twice as wide as a column: zones still fall every 14 columns.
    struct WideMetrics : TextMetrics
    {
        int textWidth(std::string_view text) const override { return 14 * characterCount(text); }
        int columnWidth() const override { return 7; }
        int lineHeight() const override { return 20; }
    } metrics;
    OutputConsole console(metrics);
    console.print("CH", Semi, 5, Comma, "Data", LineEnd);
    // "CH" and " 5 " follow each other: one run, 70 wide; the next zone is at 98.
    QCOMPARE(console.runs().at(0).width, 70);
    QCOMPARE(console.runs().at(1).x, 98);
}

QTEST_APPLESS_MAIN(TestOutputConsole)
#include "tst_outputconsole.moc"
