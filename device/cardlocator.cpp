#include "cardlocator.h"

#include "libraryloader.h"

namespace device {

std::vector<CardLibraryCandidate> cardLibraryCandidates(const std::string &executableDir)
{
    std::vector<CardLibraryCandidate> candidates{{cardLibraryFileName, false}};
    // A relative directory would make the fallback depend on the current
    // directory, which must never supply the card library.
    if (loader::isAbsolutePath(executableDir)) {
        std::string folder = executableDir;
        if (folder.back() != loader::separator)
            folder += loader::separator;
        candidates.push_back({folder + loader::simulatedCardFile, true});
    }
    return candidates;
}

std::string describeCardLibrary(const CardLibrary &library)
{
    if (library.simulated())
        return "Simulated card, no hardware";
    const CardLibraryCandidate *loaded = library.loaded();
    return "Card library " + (loaded ? loaded->file : std::string(cardLibraryFileName));
}

} // namespace device
