#include "fatalerror.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace device {

namespace {

void writeAndExit(const std::string &message)
{
    std::fprintf(stderr, "zk583-console: %s\n", message.c_str());
    std::exit(EXIT_FAILURE);
}

FatalErrorHandler &installedHandler()
{
    static FatalErrorHandler handler = writeAndExit;
    return handler;
}

} // namespace

FatalErrorHandler setFatalErrorHandler(FatalErrorHandler handler)
{
    return std::exchange(installedHandler(), handler ? std::move(handler) : writeAndExit);
}

void reportFatalError(const std::string &message)
{
    installedHandler()(message);
}

} // namespace device
