#include "outputconsole.h"

#include <algorithm>

namespace console {

void Item::appendTo(std::string &out) const
{
    if (const auto *text = std::get_if<std::string_view>(&m_value))
        out += *text;
    else if (const auto *integer = std::get_if<std::int64_t>(&m_value))
        appendPrintedNumber(out, *integer);
    else
        appendPrintedNumber(out, std::get<double>(m_value));
}

std::string Item::text() const
{
    std::string text;
    appendTo(text);
    return text;
}

OutputConsole::OutputConsole(const TextMetrics &metrics)
    : m_metrics(metrics)
{
}

void OutputConsole::clear()
{
    // The runs' strings are kept for reuse: a page of the same shape as the
    // last one is laid out without allocating.
    for (Run &run : m_runs)
        run.text.clear();
    m_spare.swap(m_runs);
    m_runs.clear();
    m_line = 0;
    m_x = 0;
    m_usedWidth = 0;
    m_usedLines = 0;
    ++m_revision;
}

void OutputConsole::put(const Item &item, Separator separator)
{
    const bool kept = m_line < keptLines;
    // Text that starts where the previous run ends joins that run.
    const bool joins = kept && !m_runs.empty() && m_runs.back().line == m_line
                       && m_runs.back().x + m_runs.back().width == m_x;
    if (kept && !joins) {
        if (m_runs.size() < m_spare.size())
            m_runs.push_back({m_line, m_x, 0, std::move(m_spare[m_runs.size()].text)});
        else
            m_runs.push_back({m_line, m_x, 0, {}});
    }
    int width = 0;
    if (kept) {
        Run &run = m_runs.back();
        const std::size_t start = run.text.size();
        item.appendTo(run.text);
        width = m_metrics.textWidth(std::string_view(run.text).substr(start));
        run.width += width;
        if (run.text.empty()) {
            m_runs.pop_back();
        } else {
            m_usedWidth = std::max(m_usedWidth, run.x + run.width);
            m_usedLines = m_line + 1;
        }
    } else {
        width = m_metrics.textWidth(item.text());
    }
    m_x += width;
    ++m_revision;

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
