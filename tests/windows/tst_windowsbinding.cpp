// The binding on Windows, in one process (each 32-bit process under wine is
// costly to start): the order in which the card library is looked for, the
// simulated card found by absolute path while a card library planted in the
// current directory is ignored, every entry point through the binding against
// fixture DLLs that record their arguments (plain and, in the 32-bit build,
// stdcall-decorated exports), and the fatal messages.
//
// Plain C++ with the Windows API; prints "N passed, N failed" and exits
// non-zero on any failure.

#include "cardlibrary.h"
#include "cardlocator.h"
#include "fatalerror.h"
#include "libraryloader.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

using namespace device;

namespace {

int passed = 0;
int failed = 0;

void check(bool ok, const std::string &what, const std::string &detail = {})
{
    if (ok) {
        ++passed;
        return;
    }
    ++failed;
    std::printf("FAIL: %s%s%s\n", what.c_str(), detail.empty() ? "" : "\n      ", detail.c_str());
    std::fflush(stdout);
}

void checkEqual(const std::string &actual, const std::string &expected, const std::string &what)
{
    check(actual == expected, what, "got \"" + actual + "\", expected \"" + expected + "\"");
}

bool contains(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

std::wstring widen(const std::string &text)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    return wide;
}

std::string narrow(const std::wstring &wide)
{
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(),
                        length, nullptr, nullptr);
    return text;
}

/// relative (to this program's folder) as a full path with backslashes.
std::string besideProgram(const std::string &relative)
{
    const std::wstring joined = widen(loader::programDirectory() + "\\" + relative);
    wchar_t full[4096];
    const DWORD length = GetFullPathNameW(joined.c_str(), 4096, full, nullptr);
    return length > 0 && length < 4096 ? narrow(std::wstring(full, length)) : narrow(joined);
}

std::string fixtureFolder(const std::string &name)
{
    return besideProgram(FIXTURES_DIR "/" + name);
}

std::string fixture(const std::string &name)
{
    return fixtureFolder(name) + "\\ZK583.dll";
}

/// The already loaded module at path, or nullptr.
HMODULE loadedModule(const std::string &path)
{
    return GetModuleHandleW(widen(path).c_str());
}

/// What the fixture at path last recorded.
std::string lastCall(const std::string &path)
{
    HMODULE module = loadedModule(path);
    FARPROC address = module ? GetProcAddress(module, "fixture_lastCall") : nullptr;
    if (!address)
        return "(fixture_lastCall not found)";
    auto lastCallOf = reinterpret_cast<const char *(*)()>(reinterpret_cast<void *>(address));
    return lastCallOf();
}

std::string readFile(const std::string &path)
{
    std::ifstream in(widen(path).c_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void setVariable(const std::string &name, const std::string &value)
{
    // The C runtime's copy, which the simulated card reads, and the process's.
    _putenv((name + "=" + value).c_str());
    SetEnvironmentVariableW(widen(name).c_str(), value.empty() ? nullptr : widen(value).c_str());
}

/// Records the fatal errors reported while it lives.
struct FatalErrors
{
    FatalErrors()
    {
        setFatalErrorHandler([this](const std::string &message) { messages.push_back(message); });
    }
    ~FatalErrors() { setFatalErrorHandler(nullptr); }
    std::string all() const
    {
        std::string text;
        for (const std::string &message : messages)
            text += message + "\n";
        return text;
    }
    std::vector<std::string> messages;
};

constexpr bool stdcallBuild = sizeof(void *) == 4;

// ---------------------------------------------------------------------------

void candidatesNeverUseTheCurrentDirectory()
{
    const auto candidates = cardLibraryCandidates("C:\\Program Files\\ZK583");
    check(candidates.size() == 2, "two candidates for an absolute program folder");
    if (candidates.size() == 2) {
        checkEqual(candidates[0].file, "ZK583.dll", "first: the installed library by bare name");
        check(!candidates[0].simulated, "the installed library is not the simulated card");
        checkEqual(candidates[1].file, "C:\\Program Files\\ZK583\\simcard\\ZK583.dll",
                   "then the simulated card below the program's folder");
        check(candidates[1].simulated, "the fallback is the simulated card");
    }
    const auto atRoot = cardLibraryCandidates("D:\\");
    check(atRoot.size() == 2 && atRoot[1].file == "D:\\simcard\\ZK583.dll",
          "a program folder at a drive's root");
    const auto unc = cardLibraryCandidates("\\\\server\\share\\zk583");
    check(unc.size() == 2 && unc[1].file == "\\\\server\\share\\zk583\\simcard\\ZK583.dll",
          "a program folder on a network share");

    // Folders that depend on the current directory or drive give no fallback.
    for (const char *relative : {"", "bin", "C:bin", "\\bin", ".\\bin", "..\\bin"})
        check(cardLibraryCandidates(relative).size() == 1,
              std::string("no fallback for the relative folder \"") + relative + "\"");
}

void noLibraryAtAllIsFatalAndNamed(const std::string &plantedFolder)
{
    // This program's own folder has no simulated card below it, and the
    // current directory holds a card library that must not be taken.
    SetCurrentDirectoryW(widen(plantedFolder).c_str());
    FatalErrors errors;
    const auto candidates = cardLibraryCandidates(loader::programDirectory());
    CardLibrary library(candidates);
    check(!library.load(), "no card library to load");
    check(errors.messages.size() == 1, "one fatal error", errors.all());
    const std::string message = errors.all();
    check(contains(message, "Cannot load the card library ZK583.dll"), "names the library",
          message);
    check(candidates.size() == 2 && contains(message, candidates[1].file + ": "),
          "names the simulated card's path", message);
    check(contains(message, "(error 126)"), "gives the loader's reason", message);
}

void plantedLibraryIsIgnoredAndTheSimulatedCardIsFound(const std::string &plantedFolder,
                                                       const std::string &traceFile)
{
    SetCurrentDirectoryW(widen(plantedFolder).c_str());
    setVariable("ZK583SIM_TRACE", traceFile);
    const std::string programFolder = besideProgram(BIN_DIR);
    FatalErrors errors;
    CardLibrary library(cardLibraryCandidates(programFolder));
    LibraryCard card(library);
    const std::int32_t handle = card.OpenDevice(0);
    check(handle == 0x583, "the simulated card opens card 0 as 583H",
          "handle " + std::to_string(handle) + "; " + errors.all());
    check(library.simulated(), "the simulated card says so");
    checkEqual(library.loadedPath(), programFolder + "\\simcard\\ZK583.dll",
               "loaded from the program's simcard folder, not the current directory");
    check(card.CAL(handle) == 0, "CAL on the simulated card");
    check(card.ADV(4, 1024) == -5000.0, "ADV on the simulated card returns a double");
    const std::string trace = readFile(traceFile);
    check(contains(trace, "ZK583_OpenDevice(0) = 1411\n"), "OpenDevice traced", trace);
    check(contains(trace, "ZK583_CAL(1411) = 0 calibrations=1\n"), "CAL traced", trace);
    check(contains(trace, "ZK583_ADV(4, 1024) = -5000\n"), "ADV traced", trace);
    check(errors.messages.empty(), "no fatal error", errors.all());
    setVariable("ZK583SIM_TRACE", "");
}

void absentSimulatedCardOpensNoCard(const std::string &scratchFolder)
{
    // Its settings are read as it loads, so a second copy of it, under
    // another path, is a second card library with ZK583SIM_ABSENT=1.
    const std::string copy = scratchFolder + "\\ZK583.dll";
    CreateDirectoryW(widen(scratchFolder).c_str(), nullptr);
    const bool copied = CopyFileW(widen(besideProgram(BIN_DIR "/simcard/ZK583.dll")).c_str(),
                                  widen(copy).c_str(), FALSE)
        != 0;
    check(copied, "copy of the simulated card for ZK583SIM_ABSENT=1");
    setVariable("ZK583SIM_ABSENT", "1");
    FatalErrors errors;
    CardLibrary library({{copy, true}});
    LibraryCard card(library);
    check(card.OpenDevice(0) == -1, "ZK583SIM_ABSENT=1: no card (handle -1)", errors.all());
    setVariable("ZK583SIM_ABSENT", "");
}

struct CallCase
{
    const char *name;
    std::function<std::string(Card &)> call;
    const char *recorded;
    const char *result;
};

std::string n(double value)
{
    std::ostringstream text;
    text << value;
    return text.str();
}

const std::vector<CallCase> &callCases()
{
    static const std::vector<CallCase> cases = {
        {"OpenDevice", [](Card &c) { return n(c.OpenDevice(0)); }, "OpenDevice(0)", "420"},
        {"CloseDevice-free CAL", [](Card &c) { return n(c.CAL(420)); }, "CAL(420)", "0"},
        {"AD", [](Card &c) { return n(c.AD(420, 3, 4, 0, 1)); }, "AD(420,3,4,0,1)", "2051"},
        {"ADV", [](Card &c) { return n(c.ADV(4, 25)); }, "ADV(4,25)", "12.5"},
        {"TAD", [](Card &c) { return n(c.TAD(420, 0, 15, 0, 0, 50)); }, "TAD(420,0,15,0,0,50)",
         "0"},
        {"TAD_Poll", [](Card &c) { return n(c.TAD_Poll(420)); }, "TAD_Poll(420)", "1600"},
        {"TAD_Read",
         [](Card &c) {
             std::int32_t samples[4] = {-1, -1, -1, -1};
             const std::int32_t read = c.TAD_Read(420, samples, 3);
             return n(read) + ": " + n(samples[0]) + " " + n(samples[1]) + " " + n(samples[2])
                 + " " + n(samples[3]);
         },
         "TAD_Read(420,3)", "3: 0 1 2 -1"},
        {"TAD_Stop", [](Card &c) { return n(c.TAD_Stop(420)); }, "TAD_Stop(420)", "0"},
        {"DO", [](Card &c) { return n(c.DO(420, 0x55AA)); }, "DO(420,21930)", "0"},
        {"DI", [](Card &c) { return n(c.DI(420)); }, "DI(420)", "4660"},
        {"DA_INI", [](Card &c) { return n(c.DA_INI(420)); }, "DA_INI(420)", "0"},
        {"DA", [](Card &c) { return n(c.DA(420, 1, 2, 4095)); }, "DA(420,1,2,4095)", "0"},
        {"PRun", [](Card &c) { return n(c.PRun(420, 1, 1, 20000, 10)); },
         "PRun(420,1,1,20000,10)", "0"},
        {"PEnd", [](Card &c) { return n(c.PEnd(420, 1)); }, "PEnd(420,1)", "0"},
        {"CNT_Run", [](Card &c) { return n(c.CNT_Run(420, 0, 10000)); }, "CNT_Run(420,0,10000)",
         "0"},
        {"CNT_Read",
         [](Card &c) {
             std::int32_t count = 0, time = 0;
             const std::int32_t status = c.CNT_Read(420, 0, &count, &time);
             return n(status) + " " + n(count) + " " + n(time);
         },
         "CNT_Read(420,0)", "0 123 10000"},
        {"EEPROM_Write",
         [](Card &c) {
             const std::uint8_t block[33] = {7, 1, 2, 3, 4, 5, 6, 7, 8, 9};
             return n(c.EEPROM_Write(420, block));
         },
         "EEPROM_Write(420,7..9)", "0"},
        {"EEPROM_Read",
         [](Card &c) {
             std::uint8_t block[33] = {};
             const std::int32_t status = c.EEPROM_Read(420, block);
             return n(status) + ": " + n(block[0]) + " " + n(block[31]) + " " + n(block[32]);
         },
         "EEPROM_Read(420)", "0: 165 165 0"},
    };
    return cases;
}

/// The card's methods that ZK583_ENTRY_POINTS has but the console's Card
/// interface does not are reached by resolve() alone.
void everyEntryPointReachesItsNamesake(const std::string &name)
{
    const std::string path = fixture(name);
    FatalErrors errors;
    CardLibrary library({{path, false}});
    LibraryCard card(library);
    for (const CallCase &c : callCases()) {
        const std::string result = c.call(card);
        checkEqual(result, c.result, name + ": " + c.name + " result");
        checkEqual(lastCall(path), c.recorded, name + ": " + c.name + " arguments as received");
    }
    // The entry points the console's procedures never call are bound too.
    for (EntryPoint entry : {EntryPoint::CloseDevice, EntryPoint::PState, EntryPoint::PSetData})
        check(library.resolve(entry) != nullptr,
              name + ": " + entryPointName(entry) + " is found");
    auto closeDevice = reinterpret_cast<ZK583_CloseDevice_fn>(library.resolve(EntryPoint::CloseDevice));
    auto pSetData = reinterpret_cast<ZK583_PSetData_fn>(library.resolve(EntryPoint::PSetData));
    if (closeDevice && pSetData) {
        check(closeDevice(420) == 0, name + ": CloseDevice");
        checkEqual(lastCall(path), "CloseDevice(420)", name + ": CloseDevice arguments");
        check(pSetData(420, 2, 300, -7) == 0, name + ": PSetData");
        checkEqual(lastCall(path), "PSetData(420,2,300,-7)", name + ": PSetData arguments");
    }
    check(errors.messages.empty(), name + ": no fatal error", errors.all());
}

void decoratedFixtureHasOnlyDecoratedNames()
{
    // Otherwise the test above would pass without ever trying a decorated name.
    HMODULE module = loadedModule(fixture("decorated"));
    check(module != nullptr, "decorated fixture loaded");
    if (!module)
        return;
    check(GetProcAddress(module, "ZK583_CAL") == nullptr, "no plain ZK583_CAL export");
    check(GetProcAddress(module, "_ZK583_CAL@4") != nullptr, "_ZK583_CAL@4 exported");
    check(GetProcAddress(module, "_ZK583_TAD@24") != nullptr, "_ZK583_TAD@24 exported");
}

void plainFixtureIsStdcallWithPlainNames()
{
    HMODULE module = loadedModule(fixture("complete"));
    check(module && GetProcAddress(module, "ZK583_TAD") != nullptr, "plain ZK583_TAD export");
}

void missingPieceIsFatalAndNamed()
{
    struct MissingCase
    {
        const char *library;
        std::function<std::string(Card &)> call;
        std::vector<std::string> named;
        const char *fallback;
    };
    const std::vector<MissingCase> cases = {
        {"absent", [](Card &c) { return n(c.OpenDevice(0)); },
         {fixture("absent"), "(error 126)"}, "-1"},
        {"noopen", [](Card &c) { return n(c.OpenDevice(0)); },
         {fixture("noopen"), "has no entry point ZK583_OpenDevice", "(error 127)"}, "-1"},
        {"nopend", [](Card &c) { return n(c.PEnd(420, 0)); },
         {fixture("nopend"), "has no entry point ZK583_PEnd",
          stdcallBuild ? "_ZK583_PEnd@8" : "ZK583_PEnd"},
         "0"},
    };
    for (const MissingCase &c : cases) {
        FatalErrors errors;
        CardLibrary library({{fixture(c.library), false}});
        LibraryCard card(library);
        checkEqual(c.call(card), c.fallback, std::string(c.library) + ": fallback result");
        check(errors.messages.size() == 1, std::string(c.library) + ": one fatal error",
              errors.all());
        for (const std::string &part : c.named)
            check(contains(errors.all(), part), std::string(c.library) + ": names " + part,
                  errors.all());
    }
}

void missingEntryPointFailsOnlyItsOwnCalls()
{
    FatalErrors errors;
    CardLibrary library({{fixture("nopend"), false}});
    LibraryCard card(library);
    check(card.OpenDevice(0) == 420 && card.DI(420) == 0x1234, "nopend: other calls work");
    check(errors.messages.empty(), "nopend: no fatal error before PEnd", errors.all());
    card.PEnd(420, 0);
    check(errors.messages.size() == 1, "nopend: PEnd is fatal", errors.all());
}

void fallsBackToTheNextCandidate()
{
    FatalErrors errors;
    CardLibrary library({{fixture("absent"), false}, {fixture("nocard"), true}});
    check(library.load(), "the second candidate loads", errors.all());
    check(library.loaded() && library.loaded()->simulated, "the second candidate is in use");
    LibraryCard card(library);
    check(card.OpenDevice(0) == -1, "nocard: no card (handle -1)");
    check(errors.messages.empty(), "no fatal error for a missing first candidate", errors.all());
}

} // namespace

int main()
{
    // Keep the C runtime from opening boxes of its own in an unattended run.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);

    const std::string planted = fixtureFolder("complete");
    const std::string scratch = loader::programDirectory() + "\\scratch";
    CreateDirectoryW(widen(scratch).c_str(), nullptr);

    candidatesNeverUseTheCurrentDirectory();
    // Before any ZK583.dll is loaded: a loaded module would answer a load by
    // bare name whatever the search order.
    noLibraryAtAllIsFatalAndNamed(planted);
    plantedLibraryIsIgnoredAndTheSimulatedCardIsFound(planted, scratch + "\\trace.txt");
    SetCurrentDirectoryW(widen(loader::programDirectory()).c_str());
    absentSimulatedCardOpensNoCard(scratch + "\\absent");

    everyEntryPointReachesItsNamesake("complete");
    if (stdcallBuild) {
        plainFixtureIsStdcallWithPlainNames();
        everyEntryPointReachesItsNamesake("decorated");
        decoratedFixtureHasOnlyDecoratedNames();
    }
    missingPieceIsFatalAndNamed();
    missingEntryPointFailsOnlyItsOwnCalls();
    fallsBackToTheNextCandidate();

    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}
