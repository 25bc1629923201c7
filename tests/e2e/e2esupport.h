// What the end-to-end tests of every front end share: waiting, running the
// X tools, reading the simulated card's call trace, and the calls each
// button must make.
#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QFile>
#include <QImage>
#include <QList>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTest>

#include <initializer_list>
#include <optional>

namespace e2e {

/// Calls f every 50 ms until it gives a value that converts to true, or the
/// time is up; returns its last answer.
template <typename F>
auto pollFor(F f, int timeoutMs) -> decltype(f())
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        auto value = f();
        if (value || deadline.hasExpired())
            return value;
        QTest::qWait(50);
    }
}

/// Runs a short helper program (xdotool, xprop, import) to its end; its
/// standard output, or nothing when it failed.
inline std::optional<QByteArray> runTool(const QString &program, const QStringList &arguments,
                                         int timeoutMs = 5000)
{
    QProcess tool;
    tool.setStandardErrorFile(QProcess::nullDevice());
    tool.start(program, arguments);
    if (!tool.waitForFinished(timeoutMs)) {
        tool.kill();
        tool.waitForFinished(1000);
        return std::nullopt;
    }
    if (tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
        return std::nullopt;
    return tool.readAllStandardOutput();
}

/// The title of an X window, as xdotool reads it.
inline QString windowName(const QString &window)
{
    QByteArray name =
        runTool(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), window}).value_or("");
    if (name.endsWith('\n'))
        name.chop(1);
    return QString::fromUtf8(name);
}

/// Pixels darker than mid-grey in area of image: text, on the window's light background.
inline int darkPixels(const QImage &image, const QRect &area)
{
    int dark = 0;
    for (int y = area.top(); y <= area.bottom() && y < image.height(); ++y)
        for (int x = area.left(); x <= area.right() && x < image.width(); ++x)
            dark += qGray(image.pixel(x, y)) < 128;
    return dark;
}

/// One call as the simulated card traced it.
struct TraceCall
{
    QString entry;          ///< name after the ZK583_ prefix, such as "DO"
    QStringList arguments;
    QString result;
    QString rest;           ///< anything after the result (the loss report of TAD_Stop)

    /// "DO(1411,21930)": the call without its result.
    QString call() const
    {
        return entry + QLatin1Char('(') + arguments.join(QLatin1Char(',')) + QLatin1Char(')');
    }

    /// Whether this is the call expected, which may go on with the leading
    /// part of the call's details: "EEPROM_Read(1411,block) block=00 01".
    bool matches(const QString &expected) const
    {
        const QString text = rest.isEmpty() ? call() : call() + QLatin1Char(' ') + rest;
        return text == expected || text.startsWith(expected + QLatin1Char(' '));
    }
};

inline QList<TraceCall> readTrace(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // "ZK583_TAD_Read(1411, destination, 3200) = 3200 destination=..."
    static const QRegularExpression pattern(
        QStringLiteral(R"(^ZK583_(\w+)\(([^)]*)\) = (\S+) ?(.*)$)"));
    QList<TraceCall> calls;
    const QByteArray text = file.readAll();
    // A line still being written has no end yet; it is read next time.
    const QList<QByteArray> lines = text.left(text.lastIndexOf('\n') + 1).split('\n');
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        const QRegularExpressionMatch match = pattern.match(QString::fromUtf8(line));
        if (!match.hasMatch())
            continue;
        TraceCall call;
        call.entry = match.captured(1);
        for (const QString &argument : match.captured(2).split(QLatin1Char(','), Qt::SkipEmptyParts))
            call.arguments << argument.trimmed();
        call.result = match.captured(3);
        call.rest = match.captured(4);
        calls << call;
    }
    return calls;
}

/// The simulated card's handle, as the trace writes it.
inline const QString traceHandle = QStringLiteral("1411");

/// Samples the card lost, as its TAD_Stop reports them.
inline int lostSamples(const TraceCall &stop)
{
    static const QRegularExpression lost(QStringLiteral(R"(\blost=(\d+)\b)"));
    const QRegularExpressionMatch match = lost.match(stop.rest);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

inline QStringList callsOf(const QList<TraceCall> &trace)
{
    QStringList calls;
    for (const TraceCall &call : trace)
        calls << call.call();
    return calls;
}

/// A button and the card calls one click on it makes, after start-up's
/// OpenDevice: each call as the trace writes it, optionally followed by the
/// leading part of its details; {$} stands for the result of the call before.
struct ButtonCalls
{
    const char *row;        ///< the test row's name
    QString button;
    QStringList calls;
};

inline QList<ButtonCalls> buttonCalls()
{
    auto calls = [](std::initializer_list<const char *> list) {
        QStringList result;
        for (const char *call : list)
            result << QString::fromUtf8(call).replace(QStringLiteral("{h}"), traceHandle);
        return result;
    };
    QStringList scan = calls({"CAL({h})"});
    for (int channel = 0; channel < 16; ++channel)
        scan << QStringLiteral("AD(%1,%2,4,0,1)").arg(traceHandle).arg(channel)
             << QStringLiteral("ADV(4,{$})");
    const char *const eepromBytes = "block=00 01 02 03 04 05 06 07 08 09";

    return {
        {"DO writes 0x55AA", QStringLiteral("DO"), calls({"DO({h},21930)"})},
        {"DI reads the input word", QStringLiteral("DI"), calls({"DI({h})"})},
        {"AD query converts 16 channels once", QStringLiteral("StopAD"), scan},
        {"DA sets both outputs", QStringLiteral("Command5"),
         calls({"DA_INI({h})", "DA({h},0,1,4095)", "DA({h},1,2,0)"})},
        {"pulse output starts both channels", QStringLiteral("Command1"),
         calls({"PRun({h},0,0,10000,5000)", "PRun({h},1,1,20000,10)"})},
        {"stop output ends both channels", QStringLiteral("Command6"),
         calls({"PEnd({h},0)", "PEnd({h},1)"})},
        {"start CNT0", QStringLiteral("Command2"), calls({"CNT_Run({h},0,10000)"})},
        {"read CNT0", QStringLiteral("Command8"), calls({"CNT_Read({h},0,count,time)"})},
        {"EEPROM writes ten bytes and reads them back", QStringLiteral("Command4"),
         {QStringLiteral("EEPROM_Write(%1,block) %2").arg(traceHandle, eepromBytes),
          QStringLiteral("EEPROM_Read(%1,block) %2").arg(traceHandle, eepromBytes)}},
    };
}

/// How calls (the trace after start-up's OpenDevice) differ from expected
/// (as in ButtonCalls); empty when they match.
inline QString differenceFromExpectedCalls(const QList<TraceCall> &calls, const QStringList &expected)
{
    if (calls.size() != expected.size())
        return QStringLiteral("%1 calls, expected %2: %3")
            .arg(calls.size())
            .arg(expected.size())
            .arg(callsOf(calls).join(QStringLiteral("; ")));
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QString call = expected.at(i);
        if (i > 0)
            call.replace(QStringLiteral("{$}"), calls.at(i - 1).result);
        if (!calls.at(i).matches(call))
            return QStringLiteral("call %1: %2 %3, expected %4")
                .arg(i)
                .arg(calls.at(i).call(), calls.at(i).rest, call);
    }
    return {};
}

/// Samples a full continuous acquisition collects before it stops itself.
inline constexpr qint64 acquisitionSamples = 200000;

/// What is wrong with the trace of a continuous acquisition that should
/// have run to its end (OpenDevice, CAL, TAD, polls and reads of whole scans
/// until the limit, then exactly one TAD_Stop with nothing lost); empty when
/// nothing is.
inline QString acquisitionTraceFault(const QList<TraceCall> &trace)
{
    if (trace.size() <= 4)
        return QStringLiteral("only %1 calls").arg(trace.size());
    if (trace.at(1).call() != QStringLiteral("CAL(%1)").arg(traceHandle))
        return QStringLiteral("call 1: ") + trace.at(1).call();
    if (trace.at(2).call() != QStringLiteral("TAD(%1,0,15,0,0,50)").arg(traceHandle))
        return QStringLiteral("call 2: ") + trace.at(2).call();

    qint64 samples = 0;
    int stops = 0;
    for (qsizetype i = 3; i < trace.size(); ++i) {
        const TraceCall &call = trace.at(i);
        const QString where = QStringLiteral("call %1: %2 = %3 %4")
                                  .arg(i)
                                  .arg(call.call(), call.result, call.rest.left(60));
        if (call.entry == QLatin1String("TAD_Poll")) {
            if (stops != 0)
                return QStringLiteral("polled after the stop, ") + where;
        } else if (call.entry == QLatin1String("TAD_Read")) {
            if (stops != 0 || samples >= acquisitionSamples)
                return QStringLiteral("read after the end, ") + where;
            // Only after a poll that found a batch, and only whole 16-channel scans of it.
            const TraceCall &poll = trace.at(i - 1);
            if (poll.entry != QLatin1String("TAD_Poll") || poll.result.toInt() < 100)
                return QStringLiteral("read without a poll that found a batch, ") + where;
            const int count = call.arguments.last().toInt();
            if (count <= 0 || count % 16 != 0 || count > poll.result.toInt())
                return QStringLiteral("not whole scans of the batch, ") + where;
            if (call.result.toInt() != count)
                return QStringLiteral("short read, ") + where;
            samples += count;
        } else if (call.entry == QLatin1String("TAD_Stop")) {
            // At once after the read that reached the limit.
            if (samples < acquisitionSamples || trace.at(i - 1).entry != QLatin1String("TAD_Read"))
                return QStringLiteral("stopped early, ") + where;
            if (lostSamples(call) != 0)
                return QStringLiteral("samples lost, ") + where;
            if (!call.rest.contains(QStringLiteral("delivered=%1").arg(samples)))
                return QStringLiteral("delivered other than read (%1), ").arg(samples) + where;
            ++stops;
        } else {
            return QStringLiteral("unexpected ") + where;
        }
    }
    if (stops != 1)
        return QStringLiteral("%1 TAD_Stop calls").arg(stops);
    if (samples < acquisitionSamples)
        return QStringLiteral("only %1 samples").arg(samples);
    return {};
}

} // namespace e2e
