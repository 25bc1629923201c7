#pragma once

#include <cstddef>
#include <string>

/// How this platform loads a shared library and finds an entry point in it:
/// the binding's only platform-dependent part, implemented once per platform
/// (libraryloader_posix.cpp, libraryloader_win32.cpp). Paths and names are
/// UTF-8 throughout.
namespace device::loader {

#if defined(_WIN32)
inline constexpr const char *cardLibraryFileName = "ZK583.dll";
/// The simulated card, below the program's own folder. It has a folder of its
/// own, so that it can never shadow a card library installed beside the
/// program, which the system's search finds first.
inline constexpr const char *simulatedCardFile = "simcard\\ZK583.dll";
inline constexpr char separator = '\\';
#else
inline constexpr const char *cardLibraryFileName = "libZK583.so";
/// The simulated card, beside the program.
inline constexpr const char *simulatedCardFile = "libZK583.so";
inline constexpr char separator = '/';
#endif

/// Whether path names the same file whatever the current directory (and, on
/// Windows, the current drive) is.
bool isAbsolutePath(const std::string &path);

/// The absolute folder of the running program; empty if it cannot be told.
std::string programDirectory();

/// A loaded library; it stays loaded until the process ends.
using Module = void *;

/// Loads file: a bare name through the system's ordinary library search, with
/// the current directory taken out of it, or an absolute path. nullptr when it
/// cannot be loaded, with the loader's reason (naming file) in error.
Module open(const std::string &file, std::string &error);

/// The file the loader took module from; empty if it cannot tell.
std::string pathOf(Module module);

/// The address of the entry point name, whose arguments take argumentBytes
/// bytes on the stack. Where a platform decorates such names (stdcall on
/// 32-bit Windows), the decorated names are tried after the plain one.
/// nullptr when none is found, with the loader's reason in error.
void *find(Module module, const char *name, std::size_t argumentBytes, std::string &error);

} // namespace device::loader
