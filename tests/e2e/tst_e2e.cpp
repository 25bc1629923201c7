// End-to-end tests: the real zk583-console, started as a user starts it, in a
// real X server. Clicks land at the buttons' places on screen; what the
// program did is read back from the X server (titles, windows), its exit
// status and stderr, and the simulated card's call trace.
#include "controls.h"
#include "e2esupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <sys/prctl.h>

#include <algorithm>
#include <csignal>
#include <functional>
#include <optional>

namespace {

constexpr int windowTimeoutMs = 10000;
constexpr int exitTimeoutMs = 5000;
/// The simulated card's default rate gives 2 s for the 200,000 samples.
constexpr int acquisitionTimeoutMs = 20000;

const QString simulatedTitle = QStringLiteral(
    "ZK583 Testing Program  Simulated card, no hardware V1.0  HANDLE=583H");
const QString libraryTitle = QStringLiteral(
    "ZK583 Testing Program  Card library libZK583.so V1.0  HANDLE=1A4H");
const QString noCardTitle = QStringLiteral("Error Load ZK583");
const QString messageBoxTitle = QStringLiteral("ZK583 Testing Program");

using namespace e2e;

bool isMainWindowTitle(const QString &title)
{
    return title.startsWith(QStringLiteral("ZK583 Testing Program  ")) || title == noCardTitle;
}

/// Where to start the console from, and with which card library.
struct Launch
{
    QString program = QStringLiteral(CONSOLE_EXE);
    QString workingDirectory;                 ///< empty: a fresh empty folder
    QString libraryPath;                      ///< LD_LIBRARY_PATH; empty: unset
    QHash<QString, QString> environment;      ///< added settings, such as ZK583SIM_ABSENT
    bool trace = true;                        ///< have the simulated card trace its calls
};

/// The console, running on the real display; killed, if still running, when
/// this goes out of scope, whatever the test's outcome.
class RunningConsole
{
public:
    explicit RunningConsole(const Launch &launch)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // The test process itself draws offscreen; the console must not.
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.remove(QStringLiteral("LD_LIBRARY_PATH"));
        if (!launch.libraryPath.isEmpty())
            environment.insert(QStringLiteral("LD_LIBRARY_PATH"), launch.libraryPath);
        if (launch.trace)
            environment.insert(QStringLiteral("ZK583SIM_TRACE"), tracePath());
        for (auto it = launch.environment.cbegin(); it != launch.environment.cend(); ++it)
            environment.insert(it.key(), it.value());

        m_process.setProcessEnvironment(environment);
        m_process.setWorkingDirectory(launch.workingDirectory.isEmpty() ? m_folder.path()
                                                                         : launch.workingDirectory);
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.setStandardErrorFile(m_folder.filePath(QStringLiteral("stderr")));
        // Nor does it outlive a test process that crashes or is killed.
        m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        m_process.start(launch.program, {});
        m_process.waitForStarted(5000);
    }

    ~RunningConsole()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    RunningConsole(const RunningConsole &) = delete;
    RunningConsole &operator=(const RunningConsole &) = delete;

    bool started() const { return m_process.state() == QProcess::Running; }
    QString tracePath() const { return m_folder.filePath(QStringLiteral("trace")); }
    QList<TraceCall> trace() const { return readTrace(tracePath()); }

    QString standardError() const
    {
        QFile file(m_folder.filePath(QStringLiteral("stderr")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    /// This process's windows, or only those mapped.
    QStringList windows(bool onlyVisible = true) const
    {
        QStringList arguments{QStringLiteral("search")};
        if (onlyVisible)
            arguments << QStringLiteral("--onlyvisible");
        arguments << QStringLiteral("--pid") << QString::number(m_process.processId());
        return QString::fromLatin1(runTool(QStringLiteral("xdotool"), arguments).value_or(""))
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    /// The first mapped window whose title passes accept, once one is mapped.
    std::optional<QString> waitForWindow(const std::function<bool(const QString &)> &accept,
                                         int timeoutMs = windowTimeoutMs)
    {
        return pollFor(
            [&]() -> std::optional<QString> {
                restartIfTheDisplayRefusedIt();
                for (const QString &window : windows())
                    if (accept(windowName(window)))
                        return window;
                return std::nullopt;
            },
            timeoutMs);
    }

    std::optional<QString> waitForMainWindow() { return waitForWindow(isMainWindowTitle); }

    std::optional<QString> waitForMessageBox()
    {
        return waitForWindow([](const QString &title) { return title == messageBoxTitle; });
    }

    /// Waits for the trace to hold a call that passes accept.
    bool waitForCall(const std::function<bool(const TraceCall &)> &accept,
                     int timeoutMs = windowTimeoutMs) const
    {
        return pollFor(
            [&] {
                const QList<TraceCall> calls = trace();
                return std::any_of(calls.cbegin(), calls.cend(), accept);
            },
            timeoutMs);
    }

    bool waitForExit(int timeoutMs = exitTimeoutMs)
    {
        return m_process.waitForFinished(timeoutMs);
    }

    /// Sends Return to the window (a message box) until the program ends.
    bool dismissAndWaitForExit(const QString &box)
    {
        const bool ended = pollFor(
            [&] {
                runTool(QStringLiteral("xdotool"),
                        {QStringLiteral("key"), QStringLiteral("--window"), box,
                         QStringLiteral("Return")});
                return m_process.waitForFinished(300);
            },
            exitTimeoutMs);
        // When the box's window goes between the key's press and release, the
        // server keeps Return held down, and the next box would close itself.
        runTool(QStringLiteral("xdotool"), {QStringLiteral("keyup"), QStringLiteral("Return")});
        return ended;
    }

    /// What went on, for a failure message.
    QString diagnosis() const
    {
        QStringList titles;
        for (const QString &window : windows(false))
            titles << window + QStringLiteral(" \"") + windowName(window) + QLatin1Char('"');
        return QStringLiteral("console %1; its windows: %2; stderr: %3")
            .arg(m_process.state() == QProcess::Running
                     ? QStringLiteral("running")
                     : QStringLiteral("ended with %1").arg(exitCode()),
                 titles.join(QStringLiteral(", ")), standardError());
    }

    int exitCode() const
    {
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

private:
    /// Should the X server refuse the console's connection all the same (it
    /// was resetting), the console ends at once, as any Qt program does,
    /// before it has done anything: the test rig's hiccup, not the console's
    /// fault. Start it again.
    void restartIfTheDisplayRefusedIt()
    {
        if (m_process.state() != QProcess::NotRunning || m_restarts >= 2
            || !standardError().contains(QStringLiteral("could not connect to display")))
            return;
        ++m_restarts;
        qWarning("the X server refused the console's connection; starting it again");
        m_process.start();
        m_process.waitForStarted(5000);
    }

    QTemporaryDir m_folder;
    QProcess m_process;
    int m_restarts = 0;
};

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void titleNamesTheCardOrItsAbsence_data();
    void titleNamesTheCardOrItsAbsence();
    void libraryInTheCurrentDirectoryIsNeverLoaded();

    void buttonMakesItsCardCalls_data();
    void buttonMakesItsCardCalls();
    void continuousAcquisitionEndsByItself();
    void exitLeavesARunningScanAlone();
    void singleShotScanScreenshot();

    void missingLibraryOrEntryPointAtStartIsFatal_data();
    void missingLibraryOrEntryPointAtStartIsFatal();
    void missingEntryPointAtFirstClickIsFatal();

private:
    /// Clicks the named control of the console's window, at its place on screen.
    void click(const QString &window, const QString &control);

    QHash<QString, QPoint> m_centres;
    /// An X client held open for the whole run: an X server started without
    /// -noreset resets whenever its last client leaves, and refuses clients
    /// while it does, which would fail a console started just then.
    QProcess m_keepDisplay;
};

void TestEndToEnd::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("DISPLAY is not set: these tests run the console in a real X server "
              "(scripts/test starts one; or start Xvfb and set DISPLAY)");
    for (const char *tool : {"xdotool", "xprop", "import"})
        QVERIFY2(!QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty(),
                 qPrintable(QStringLiteral("%1 is not installed").arg(QLatin1String(tool))));
    QVERIFY2(QFileInfo::exists(QStringLiteral(SIMCARD_LIB)), "the simulated card is not built");

    m_keepDisplay.setStandardOutputFile(QProcess::nullDevice());
    m_keepDisplay.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    m_keepDisplay.start(QStringLiteral("xprop"),
                        {QStringLiteral("-root"), QStringLiteral("-spy"), QStringLiteral("WM_NAME")});
    QVERIFY2(m_keepDisplay.waitForStarted(5000), "xprop did not start");

    // The controls' places, from the same table the console builds its window from.
    QWidget form;
    const QHash<QString, QWidget *> controls = makeControls(&form);
    for (auto it = controls.cbegin(); it != controls.cend(); ++it)
        m_centres.insert(it.key(), it.value()->geometry().center());
}

void TestEndToEnd::cleanupTestCase()
{
    m_keepDisplay.kill();
    m_keepDisplay.waitForFinished(5000);
}

void TestEndToEnd::click(const QString &window, const QString &control)
{
    QVERIFY2(m_centres.contains(control), qPrintable(control));
    const QPoint at = m_centres.value(control);
    runTool(QStringLiteral("xdotool"), {QStringLiteral("windowraise"), window});
    const bool clicked = runTool(
        QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(at.x()),
         QString::number(at.y()), QStringLiteral("click"), QStringLiteral("1")})
                             .has_value();
    QVERIFY2(clicked, qPrintable(QStringLiteral("xdotool could not click ") + control));
}

void TestEndToEnd::titleNamesTheCardOrItsAbsence_data()
{
    QTest::addColumn<QString>("libraryPath");
    QTest::addColumn<QString>("absent");
    QTest::addColumn<QString>("title");

    QTest::newRow("simulated card beside the executable") << QString() << QString() << simulatedTitle;
    QTest::newRow("simulated card finds no card") << QString() << QStringLiteral("1") << noCardTitle;
    QTest::newRow("card library on LD_LIBRARY_PATH wins")
        << QStringLiteral(FIXTURE_COMPLETE_DIR) << QString() << libraryTitle;
    QTest::newRow("card library on LD_LIBRARY_PATH finds no card")
        << QStringLiteral(FIXTURE_NOCARD_DIR) << QString() << noCardTitle;
}

void TestEndToEnd::titleNamesTheCardOrItsAbsence()
{
    QFETCH(QString, libraryPath);
    QFETCH(QString, absent);
    QFETCH(QString, title);

    Launch launch;
    launch.libraryPath = libraryPath;
    if (!absent.isEmpty())
        launch.environment.insert(QStringLiteral("ZK583SIM_ABSENT"), absent);
    RunningConsole console(launch);
    QVERIFY(console.started());

    const std::optional<QString> window = console.waitForMainWindow();
    QVERIFY2(window, qPrintable(QStringLiteral("the main window did not map: ") + console.diagnosis()));
    QCOMPARE(windowName(*window), title);
    // The UTF-8 title the window manager shows, and the class it groups by.
    const QString properties = QString::fromUtf8(
        runTool(QStringLiteral("xprop"), {QStringLiteral("-id"), *window,
                                          QStringLiteral("_NET_WM_NAME"), QStringLiteral("WM_CLASS")})
            .value_or(""));
    QVERIFY2(properties.contains(QLatin1Char('"') + title + QLatin1Char('"')), qPrintable(properties));
    QVERIFY2(properties.contains(QStringLiteral("\"zk583-console\"")), qPrintable(properties));
    QVERIFY(console.started());
}

void TestEndToEnd::libraryInTheCurrentDirectoryIsNeverLoaded()
{
    // A card library planted in the folder the user starts the console from.
    QTemporaryDir planted;
    QVERIFY(planted.isValid());
    QVERIFY(QFile::copy(QStringLiteral(FIXTURE_COMPLETE_DIR "/libZK583.so"),
                        planted.filePath(QStringLiteral("libZK583.so"))));

    Launch launch;
    launch.workingDirectory = planted.path();
    RunningConsole console(launch);
    const std::optional<QString> window = console.waitForMainWindow();
    QVERIFY2(window, qPrintable(QStringLiteral("the main window did not map: ") + console.diagnosis()));
    QCOMPARE(windowName(*window), simulatedTitle);
}

using CallList = QStringList;

void TestEndToEnd::buttonMakesItsCardCalls_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<CallList>("calls");

    for (const ButtonCalls &row : buttonCalls())
        QTest::newRow(row.row) << row.button << row.calls;
}

void TestEndToEnd::buttonMakesItsCardCalls()
{
    QFETCH(QString, button);
    QFETCH(CallList, calls);

    RunningConsole console{Launch{}};
    const std::optional<QString> window = console.waitForMainWindow();
    QVERIFY2(window, qPrintable(QStringLiteral("the main window did not map: ") + console.diagnosis()));
    QCOMPARE(callsOf(console.trace()), QStringList{QStringLiteral("OpenDevice(0)")});

    click(*window, button);
    // Each button runs its calls to the end before the window takes the next
    // click, so once the exit button has ended the program the trace is whole.
    click(*window, QStringLiteral("Command3"));
    QVERIFY2(console.waitForExit(), "the exit button did not end the program");
    QCOMPARE(console.exitCode(), 0);

    QList<TraceCall> trace = console.trace();
    QVERIFY(!trace.isEmpty());
    trace.removeFirst();  // OpenDevice
    const QString difference = differenceFromExpectedCalls(trace, calls);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestEndToEnd::continuousAcquisitionEndsByItself()
{
    RunningConsole console{Launch{}};
    const std::optional<QString> window = console.waitForMainWindow();
    QVERIFY2(window, qPrintable(QStringLiteral("the main window did not map: ") + console.diagnosis()));

    click(*window, QStringLiteral("AD"));
    const auto isStop = [](const TraceCall &call) { return call.entry == QLatin1String("TAD_Stop"); };
    QVERIFY2(console.waitForCall(isStop, acquisitionTimeoutMs), "the acquisition did not end");
    // Watch a few timer periods more: a scan left running would poll again.
    QVERIFY2(!pollFor(
                 [&] {
                     const QList<TraceCall> calls = console.trace();
                     return calls.last().entry != QLatin1String("TAD_Stop");
                 },
                 250),
             "the card was called after TAD_Stop");
    click(*window, QStringLiteral("Command3"));
    QVERIFY2(console.waitForExit(), "the exit button did not end the program");
    QCOMPARE(console.exitCode(), 0);

    const QString fault = acquisitionTraceFault(console.trace());
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

void TestEndToEnd::exitLeavesARunningScanAlone()
{
    RunningConsole console{Launch{}};
    const std::optional<QString> window = console.waitForMainWindow();
    QVERIFY2(window, qPrintable(QStringLiteral("the main window did not map: ") + console.diagnosis()));

    click(*window, QStringLiteral("AD"));
    QVERIFY2(console.waitForCall([](const TraceCall &call) {
                 return call.entry == QLatin1String("TAD_Read");
             }),
             "the acquisition did not start");
    click(*window, QStringLiteral("Command3"));
    QVERIFY2(console.waitForExit(), "the exit button did not end the program");
    QCOMPARE(console.exitCode(), 0);

    qint64 samples = 0;
    for (const TraceCall &call : console.trace()) {
        QVERIFY2(call.entry != QLatin1String("TAD_Stop"), "the exit button stopped the scan");
        if (call.entry == QLatin1String("TAD_Read"))
            samples += call.result.toInt();
    }
    QVERIFY2(samples < 200000, "the scan had already ended by itself; nothing was tested");
}

void TestEndToEnd::singleShotScanScreenshot()
{
    RunningConsole console{Launch{}};
    const std::optional<QString> window = console.waitForMainWindow();
    QVERIFY2(window, qPrintable(QStringLiteral("the main window did not map: ") + console.diagnosis()));

    const auto screenshot = [&] {
        return QImage::fromData(runTool(QStringLiteral("import"),
                                        {QStringLiteral("-window"), *window, QStringLiteral("png:-")})
                                    .value_or(""));
    };
    click(*window, QStringLiteral("StopAD"));
    QVERIFY2(pollFor(
                 [&] {
                     const QList<TraceCall> calls = console.trace();
                     return std::count_if(calls.cbegin(), calls.cend(), [](const TraceCall &call) {
                                return call.entry == QLatin1String("ADV");
                            }) == 16;
                 },
                 windowTimeoutMs),
             "the scan did not convert 16 channels");
    // The listing shows once the window has repainted: dark text on the light
    // background of the console area, left of the buttons, which start-up
    // leaves empty (a window not painted yet is all black).
    const QRect consoleArea(0, 0, 340, 352);
    QVERIFY2(pollFor(
                 [&] {
                     const int dark = darkPixels(screenshot(), consoleArea);
                     return dark > 500 && dark < consoleArea.width() * consoleArea.height() / 4;
                 },
                 windowTimeoutMs),
             "the scan's listing did not show");

    QVERIFY(QDir().mkpath(QStringLiteral(SCREENSHOT_DIR)));
    const QString file = QStringLiteral(SCREENSHOT_DIR "/stopad.png");
    QFile::remove(file);
    QVERIFY(runTool(QStringLiteral("import"), {QStringLiteral("-window"), *window, file}));
    QVERIFY2(QFileInfo(file).size() > 0, qPrintable(file));
    QCOMPARE(QImage(file).size(), QSize(564, 352));
}

void TestEndToEnd::missingLibraryOrEntryPointAtStartIsFatal_data()
{
    QTest::addColumn<bool>("alone");            // the executable copied into an empty folder
    QTest::addColumn<QString>("libraryPath");
    QTest::addColumn<QString>("named");

    QTest::newRow("no card library anywhere") << true << QString() << QStringLiteral("libZK583.so");
    QTest::newRow("card library without ZK583_OpenDevice")
        << false << QStringLiteral(FIXTURE_NOOPEN_DIR) << QStringLiteral("ZK583_OpenDevice");
}

void TestEndToEnd::missingLibraryOrEntryPointAtStartIsFatal()
{
    QFETCH(bool, alone);
    QFETCH(QString, libraryPath);
    QFETCH(QString, named);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    Launch launch;
    launch.libraryPath = libraryPath;
    if (alone) {
        launch.program = folder.filePath(QStringLiteral("zk583-console"));
        QVERIFY(QFile::copy(QStringLiteral(CONSOLE_EXE), launch.program));
    }
    RunningConsole console(launch);

    const std::optional<QString> box = console.waitForMessageBox();
    QVERIFY2(box, qPrintable(QStringLiteral("no message box: ") + console.diagnosis()));
    const QString error = console.standardError();
    QVERIFY2(error.contains(QStringLiteral("zk583-console: ")) && error.contains(named),
             qPrintable(error));
    for (const QString &window : console.windows(false))
        QVERIFY2(!isMainWindowTitle(windowName(window)), "the main window was created");

    QVERIFY2(console.dismissAndWaitForExit(*box), "the program did not end with the message box");
    QCOMPARE(console.exitCode(), 1);
}

void TestEndToEnd::missingEntryPointAtFirstClickIsFatal()
{
    Launch launch;
    launch.libraryPath = QStringLiteral(FIXTURE_NOPEND_DIR);
    RunningConsole console(launch);
    const std::optional<QString> window = console.waitForMainWindow();
    QVERIFY2(window, qPrintable(QStringLiteral("the main window did not map: ") + console.diagnosis()));
    QCOMPARE(windowName(*window), libraryTitle);
    QVERIFY(!console.standardError().contains(QStringLiteral("ZK583_PEnd")));

    click(*window, QStringLiteral("Command6"));
    const std::optional<QString> box = console.waitForMessageBox();
    QVERIFY2(box, qPrintable(QStringLiteral("no message box: ") + console.diagnosis()));
    const QString error = console.standardError();
    QVERIFY2(error.contains(QStringLiteral("zk583-console: ")) && error.contains(QStringLiteral("ZK583_PEnd")),
             qPrintable(error));

    QVERIFY2(console.dismissAndWaitForExit(*box), "the program did not end with the message box");
    QCOMPARE(console.exitCode(), 1);
}

QTEST_MAIN(TestEndToEnd)
#include "tst_e2e.moc"
