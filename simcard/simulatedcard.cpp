#include "simulatedcard.h"

#include "ranges.h"
#include "testsignals.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace simcard {

namespace {

/// Counter times are reported in 0.1 us.
constexpr std::int64_t nanosecondsPerTimeUnit = 100;

std::int32_t clampToInt32(std::int64_t value)
{
    return std::int32_t(std::min<std::int64_t>(value, std::numeric_limits<std::int32_t>::max()));
}

} // namespace

SimulatedCard::SimulatedCard(const Clock &clock, CardOptions options)
    : m_clock(clock)
    , m_options(options)
{
    m_eeprom.fill(eepromErased);
}

std::int32_t SimulatedCard::openDevice(std::int32_t index)
{
    if (m_options.absent || index != 0)
        return failure;
    m_open = true;
    return cardHandle;
}

std::int32_t SimulatedCard::closeDevice(std::int32_t handle)
{
    if (!isOpen(handle))
        return failure;
    const std::int64_t t = now();
    m_scan.stop(t);
    for (std::int32_t channel = 0; channel < pulseChannelCount; ++channel) {
        m_counters[std::size_t(channel)].settle(m_pulses[std::size_t(channel)], t);
        m_pulses[std::size_t(channel)].stop(t);
    }
    m_open = false;
    return 0;
}

std::int32_t SimulatedCard::calibrate(std::int32_t handle)
{
    if (!isOpen(handle))
        return failure;
    ++m_calibrations;
    return 0;
}

std::int32_t SimulatedCard::analogInput(std::int32_t handle, std::int32_t channel,
                                        std::int32_t rangeCode, std::int32_t, std::int32_t)
{
    const InputRange *range = findInputRange(rangeCode);
    if (!isOpen(handle) || channel < 0 || channel >= inputChannelCount || !range)
        return failure;
    return millivoltsToRaw(*range, channelMillivoltsAt(channel, now(), m_outputs));
}

double SimulatedCard::rawToMillivolts(std::int32_t rangeCode, std::int32_t raw)
{
    const InputRange *range = findInputRange(rangeCode);
    if (!range || raw < 0 || raw > maximumRaw)
        return std::numeric_limits<double>::quiet_NaN();
    return simcard::rawToMillivolts(*range, raw);
}

Pacing SimulatedCard::pacingFor(std::int32_t extra2) const
{
    if (m_options.sampleRate > 0)
        return {m_options.sampleRate, 1'000'000'000};
    return {1, extra2 * (1'000'000'000 / pacerClockHertz)};
}

std::int32_t SimulatedCard::startScan(std::int32_t handle, std::int32_t firstChannel,
                                      std::int32_t lastChannel, std::int32_t scanSetting,
                                      std::int32_t extra1, std::int32_t extra2)
{
    // Only the internal trigger (setting 0) and the internal pacer clock (extra1 0) exist.
    if (!isOpen(handle) || firstChannel < 0 || firstChannel > lastChannel
        || lastChannel >= inputChannelCount || scanSetting != 0 || extra1 != 0 || extra2 < 1)
        return failure;
    m_scan.start(firstChannel, lastChannel, pacingFor(extra2), now(), m_outputs);
    return 0;
}

std::int32_t SimulatedCard::pollScan(std::int32_t handle)
{
    if (!isOpen(handle))
        return failure;
    return std::int32_t(m_scan.ready(now()));
}

std::int32_t SimulatedCard::readScan(std::int32_t handle, std::int32_t *destination,
                                     std::int32_t count)
{
    if (!isOpen(handle) || !destination || count < 0)
        return failure;
    return std::int32_t(m_scan.read(now(), destination, count));
}

std::int32_t SimulatedCard::stopScan(std::int32_t handle)
{
    if (!isOpen(handle))
        return failure;
    m_scan.stop(now());
    return 0;
}

std::int32_t SimulatedCard::lostSamples(std::int32_t handle)
{
    if (!isOpen(handle))
        return failure;
    m_scan.ready(now());
    return clampToInt32(m_scan.lostSamples());
}

std::int32_t SimulatedCard::deliveredSamples(std::int32_t handle)
{
    if (!isOpen(handle))
        return failure;
    return clampToInt32(m_scan.deliveredSamples());
}

std::int32_t SimulatedCard::digitalOutput(std::int32_t handle, std::int32_t word)
{
    if (!isOpen(handle) || word < 0 || word > 0xFFFF)
        return failure;
    m_digitalWord = word;
    return 0;
}

std::int32_t SimulatedCard::digitalInput(std::int32_t handle)
{
    if (!isOpen(handle))
        return failure;
    return m_digitalWord;
}

std::int32_t SimulatedCard::resetAnalogOutputs(std::int32_t handle)
{
    if (!isOpen(handle))
        return failure;
    for (std::int32_t output = 0; output < analogOutputCount; ++output) {
        m_outputs[std::size_t(output)] = 0.0;
        m_scan.setOutput(output, 0.0);
    }
    return 0;
}

std::int32_t SimulatedCard::analogOutput(std::int32_t handle, std::int32_t output,
                                         std::int32_t rangeCode, std::int32_t code)
{
    const OutputRange *range = findOutputRange(rangeCode);
    if (!isOpen(handle) || output < 0 || output >= analogOutputCount || !range || code < 0
        || code > maximumOutputCode)
        return failure;
    const double millivolts = outputMillivolts(*range, code);
    m_outputs[std::size_t(output)] = millivolts;
    m_scan.setOutput(output, millivolts);
    return 0;
}

double SimulatedCard::analogOutputMillivolts(std::int32_t output) const
{
    if (output < 0 || output >= analogOutputCount)
        return std::numeric_limits<double>::quiet_NaN();
    return m_outputs[std::size_t(output)];
}

std::int32_t SimulatedCard::startPulse(std::int32_t handle, std::int32_t channel,
                                       std::int32_t type, std::int32_t frequency,
                                       std::int32_t second)
{
    if (!isOpen(handle) || channel < 0 || channel >= pulseChannelCount
        || (type != std::int32_t(PulseMode::Pwm) && type != std::int32_t(PulseMode::PulseTrain)))
        return failure;
    const PulseMode mode = PulseMode(type);
    if (!PulseOutput::isValid(mode, frequency, second))
        return failure;
    const std::int64_t t = now();
    m_counters[std::size_t(channel)].settle(m_pulses[std::size_t(channel)], t);
    m_pulses[std::size_t(channel)].start(mode, frequency, second, t);
    return 0;
}

std::int32_t SimulatedCard::endPulse(std::int32_t handle, std::int32_t channel)
{
    if (!isOpen(handle) || channel < 0 || channel >= pulseChannelCount)
        return failure;
    const std::int64_t t = now();
    m_counters[std::size_t(channel)].settle(m_pulses[std::size_t(channel)], t);
    m_pulses[std::size_t(channel)].stop(t);
    return 0;
}

std::int32_t SimulatedCard::pulseState(std::int32_t handle, std::int32_t channel)
{
    if (!isOpen(handle) || channel < 0 || channel >= pulseChannelCount)
        return failure;
    return m_pulses[std::size_t(channel)].isRunning(now()) ? 1 : 0;
}

std::int32_t SimulatedCard::setPulseData(std::int32_t handle, std::int32_t channel,
                                         std::int32_t frequency, std::int32_t second)
{
    if (!isOpen(handle) || channel < 0 || channel >= pulseChannelCount)
        return failure;
    const PulseOutput &pulse = m_pulses[std::size_t(channel)];
    if (!pulse.isRunning(now()))
        return failure;
    return startPulse(handle, channel, std::int32_t(pulse.mode()), frequency, second);
}

std::int32_t SimulatedCard::startCounter(std::int32_t handle, std::int32_t counter,
                                         std::int32_t initial)
{
    if (!isOpen(handle) || counter < 0 || counter >= counterCount || initial < 0)
        return failure;
    m_counters[std::size_t(counter)].start(initial, now());
    return 0;
}

std::int32_t SimulatedCard::readCounter(std::int32_t handle, std::int32_t counter,
                                        std::int32_t *count, std::int32_t *tenthMicroseconds)
{
    if (!isOpen(handle) || counter < 0 || counter >= counterCount || !count || !tenthMicroseconds
        || !m_counters[std::size_t(counter)].isStarted())
        return failure;
    const EventCounter::Reading reading
        = m_counters[std::size_t(counter)].read(m_pulses[std::size_t(counter)], now());
    *count = std::int32_t(reading.remaining);
    *tenthMicroseconds = clampToInt32(reading.nanoseconds / nanosecondsPerTimeUnit);
    return reading.over ? 1 : 0;
}

std::int32_t SimulatedCard::writeEeprom(std::int32_t handle, const std::uint8_t *block)
{
    if (!isOpen(handle) || !block)
        return failure;
    std::memcpy(m_eeprom.data(), block, m_eeprom.size());
    return 0;
}

std::int32_t SimulatedCard::readEeprom(std::int32_t handle, std::uint8_t *block)
{
    if (!isOpen(handle) || !block)
        return failure;
    std::memcpy(block, m_eeprom.data(), m_eeprom.size());
    return 0;
}

} // namespace simcard
