#pragma once

#include "card.h"
#include "zk583.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace device {

/// The entry points of the card library, in the order of ZK583_ENTRY_POINTS.
enum class EntryPoint {
#define ZK583_ENUMERATE(ret, name, params) name,
    ZK583_ENTRY_POINTS(ZK583_ENUMERATE)
#undef ZK583_ENUMERATE
};

inline constexpr std::size_t entryPointCount = 0
#define ZK583_COUNT(ret, name, params) +1
    ZK583_ENTRY_POINTS(ZK583_COUNT)
#undef ZK583_COUNT
    ;

/// The exported name of entryPoint, such as "ZK583_TAD_Poll".
const char *entryPointName(EntryPoint entryPoint);

/// One place where the console may find a card library.
struct CardLibraryCandidate
{
    std::string file;   ///< a bare file name (ordinary library search) or an absolute path
    bool simulated;     ///< the simulated card shipped with the console
};

/// The card library, bound by name: the first candidate that loads is used,
/// and each entry point is looked up on its first call and then kept.
/// What cannot be found goes to the fatal-error handler.
class CardLibrary
{
public:
    explicit CardLibrary(std::vector<CardLibraryCandidate> candidates);
    ~CardLibrary();
    CardLibrary(const CardLibrary &) = delete;
    CardLibrary &operator=(const CardLibrary &) = delete;

    /// Loads the library now; false after reporting a fatal error.
    bool load();
    /// The address of entryPoint; nullptr after reporting a fatal error.
    void *resolve(EntryPoint entryPoint);

    /// The candidate that was loaded, or nullptr before a successful load.
    const CardLibraryCandidate *loaded() const;
    /// Whether the loaded library is the simulated card.
    bool simulated() const { return m_simulated; }
    /// Where the loaded library was found, as the loader reports it.
    const std::string &loadedPath() const { return m_loadedPath; }

private:
    std::vector<CardLibraryCandidate> m_candidates;
    std::size_t m_loadedIndex = 0;
    std::string m_loadedPath;
    bool m_simulated = false;
    void *m_module = nullptr;
    std::array<void *, entryPointCount> m_entries{};
};

/// The card as a CardLibrary provides it. A call whose entry point cannot be
/// found returns -1 from OpenDevice, 0 otherwise, and writes nothing; it only
/// returns at all when the fatal-error handler does.
class LibraryCard : public Card
{
public:
    explicit LibraryCard(CardLibrary &library);

    std::int32_t OpenDevice(std::int32_t cardIndex) override;
    std::int32_t CAL(std::int32_t handle) override;
    std::int32_t AD(std::int32_t handle, std::int32_t channel, std::int32_t rangeCode,
                    std::int32_t extra1, std::int32_t extra2) override;
    double ADV(std::int32_t rangeCode, std::int32_t raw) override;
    std::int32_t TAD(std::int32_t handle, std::int32_t firstChannel, std::int32_t lastChannel,
                     std::int32_t scanSetting, std::int32_t extra1, std::int32_t extra2) override;
    std::int32_t TAD_Poll(std::int32_t handle) override;
    std::int32_t TAD_Read(std::int32_t handle, std::int32_t *destination,
                          std::int32_t count) override;
    std::int32_t TAD_Stop(std::int32_t handle) override;
    std::int32_t DO(std::int32_t handle, std::int32_t word) override;
    std::int32_t DI(std::int32_t handle) override;
    std::int32_t DA_INI(std::int32_t handle) override;
    std::int32_t DA(std::int32_t handle, std::int32_t output, std::int32_t rangeCode,
                    std::int32_t code) override;
    std::int32_t PRun(std::int32_t handle, std::int32_t channel, std::int32_t type,
                      std::int32_t firstValue, std::int32_t secondValue) override;
    std::int32_t PEnd(std::int32_t handle, std::int32_t channel) override;
    std::int32_t CNT_Run(std::int32_t handle, std::int32_t counter,
                         std::int32_t initialValue) override;
    std::int32_t CNT_Read(std::int32_t handle, std::int32_t counter, std::int32_t *count,
                          std::int32_t *timeValue) override;
    std::int32_t EEPROM_Write(std::int32_t handle, const std::uint8_t *block) override;
    std::int32_t EEPROM_Read(std::int32_t handle, std::uint8_t *block) override;

private:
    template <typename Function, typename Result, typename... Args>
    Result call(EntryPoint entryPoint, Result fallback, Args... args);

    CardLibrary &m_library;
};

} // namespace device
