#pragma once

#include <QString>

#include <cstdint>

namespace console {

/// The value's bits in upper-case hexadecimal, without leading zeros; a
/// negative value gives its eight-digit two's complement.
QString hexText(std::int32_t value);

/// The patterns that formatPattern knows.
enum class Pattern {
    Digits,         ///< "########": rounded to a whole number; zero gives empty text
    ThreeDotTwo,    ///< "000.00": two decimals, at least three digits before the point
};

/// value under pattern.
QString formatPattern(double value, Pattern pattern);

/// A number as a print statement draws it: a sign position ("-" or a space),
/// the digits, and one trailing space.
QString printedNumber(std::int64_t value);
/// A real as a print statement draws it: its shortest decimal form with at
/// most 15 significant digits, never with an exponent.
QString printedNumber(double value);

} // namespace console
