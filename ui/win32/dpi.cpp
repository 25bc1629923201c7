#include "dpi.h"

namespace win32 {

namespace {

using GetDpiForWindowFunction = UINT(WINAPI *)(HWND);
using SystemParametersInfoForDpiFunction = BOOL(WINAPI *)(UINT, UINT, PVOID, UINT, UINT);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI *)(LPRECT, DWORD, BOOL, DWORD, UINT);

/// user32's function called name, or nullptr where this Windows lacks it.
template <typename Function>
Function user32Function(const char *name)
{
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (!user32)
        return nullptr;
    // Through a plain function pointer type, which every compiler accepts
    // as a go-between for function pointer casts.
    using AnyFunction = void (*)();
    return reinterpret_cast<Function>(reinterpret_cast<AnyFunction>(GetProcAddress(user32, name)));
}

UINT systemDpi()
{
    const HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

} // namespace

UINT windowDpi(HWND window)
{
    static const auto getDpiForWindow = user32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    if (getDpiForWindow && window) {
        if (const UINT dpi = getDpiForWindow(window))
            return dpi;
    }
    return systemDpi();
}

LOGFONTW messageFont(UINT dpi)
{
    static const auto forDpi =
        user32Function<SystemParametersInfoForDpiFunction>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0, dpi))
        return metrics.lfMessageFont;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
        // Given for the system's DPI.
        metrics.lfMessageFont.lfHeight =
            MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi), static_cast<int>(systemDpi()));
        return metrics.lfMessageFont;
    }
    // Nothing to ask: the classic default, 9 points.
    LOGFONTW font{};
    font.lfHeight = -MulDiv(9, static_cast<int>(dpi), 72);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(font.lfFaceName, L"Segoe UI", LF_FACESIZE);
    return font;
}

RECT windowRectForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, UINT dpi)
{
    static const auto forDpi =
        user32Function<AdjustWindowRectExForDpiFunction>("AdjustWindowRectExForDpi");
    RECT rect{0, 0, clientWidth, clientHeight};
    if (!forDpi || !forDpi(&rect, style, FALSE, exStyle, dpi)) {
        rect = RECT{0, 0, clientWidth, clientHeight};
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    }
    return rect;
}

} // namespace win32
