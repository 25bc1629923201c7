#pragma once

#include "outputconsole.h"

#include <QStringList>

/// The console's lines as text, for a console laid out with FixedWidthMetrics:
/// each run stands at its column, gaps are spaces.
inline QStringList consoleLines(const console::OutputConsole &console)
{
    QStringList lines;
    for (const console::Run &run : console.runs()) {
        while (lines.size() <= run.line)
            lines << QString();
        QString &line = lines[run.line];
        if (line.size() < run.x)
            line += QString(run.x - line.size(), QLatin1Char(' '));
        line = line.left(run.x) + QString::fromStdString(run.text);
    }
    while (lines.size() < console.line())
        lines << QString();
    return lines;
}
