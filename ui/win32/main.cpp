// The console on Windows: loads the card library, then opens Form1.
#include "cardlibrary.h"
#include "cardlocator.h"
#include "fatalerror.h"
#include "form1window.h"
#include "libraryloader.h"
#include "utf16.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

namespace {

constexpr const wchar_t *messageBoxTitle = L"ZK583 Testing Program";

/// The main window once it exists: it owns the box that reports a fatal error.
win32::Form1Window *mainWindow = nullptr;

/// Reports a fatal failure in a message box, then ends the program.
void showFatalErrorAndExit(const std::string &message)
{
    // A timer tick may fail again while the box is open; the first report
    // is the one that counts.
    static bool reporting = false;
    if (reporting)
        return;
    reporting = true;
    std::fprintf(stderr, "zk583-console: %s\n", message.c_str());
    std::fflush(stderr);
    HWND owner = nullptr;
    if (mainWindow) {
        // The box is modal to the window: no click runs a procedure meanwhile,
        // and no tick comes.
        mainWindow->stopTimerForGood();
        owner = mainWindow->handle();
    }
    MessageBoxW(owner, win32::widen(message).c_str(), messageBoxTitle,
                MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    std::_Exit(EXIT_FAILURE);
}

int runConsole(HINSTANCE instance, int showCommand)
{
    device::CardLibrary library(device::cardLibraryCandidates(device::loader::programDirectory()));
    if (!library.load())
        return EXIT_FAILURE;
    device::LibraryCard card(library);

    win32::Form1Window form(card, device::describeCardLibrary(library));
    if (!form.create(instance)) {
        device::reportFatalError("Cannot create the window (error "
                                 + std::to_string(GetLastError()) + ").");
        return EXIT_FAILURE;
    }
    mainWindow = &form;
    form.load();
    form.show(showCommand);

    MSG msg{};
    BOOL got = 0;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
        if (!form.dialogMessage(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    mainWindow = nullptr;
    return got < 0 ? EXIT_FAILURE : static_cast<int>(msg.wParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    device::setFatalErrorHandler(showFatalErrorAndExit);
    INITCOMMONCONTROLSEX commonControls{sizeof commonControls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&commonControls);
    try {
        return runConsole(instance, showCommand);
    } catch (const std::exception &error) {
        device::reportFatalError(error.what());
    } catch (...) {
        device::reportFatalError("Unexpected failure.");
    }
    return EXIT_FAILURE;
}
