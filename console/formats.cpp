#include "formats.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace console {

namespace {

QString signPosition(bool negative)
{
    return negative ? QStringLiteral("-") : QStringLiteral(" ");
}

/// Text for the values that have no digits.
QString nonFinite(double value)
{
    return std::isnan(value) ? QStringLiteral("NaN") : QStringLiteral("Infinity");
}

/// The magnitude of value, rounded to 15 significant digits and written in
/// plain decimal notation without trailing zeros.
QString plainDecimal(double magnitude)
{
    char scientific[32];
    std::snprintf(scientific, sizeof scientific, "%.14e", magnitude);
    // "d.dddddddddddddde±XX": the fifteen digits, then the exponent.
    QString digits;
    const char *p = scientific;
    for (; *p && *p != 'e'; ++p) {
        if (*p != '.')
            digits += QLatin1Char(*p);
    }
    const int exponent = std::atoi(p + 1);
    while (digits.size() > 1 && digits.endsWith(QLatin1Char('0')))
        digits.chop(1);

    if (exponent < 0)
        return QStringLiteral("0.") + QString(-exponent - 1, QLatin1Char('0')) + digits;
    const int integerDigits = exponent + 1;
    if (digits.size() <= integerDigits)
        return digits + QString(integerDigits - digits.size(), QLatin1Char('0'));
    return digits.left(integerDigits) + QLatin1Char('.') + digits.mid(integerDigits);
}

} // namespace

QString hexText(std::int32_t value)
{
    return QString::number(static_cast<std::uint32_t>(value), 16).toUpper();
}

QString formatPattern(double value, Pattern pattern)
{
    if (!std::isfinite(value))
        return nonFinite(value);
    char text[400];
    switch (pattern) {
    case Pattern::Digits: {
        const double whole = std::round(value);
        if (whole == 0.0)
            return QString();
        std::snprintf(text, sizeof text, "%.0f", whole);
        return QString::fromLatin1(text);
    }
    case Pattern::ThreeDotTwo: {
        std::snprintf(text, sizeof text, "%.2f", std::fabs(value));
        QString digits = QString::fromLatin1(text);
        const qsizetype point = digits.indexOf(QLatin1Char('.'));
        if (point < 3)
            digits.prepend(QString(3 - point, QLatin1Char('0')));
        // A value that rounds to zero carries no sign.
        const bool negative = value < 0 && digits != QLatin1String("000.00");
        return negative ? QLatin1Char('-') + digits : digits;
    }
    }
    return QString();
}

QString printedNumber(std::int64_t value)
{
    const std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value)
                                              : static_cast<std::uint64_t>(value);
    return signPosition(value < 0) + QString::number(magnitude) + QLatin1Char(' ');
}

QString printedNumber(double value)
{
    if (!std::isfinite(value))
        return signPosition(value < 0) + nonFinite(value) + QLatin1Char(' ');
    if (value == 0.0)
        return QStringLiteral(" 0 ");
    return signPosition(value < 0) + plainDecimal(std::fabs(value)) + QLatin1Char(' ');
}

} // namespace console
