#include "cardlocator.h"

namespace device {

std::vector<CardLibraryCandidate> cardLibraryCandidates(const std::string &executableDir)
{
    std::vector<CardLibraryCandidate> candidates{{cardLibraryFileName, false}};
    // A relative directory would make the fallback depend on the current
    // directory, which must never supply the card library.
    if (!executableDir.empty() && executableDir.front() == '/')
        candidates.push_back({executableDir + "/" + cardLibraryFileName, true});
    return candidates;
}

} // namespace device
