// libZK583.so through its C entry points, as the console loads it: exports,
// refused handles, the call trace and the start-up message for a malformed setting.

#include "zk583sim.h"

#include <QtTest>

#include <QFile>
#include <QTemporaryDir>

#include <array>
#include <cstdio>
#include <dlfcn.h>
#include <unistd.h>

class TestSimCardLibrary : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void malformedSettingIsReported();
    void onlyEntryPointsAreExported();
    void refusedHandleWritesNothing();
    void traceRecordsEachCall();

private:
    template<typename Fn>
    Fn entry(const char *name)
    {
        return reinterpret_cast<Fn>(dlsym(m_library, name));
    }

    QStringList traceLines() const;

    QTemporaryDir m_dir;
    QString m_tracePath;
    QByteArray m_startupErrors;
    void *m_library = nullptr;
};

void TestSimCardLibrary::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_tracePath = m_dir.filePath("trace.txt");
    {
        QFile stale(m_tracePath);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("left from an earlier run\n");
    }
    qputenv("ZK583SIM_TRACE", m_tracePath.toLocal8Bit());
    qputenv("ZK583SIM_SAMPLE_RATE", "fast");
    qunsetenv("ZK583SIM_ABSENT");

    // The settings are read as the library loads: catch what it says on stderr meanwhile.
    const QString errorsPath = m_dir.filePath("stderr.txt");
    std::fflush(stderr);
    const int savedStderr = dup(STDERR_FILENO);
    std::FILE *errors = std::fopen(errorsPath.toLocal8Bit().constData(), "w");
    QVERIFY(errors);
    dup2(fileno(errors), STDERR_FILENO);
    m_library = dlopen(SIMCARD_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    std::fflush(stderr);
    dup2(savedStderr, STDERR_FILENO);
    close(savedStderr);
    std::fclose(errors);
    QVERIFY2(m_library, dlerror());

    QFile errorsFile(errorsPath);
    QVERIFY(errorsFile.open(QIODevice::ReadOnly));
    m_startupErrors = errorsFile.readAll();
}

void TestSimCardLibrary::cleanupTestCase()
{
    qunsetenv("ZK583SIM_TRACE");
    qunsetenv("ZK583SIM_SAMPLE_RATE");
}

QStringList TestSimCardLibrary::traceLines() const
{
    QFile file(m_tracePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

void TestSimCardLibrary::malformedSettingIsReported()
{
    QCOMPARE(m_startupErrors.count('\n'), 1);
    QVERIFY2(m_startupErrors.contains("ZK583SIM_SAMPLE_RATE=\"fast\""), m_startupErrors.constData());
    QVERIFY(traceLines().isEmpty()); // truncated at load, nothing called yet
}

void TestSimCardLibrary::onlyEntryPointsAreExported()
{
#define ZK583_CHECK_EXPORT(ret, name, params) \
    QVERIFY2(dlsym(m_library, "ZK583_" #name), "ZK583_" #name);
    ZK583_ENTRY_POINTS(ZK583_CHECK_EXPORT)
#undef ZK583_CHECK_EXPORT
    QVERIFY(dlsym(m_library, "ZK583SIM_LostSamples"));
    QVERIFY(!dlsym(m_library, "_ZN7simcard13SimulatedCard10openDeviceEi"));
}

void TestSimCardLibrary::refusedHandleWritesNothing()
{
    const auto cntRead = entry<ZK583_CNT_Read_fn>("ZK583_CNT_Read");
    const auto tadRead = entry<ZK583_TAD_Read_fn>("ZK583_TAD_Read");
    const auto eepromRead = entry<ZK583_EEPROM_Read_fn>("ZK583_EEPROM_Read");
    const auto lost = entry<ZK583SIM_LostSamples_fn>("ZK583SIM_LostSamples");

    std::int32_t count = 7, time = 7;
    QCOMPARE(cntRead(1234, 0, &count, &time), -1);
    QCOMPARE(count, 7);
    QCOMPARE(time, 7);
    std::array<std::int32_t, 16> samples{};
    QCOMPARE(tadRead(-1, samples.data(), 16), -1);
    QCOMPARE(samples, (std::array<std::int32_t, 16>{}));
    std::array<std::uint8_t, 33> block{};
    QCOMPARE(eepromRead(0, block.data()), -1);
    QCOMPARE(block, (std::array<std::uint8_t, 33>{}));
    QCOMPARE(lost(0x584), -1);
}

void TestSimCardLibrary::traceRecordsEachCall()
{
    const int before = traceLines().size();
    const std::int32_t h = entry<ZK583_OpenDevice_fn>("ZK583_OpenDevice")(0);
    QCOMPARE(h, 0x583);
    QCOMPARE(entry<ZK583_CAL_fn>("ZK583_CAL")(h), 0);
    QCOMPARE(entry<ZK583_DA_fn>("ZK583_DA")(h, 0, 1, 4095), 0);
    QCOMPARE(entry<ZK583_ADV_fn>("ZK583_ADV")(4, 1024), -5000.0);
    QCOMPARE(entry<ZK583_TAD_fn>("ZK583_TAD")(h, 2, 3, 0, 0, 50), 0);
    std::array<std::int32_t, 2> samples{};
    QCOMPARE(entry<ZK583_TAD_Read_fn>("ZK583_TAD_Read")(h, samples.data(), 0), 0);
    QCOMPARE(entry<ZK583_TAD_Stop_fn>("ZK583_TAD_Stop")(h), 0);
    std::array<std::uint8_t, 33> block{};
    for (std::uint8_t i = 0; i < 10; ++i)
        block[i] = i;
    QCOMPARE(entry<ZK583_EEPROM_Write_fn>("ZK583_EEPROM_Write")(h, block.data()), 0);
    std::int32_t count = 7, time = 7;
    QCOMPARE(entry<ZK583_CNT_Read_fn>("ZK583_CNT_Read")(h, 0, &count, &time), -1);

    // Each line is flushed as it is written: readable at once by another reader.
    const QStringList lines = traceLines().mid(before);
    const QStringList expected{
        "ZK583_OpenDevice(0) = 1411",
        "ZK583_CAL(1411) = 0 calibrations=1",
        "ZK583_DA(1411, 0, 1, 4095) = 0",
        "ZK583_ADV(4, 1024) = -5000",
        "ZK583_TAD(1411, 2, 3, 0, 0, 50) = 0",
        "ZK583_TAD_Read(1411, destination, 0) = 0",
        "ZK583_TAD_Stop(1411) = 0 delivered=0 lost=0",
        "ZK583_EEPROM_Write(1411, block) = 0 block=00 01 02 03 04 05 06 07 08 09 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00",
        "ZK583_CNT_Read(1411, 0, count, time) = -1",
    };
    QCOMPARE(lines, expected);
}

QTEST_APPLESS_MAIN(TestSimCardLibrary)
#include "tst_simcardlibrary.moc"
