#pragma once

#include <string_view>

namespace console {

/// How wide text is drawn and how tall a line is, in the surface's units.
class TextMetrics
{
public:
    virtual ~TextMetrics() = default;

    /// The drawn width of text (UTF-8).
    virtual int textWidth(std::string_view text) const = 0;
    /// One column: the font's average character width.
    virtual int columnWidth() const = 0;
    /// The distance from one line's top to the next.
    virtual int lineHeight() const = 0;
};

/// The characters of UTF-8 text: every byte that does not continue one.
constexpr int characterCount(std::string_view text)
{
    int count = 0;
    for (const char c : text)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

/// Every character one unit wide and lines one unit tall, so positions are
/// columns and line numbers.
class FixedWidthMetrics : public TextMetrics
{
public:
    int textWidth(std::string_view text) const override { return characterCount(text); }
    int columnWidth() const override { return 1; }
    int lineHeight() const override { return 1; }
};

} // namespace console
