// The simulated card's 128-bit multiply-divide without a 128-bit integer type,
// as the 32-bit build uses it: against known values near the limits, and, where
// the compiler has a 128-bit type, against it on many seeded operands.
// Prints "N passed, N failed".

#include "muldiv.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

int passed = 0;
int failed = 0;

void check(bool ok, const char *what, std::int64_t a, std::int64_t b, std::int64_t c,
           std::int64_t got, std::int64_t expected)
{
    if (ok) {
        ++passed;
        return;
    }
    ++failed;
    std::printf("FAIL: %s(%lld, %lld, %lld) = %lld, expected %lld\n", what, (long long)a,
                (long long)b, (long long)c, (long long)got, (long long)expected);
}

} // namespace

int main()
{
    using simcard::portable::mulDivCeil;
    using simcard::portable::mulDivFloor;

    struct Case
    {
        std::int64_t a, b, c, floor, ceil;
    };
    constexpr std::int64_t tenToTheTen = 10'000'000'000;
    constexpr std::int64_t max = INT64_MAX;
    const Case cases[] = {
        {1, 1, 1, 1, 1},
        {7, 3, 2, 10, 11},
        {1, 1, tenToTheTen, 0, 1},
        // A day of nanoseconds at the fastest sample clock: the product needs 82 bits.
        {86'400'000'000'000, 10'000'000, 1'000'000'000, 864'000'000'000, 864'000'000'000},
        // A pulse output's edge a year in at 0.1 Hz steps.
        {31'536'000'000'000'000, 2'000'000, tenToTheTen, 6'307'200'000'000,
         6'307'200'000'000},
        {max, max, max, max, max},
        {max, 2, 4, max / 2, max / 2 + 1},
        {max, max - 1, max, max - 1, max - 1},
        {3'037'000'499, 3'037'000'499, 7, 1'317'624'575'846'607'000,
         1'317'624'575'846'607'001},
    };
    for (const Case &t : cases) {
        const std::int64_t floor = mulDivFloor(t.a, t.b, t.c);
        check(floor == t.floor, "mulDivFloor", t.a, t.b, t.c, floor, t.floor);
        const std::int64_t ceil = mulDivCeil(t.a, t.b, t.c);
        check(ceil == t.ceil, "mulDivCeil", t.a, t.b, t.c, ceil, t.ceil);
    }

#if defined(__SIZEOF_INT128__)
    // Seeded operands in the ranges the card's clocks give; where a quotient
    // would not fit, both keep its low 64 bits.
    std::mt19937_64 random(583);
    for (int i = 0; i < 100'000; ++i) {
        const int bits = 1 + int(random() % 62);
        const std::int64_t a = std::int64_t(random() >> (64 - bits)) + 1;
        const std::int64_t b = std::int64_t(random() % 20'000'000'001) + 1;
        const std::int64_t c = std::int64_t(random() % tenToTheTen) + 1;
        const std::int64_t floor = simcard::mulDivFloor(a, b, c);
        const std::int64_t ceil = simcard::mulDivCeil(a, b, c);
        check(mulDivFloor(a, b, c) == floor, "mulDivFloor", a, b, c, mulDivFloor(a, b, c), floor);
        check(mulDivCeil(a, b, c) == ceil, "mulDivCeil", a, b, c, mulDivCeil(a, b, c), ceil);
        if (failed > 10)
            break;
    }
#endif

    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}
