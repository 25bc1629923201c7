#include "formats.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace console {

namespace {

/// Text for the values that have no digits.
const char *nonFinite(double value)
{
    return std::isnan(value) ? "NaN" : "Infinity";
}

/// Appends the magnitude, rounded to 15 significant digits and written in
/// plain decimal notation without trailing zeros.
void appendPlainDecimal(std::string &out, double magnitude)
{
    // "d.dddddddddddddde±XX": the fifteen digits, then the exponent.
    char scientific[32];
    const auto end =
        std::to_chars(scientific, scientific + sizeof scientific, magnitude,
                      std::chars_format::scientific, 14).ptr;
    char digits[16];
    int digitCount = 0;
    const char *p = scientific;
    for (; p != end && *p != 'e'; ++p) {
        if (*p != '.')
            digits[digitCount++] = *p;
    }
    int exponent = 0;
    std::from_chars(p + 1 + (p[1] == '+'), end, exponent);
    while (digitCount > 1 && digits[digitCount - 1] == '0')
        --digitCount;

    if (exponent < 0) {
        out += "0.";
        out.append(std::size_t(-exponent - 1), '0');
        out.append(digits, std::size_t(digitCount));
        return;
    }
    const int integerDigits = exponent + 1;
    if (digitCount <= integerDigits) {
        out.append(digits, std::size_t(digitCount));
        out.append(std::size_t(integerDigits - digitCount), '0');
        return;
    }
    out.append(digits, std::size_t(integerDigits));
    out += '.';
    out.append(digits + integerDigits, std::size_t(digitCount - integerDigits));
}

/// value in fixed notation with decimals digits after the point.
std::string fixed(double value, int decimals)
{
    char text[400];  // the largest double has 309 digits before the point
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr;
    return std::string(text, end);
}

} // namespace

std::string hexText(std::int32_t value)
{
    char text[8];
    const auto end = std::to_chars(text, text + sizeof text, static_cast<std::uint32_t>(value), 16).ptr;
    std::string upper(text, end);
    for (char &c : upper) {
        if (c >= 'a' && c <= 'f')
            c = char(c - 'a' + 'A');
    }
    return upper;
}

std::string formatPattern(double value, Pattern pattern)
{
    if (!std::isfinite(value))
        return nonFinite(value);
    switch (pattern) {
    case Pattern::Digits: {
        const double whole = std::round(value);
        return whole == 0.0 ? std::string() : fixed(whole, 0);
    }
    case Pattern::ThreeDotTwo: {
        std::string digits = fixed(std::fabs(value), 2);
        const std::size_t point = digits.find('.');
        if (point < 3)
            digits.insert(0, 3 - point, '0');
        // A value that rounds to zero carries no sign.
        const bool negative = value < 0 && digits != "000.00";
        return negative ? '-' + digits : digits;
    }
    }
    return std::string();
}

void appendPrintedNumber(std::string &out, std::int64_t value)
{
    const std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value)
                                              : static_cast<std::uint64_t>(value);
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, magnitude).ptr;
    out += value < 0 ? '-' : ' ';
    out.append(digits, end);
    out += ' ';
}

void appendPrintedNumber(std::string &out, double value)
{
    out += value < 0 ? '-' : ' ';
    if (!std::isfinite(value))
        out += nonFinite(value);
    else if (value == 0.0)
        out += '0';
    else
        appendPlainDecimal(out, std::fabs(value));
    out += ' ';
}

std::string printedNumber(std::int64_t value)
{
    std::string text;
    appendPrintedNumber(text, value);
    return text;
}

std::string printedNumber(double value)
{
    std::string text;
    appendPrintedNumber(text, value);
    return text;
}

} // namespace console
