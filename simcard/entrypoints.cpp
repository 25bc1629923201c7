// The card library's C entry points, over one simulated card per process.

#include "zk583sim.h"

#include "calltrace.h"
#include "settings.h"
#include "simulatedcard.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

/// Values of a TAD_Read shown in the trace: one scan of all channels.
constexpr std::int64_t tracedSamples = 16;

/// The process's one card, with its settings and trace.
struct Library
{
    Library()
        : settings(simcard::Settings::read([](const char *name) { return std::getenv(name); }))
        , card(clock, simcard::CardOptions{settings.absent, settings.sampleRate})
    {
        for (const std::string &problem : settings.problems)
            std::fprintf(stderr, "%s\n", problem.c_str());
        if (!settings.tracePath.empty() && !trace.open(settings.tracePath))
            std::fprintf(stderr,
                         "simulated ZK583 card: ZK583SIM_TRACE=\"%s\" cannot be written; no trace\n",
                         settings.tracePath.c_str());
    }

    simcard::SteadyClock clock;
    simcard::Settings settings;
    simcard::SimulatedCard card;
    simcard::CallTrace trace;
    std::mutex mutex;
};

Library &library()
{
    static Library instance;
    return instance;
}

/// Sets the library up as it is loaded, so the trace file starts empty even before the first call.
struct LoadAtStart
{
    LoadAtStart() { library(); }
} loadAtStart;

/// Writes a line for a call with plain integer arguments.
template<typename Result, typename... Args>
void traceCall(Library &lib, std::string_view name, Result result, Args... args)
{
    if (!lib.trace.isOpen())
        return;
    simcard::TraceLine line(name);
    (line.arg(std::int64_t(args)), ...);
    line.result(result);
    lib.trace.write(line.text());
}

/// Calls method on the card under the lock, and traces the call with its
/// plain integer arguments and result.
template<auto method, typename... Args>
int32_t tracedCall(std::string_view name, Args... args)
{
    Library &lib = library();
    std::lock_guard lock(lib.mutex);
    const int32_t result = (lib.card.*method)(args...);
    traceCall(lib, name, std::int64_t(result), args...);
    return result;
}

/// Calls an EEPROM method under the lock, and traces the block it wrote or read.
template<auto method, typename Block>
int32_t eepromCall(std::string_view name, int32_t handle, Block *block)
{
    Library &lib = library();
    std::lock_guard lock(lib.mutex);
    const int32_t result = (lib.card.*method)(handle, block);
    if (lib.trace.isOpen()) {
        simcard::TraceLine line(name);
        line.arg(handle).arg("block").result(std::int64_t(result));
        if (result == 0)
            line.bytes("block", block, simcard::SimulatedCard::eepromSize);
        lib.trace.write(line.text());
    }
    return result;
}

} // namespace

extern "C" {

int32_t ZK583_CALL ZK583_OpenDevice(int32_t cardIndex)
{
    return tracedCall<&simcard::SimulatedCard::openDevice>("ZK583_OpenDevice", cardIndex);
}

int32_t ZK583_CALL ZK583_CloseDevice(int32_t handle)
{
    return tracedCall<&simcard::SimulatedCard::closeDevice>("ZK583_CloseDevice", handle);
}

int32_t ZK583_CALL ZK583_CAL(int32_t handle)
{
    Library &lib = library();
    std::lock_guard lock(lib.mutex);
    const int32_t result = lib.card.calibrate(handle);
    if (lib.trace.isOpen())
        lib.trace.write(simcard::TraceLine("ZK583_CAL")
                            .arg(handle)
                            .result(std::int64_t(result))
                            .detail("calibrations", lib.card.calibrationCount())
                            .text());
    return result;
}

int32_t ZK583_CALL ZK583_AD(int32_t handle, int32_t channel, int32_t rangeCode, int32_t extra1,
                 int32_t extra2)
{
    return tracedCall<&simcard::SimulatedCard::analogInput>("ZK583_AD",
        handle, channel, rangeCode, extra1, extra2);
}

double ZK583_CALL ZK583_ADV(int32_t rangeCode, int32_t raw)
{
    Library &lib = library();
    std::lock_guard lock(lib.mutex);
    const double result = simcard::SimulatedCard::rawToMillivolts(rangeCode, raw);
    traceCall(lib, "ZK583_ADV", result, rangeCode, raw);
    return result;
}

int32_t ZK583_CALL ZK583_TAD(int32_t handle, int32_t firstChannel, int32_t lastChannel, int32_t scanSetting,
                  int32_t extra1, int32_t extra2)
{
    return tracedCall<&simcard::SimulatedCard::startScan>("ZK583_TAD",
        handle, firstChannel, lastChannel, scanSetting, extra1, extra2);
}

int32_t ZK583_CALL ZK583_TAD_Poll(int32_t handle)
{
    return tracedCall<&simcard::SimulatedCard::pollScan>("ZK583_TAD_Poll", handle);
}

int32_t ZK583_CALL ZK583_TAD_Read(int32_t handle, int32_t *destination, int32_t count)
{
    Library &lib = library();
    std::lock_guard lock(lib.mutex);
    const int32_t result = lib.card.readScan(handle, destination, count);
    if (lib.trace.isOpen()) {
        simcard::TraceLine line("ZK583_TAD_Read");
        line.arg(handle).arg("destination").arg(count).result(std::int64_t(result));
        if (result > 0)
            line.values("destination", destination, result, tracedSamples);
        lib.trace.write(line.text());
    }
    return result;
}

int32_t ZK583_CALL ZK583_TAD_Stop(int32_t handle)
{
    Library &lib = library();
    std::lock_guard lock(lib.mutex);
    const int32_t result = lib.card.stopScan(handle);
    if (lib.trace.isOpen()) {
        simcard::TraceLine line("ZK583_TAD_Stop");
        line.arg(handle).result(std::int64_t(result));
        if (result == 0)
            line.detail("delivered", lib.card.deliveredSamples(handle))
                .detail("lost", lib.card.lostSamples(handle));
        lib.trace.write(line.text());
    }
    return result;
}

int32_t ZK583_CALL ZK583_DO(int32_t handle, int32_t word)
{
    return tracedCall<&simcard::SimulatedCard::digitalOutput>("ZK583_DO", handle, word);
}

int32_t ZK583_CALL ZK583_DI(int32_t handle)
{
    return tracedCall<&simcard::SimulatedCard::digitalInput>("ZK583_DI", handle);
}

int32_t ZK583_CALL ZK583_DA_INI(int32_t handle)
{
    return tracedCall<&simcard::SimulatedCard::resetAnalogOutputs>("ZK583_DA_INI", handle);
}

int32_t ZK583_CALL ZK583_DA(int32_t handle, int32_t output, int32_t rangeCode, int32_t code)
{
    return tracedCall<&simcard::SimulatedCard::analogOutput>("ZK583_DA",
        handle, output, rangeCode, code);
}

int32_t ZK583_CALL ZK583_PRun(int32_t handle, int32_t channel, int32_t type, int32_t firstValue,
                   int32_t secondValue)
{
    return tracedCall<&simcard::SimulatedCard::startPulse>("ZK583_PRun",
        handle, channel, type, firstValue, secondValue);
}

int32_t ZK583_CALL ZK583_PEnd(int32_t handle, int32_t channel)
{
    return tracedCall<&simcard::SimulatedCard::endPulse>("ZK583_PEnd", handle, channel);
}

int32_t ZK583_CALL ZK583_PState(int32_t handle, int32_t channel)
{
    return tracedCall<&simcard::SimulatedCard::pulseState>("ZK583_PState", handle, channel);
}

int32_t ZK583_CALL ZK583_PSetData(int32_t handle, int32_t channel, int32_t firstValue, int32_t secondValue)
{
    return tracedCall<&simcard::SimulatedCard::setPulseData>("ZK583_PSetData",
        handle, channel, firstValue, secondValue);
}

int32_t ZK583_CALL ZK583_CNT_Run(int32_t handle, int32_t counter, int32_t initialValue)
{
    return tracedCall<&simcard::SimulatedCard::startCounter>("ZK583_CNT_Run",
        handle, counter, initialValue);
}

int32_t ZK583_CALL ZK583_CNT_Read(int32_t handle, int32_t counter, int32_t *count, int32_t *timeValue)
{
    Library &lib = library();
    std::lock_guard lock(lib.mutex);
    const int32_t result = lib.card.readCounter(handle, counter, count, timeValue);
    if (lib.trace.isOpen()) {
        simcard::TraceLine line("ZK583_CNT_Read");
        line.arg(handle).arg(counter).arg("count").arg("time").result(std::int64_t(result));
        if (result >= 0)
            line.detail("count", *count).detail("time", *timeValue);
        lib.trace.write(line.text());
    }
    return result;
}

int32_t ZK583_CALL ZK583_EEPROM_Write(int32_t handle, const uint8_t *block)
{
    return eepromCall<&simcard::SimulatedCard::writeEeprom>("ZK583_EEPROM_Write", handle, block);
}

int32_t ZK583_CALL ZK583_EEPROM_Read(int32_t handle, uint8_t *block)
{
    return eepromCall<&simcard::SimulatedCard::readEeprom>("ZK583_EEPROM_Read", handle, block);
}

int32_t ZK583_CALL ZK583SIM_LostSamples(int32_t handle)
{
    return tracedCall<&simcard::SimulatedCard::lostSamples>("ZK583SIM_LostSamples", handle);
}

} // extern "C"
