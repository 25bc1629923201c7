// The ZK583SIM_ settings: accepted values and malformed ones falling back to the defaults.

#include "settings.h"

#include <QtTest>

#include <map>
#include <string>

using namespace simcard;

class TestSimCardSettings : public QObject
{
    Q_OBJECT

private slots:
    void defaults();
    void values_data();
    void values();
};

namespace {

Settings readFrom(const std::map<std::string, std::string> &environment)
{
    return Settings::read([&environment](const char *name) -> const char * {
        const auto found = environment.find(name);
        return found == environment.end() ? nullptr : found->second.c_str();
    });
}

} // namespace

void TestSimCardSettings::defaults()
{
    const Settings settings = readFrom({{"ZK583SIM_UNKNOWN", "1"}, {"ZK583_ABSENT", "1"}});
    QCOMPARE(settings.absent, false);
    QCOMPARE(settings.sampleRate, 0);
    QVERIFY(settings.tracePath.empty());
    QVERIFY(settings.problems.empty());
}

void TestSimCardSettings::values_data()
{
    QTest::addColumn<QString>("variable");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("absent");
    QTest::addColumn<int>("sampleRate");
    QTest::addColumn<QString>("tracePath");
    QTest::addColumn<bool>("malformed");

    QTest::newRow("absent 1") << "ZK583SIM_ABSENT" << "1" << true << 0 << "" << false;
    QTest::newRow("absent 0") << "ZK583SIM_ABSENT" << "0" << false << 0 << "" << false;
    QTest::newRow("absent empty: unset") << "ZK583SIM_ABSENT" << "" << false << 0 << "" << false;
    QTest::newRow("absent yes: malformed") << "ZK583SIM_ABSENT" << "yes" << false << 0 << "" << true;
    QTest::newRow("absent 01: malformed") << "ZK583SIM_ABSENT" << "01" << false << 0 << "" << true;
    QTest::newRow("rate 1") << "ZK583SIM_SAMPLE_RATE" << "1" << false << 1 << "" << false;
    QTest::newRow("rate 250000") << "ZK583SIM_SAMPLE_RATE" << "250000" << false << 250000 << "" << false;
    QTest::newRow("rate 10000000") << "ZK583SIM_SAMPLE_RATE" << "10000000" << false << 10000000 << "" << false;
    QTest::newRow("rate 10000001: malformed") << "ZK583SIM_SAMPLE_RATE" << "10000001" << false << 0 << "" << true;
    QTest::newRow("rate 0: malformed") << "ZK583SIM_SAMPLE_RATE" << "0" << false << 0 << "" << true;
    QTest::newRow("rate -5: malformed") << "ZK583SIM_SAMPLE_RATE" << "-5" << false << 0 << "" << true;
    QTest::newRow("rate 1e5: malformed") << "ZK583SIM_SAMPLE_RATE" << "1e5" << false << 0 << "" << true;
    QTest::newRow("rate with a space: malformed") << "ZK583SIM_SAMPLE_RATE" << "1000 " << false << 0 << "" << true;
    QTest::newRow("rate fast: malformed") << "ZK583SIM_SAMPLE_RATE" << "fast" << false << 0 << "" << true;
    QTest::newRow("rate past int32: malformed") << "ZK583SIM_SAMPLE_RATE" << "99999999999" << false << 0 << "" << true;
    QTest::newRow("trace path") << "ZK583SIM_TRACE" << "/tmp/zk583 trace.txt" << false << 0 << "/tmp/zk583 trace.txt" << false;
}

void TestSimCardSettings::values()
{
    QFETCH(QString, variable);
    QFETCH(QString, value);
    QFETCH(bool, malformed);

    const Settings settings = readFrom({{variable.toStdString(), value.toStdString()}});
    QTEST(settings.absent, "absent");
    QTEST(int(settings.sampleRate), "sampleRate");
    QTEST(QString::fromStdString(settings.tracePath), "tracePath");
    QCOMPARE(settings.problems.size(), malformed ? 1u : 0u);
    if (malformed) {
        // One line naming the variable and the value it had.
        const QString problem = QString::fromStdString(settings.problems.front());
        QVERIFY2(problem.contains(variable + "=\"" + value + "\""), qPrintable(problem));
        QVERIFY(!problem.contains('\n'));
        QVERIFY(problem.contains("using"));
    }
}

QTEST_APPLESS_MAIN(TestSimCardSettings)
#include "tst_simcardsettings.moc"
