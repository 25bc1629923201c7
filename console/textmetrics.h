#pragma once

#include <QString>

namespace console {

/// How wide text is drawn and how tall a line is, in the surface's units.
class TextMetrics
{
public:
    virtual ~TextMetrics() = default;

    /// The drawn width of text.
    virtual int textWidth(const QString &text) const = 0;
    /// One column: the font's average character width.
    virtual int columnWidth() const = 0;
    /// The distance from one line's top to the next.
    virtual int lineHeight() const = 0;
};

/// Every character one unit wide and lines one unit tall, so positions are
/// columns and line numbers.
class FixedWidthMetrics : public TextMetrics
{
public:
    int textWidth(const QString &text) const override { return int(text.size()); }
    int columnWidth() const override { return 1; }
    int lineHeight() const override { return 1; }
};

} // namespace console
