#pragma once

#include <cstdint>
#include <string>

namespace console {

/// The value's bits in upper-case hexadecimal, without leading zeros; a
/// negative value gives its eight-digit two's complement.
std::string hexText(std::int32_t value);

/// The patterns that formatPattern knows.
enum class Pattern {
    Digits,         ///< "########": rounded to a whole number; zero gives empty text
    ThreeDotTwo,    ///< "000.00": two decimals, at least three digits before the point
};

/// value under pattern.
std::string formatPattern(double value, Pattern pattern);

/// Appends a number as a print statement draws it: a sign position ("-" or a
/// space), the digits, and one trailing space.
void appendPrintedNumber(std::string &out, std::int64_t value);
/// Appends a real as a print statement draws it: its shortest decimal form
/// with at most 15 significant digits, never with an exponent.
void appendPrintedNumber(std::string &out, double value);

/// A number as a print statement draws it (see appendPrintedNumber).
std::string printedNumber(std::int64_t value);
std::string printedNumber(double value);

} // namespace console
