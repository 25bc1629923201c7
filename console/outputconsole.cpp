#include "outputconsole.h"

#include <algorithm>

namespace console {

QString Item::text() const
{
    if (const auto *text = std::get_if<QString>(&m_value))
        return *text;
    if (const auto *integer = std::get_if<std::int64_t>(&m_value))
        return printedNumber(*integer);
    return printedNumber(std::get<double>(m_value));
}

OutputConsole::OutputConsole(const TextMetrics &metrics)
    : m_metrics(metrics)
{
}

void OutputConsole::clear()
{
    m_runs.clear();
    m_line = 0;
    m_x = 0;
    m_usedWidth = 0;
    m_usedLines = 0;
}

void OutputConsole::put(const Item &item, Separator separator)
{
    const QString text = item.text();
    const int width = m_metrics.textWidth(text);
    if (!text.isEmpty() && m_line < keptLines) {
        m_runs.push_back({m_line, m_x, text});
        m_usedWidth = std::max(m_usedWidth, m_x + width);
        m_usedLines = m_line + 1;
    }
    m_x += width;

    switch (separator) {
    case Separator::Semicolon:
        break;
    case Separator::Comma: {
        const int zoneWidth = zoneColumns * m_metrics.columnWidth();
        if (zoneWidth > 0)
            m_x = (m_x / zoneWidth + 1) * zoneWidth;
        break;
    }
    case Separator::LineEnd:
        ++m_line;
        m_x = 0;
        break;
    }
}

} // namespace console
