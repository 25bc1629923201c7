// How fast ZK583_TAD_Read moves samples, against memcpy on the same machine in
// the same run. Batches of 64 Ki samples, a manual clock keeps exactly one
// batch ready before every read. Exits 1 if the read is slower than half of memcpy.

#include "clock.h"
#include "continuousscan.h"
#include "simulatedcard.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace simcard;
using namespace std::chrono_literals;

namespace {

/// Samples per read: one full FIFO.
constexpr std::int32_t batchSamples = 65536;
constexpr std::size_t batchBytes = batchSamples * sizeof(std::int32_t);
/// Timed reads of each kind; the median is reported.
constexpr int rounds = 301;
/// The read is accepted at no less than this share of memcpy's bandwidth.
constexpr double requiredRatio = 0.5;

/// Time for 64 Ki samples at the default 100,000 samples/s.
constexpr auto batchTime = 655'360'000ns;

double median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

double gigabytesPerSecond(double seconds)
{
    return double(batchBytes) / seconds / 1e9;
}

} // namespace

int main()
{
    static_assert(batchSamples <= ContinuousScan::fifoDepth);

    ManualClock clock;
    SimulatedCard card(clock);
    const std::int32_t handle = card.openDevice(0);
    card.startScan(handle, 0, 15, 0, 0, 50);

    std::vector<std::int32_t> source(batchSamples, 1);
    std::vector<std::int32_t> destination(batchSamples);

    // Start reading 63 scans into the table, so that every batch wraps around its end.
    clock.advance(batchTime);
    card.readScan(handle, destination.data(), 1008);
    clock.advance(10'080'000ns);

    std::vector<double> readSeconds;
    std::vector<double> copySeconds;
    std::int64_t checksum = 0;
    for (int round = 0; round < rounds + 10; ++round) {
        if (card.pollScan(handle) != batchSamples) {
            std::fprintf(stderr, "FIFO does not hold one batch\n");
            return 2;
        }
        // Alternate the two, so that whatever else the machine does hits both alike.
        auto start = std::chrono::steady_clock::now();
        const std::int32_t copied = card.readScan(handle, destination.data(), batchSamples);
        auto end = std::chrono::steady_clock::now();
        checksum += destination[std::size_t(round) % batchSamples] + copied;
        const double readTime = std::chrono::duration<double>(end - start).count();

        start = std::chrono::steady_clock::now();
        std::memcpy(destination.data(), source.data(), batchBytes);
        end = std::chrono::steady_clock::now();
        checksum += destination[std::size_t(round) % batchSamples];
        const double copyTime = std::chrono::duration<double>(end - start).count();

        if (round >= 10) { // the first rounds warm the caches
            readSeconds.push_back(readTime);
            copySeconds.push_back(copyTime);
        }
        clock.advance(batchTime);
    }

    const double readRate = gigabytesPerSecond(median(readSeconds));
    const double copyRate = gigabytesPerSecond(median(copySeconds));
    const double ratio = readRate / copyRate;
    const bool pass = ratio >= requiredRatio;
    std::printf("batch: %d samples (%zu bytes), median of %d rounds (checksum %lld)\n",
                batchSamples, batchBytes, rounds, static_cast<long long>(checksum));
    std::printf("memcpy:         %8.2f GB/s\n", copyRate);
    std::printf("TAD_Read:       %8.2f GB/s  (SimulatedCard::readScan, under ZK583_TAD_Read)\n", readRate);
    std::printf("ratio: %.2f (required >= %.2f): %s\n", ratio, requiredRatio, pass ? "PASS" : "FAIL");
    return pass ? 0 : 1;
}
