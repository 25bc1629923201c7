#pragma once

#include "cardlibrary.h"

#include <string>
#include <vector>

namespace device {

/// The card library's file name on this platform.
#if defined(_WIN32)
inline constexpr const char *cardLibraryFileName = "ZK583.dll";
#else
inline constexpr const char *cardLibraryFileName = "libZK583.so";
#endif

/// Where the console looks for its card library, in order: an installed card
/// library through the system's ordinary library search, then the simulated
/// card shipped in executableDir (an absolute path). Never the current directory.
std::vector<CardLibraryCandidate> cardLibraryCandidates(const std::string &executableDir);

} // namespace device
