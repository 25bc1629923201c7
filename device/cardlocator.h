#pragma once

#include "cardlibrary.h"
#include "libraryloader.h"

#include <string>
#include <vector>

namespace device {

/// The card library's file name on this platform.
inline constexpr const char *cardLibraryFileName = loader::cardLibraryFileName;

/// Where the console looks for its card library, in order: an installed card
/// library through the system's ordinary library search, then the simulated
/// card shipped with the program in executableDir (an absolute path): beside it
/// on Linux, in its sub-folder simcard on Windows. Never the current directory.
std::vector<CardLibraryCandidate> cardLibraryCandidates(const std::string &executableDir);

/// The loaded card library as the window caption names it: the simulated
/// card, or the card library's file.
std::string describeCardLibrary(const CardLibrary &library);

} // namespace device
