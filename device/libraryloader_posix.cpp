#include "libraryloader.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <vector>

namespace device::loader {

namespace {

std::string loaderError()
{
    const char *reason = dlerror();
    return reason ? reason : "unknown reason";
}

} // namespace

bool isAbsolutePath(const std::string &path)
{
    return !path.empty() && path.front() == '/';
}

std::string programDirectory()
{
    std::vector<char> buffer(4096);
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size())
        return {};
    std::string path(buffer.data(), static_cast<std::size_t>(length));
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash ? slash : 1);
}

Module open(const std::string &file, std::string &error)
{
    // A bare name goes through the loader's ordinary search, which never
    // looks in the current directory.
    void *module = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module)
        error = loaderError();
    return module;
}

std::string pathOf(Module module)
{
    const link_map *map = nullptr;
    if (dlinfo(module, RTLD_DI_LINKMAP, &map) == 0 && map && *map->l_name)
        return map->l_name;
    return {};
}

void *find(Module module, const char *name, std::size_t, std::string &error)
{
    dlerror();
    void *address = dlsym(module, name);
    if (!address)
        error = loaderError();
    return address;
}

} // namespace device::loader
