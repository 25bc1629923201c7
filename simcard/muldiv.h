#pragma once

#include <cstdint>

namespace simcard {

/// The same without a 128-bit integer type, which 32-bit targets and some
/// compilers lack: the 128-bit product in two halves, then long division.
namespace portable {

struct Product
{
    std::uint64_t high;
    std::uint64_t low;
};

inline Product multiply(std::uint64_t a, std::uint64_t b)
{
    const std::uint64_t mask = 0xFFFFFFFFu;
    const std::uint64_t lowLow = (a & mask) * (b & mask);
    const std::uint64_t lowHigh = (a & mask) * (b >> 32);
    const std::uint64_t highLow = (a >> 32) * (b & mask);
    const std::uint64_t highHigh = (a >> 32) * (b >> 32);
    const std::uint64_t middle = (lowLow >> 32) + (lowHigh & mask) + (highLow & mask);
    return {highHigh + (lowHigh >> 32) + (highLow >> 32) + (middle >> 32),
            (middle << 32) | (lowLow & mask)};
}

/// The low 64 bits of floor(n / d), for 0 < d < 2^63.
inline std::uint64_t divide(Product n, std::uint64_t d)
{
    std::uint64_t remainder = 0;
    std::uint64_t quotient = 0;
    for (int bit = 127; bit >= 0; --bit) {
        const std::uint64_t next = bit >= 64 ? (n.high >> (bit - 64)) & 1u : (n.low >> bit) & 1u;
        remainder = (remainder << 1) | next;
        quotient <<= 1;
        if (remainder >= d) {
            remainder -= d;
            quotient |= 1u;
        }
    }
    return quotient;
}

inline std::int64_t mulDivFloor(std::int64_t a, std::int64_t b, std::int64_t c)
{
    return std::int64_t(divide(multiply(std::uint64_t(a), std::uint64_t(b)), std::uint64_t(c)));
}

inline std::int64_t mulDivCeil(std::int64_t a, std::int64_t b, std::int64_t c)
{
    Product n = multiply(std::uint64_t(a), std::uint64_t(b));
    if (n.low-- == 0)
        --n.high;
    return std::int64_t(divide(n, std::uint64_t(c)) + 1u);
}

} // namespace portable

#if defined(__SIZEOF_INT128__)

__extension__ typedef __int128 WideInt;

/// floor(a * b / c) for a, b >= 0 and c > 0, without overflow in the product.
inline std::int64_t mulDivFloor(std::int64_t a, std::int64_t b, std::int64_t c)
{
    return std::int64_t(WideInt(a) * b / c);
}

/// floor((a * b - 1) / c) + 1, that is ceil(a * b / c), for a, b >= 1 and
/// c > 0, without overflow in the product.
inline std::int64_t mulDivCeil(std::int64_t a, std::int64_t b, std::int64_t c)
{
    return std::int64_t((WideInt(a) * b - 1) / c + 1);
}

#else

using portable::mulDivCeil;
using portable::mulDivFloor;

#endif

} // namespace simcard
