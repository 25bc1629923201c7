#pragma once

#include <windows.h>

/// DPI services that only newer versions of Windows have, looked up at run
/// time, each with the older equivalent where they are missing.
namespace win32 {

/// Dots per inch of the screen the window is on (the system's where Windows
/// cannot tell per window).
UINT windowDpi(HWND window);

/// The system's message font (the default user-interface font) at dpi.
LOGFONTW messageFont(UINT dpi);

/// The window rectangle, at the origin, that has a client area of
/// clientWidth × clientHeight pixels for a window of these styles at dpi.
RECT windowRectForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, UINT dpi);

} // namespace win32
