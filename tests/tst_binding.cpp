#include "cardlibrary.h"
#include "cardlocator.h"
#include "fatalerror.h"

#include <QTest>

#include <dlfcn.h>

#include <functional>

using namespace device;

using CardCall = std::function<QString(Card &)>;
Q_DECLARE_METATYPE(CardCall)

namespace {

QString fixture(const char *name)
{
    return QStringLiteral(FIXTURES_DIR "/%1/libZK583.so").arg(QLatin1String(name));
}

CardLibrary fixtureLibrary(const char *name)
{
    return CardLibrary({{fixture(name).toStdString(), false}});
}

/// What the fixture library last recorded.
QString lastCall(const char *name)
{
    void *module = dlopen(fixture(name).toUtf8().constData(), RTLD_NOW | RTLD_NOLOAD);
    auto lastCallOf = reinterpret_cast<const char *(*)()>(dlsym(module, "fixture_lastCall"));
    const QString call = lastCallOf ? QString::fromLatin1(lastCallOf()) : QString();
    if (module)
        dlclose(module);
    return call;
}

} // namespace

class TestBinding : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_fatalErrors.clear();
        setFatalErrorHandler([this](const std::string &message) {
            m_fatalErrors << QString::fromStdString(message);
        });
    }
    void cleanup() { setFatalErrorHandler(nullptr); }

    void everyEntryPointReachesItsNamesake_data();
    void everyEntryPointReachesItsNamesake();
    void namesMatchTheTable();

    void missingPieceIsFatalAndNamed_data();
    void missingPieceIsFatalAndNamed();
    void entryPointsAreResolvedOnFirstCallOnly();

    void candidatesPutTheInstalledLibraryFirst();
    void fallsBackToTheNextCandidate();

private:
    QStringList m_fatalErrors;
};

void TestBinding::everyEntryPointReachesItsNamesake_data()
{
    QTest::addColumn<CardCall>("call");
    QTest::addColumn<QString>("recorded");
    QTest::addColumn<QString>("result");

    auto n = [](auto value) { return QString::number(value); };
    QTest::newRow("OpenDevice") << CardCall([=](Card &c) { return n(c.OpenDevice(0)); })
                                << "OpenDevice(0)" << "420";
    QTest::newRow("CAL") << CardCall([=](Card &c) { return n(c.CAL(420)); }) << "CAL(420)" << "0";
    QTest::newRow("AD") << CardCall([=](Card &c) { return n(c.AD(420, 3, 4, 0, 1)); })
                        << "AD(420,3,4,0,1)" << "2051";
    QTest::newRow("ADV") << CardCall([=](Card &c) { return n(c.ADV(4, 25)); }) << "ADV(4,25)"
                         << "12.5";
    QTest::newRow("TAD") << CardCall([=](Card &c) { return n(c.TAD(420, 0, 15, 0, 0, 50)); })
                         << "TAD(420,0,15,0,0,50)" << "0";
    QTest::newRow("TAD_Poll") << CardCall([=](Card &c) { return n(c.TAD_Poll(420)); })
                              << "TAD_Poll(420)" << "1600";
    QTest::newRow("TAD_Read") << CardCall([=](Card &c) {
        std::int32_t samples[4] = {-1, -1, -1, -1};
        c.TAD_Read(420, samples, 3);
        return QStringLiteral("%1 %2 %3 %4").arg(samples[0]).arg(samples[1]).arg(samples[2]).arg(samples[3]);
    }) << "TAD_Read(420,3)" << "0 1 2 -1";
    QTest::newRow("TAD_Stop") << CardCall([=](Card &c) { return n(c.TAD_Stop(420)); })
                              << "TAD_Stop(420)" << "0";
    QTest::newRow("DO") << CardCall([=](Card &c) { return n(c.DO(420, 0x55AA)); })
                        << "DO(420,21930)" << "0";
    QTest::newRow("DI") << CardCall([=](Card &c) { return n(c.DI(420)); }) << "DI(420)" << "4660";
    QTest::newRow("DA_INI") << CardCall([=](Card &c) { return n(c.DA_INI(420)); })
                            << "DA_INI(420)" << "0";
    QTest::newRow("DA") << CardCall([=](Card &c) { return n(c.DA(420, 1, 2, 4095)); })
                        << "DA(420,1,2,4095)" << "0";
    QTest::newRow("PRun") << CardCall([=](Card &c) { return n(c.PRun(420, 1, 1, 20000, 10)); })
                          << "PRun(420,1,1,20000,10)" << "0";
    QTest::newRow("PEnd") << CardCall([=](Card &c) { return n(c.PEnd(420, 1)); })
                          << "PEnd(420,1)" << "0";
    QTest::newRow("CNT_Run") << CardCall([=](Card &c) { return n(c.CNT_Run(420, 0, 10000)); })
                             << "CNT_Run(420,0,10000)" << "0";
    QTest::newRow("CNT_Read") << CardCall([=](Card &c) {
        std::int32_t count = 0, time = 0;
        const int status = c.CNT_Read(420, 0, &count, &time);
        return QStringLiteral("%1 %2 %3").arg(status).arg(count).arg(time);
    }) << "CNT_Read(420,0)" << "0 123 10000";
    QTest::newRow("EEPROM_Write") << CardCall([=](Card &c) {
        const std::uint8_t block[33] = {7, 1, 2, 3, 4, 5, 6, 7, 8, 9};
        return n(c.EEPROM_Write(420, block));
    }) << "EEPROM_Write(420,7..9)" << "0";
    QTest::newRow("EEPROM_Read") << CardCall([=](Card &c) {
        std::uint8_t block[33] = {};
        c.EEPROM_Read(420, block);
        return QStringLiteral("%1 %2 %3").arg(block[0]).arg(block[31]).arg(block[32]);
    }) << "EEPROM_Read(420)" << "165 165 0";
}

void TestBinding::everyEntryPointReachesItsNamesake()
{
    QFETCH(CardCall, call);
    QFETCH(QString, recorded);
    QFETCH(QString, result);

    CardLibrary library = fixtureLibrary("complete");
    LibraryCard card(library);
    QCOMPARE(call(card), result);
    QCOMPARE(lastCall("complete"), recorded);
    QCOMPARE(m_fatalErrors, QStringList());
}

void TestBinding::namesMatchTheTable()
{
    QCOMPARE(entryPointCount, std::size_t{21});
    QCOMPARE(entryPointName(EntryPoint::OpenDevice), "ZK583_OpenDevice");
    QCOMPARE(entryPointName(EntryPoint::TAD_Poll), "ZK583_TAD_Poll");
    QCOMPARE(entryPointName(EntryPoint::EEPROM_Read), "ZK583_EEPROM_Read");
}

void TestBinding::missingPieceIsFatalAndNamed_data()
{
    QTest::addColumn<QString>("library");
    QTest::addColumn<CardCall>("call");
    QTest::addColumn<QStringList>("named");
    QTest::addColumn<QString>("fallback");

    const CardCall open = [](Card &c) { return QString::number(c.OpenDevice(0)); };
    const CardCall pend = [](Card &c) { return QString::number(c.PEnd(420, 0)); };
    QTest::newRow("missing file")
        << fixture("absent") << open
        << QStringList{fixture("absent"), "cannot open shared object file"} << "-1";
    QTest::newRow("missing ZK583_OpenDevice")
        << fixture("noopen") << open << QStringList{fixture("noopen"), "ZK583_OpenDevice"} << "-1";
    QTest::newRow("missing ZK583_PEnd")
        << fixture("nopend") << pend << QStringList{fixture("nopend"), "ZK583_PEnd"} << "0";
}

void TestBinding::missingPieceIsFatalAndNamed()
{
    QFETCH(QString, library);
    QFETCH(CardCall, call);
    QFETCH(QStringList, named);
    QFETCH(QString, fallback);

    CardLibrary cardLibrary({{library.toStdString(), false}});
    LibraryCard card(cardLibrary);
    QCOMPARE(call(card), fallback);
    QCOMPARE(m_fatalErrors.size(), 1);
    for (const QString &name : named)
        QVERIFY2(m_fatalErrors.front().contains(name), qPrintable(m_fatalErrors.front()));
}

void TestBinding::entryPointsAreResolvedOnFirstCallOnly()
{
    // A library missing ZK583_PEnd serves every other call; only the first
    // call of the missing one fails.
    CardLibrary library = fixtureLibrary("nopend");
    LibraryCard card(library);
    QCOMPARE(card.OpenDevice(0), 420);
    QCOMPARE(card.DI(420), 0x1234);
    QCOMPARE(m_fatalErrors, QStringList());
    QCOMPARE(library.resolve(EntryPoint::DI), library.resolve(EntryPoint::DI));
    card.PEnd(420, 0);
    QCOMPARE(m_fatalErrors.size(), 1);
}

void TestBinding::candidatesPutTheInstalledLibraryFirst()
{
    const auto candidates = cardLibraryCandidates("/opt/zk583/bin");
    QCOMPARE(candidates.size(), std::size_t{2});
    QCOMPARE(candidates[0].file, std::string("libZK583.so"));
    QVERIFY(!candidates[0].simulated);
    QCOMPARE(candidates[1].file, std::string("/opt/zk583/bin/libZK583.so"));
    QVERIFY(candidates[1].simulated);

    // Never a path relative to the current directory.
    QCOMPARE(cardLibraryCandidates("bin").size(), std::size_t{1});
    QCOMPARE(cardLibraryCandidates("").size(), std::size_t{1});
}

void TestBinding::fallsBackToTheNextCandidate()
{
    CardLibrary library({{fixture("absent").toStdString(), false},
                         {fixture("complete").toStdString(), true}});
    QVERIFY(library.load());
    QCOMPARE(m_fatalErrors, QStringList());
    QVERIFY(library.loaded()->simulated);
    LibraryCard card(library);
    QCOMPARE(card.OpenDevice(0), 420);
}

QTEST_APPLESS_MAIN(TestBinding)
#include "tst_binding.moc"
