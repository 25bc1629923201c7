#pragma once

#include "formats.h"
#include "textmetrics.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace console {

/// What follows an item of a print statement.
enum class Separator {
    Semicolon,  ///< the next output follows at once
    Comma,      ///< the next output starts at the next print zone
    LineEnd,    ///< the next output starts at the beginning of the next line
};

inline constexpr Separator Semi = Separator::Semicolon;
inline constexpr Separator Comma = Separator::Comma;
inline constexpr Separator LineEnd = Separator::LineEnd;

/// One item of a print statement: text (UTF-8), an integer, or a real.
class Item
{
public:
    Item() = default;
    Item(const char *utf8) : m_value(std::string_view(utf8)) {}
    Item(std::string_view utf8) : m_value(utf8) {}
    Item(const std::string &utf8) : m_value(std::string_view(utf8)) {}
    Item(std::uint8_t value) : m_value(std::int64_t{value}) {}
    Item(std::int16_t value) : m_value(std::int64_t{value}) {}
    Item(std::int32_t value) : m_value(std::int64_t{value}) {}
    Item(double value) : m_value(value) {}

    /// Appends the item as it is drawn.
    void appendTo(std::string &out) const;
    /// The item as it is drawn.
    std::string text() const;

private:
    // Text items refer to the caller's text, which outlives the statement.
    std::variant<std::string_view, std::int64_t, double> m_value;
};

/// Text drawn at one place of the console: the items of a statement that
/// follow each other without a gap share one run.
struct Run
{
    int line;       ///< line number, 0 at the top
    int x;          ///< left edge, in the metrics' units
    int width;      ///< drawn width, in the metrics' units
    std::string text;
};

/// The output console: print statements laid out into lines and print zones,
/// kept so that the window can draw them again at any time.
class OutputConsole
{
public:
    /// Columns between two print zones.
    static constexpr int zoneColumns = 14;
    /// Lines below this are far out of sight and are not kept.
    static constexpr int keptLines = 1000;

    explicit OutputConsole(const TextMetrics &metrics);

    /// Erases everything and moves the print position to the top-left corner.
    void clear();

    /// Prints one statement: items, each followed by its separator, in order,
    /// e.g. print("CH", Semi, channel, Comma, "Data", Semi, raw, LineEnd).
    template <typename... Rest>
    void print(const Item &item, Separator separator, const Rest &...rest)
    {
        put(item, separator);
        if constexpr (sizeof...(rest) > 0)
            print(rest...);
    }

    /// Everything printed since the last clear, in the order it was printed.
    const std::vector<Run> &runs() const { return m_runs; }
    /// The line the next output goes to.
    int line() const { return m_line; }
    /// Where on that line the next output starts.
    int x() const { return m_x; }
    /// The right edge of the widest text printed since the last clear.
    int usedWidth() const { return m_usedWidth; }
    /// Lines from the top down to the last one holding text since the last clear.
    int usedLines() const { return m_usedLines; }
    /// Changes whenever what the console holds changes.
    std::uint64_t revision() const { return m_revision; }

private:
    void put(const Item &item, Separator separator);

    const TextMetrics &m_metrics;
    std::vector<Run> m_runs;
    std::vector<Run> m_spare;   ///< the runs before the last clear, their strings kept for reuse
    int m_line = 0;
    int m_x = 0;
    int m_usedWidth = 0;
    int m_usedLines = 0;
    std::uint64_t m_revision = 0;
};

} // namespace console
