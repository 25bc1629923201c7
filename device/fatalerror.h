#pragma once

#include <functional>
#include <string>

namespace device {

/// Receives a failure the program cannot go on from, such as a card library
/// or entry point that cannot be found. The program's handler reports it and
/// ends the process; a test's handler records it and returns.
using FatalErrorHandler = std::function<void(const std::string &message)>;

/// Installs handler; returns the one it replaces.
FatalErrorHandler setFatalErrorHandler(FatalErrorHandler handler);

/// Hands message to the installed handler (by default: stderr, then exit 1).
void reportFatalError(const std::string &message);

} // namespace device
