#pragma once

#include <cstdint>

namespace simcard {

__extension__ typedef __int128 WideInt;

/// floor(a * b / c) for a, b >= 0 and c > 0, without overflow in the product.
inline std::int64_t mulDivFloor(std::int64_t a, std::int64_t b, std::int64_t c)
{
    return std::int64_t(WideInt(a) * b / c);
}

} // namespace simcard
