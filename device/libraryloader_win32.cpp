#include "libraryloader.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <memory>
#include <vector>

namespace device::loader {

namespace {

/// text as UTF-16 for the API; false if text is not valid UTF-8.
bool widen(const std::string &text, std::wstring &wide)
{
    wide.clear();
    if (text.empty())
        return true;
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size,
                                           nullptr, 0);
    if (length <= 0)
        return false;
    wide.resize(static_cast<std::size_t>(length));
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(),
                               length)
        == length;
}

std::string narrow(const wchar_t *wide, std::size_t count)
{
    if (count == 0)
        return {};
    const int size = static_cast<int>(count);
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, size, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, size, text.data(), length, nullptr, nullptr);
    return text;
}

/// The system's text for an error code, followed by the code itself.
std::string systemMessage(DWORD code)
{
    wchar_t *buffer = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                            | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<LPWSTR>(&buffer), 0,
                                        nullptr);
    std::string text = buffer && length ? narrow(buffer, length) : std::string();
    if (buffer)
        LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    if (text.empty())
        text = "unknown error";
    return text + " (error " + std::to_string(code) + ")";
}

/// The full path of module (nullptr: the program), however long.
std::string moduleFileName(HMODULE module)
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, buffer.data(),
                                                static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
            return narrow(buffer.data(), length);
        if (buffer.size() >= 32768)
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

/// Takes the current directory out of the DLL search order for the rest of the
/// process, before the first library is loaded, for every library the program
/// loads. The program's folder, the system folders and PATH stay in it.
void excludeCurrentDirectory()
{
    static const bool excluded = SetDllDirectoryW(L"") != 0;
    static_cast<void>(excluded);
}

bool isAbsoluteFolder(const std::wstring &folder)
{
    const auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    const bool drive = folder.size() >= 3 && folder[1] == L':' && separator(folder[2]);
    const bool unc = folder.size() >= 3 && separator(folder[0]) && separator(folder[1]);
    return drive || unc;
}

/// The absolute folders on PATH, added to the folders searched for libraries
/// while it lives. Relative entries, which would name folders below the
/// current directory, are left out.
class PathFolders
{
public:
    PathFolders()
    {
        const DWORD size = GetEnvironmentVariableW(L"PATH", nullptr, 0);
        if (size == 0)
            return;
        std::wstring path(size, L'\0');
        path.resize(GetEnvironmentVariableW(L"PATH", path.data(), size));
        std::size_t start = 0;
        while (start <= path.size()) {
            std::size_t end = path.find(L';', start);
            if (end == std::wstring::npos)
                end = path.size();
            std::wstring folder = path.substr(start, end - start);
            if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"')
                folder = folder.substr(1, folder.size() - 2);
            if (isAbsoluteFolder(folder)) {
                if (DLL_DIRECTORY_COOKIE cookie = AddDllDirectory(folder.c_str()))
                    m_cookies.push_back(cookie);
            }
            start = end + 1;
        }
    }
    ~PathFolders()
    {
        for (DLL_DIRECTORY_COOKIE cookie : m_cookies)
            RemoveDllDirectory(cookie);
    }
    PathFolders(const PathFolders &) = delete;
    PathFolders &operator=(const PathFolders &) = delete;

private:
    std::vector<DLL_DIRECTORY_COOKIE> m_cookies;
};

bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

} // namespace

bool isAbsolutePath(const std::string &path)
{
    // C:\folder, or \\server\share. "C:folder" and "\folder" depend on the
    // current directory or drive.
    const bool drive = path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z')
                                            || (path[0] >= 'a' && path[0] <= 'z'))
        && path[1] == ':' && isSeparator(path[2]);
    const bool unc = path.size() >= 3 && isSeparator(path[0]) && isSeparator(path[1])
        && !isSeparator(path[2]);
    return drive || unc;
}

std::string programDirectory()
{
    const std::string path = moduleFileName(nullptr);
    const std::size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

Module open(const std::string &file, std::string &error)
{
    excludeCurrentDirectory();
    const bool bareName = file.find_first_of("\\/") == std::string::npos;
    if (!bareName && !isAbsolutePath(file)) {
        error = file + ": neither a bare file name nor an absolute path";
        return nullptr;
    }
    std::wstring wide;
    if (!widen(file, wide) || wide.empty()) {
        error = file + ": not a valid file name";
        return nullptr;
    }
    // The folders searched, for the library and for what it needs, are named
    // here, so no loader can add the current directory (wine still looks there
    // after SetDllDirectoryW(L"")). A bare name: the program's folder, the
    // system folder, then the folders on PATH. An absolute path: the
    // library's own folder, then the program's and the system folder.
    std::unique_ptr<PathFolders> pathFolders;
    DWORD flags = LOAD_LIBRARY_SEARCH_DEFAULT_DIRS;
    if (bareName)
        pathFolders = std::make_unique<PathFolders>();
    else
        flags |= LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR;
    // A library that cannot be loaded is reported by the caller, not by a
    // box of the system's own.
    DWORD previousMode = 0;
    const bool modeSet = SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX,
                                            &previousMode)
        != 0;
    HMODULE module = LoadLibraryExW(wide.c_str(), nullptr, flags);
    const DWORD code = GetLastError();
    pathFolders.reset();
    if (modeSet)
        SetThreadErrorMode(previousMode, nullptr);
    if (!module)
        error = file + ": " + systemMessage(code);
    return module;
}

std::string pathOf(Module module)
{
    return moduleFileName(static_cast<HMODULE>(module));
}

void *find(Module module, const char *name, std::size_t argumentBytes, std::string &error)
{
    HMODULE library = static_cast<HMODULE>(module);
    std::string tried = name;
    FARPROC address = GetProcAddress(library, name);
    DWORD code = address ? 0 : GetLastError();
#if !defined(_WIN64)
    // A 32-bit library built without a list of plain export names exports its
    // stdcall entry points decorated with their argument size: _name@N from
    // Microsoft's tools, name@N from GNU's.
    std::string gnu = name;
    gnu.append("@").append(std::to_string(argumentBytes));
    std::string microsoft = "_";
    microsoft.append(gnu);
    for (const std::string *decorated : {&microsoft, &gnu}) {
        if (address)
            break;
        address = GetProcAddress(library, decorated->c_str());
        code = address ? 0 : GetLastError();
        tried.append(", ").append(*decorated);
    }
#else
    static_cast<void>(argumentBytes);
#endif
    if (!address) {
        error = "looked for " + tried + ": " + systemMessage(code);
        return nullptr;
    }
    return reinterpret_cast<void *>(address);
}

} // namespace device::loader
