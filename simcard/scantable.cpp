#include "scantable.h"

#include "muldiv.h"
#include "ranges.h"
#include "testsignals.h"

#include <cmath>
#include <cstring>

namespace simcard {

std::int64_t Pacing::samplesIn(std::int64_t elapsed) const
{
    return elapsed <= 0 ? 0 : mulDivFloor(elapsed, samples, nanoseconds);
}

void ScanTable::build(std::int32_t firstChannel, std::int32_t lastChannel, const Pacing &pacing,
                      const std::array<double, 2> &outputs)
{
    m_firstChannel = firstChannel;
    m_channels = lastChannel - firstChannel + 1;

    std::int64_t scans = baseScans;
    while (scans * m_channels < minimumSamples)
        scans += baseScans;
    const std::int64_t size = scans * m_channels;
    m_samples.assign(std::size_t(size), 0);

    // The table lasts size * pacing.nanoseconds / pacing.samples; each signal is
    // given the whole number of cycles nearest to its own frequency over that
    // time, so the table repeats seamlessly. At the default rate the count is exact.
    const double tableNanoseconds = double(size) * double(pacing.nanoseconds) / double(pacing.samples);
    const InputRange &range = *findInputRange(scanRangeCode);

    for (std::int32_t j = 0; j < m_channels; ++j) {
        const std::int32_t channel = firstChannel + j;
        const ChannelSignal &signal = channelSignals[std::size_t(channel)];
        const std::int64_t cycles = std::llround(signal.cyclesPerPattern * tableNanoseconds
                                                 / double(patternPeriodNanoseconds));
        for (std::int64_t k = j; k < size; k += m_channels) {
            double millivolts = signal.offsetMillivolts;
            switch (signal.pattern) {
            case SignalPattern::Loopback:
                millivolts = outputs[std::size_t(channel)];
                break;
            case SignalPattern::Noise:
                millivolts += signal.amplitudeMillivolts * noiseAt(std::uint64_t(k));
                break;
            case SignalPattern::Dc:
                break;
            case SignalPattern::Sine:
            case SignalPattern::Triangle:
            case SignalPattern::Square: {
                const double phase = double(cycles * k % size) / double(size);
                millivolts += signal.amplitudeMillivolts * waveform(signal.pattern, phase);
                break;
            }
            }
            m_samples[std::size_t(k)] = millivoltsToRaw(range, millivolts);
        }
    }
}

void ScanTable::setOutput(std::int32_t output, double millivolts)
{
    const std::int32_t j = output - m_firstChannel;
    if (m_channels == 0 || j < 0 || j >= m_channels)
        return;
    const std::int32_t raw = millivoltsToRaw(*findInputRange(scanRangeCode), millivolts);
    for (std::size_t k = std::size_t(j); k < m_samples.size(); k += std::size_t(m_channels))
        m_samples[k] = raw;
}

void ScanTable::copy(std::int64_t first, std::int32_t *destination, std::int64_t count) const
{
    std::int64_t offset = first % size();
    while (count > 0) {
        const std::int64_t chunk = std::min(count, size() - offset);
        std::memcpy(destination, m_samples.data() + offset, std::size_t(chunk) * sizeof(std::int32_t));
        destination += chunk;
        count -= chunk;
        offset = 0;
    }
}

} // namespace simcard
