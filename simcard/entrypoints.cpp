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

} // namespace

extern "C" {

int32_t ZK583_OpenDevice(int32_t cardIndex)
{
    Library &lib = library();
    std::lock_guard lock(lib.mutex);
    const int32_t result = lib.card.openDevice(cardIndex);
    traceCall(lib, "ZK583_OpenDevice", std::int64_t(result), cardIndex);
    return result;
}

int32_t ZK583_CloseDevice(int32_t handle)
{
    Library &lib = library();
    std::lock_guard lock(lib.mutex);
    const int32_t result = lib.card.closeDevice(handle);
    traceCall(lib, "ZK583_CloseDevice", std::int64_t(result), handle);
    return result;
}

int32_t ZK583_CAL(int32_t handle)
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

int32_t ZK583_AD(int32_t handle, int32_t channel, int32_t rangeCode, int32_t extra1,
                 int32_t extra2)
{
    Library &lib = library();
    std::lock_guard lock(lib.mutex);
    const int32_t result = lib.card.analogInput(handle, channel, rangeCode, extra1, extra2);
    traceCall(lib, "ZK583_AD", std::int64_t(result), handle, channel, rangeCode, extra1, extra2);
    return result;
}

double ZK583_ADV(int32_t rangeCode, int32_t raw)
{
    Library &lib = library();
    std::lock_guard lock(lib.mutex);
    const double result = simcard::SimulatedCard::rawToMillivolts(rangeCode, raw);
    traceCall(lib, "ZK583_ADV", result, rangeCode, raw);
    return result;
}

int32_t ZK583_TAD(int32_t handle, int32_t firstChannel, int32_t lastChannel, int32_t scanSetting,
                  int32_t extra1, int32_t extra2)
{
    Library &lib = library();
    std::lock_guard lock(lib.mutex);
    const int32_t result
        = lib.card.startScan(handle, firstChannel, lastChannel, scanSetting, extra1, extra2);
    traceCall(lib, "ZK583_TAD", std::int64_t(result), handle, firstChannel, lastChannel,
              scanSetting, extra1, extra2);
    return result;
}

int32_t ZK583_TAD_Poll(int32_t handle)
{
    Library &lib = library();
    std::lock_guard lock(lib.mutex);
    const int32_t result = lib.card.pollScan(handle);
    traceCall(lib, "ZK583_TAD_Poll", std::int64_t(result), handle);
    return result;
}

int32_t ZK583_TAD_Read(int32_t handle, int32_t *destination, int32_t count)
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

int32_t ZK583_TAD_Stop(int32_t handle)
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

int32_t ZK583_DO(int32_t handle, int32_t word)
{
    Library &lib = library();
    std::lock_guard lock(lib.mutex);
    const int32_t result = lib.card.digitalOutput(handle, word);
    traceCall(lib, "ZK583_DO", std::int64_t(result), handle, word);
    return result;
}

int32_t ZK583_DI(int32_t handle)
{
    Library &lib = library();
    std::lock_guard lock(lib.mutex);
    const int32_t result = lib.card.digitalInput(handle);
    traceCall(lib, "ZK583_DI", std::int64_t(result), handle);
    return result;
}

int32_t ZK583_DA_INI(int32_t handle)
{
    Library &lib = library();
    std::lock_guard lock(lib.mutex);
    const int32_t result = lib.card.resetAnalogOutputs(handle);
    traceCall(lib, "ZK583_DA_INI", std::int64_t(result), handle);
    return result;
}

int32_t ZK583_DA(int32_t handle, int32_t output, int32_t rangeCode, int32_t code)
{
    Library &lib = library();
    std::lock_guard lock(lib.mutex);
    const int32_t result = lib.card.analogOutput(handle, output, rangeCode, code);
    traceCall(lib, "ZK583_DA", std::int64_t(result), handle, output, rangeCode, code);
    return result;
}

int32_t ZK583_PRun(int32_t handle, int32_t channel, int32_t type, int32_t firstValue,
                   int32_t secondValue)
{
    Library &lib = library();
    std::lock_guard lock(lib.mutex);
    const int32_t result = lib.card.startPulse(handle, channel, type, firstValue, secondValue);
    traceCall(lib, "ZK583_PRun", std::int64_t(result), handle, channel, type, firstValue,
              secondValue);
    return result;
}

int32_t ZK583_PEnd(int32_t handle, int32_t channel)
{
    Library &lib = library();
    std::lock_guard lock(lib.mutex);
    const int32_t result = lib.card.endPulse(handle, channel);
    traceCall(lib, "ZK583_PEnd", std::int64_t(result), handle, channel);
    return result;
}

int32_t ZK583_PState(int32_t handle, int32_t channel)
{
    Library &lib = library();
    std::lock_guard lock(lib.mutex);
    const int32_t result = lib.card.pulseState(handle, channel);
    traceCall(lib, "ZK583_PState", std::int64_t(result), handle, channel);
    return result;
}

int32_t ZK583_PSetData(int32_t handle, int32_t channel, int32_t firstValue, int32_t secondValue)
{
    Library &lib = library();
    std::lock_guard lock(lib.mutex);
    const int32_t result = lib.card.setPulseData(handle, channel, firstValue, secondValue);
    traceCall(lib, "ZK583_PSetData", std::int64_t(result), handle, channel, firstValue,
              secondValue);
    return result;
}

int32_t ZK583_CNT_Run(int32_t handle, int32_t counter, int32_t initialValue)
{
    Library &lib = library();
    std::lock_guard lock(lib.mutex);
    const int32_t result = lib.card.startCounter(handle, counter, initialValue);
    traceCall(lib, "ZK583_CNT_Run", std::int64_t(result), handle, counter, initialValue);
    return result;
}

int32_t ZK583_CNT_Read(int32_t handle, int32_t counter, int32_t *count, int32_t *timeValue)
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

int32_t ZK583_EEPROM_Write(int32_t handle, const uint8_t *block)
{
    Library &lib = library();
    std::lock_guard lock(lib.mutex);
    const int32_t result = lib.card.writeEeprom(handle, block);
    if (lib.trace.isOpen()) {
        simcard::TraceLine line("ZK583_EEPROM_Write");
        line.arg(handle).arg("block").result(std::int64_t(result));
        if (result == 0)
            line.bytes("block", block, simcard::SimulatedCard::eepromSize);
        lib.trace.write(line.text());
    }
    return result;
}

int32_t ZK583_EEPROM_Read(int32_t handle, uint8_t *block)
{
    Library &lib = library();
    std::lock_guard lock(lib.mutex);
    const int32_t result = lib.card.readEeprom(handle, block);
    if (lib.trace.isOpen()) {
        simcard::TraceLine line("ZK583_EEPROM_Read");
        line.arg(handle).arg("block").result(std::int64_t(result));
        if (result == 0)
            line.bytes("block", block, simcard::SimulatedCard::eepromSize);
        lib.trace.write(line.text());
    }
    return result;
}

int32_t ZK583SIM_LostSamples(int32_t handle)
{
    Library &lib = library();
    std::lock_guard lock(lib.mutex);
    const int32_t result = lib.card.lostSamples(handle);
    traceCall(lib, "ZK583SIM_LostSamples", std::int64_t(result), handle);
    return result;
}

} // extern "C"
