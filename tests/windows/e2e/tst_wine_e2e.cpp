// End-to-end tests of the Windows console: the real zk583-console.exe of the
// 64-bit and 32-bit Windows builds, started under wine in a real X server.
// Clicks land at the controls' places; what the program did is read back
// from the X server (wine's windows have process ids of their own, so they
// are found by title), from its exit code and stderr, and from the simulated
// card's call trace.
#include "captionfit.h"
#include "e2esupport.h"
#include "form1description.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/prctl.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>

using namespace e2e;

namespace {

/// A 64-bit wine process starts in about a second; a 32-bit one, under qemu,
/// in about 50 s.
constexpr int windowTimeout64Ms = 30000;
constexpr int windowTimeout32Ms = 240000;
constexpr int exitTimeoutMs = 10000;
/// The simulated card's default rate gives 2 s for the 200,000 samples.
constexpr int acquisitionTimeoutMs = 30000;

const QString simulatedTitle = QStringLiteral(
    "ZK583 Testing Program  Simulated card, no hardware V1.0  HANDLE=583H");
const QString libraryTitle = QStringLiteral(
    "ZK583 Testing Program  Card library ZK583.dll V1.0  HANDLE=1A4H");
const QString noCardTitle = QStringLiteral("Error Load ZK583");
const QString messageBoxTitle = QStringLiteral("ZK583 Testing Program");

/// xdotool's patterns (extended regular expressions) for the console's windows.
const QString mainWindowPattern =
    QStringLiteral("^(ZK583 Testing Program  .*|Error Load ZK583)$");
const QString messageBoxPattern = QStringLiteral("^ZK583 Testing Program$");
const QString anyConsoleWindowPattern = QStringLiteral("^(ZK583 Testing Program.*|Error Load ZK583)$");

/// One Windows build: where it is and how its programs start.
struct WindowsBuild
{
    QString name;       ///< "64-bit" or "32-bit"
    QString folder;     ///< the build folder (build/windows-x64)
    int windowTimeoutMs = windowTimeout64Ms;

    bool exists() const { return !folder.isEmpty() && QFileInfo::exists(console()); }
    QString console() const { return folder + QStringLiteral("/bin/zk583-console.exe"); }
    QString simulatedCard() const { return folder + QStringLiteral("/bin/simcard/ZK583.dll"); }
    QString fixture(const QString &fixtureName) const
    {
        return folder + QStringLiteral("/tests/fixtures/") + fixtureName;
    }
};

QString environmentPath(const char *name)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? QString() : QFileInfo(value).absoluteFilePath();
}

/// A Linux path as a Windows program in the prefix sees it: drive Z: is the root.
QString windowsPath(const QString &path)
{
    return QStringLiteral("Z:") + QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())
                                      .replace(QLatin1Char('/'), QLatin1Char('\\'));
}

/// The wine loader that starts 64-bit programs at once and hands 32-bit ones
/// to the 32-bit loader.
QString wineLoader()
{
    const QString given = qEnvironmentVariable("ZK583_WINE");
    if (!given.isEmpty())
        return given;
    if (QFileInfo::exists(QStringLiteral("/usr/lib/wine/wine64")))
        return QStringLiteral("/usr/lib/wine/wine64");
    return QStringLiteral("wine64");
}

QString wineServer()
{
    if (QFileInfo::exists(QStringLiteral("/usr/lib/wine/wineserver")))
        return QStringLiteral("/usr/lib/wine/wineserver");
    return QStringLiteral("wineserver");
}

QString winePrefix()
{
    const QString prefix = environmentPath("ZK583_WINEPREFIX");
    return prefix.isEmpty() ? environmentPath("WINEPREFIX") : prefix;
}

/// The mapped X windows whose titles match pattern.
QStringList windowsNamed(const QString &pattern)
{
    return QString::fromLatin1(runTool(QStringLiteral("xdotool"),
                                       {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                        QStringLiteral("--name"), pattern})
                                   .value_or(""))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QImage screenshot(const QString &window)
{
    return QImage::fromData(
        runTool(QStringLiteral("import"), {QStringLiteral("-window"), window, QStringLiteral("png:-")},
                15000)
            .value_or(""));
}

/// The window's DPI, from its client area, which is the X window and
/// 8460 twips wide.
int dpiOf(const QImage &client)
{
    return (client.width() * form1::twipsPerInch + form1::clientWidthTwips / 2)
        / form1::clientWidthTwips;
}

QRect controlRect(const form1::Control &control, int dpi)
{
    return QRect(form1::pixels(control.left, dpi), form1::pixels(control.top, dpi),
                 form1::pixels(control.width, dpi), form1::pixels(control.height, dpi));
}

/// Whether a pixel is ink: text drawn dark on the light surface.
bool isInk(QRgb pixel)
{
    return qGray(pixel) < 128;
}

/// The smallest rectangle holding every ink pixel of area; empty without ink.
QRect inkBounds(const QImage &image, const QRect &area)
{
    QRect bounds;
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (isInk(image.pixel(x, y)))
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

/// Rows [first, last] of the console area holding ink, one band per line of text.
QList<QPair<int, int>> inkBands(const QImage &image, const QRect &area)
{
    QList<QPair<int, int>> bands;
    for (int y = area.top(); y <= area.bottom() && y < image.height(); ++y) {
        bool ink = false;
        for (int x = area.left(); x <= area.right() && x < image.width() && !ink; ++x)
            ink = isInk(image.pixel(x, y));
        if (!ink)
            continue;
        if (!bands.isEmpty() && bands.last().second == y - 1)
            bands.last().second = y;
        else
            bands.append({y, y});
    }
    return bands;
}

/// Where to start the console from, and with which card library.
struct Launch
{
    explicit Launch(const WindowsBuild *windowsBuild) : build(windowsBuild) {}

    const WindowsBuild *build;
    QString program;                          ///< empty: the build's console
    QString workingDirectory;                 ///< empty: a fresh empty folder
    QString dllFolder;                        ///< put on the Windows PATH; empty: nothing
    QHash<QString, QString> environment;      ///< added settings, such as ZK583SIM_ABSENT
};

/// The console, running under wine on the real display; killed, if still
/// running, when this goes out of scope, whatever the test's outcome.
class WineConsole
{
public:
    explicit WineConsole(const Launch &launch)
        : m_build(*launch.build)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // The test process itself draws offscreen; wine must not.
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.remove(QStringLiteral("LC_ALL"));
        // An English locale: the Chinese text must not depend on a Chinese one.
        environment.insert(QStringLiteral("LANG"), QStringLiteral("en_US.UTF-8"));
        environment.insert(QStringLiteral("WINEPREFIX"), winePrefix());
        if (!environment.contains(QStringLiteral("WINEDEBUG")))
            environment.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
        if (!environment.contains(QStringLiteral("QEMU_RESERVED_VA")))
            environment.insert(QStringLiteral("QEMU_RESERVED_VA"), QStringLiteral("0xf7000000"));
        environment.remove(QStringLiteral("WINEPATH"));
        if (!launch.dllFolder.isEmpty())
            environment.insert(QStringLiteral("WINEPATH"), windowsPath(launch.dllFolder));
        environment.insert(QStringLiteral("ZK583SIM_TRACE"), windowsPath(tracePath()));
        for (auto it = launch.environment.cbegin(); it != launch.environment.cend(); ++it)
            environment.insert(it.key(), it.value());

        m_process.setProcessEnvironment(environment);
        m_process.setWorkingDirectory(launch.workingDirectory.isEmpty() ? m_folder.path()
                                                                         : launch.workingDirectory);
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.setStandardErrorFile(m_folder.filePath(QStringLiteral("stderr")));
        m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        m_process.start(wineLoader(),
                        {launch.program.isEmpty() ? m_build.console() : launch.program});
        m_process.waitForStarted(5000);
    }

    ~WineConsole()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
        // Its windows go with it; the next console must not find them.
        pollFor([] { return windowsNamed(anyConsoleWindowPattern).isEmpty(); }, 5000);
    }

    WineConsole(const WineConsole &) = delete;
    WineConsole &operator=(const WineConsole &) = delete;

    bool running() const { return m_process.state() == QProcess::Running; }
    QString tracePath() const { return m_folder.filePath(QStringLiteral("trace")); }
    QList<TraceCall> trace() const { return readTrace(tracePath()); }

    QString standardError() const
    {
        QFile file(m_folder.filePath(QStringLiteral("stderr")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    /// The first mapped window whose title matches pattern, once one is
    /// mapped and the console runs; nothing if the console ended first.
    std::optional<QString> waitForWindow(const QString &pattern, int timeoutMs)
    {
        const std::optional<QString> window = pollFor(
            [&]() -> std::optional<QString> {
                const QStringList found = windowsNamed(pattern);
                if (!found.isEmpty())
                    return found.first();
                if (!running())
                    return QString();   // ended: nothing will map now
                return std::nullopt;
            },
            timeoutMs);
        return window && !window->isEmpty() ? window : std::nullopt;
    }

    std::optional<QString> waitForMainWindow()
    {
        return waitForWindow(mainWindowPattern, m_build.windowTimeoutMs);
    }

    std::optional<QString> waitForMessageBox()
    {
        return waitForWindow(messageBoxPattern, m_build.windowTimeoutMs);
    }

    /// Waits for the trace to hold a call that passes accept.
    bool waitForCall(const std::function<bool(const TraceCall &)> &accept, int timeoutMs) const
    {
        return pollFor(
            [&] {
                const QList<TraceCall> calls = trace();
                return std::any_of(calls.cbegin(), calls.cend(), accept);
            },
            timeoutMs);
    }

    bool waitForExit(int timeoutMs = exitTimeoutMs) { return m_process.waitForFinished(timeoutMs); }

    /// Presses Return in the message box until the program ends.
    bool dismissAndWaitForExit(const QString &box)
    {
        const bool ended = pollFor(
            [&] {
                // Without a window manager, the box takes keys once it has the focus.
                runTool(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), box});
                runTool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")});
                return m_process.waitForFinished(500);
            },
            exitTimeoutMs);
        runTool(QStringLiteral("xdotool"), {QStringLiteral("keyup"), QStringLiteral("Return")});
        return ended;
    }

    QString diagnosis() const
    {
        QStringList titles;
        for (const QString &window : windowsNamed(QStringLiteral(".")))
            titles << QLatin1Char('"') + windowName(window) + QLatin1Char('"');
        return QStringLiteral("console %1; mapped windows: %2; stderr: %3")
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
    const WindowsBuild &m_build;
    QTemporaryDir m_folder;
    QProcess m_process;
};

/// Clicks the named control of the console's window, at its place at dpi.
bool click(const QString &window, std::string_view control, int dpi = 96)
{
    const form1::Control *row = form1::findControl(control);
    if (!row)
        return false;
    const QPoint at = controlRect(*row, dpi).center();
    runTool(QStringLiteral("xdotool"), {QStringLiteral("windowraise"), window});
    return runTool(QStringLiteral("xdotool"),
                   {QStringLiteral("mousemove"), QStringLiteral("--window"), window,
                    QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
                    QStringLiteral("1")})
        .has_value();
}

/// What is wrong with how the captions sit in their controls in client (a
/// screenshot of the client area); empty when every caption fits.
QString captionFitFault(const QImage &client)
{
    const int dpi = dpiOf(client);
    QStringList faults;
    for (const form1::Control &control : form1::controls) {
        if (!form1::captionMustFit(control))
            continue;
        const QRect rect = controlRect(control, dpi);
        const form1::CaptionMargins margins = form1::captionMargins(control.kind);
        const int marginX = form1::marginPixels(margins.horizontal, dpi);
        const int marginY = form1::marginPixels(margins.vertical, dpi);
        // Looked at inside the button's edges and focus rectangle, which are
        // ink too; a label has neither.
        const int edge = control.kind == form1::Kind::Button ? form1::marginPixels(4, dpi) : 0;
        const QRect looked = rect.adjusted(edge, edge, -edge, -edge);
        const QRect ink = inkBounds(client, looked);
        const QRect room = rect.adjusted(marginX, marginY, -marginX, -marginY);
        const QString name = QString::fromUtf8(control.name.data(), qsizetype(control.name.size()));
        if (ink.isEmpty())
            faults << name + QStringLiteral(": no caption drawn");
        else if (ink.left() < room.left() || ink.right() > room.right()
                 || (control.kind == form1::Kind::Label && ink.right() >= rect.right()))
            faults << QStringLiteral("%1: caption ink %2..%3 outside %4..%5 at %6 dpi")
                          .arg(name)
                          .arg(ink.left() - rect.left())
                          .arg(ink.right() - rect.left())
                          .arg(room.left() - rect.left())
                          .arg(room.right() - rect.left())
                          .arg(dpi);
    }
    return faults.join(QStringLiteral("; "));
}

} // namespace

/// Skips the test when the build was not given.
#define REQUIRE_BUILD(build)                                                                   \
    do {                                                                                       \
        if (!(build).exists())                                                                 \
            QSKIP(qPrintable(QStringLiteral("no %1 Windows build").arg((build).name)));        \
    } while (false)

class TestWineConsole : public QObject
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
    void exitLeavesARunningScanAlone_data();
    void exitLeavesARunningScanAlone();

    void keyboardFollowsTheTabOrder();

    void missingLibraryOrEntryPointAtStartIsFatal_data();
    void missingLibraryOrEntryPointAtStartIsFatal();
    void missingEntryPointAtFirstClickIsFatal();

    void chineseTextRendersAsGlyphs();
    void singleShotScanScreenshot();
    void captionsFitTheirControls();
    void captionsFitTheirControlsAt192Dpi();

    void build32TitleAndOneClick();
    void build32MissingEntryPointIsFatal();

private:
    WindowsBuild m_build64{QStringLiteral("64-bit"), environmentPath("ZK583_WINDOWS_X64")};
    WindowsBuild m_build32{QStringLiteral("32-bit"), environmentPath("ZK583_WINDOWS_X86"),
                           windowTimeout32Ms};
    /// An X client held open for the whole run, so that the X server never
    /// resets between two consoles.
    QProcess m_keepDisplay;
    /// A wine server kept running for the whole run, so that each console
    /// starts without starting one.
    QProcess m_wineServer;
};

void TestWineConsole::initTestCase()
{
    for (const char *tool : {"xdotool", "xprop", "import"})
        QVERIFY2(!QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty(),
                 qPrintable(QStringLiteral("%1 is not installed").arg(QLatin1String(tool))));

    m_keepDisplay.setStandardOutputFile(QProcess::nullDevice());
    m_keepDisplay.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    m_keepDisplay.start(QStringLiteral("xprop"),
                        {QStringLiteral("-root"), QStringLiteral("-spy"), QStringLiteral("WM_NAME")});
    QVERIFY2(m_keepDisplay.waitForStarted(5000), "xprop did not start");

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("WINEPREFIX"), winePrefix());
    m_wineServer.setProcessEnvironment(environment);
    m_wineServer.setStandardOutputFile(QProcess::nullDevice());
    m_wineServer.setStandardErrorFile(QProcess::nullDevice());
    m_wineServer.start(wineServer(), {QStringLiteral("--foreground"), QStringLiteral("--persistent")});
    QVERIFY2(m_wineServer.waitForStarted(5000), "wineserver did not start");
    QVERIFY2(pollFor([] { return windowsNamed(anyConsoleWindowPattern).isEmpty(); }, 5000),
             "a console window from elsewhere is open");
}

void TestWineConsole::cleanupTestCase()
{
    // Every program in the prefix, and its server.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("WINEPREFIX"), winePrefix());
    QProcess kill;
    kill.setProcessEnvironment(environment);
    kill.start(wineServer(), {QStringLiteral("-k")});
    kill.waitForFinished(10000);
    if (m_wineServer.state() != QProcess::NotRunning && !m_wineServer.waitForFinished(5000)) {
        m_wineServer.kill();
        m_wineServer.waitForFinished(5000);
    }
    m_keepDisplay.kill();
    m_keepDisplay.waitForFinished(5000);
}

void TestWineConsole::titleNamesTheCardOrItsAbsence_data()
{
    QTest::addColumn<QString>("fixture");   // a card library on the Windows PATH
    QTest::addColumn<QString>("absent");
    QTest::addColumn<QString>("title");

    QTest::newRow("simulated card in the program's folder") << QString() << QString() << simulatedTitle;
    QTest::newRow("simulated card finds no card") << QString() << QStringLiteral("1") << noCardTitle;
    QTest::newRow("card library on PATH wins") << QStringLiteral("complete") << QString() << libraryTitle;
    QTest::newRow("card library on PATH finds no card")
        << QStringLiteral("nocard") << QString() << noCardTitle;
}

void TestWineConsole::titleNamesTheCardOrItsAbsence()
{
    REQUIRE_BUILD(m_build64);
    QFETCH(QString, fixture);
    QFETCH(QString, absent);
    QFETCH(QString, title);

    Launch launch{&m_build64};
    if (!fixture.isEmpty())
        launch.dllFolder = m_build64.fixture(fixture);
    if (!absent.isEmpty())
        launch.environment.insert(QStringLiteral("ZK583SIM_ABSENT"), absent);
    WineConsole console(launch);
    const std::optional<QString> window = console.waitForMainWindow();
    QVERIFY2(window, qPrintable(QStringLiteral("the main window did not map: ") + console.diagnosis()));
    QCOMPARE(windowName(*window), title);
    QVERIFY(console.running());
}

void TestWineConsole::libraryInTheCurrentDirectoryIsNeverLoaded()
{
    REQUIRE_BUILD(m_build64);
    // A card library planted in the folder the user starts the console from.
    QTemporaryDir planted;
    QVERIFY(planted.isValid());
    QVERIFY(QFile::copy(m_build64.fixture(QStringLiteral("complete")) + QStringLiteral("/ZK583.dll"),
                        planted.filePath(QStringLiteral("ZK583.dll"))));

    Launch launch{&m_build64};
    launch.workingDirectory = planted.path();
    WineConsole console(launch);
    const std::optional<QString> window = console.waitForMainWindow();
    QVERIFY2(window, qPrintable(QStringLiteral("the main window did not map: ") + console.diagnosis()));
    QCOMPARE(windowName(*window), simulatedTitle);
}

using CallList = QStringList;

void TestWineConsole::buttonMakesItsCardCalls_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<CallList>("calls");

    for (const ButtonCalls &row : buttonCalls())
        QTest::newRow(row.row) << row.button << row.calls;
}

void TestWineConsole::buttonMakesItsCardCalls()
{
    REQUIRE_BUILD(m_build64);
    QFETCH(QString, button);
    QFETCH(CallList, calls);

    WineConsole console{Launch{&m_build64}};
    const std::optional<QString> window = console.waitForMainWindow();
    QVERIFY2(window, qPrintable(QStringLiteral("the main window did not map: ") + console.diagnosis()));
    QCOMPARE(callsOf(console.trace()), QStringList{QStringLiteral("OpenDevice(0)")});

    QVERIFY(click(*window, button.toStdString()));
    // Each button runs its calls to the end before the window takes the next
    // click, so once the exit button has ended the program the trace is whole.
    QVERIFY(click(*window, "Command3"));
    QVERIFY2(console.waitForExit(), "the exit button did not end the program");
    QCOMPARE(console.exitCode(), 0);

    QList<TraceCall> trace = console.trace();
    QVERIFY(!trace.isEmpty());
    trace.removeFirst();  // OpenDevice
    const QString difference = differenceFromExpectedCalls(trace, calls);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestWineConsole::continuousAcquisitionEndsByItself()
{
    REQUIRE_BUILD(m_build64);
    WineConsole console{Launch{&m_build64}};
    const std::optional<QString> window = console.waitForMainWindow();
    QVERIFY2(window, qPrintable(QStringLiteral("the main window did not map: ") + console.diagnosis()));

    QVERIFY(click(*window, "AD"));
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
    QVERIFY(click(*window, "Command3"));
    QVERIFY2(console.waitForExit(), "the exit button did not end the program");
    QCOMPARE(console.exitCode(), 0);

    const QString fault = acquisitionTraceFault(console.trace());
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

void TestWineConsole::exitLeavesARunningScanAlone_data()
{
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("exit button") << false;
    // Alt+F4 is the close box's command (SC_CLOSE), without a window manager.
    QTest::newRow("close command") << true;
}

void TestWineConsole::exitLeavesARunningScanAlone()
{
    REQUIRE_BUILD(m_build64);
    QFETCH(bool, closeBox);

    WineConsole console{Launch{&m_build64}};
    const std::optional<QString> window = console.waitForMainWindow();
    QVERIFY2(window, qPrintable(QStringLiteral("the main window did not map: ") + console.diagnosis()));

    QVERIFY(click(*window, "AD"));
    QVERIFY2(console.waitForCall(
                 [](const TraceCall &call) { return call.entry == QLatin1String("TAD_Read"); },
                 acquisitionTimeoutMs),
             "the acquisition did not start");
    if (closeBox) {
        runTool(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), *window});
        runTool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("alt+F4")});
    } else {
        QVERIFY(click(*window, "Command3"));
    }
    QVERIFY2(console.waitForExit(), "the program did not end");
    QCOMPARE(console.exitCode(), 0);

    qint64 samples = 0;
    for (const TraceCall &call : console.trace()) {
        QVERIFY2(call.entry != QLatin1String("TAD_Stop"), "ending the program stopped the scan");
        QVERIFY2(call.entry != QLatin1String("CloseDevice"), "ending the program closed the card");
        if (call.entry == QLatin1String("TAD_Read"))
            samples += call.result.toInt();
    }
    QVERIFY2(samples < acquisitionSamples, "the scan had already ended by itself; nothing was tested");
}

void TestWineConsole::keyboardFollowsTheTabOrder()
{
    REQUIRE_BUILD(m_build64);
    WineConsole console{Launch{&m_build64}};
    const std::optional<QString> window = console.waitForMainWindow();
    QVERIFY2(window, qPrintable(QStringLiteral("the main window did not map: ") + console.diagnosis()));

    // Space presses the button with the focus. The window opens on the
    // first control of the keyboard order; Tab moves along it.
    const auto focusAt = [](std::string_view name) {
        return int(std::find(form1::tabOrder.begin(), form1::tabOrder.end(), name)
                   - form1::tabOrder.begin());
    };
    const int toDo = focusAt("DO") - focusAt("Command2");
    const int toExit = focusAt("Command3") - focusAt("DO");
    QVERIFY(toDo > 0 && toExit > 0);
    QStringList keys{QStringLiteral("space")};
    for (int i = 0; i < toDo; ++i)
        keys << QStringLiteral("Tab");
    keys << QStringLiteral("space");
    for (int i = 0; i < toExit; ++i)
        keys << QStringLiteral("Tab");
    keys << QStringLiteral("space");

    runTool(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), *window});
    QTest::qWait(200);
    runTool(QStringLiteral("xdotool"), QStringList{QStringLiteral("key"), QStringLiteral("--delay"),
                                                   QStringLiteral("100")}
                                           + keys);
    QVERIFY2(console.waitForExit(), "the exit button, reached by Tab, did not end the program");
    QCOMPARE(console.exitCode(), 0);
    QCOMPARE(callsOf(console.trace()),
             (QStringList{QStringLiteral("OpenDevice(0)"), QStringLiteral("CNT_Run(1411,0,10000)"),
                          QStringLiteral("DO(1411,21930)")}));
}

void TestWineConsole::missingLibraryOrEntryPointAtStartIsFatal_data()
{
    QTest::addColumn<bool>("alone");            // the program copied into an empty folder
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QString>("named");

    QTest::newRow("no card library anywhere") << true << QString() << QStringLiteral("ZK583.dll");
    QTest::newRow("card library without ZK583_OpenDevice")
        << false << QStringLiteral("noopen") << QStringLiteral("ZK583_OpenDevice");
}

void TestWineConsole::missingLibraryOrEntryPointAtStartIsFatal()
{
    REQUIRE_BUILD(m_build64);
    QFETCH(bool, alone);
    QFETCH(QString, fixture);
    QFETCH(QString, named);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    Launch launch{&m_build64};
    if (!fixture.isEmpty())
        launch.dllFolder = m_build64.fixture(fixture);
    if (alone) {
        launch.program = folder.filePath(QStringLiteral("zk583-console.exe"));
        QVERIFY(QFile::copy(m_build64.console(), launch.program));
    }
    WineConsole console(launch);

    const std::optional<QString> box = console.waitForMessageBox();
    QVERIFY2(box, qPrintable(QStringLiteral("no message box: ") + console.diagnosis()));
    QVERIFY(pollFor([&] { return console.standardError().contains(named); }, 2000));
    QVERIFY2(windowsNamed(mainWindowPattern).isEmpty(), "the main window was created");
    QVERIFY2(console.dismissAndWaitForExit(*box), "the program did not end with the message box");
    QCOMPARE(console.exitCode(), 1);
}

void TestWineConsole::missingEntryPointAtFirstClickIsFatal()
{
    REQUIRE_BUILD(m_build64);
    Launch launch{&m_build64};
    launch.dllFolder = m_build64.fixture(QStringLiteral("nopend"));
    WineConsole console(launch);
    const std::optional<QString> window = console.waitForMainWindow();
    QVERIFY2(window, qPrintable(QStringLiteral("the main window did not map: ") + console.diagnosis()));
    QCOMPARE(windowName(*window), libraryTitle);

    QVERIFY(click(*window, "Command6"));
    const std::optional<QString> box = console.waitForMessageBox();
    QVERIFY2(box, qPrintable(QStringLiteral("no message box: ") + console.diagnosis()));
    QVERIFY2(pollFor([&] { return console.standardError().contains(QStringLiteral("ZK583_PEnd")); },
                     2000),
             qPrintable(console.standardError()));
    QVERIFY2(console.dismissAndWaitForExit(*box), "the program did not end with the message box");
    QCOMPARE(console.exitCode(), 1);
}

void TestWineConsole::chineseTextRendersAsGlyphs()
{
    REQUIRE_BUILD(m_build64);
    WineConsole console{Launch{&m_build64}};
    const std::optional<QString> window = console.waitForMainWindow();
    QVERIFY2(window, qPrintable(QStringLiteral("the main window did not map: ") + console.diagnosis()));

    // The console then holds, on lines 1, 3 and 5:
    //   脉冲通道0（PWM）输出1KHZ方波
    //   脉冲通道1（PLP）输出10个2KHZ方波
    //   停止脉冲输出
    QVERIFY(click(*window, "Command1"));
    QVERIFY(click(*window, "Command6"));
    QVERIFY(console.waitForCall(
        [](const TraceCall &call) { return call.call() == QStringLiteral("PEnd(1411,1)"); },
        exitTimeoutMs));

    const form1::Control *pulse = form1::findControl("Command1");   // 脉冲输出
    const form1::Control *stop = form1::findControl("Command6");    // 停止输出
    QImage client;
    QList<QPair<int, int>> bands;
    const QRect consoleArea(0, 0, 340, 352);
    QVERIFY2(pollFor(
                 [&] {
                     client = screenshot(*window);
                     bands = inkBands(client, consoleArea);
                     return bands.size() == 3;
                 },
                 exitTimeoutMs),
             qPrintable(QStringLiteral("%1 lines of text in the console").arg(bands.size())));
    QCOMPARE(dpiOf(client), 96);

    // A missing glyph draws the same box for every character. Two captions
    // of four characters with the last two in common: with glyphs, their
    // right halves are alike and their left halves differ; with boxes, both
    // halves would be alike.
    const int inset = form1::marginPixels(4, 96);
    const QRect pulseArea = controlRect(*pulse, 96).adjusted(inset, inset, -inset, -inset);
    const QRect stopArea = controlRect(*stop, 96).adjusted(inset, inset, -inset, -inset);
    const QImage pulseCaption = client.copy(pulseArea);
    const QImage stopCaption = client.copy(stopArea);
    const QRect pulseInk = inkBounds(pulseCaption, pulseCaption.rect());
    const QRect stopInk = inkBounds(stopCaption, stopCaption.rect());
    QVERIFY2(!pulseInk.isEmpty() && !stopInk.isEmpty(), "a caption is missing");
    QCOMPARE(pulseInk.left(), stopInk.left());
    QCOMPARE(pulseInk.right(), stopInk.right());
    const int middle = (pulseInk.left() + pulseInk.right() + 1) / 2;
    const QRect left(0, 0, middle, pulseCaption.height());
    const QRect right(middle, 0, pulseCaption.width() - middle, pulseCaption.height());
    QVERIFY2(pulseCaption.copy(right) == stopCaption.copy(right), "输出 drawn differently twice");
    QVERIFY2(pulseCaption.copy(left) != stopCaption.copy(left), "脉冲 and 停止 drawn alike: boxes?");

    // The same in the console: lines 1 and 3 begin alike (脉冲通道), line 5
    // begins otherwise (停止脉冲), over the width of two characters.
    const int lineHeight = bands.at(1).first - bands.at(0).first;
    const auto lineStart = [&](int band) {
        return client.copy(QRect(0, bands.at(band).first, lineHeight, bands.at(band).second
                                                                          - bands.at(band).first + 1));
    };
    QVERIFY2(lineStart(0) == lineStart(1), "脉冲 drawn differently on two lines");
    QVERIFY2(lineStart(0) != lineStart(2), "脉冲 and 停止 drawn alike: boxes?");
    // 停止脉冲输出 in the console is six characters wide where the caption
    // 停止输出 is four: mangled text (bytes of UTF-8 taken for characters)
    // would be some three times as many, and narrower ones.
    const QRect lineInk = inkBounds(client, QRect(0, bands.at(2).first, consoleArea.width(),
                                                  bands.at(2).second - bands.at(2).first + 1));
    const double ratio = double(lineInk.width()) / stopInk.width();
    QVERIFY2(ratio > 1.3 && ratio < 1.7, qPrintable(QString::number(ratio)));
}

void TestWineConsole::singleShotScanScreenshot()
{
    REQUIRE_BUILD(m_build64);
    WineConsole console{Launch{&m_build64}};
    const std::optional<QString> window = console.waitForMainWindow();
    QVERIFY2(window, qPrintable(QStringLiteral("the main window did not map: ") + console.diagnosis()));

    QVERIFY(click(*window, "StopAD"));
    QVERIFY2(pollFor(
                 [&] {
                     const QList<TraceCall> calls = console.trace();
                     return std::count_if(calls.cbegin(), calls.cend(), [](const TraceCall &call) {
                                return call.entry == QLatin1String("ADV");
                            }) == 16;
                 },
                 exitTimeoutMs),
             "the scan did not convert 16 channels");
    // Sixteen lines of listing, drawn on the console's part of the window.
    const QRect consoleArea(0, 0, 340, 352);
    QVERIFY2(pollFor([&] { return inkBands(screenshot(*window), consoleArea).size() == 16; },
                     exitTimeoutMs),
             "the scan's listing did not show");

    QVERIFY(QDir().mkpath(QStringLiteral(SCREENSHOT_DIR)));
    const QString file = QStringLiteral(SCREENSHOT_DIR "/stopad-win64.png");
    QFile::remove(file);
    QVERIFY(runTool(QStringLiteral("import"), {QStringLiteral("-window"), *window, file}, 15000));
    QVERIFY2(QFileInfo(file).size() > 0, qPrintable(file));
    QCOMPARE(QImage(file).size(), QSize(564, 352));
}

void TestWineConsole::captionsFitTheirControls()
{
    REQUIRE_BUILD(m_build64);
    WineConsole console{Launch{&m_build64}};
    const std::optional<QString> window = console.waitForMainWindow();
    QVERIFY2(window, qPrintable(QStringLiteral("the main window did not map: ") + console.diagnosis()));
    QImage client;
    QString fault;
    // Until the window has drawn its controls.
    pollFor(
        [&] {
            client = screenshot(*window);
            fault = captionFitFault(client);
            return fault.isEmpty();
        },
        exitTimeoutMs);
    QCOMPARE(client.size(), QSize(564, 352));
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

void TestWineConsole::captionsFitTheirControlsAt192Dpi()
{
    REQUIRE_BUILD(m_build64);
    // Wine takes the screen's DPI from the prefix's registry. It is set back
    // to 96 whatever happens here.
    const auto setDpi = [](int dpi) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("WINEPREFIX"), winePrefix());
        environment.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
        QProcess reg;
        reg.setProcessEnvironment(environment);
        reg.setStandardOutputFile(QProcess::nullDevice());
        reg.setStandardErrorFile(QProcess::nullDevice());
        reg.start(wineLoader(),
                  {QStringLiteral("reg"), QStringLiteral("add"),
                   QStringLiteral("HKCU\\Control Panel\\Desktop"), QStringLiteral("/v"),
                   QStringLiteral("LogPixels"), QStringLiteral("/t"), QStringLiteral("REG_DWORD"),
                   QStringLiteral("/d"), QString::number(dpi), QStringLiteral("/f")});
        return reg.waitForFinished(60000) && reg.exitStatus() == QProcess::NormalExit
            && reg.exitCode() == 0;
    };
    struct Restore
    {
        std::function<bool(int)> setDpi;
        ~Restore() { setDpi(96); }
    } restore{setDpi};
    QVERIFY2(setDpi(192), "could not set the prefix's DPI");

    WineConsole console{Launch{&m_build64}};
    const std::optional<QString> window = console.waitForMainWindow();
    QVERIFY2(window, qPrintable(QStringLiteral("the main window did not map: ") + console.diagnosis()));
    QImage client;
    QString fault;
    pollFor(
        [&] {
            client = screenshot(*window);
            fault = captionFitFault(client);
            return fault.isEmpty();
        },
        exitTimeoutMs);
    if (client.size() == QSize(564, 352))
        QSKIP("this wine does not take the DPI from LogPixels");
    QCOMPARE(client.size(), QSize(1128, 704));
    QVERIFY2(fault.isEmpty(), qPrintable(fault));

    // The controls are where the description puts them at 192 dpi: a click
    // at DO's place there writes the digital output.
    QVERIFY(click(*window, "DO", 192));
    QVERIFY(console.waitForCall(
        [](const TraceCall &call) { return call.call() == QStringLiteral("DO(1411,21930)"); },
        exitTimeoutMs));
}

void TestWineConsole::build32TitleAndOneClick()
{
    REQUIRE_BUILD(m_build32);
    WineConsole console{Launch{&m_build32}};
    const std::optional<QString> window = console.waitForMainWindow();
    QVERIFY2(window, qPrintable(QStringLiteral("the main window did not map: ") + console.diagnosis()));
    QCOMPARE(windowName(*window), simulatedTitle);

    // Start CNT0 and read it: one call with a value, one with two pointers.
    QVERIFY(click(*window, "Command2"));
    QVERIFY(click(*window, "Command8"));
    QVERIFY(click(*window, "Command3"));
    QVERIFY2(console.waitForExit(), "the exit button did not end the program");
    QCOMPARE(console.exitCode(), 0);
    QList<TraceCall> trace = console.trace();
    QVERIFY(!trace.isEmpty());
    QCOMPARE(trace.takeFirst().call(), QStringLiteral("OpenDevice(0)"));
    const QString difference = differenceFromExpectedCalls(
        trace, {QStringLiteral("CNT_Run(1411,0,10000)"), QStringLiteral("CNT_Read(1411,0,count,time)")});
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestWineConsole::build32MissingEntryPointIsFatal()
{
    REQUIRE_BUILD(m_build32);
    Launch launch{&m_build32};
    launch.dllFolder = m_build32.fixture(QStringLiteral("nopend"));
    WineConsole console(launch);
    const std::optional<QString> window = console.waitForMainWindow();
    QVERIFY2(window, qPrintable(QStringLiteral("the main window did not map: ") + console.diagnosis()));
    QCOMPARE(windowName(*window), libraryTitle);

    QVERIFY(click(*window, "Command6"));
    const std::optional<QString> box = console.waitForMessageBox();
    QVERIFY2(box, qPrintable(QStringLiteral("no message box: ") + console.diagnosis()));
    QVERIFY2(console.dismissAndWaitForExit(*box), "the program did not end with the message box");
    QCOMPARE(console.exitCode(), 1);
}

int main(int argc, char *argv[])
{
    // Without a Windows build and a wine prefix there is nothing to run:
    // reported to ctest as skipped (SKIP_RETURN_CODE).
    if (qEnvironmentVariableIsEmpty("ZK583_WINDOWS_X64") && qEnvironmentVariableIsEmpty("ZK583_WINDOWS_X86")) {
        std::puts("SKIP: no Windows build given (ZK583_WINDOWS_X64, ZK583_WINDOWS_X86); "
                  "tests/windows/run.sh runs these tests");
        return 77;
    }
    if (winePrefix().isEmpty()) {
        std::puts("SKIP: no wine prefix given (ZK583_WINEPREFIX or WINEPREFIX)");
        return 77;
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::puts("SKIP: DISPLAY is not set: these tests run the console in a real X server");
        return 77;
    }
    QGuiApplication app(argc, argv);
    TestWineConsole test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_wine_e2e.moc"
