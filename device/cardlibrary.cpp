#include "cardlibrary.h"

#include "fatalerror.h"
#include "libraryloader.h"

namespace device {

namespace {

constexpr const char *entryPointNames[] = {
#define ZK583_NAME(ret, name, params) "ZK583_" #name,
    ZK583_ENTRY_POINTS(ZK583_NAME)
#undef ZK583_NAME
};

/// The bytes that the arguments of a function of type Function take on the
/// stack, each rounded up to a whole stack slot: the N of a stdcall-decorated
/// name such as _ZK583_CAL@4.
template <typename Function>
struct ArgumentBytes;

template <typename Result, typename... Args>
struct ArgumentBytes<Result(ZK583_CALL *)(Args...)>
{
    static constexpr std::size_t slot = sizeof(void *);
    static constexpr std::size_t value =
        (std::size_t{0} + ... + ((sizeof(Args) + slot - 1) / slot * slot));
};

constexpr std::size_t entryPointArgumentBytes[] = {
#define ZK583_ARGUMENT_BYTES(ret, name, params) ArgumentBytes<ZK583_##name##_fn>::value,
    ZK583_ENTRY_POINTS(ZK583_ARGUMENT_BYTES)
#undef ZK583_ARGUMENT_BYTES
};

/// The entry point by which the simulated card tells itself apart.
using LostSamplesFunction = std::int32_t(ZK583_CALL *)(std::int32_t handle);

} // namespace

const char *entryPointName(EntryPoint entryPoint)
{
    return entryPointNames[static_cast<std::size_t>(entryPoint)];
}

CardLibrary::CardLibrary(std::vector<CardLibraryCandidate> candidates)
    : m_candidates(std::move(candidates))
{
}

// The library stays loaded until the process ends: unloading it could let
// the card library close a card that the console never closes.
CardLibrary::~CardLibrary() = default;

bool CardLibrary::load()
{
    if (m_module)
        return true;
    std::string reasons;
    for (std::size_t i = 0; i < m_candidates.size(); ++i) {
        std::string error;
        m_module = loader::open(m_candidates[i].file, error);
        if (m_module) {
            m_loadedIndex = i;
            m_loadedPath = loader::pathOf(m_module);
            if (m_loadedPath.empty())
                m_loadedPath = m_candidates[i].file;
            // The simulated card says so by an entry point of its own, wherever
            // it was found.
            m_simulated = m_candidates[i].simulated
                || loader::find(m_module, "ZK583SIM_LostSamples",
                                ArgumentBytes<LostSamplesFunction>::value, error)
                    != nullptr;
            return true;
        }
        reasons += "\n" + error;
    }
    std::string message = "Cannot load the card library";
    if (!m_candidates.empty())
        message += " " + m_candidates.front().file;
    reportFatalError(message + "." + reasons);
    return false;
}

void *CardLibrary::resolve(EntryPoint entryPoint)
{
    void *&entry = m_entries[static_cast<std::size_t>(entryPoint)];
    if (entry || !load())
        return entry;
    const auto index = static_cast<std::size_t>(entryPoint);
    std::string error;
    entry = loader::find(m_module, entryPointName(entryPoint), entryPointArgumentBytes[index],
                         error);
    if (!entry) {
        reportFatalError("The card library " + m_loadedPath + " has no entry point "
                         + entryPointName(entryPoint) + ".\n" + error);
    }
    return entry;
}

const CardLibraryCandidate *CardLibrary::loaded() const
{
    return m_module ? &m_candidates[m_loadedIndex] : nullptr;
}

LibraryCard::LibraryCard(CardLibrary &library)
    : m_library(library)
{
}

template <typename Function, typename Result, typename... Args>
Result LibraryCard::call(EntryPoint entryPoint, Result fallback, Args... args)
{
    auto function = reinterpret_cast<Function>(m_library.resolve(entryPoint));
    return function ? function(args...) : fallback;
}

std::int32_t LibraryCard::OpenDevice(std::int32_t cardIndex)
{
    return call<ZK583_OpenDevice_fn>(EntryPoint::OpenDevice, std::int32_t{-1}, cardIndex);
}

std::int32_t LibraryCard::CAL(std::int32_t handle)
{
    return call<ZK583_CAL_fn>(EntryPoint::CAL, 0, handle);
}

std::int32_t LibraryCard::AD(std::int32_t handle, std::int32_t channel, std::int32_t rangeCode,
                             std::int32_t extra1, std::int32_t extra2)
{
    return call<ZK583_AD_fn>(EntryPoint::AD, 0, handle, channel, rangeCode, extra1, extra2);
}

double LibraryCard::ADV(std::int32_t rangeCode, std::int32_t raw)
{
    return call<ZK583_ADV_fn>(EntryPoint::ADV, 0.0, rangeCode, raw);
}

std::int32_t LibraryCard::TAD(std::int32_t handle, std::int32_t firstChannel,
                              std::int32_t lastChannel, std::int32_t scanSetting,
                              std::int32_t extra1, std::int32_t extra2)
{
    return call<ZK583_TAD_fn>(EntryPoint::TAD, 0, handle, firstChannel, lastChannel,
                              scanSetting, extra1, extra2);
}

std::int32_t LibraryCard::TAD_Poll(std::int32_t handle)
{
    return call<ZK583_TAD_Poll_fn>(EntryPoint::TAD_Poll, 0, handle);
}

std::int32_t LibraryCard::TAD_Read(std::int32_t handle, std::int32_t *destination,
                                   std::int32_t count)
{
    return call<ZK583_TAD_Read_fn>(EntryPoint::TAD_Read, 0, handle, destination, count);
}

std::int32_t LibraryCard::TAD_Stop(std::int32_t handle)
{
    return call<ZK583_TAD_Stop_fn>(EntryPoint::TAD_Stop, 0, handle);
}

std::int32_t LibraryCard::DO(std::int32_t handle, std::int32_t word)
{
    return call<ZK583_DO_fn>(EntryPoint::DO, 0, handle, word);
}

std::int32_t LibraryCard::DI(std::int32_t handle)
{
    return call<ZK583_DI_fn>(EntryPoint::DI, 0, handle);
}

std::int32_t LibraryCard::DA_INI(std::int32_t handle)
{
    return call<ZK583_DA_INI_fn>(EntryPoint::DA_INI, 0, handle);
}

std::int32_t LibraryCard::DA(std::int32_t handle, std::int32_t output, std::int32_t rangeCode,
                             std::int32_t code)
{
    return call<ZK583_DA_fn>(EntryPoint::DA, 0, handle, output, rangeCode, code);
}

std::int32_t LibraryCard::PRun(std::int32_t handle, std::int32_t channel, std::int32_t type,
                               std::int32_t firstValue, std::int32_t secondValue)
{
    return call<ZK583_PRun_fn>(EntryPoint::PRun, 0, handle, channel, type, firstValue,
                               secondValue);
}

std::int32_t LibraryCard::PEnd(std::int32_t handle, std::int32_t channel)
{
    return call<ZK583_PEnd_fn>(EntryPoint::PEnd, 0, handle, channel);
}

std::int32_t LibraryCard::CNT_Run(std::int32_t handle, std::int32_t counter,
                                  std::int32_t initialValue)
{
    return call<ZK583_CNT_Run_fn>(EntryPoint::CNT_Run, 0, handle, counter, initialValue);
}

std::int32_t LibraryCard::CNT_Read(std::int32_t handle, std::int32_t counter, std::int32_t *count,
                                   std::int32_t *timeValue)
{
    return call<ZK583_CNT_Read_fn>(EntryPoint::CNT_Read, 0, handle, counter, count, timeValue);
}

std::int32_t LibraryCard::EEPROM_Write(std::int32_t handle, const std::uint8_t *block)
{
    return call<ZK583_EEPROM_Write_fn>(EntryPoint::EEPROM_Write, 0, handle, block);
}

std::int32_t LibraryCard::EEPROM_Read(std::int32_t handle, std::uint8_t *block)
{
    return call<ZK583_EEPROM_Read_fn>(EntryPoint::EEPROM_Read, 0, handle, block);
}

} // namespace device
