#include "windowfont.h"

#include "captionfit.h"
#include "dpi.h"
#include "utf16.h"

#include <cstdlib>

namespace win32 {

namespace {

/// Below this many pixels at 96 dots per inch no caption is readable; the
/// search stops there whatever fits.
constexpr int smallestFontPixelsAt96 = 6;

/// Whether every caption that must fit does, in font at dpi.
bool captionsFit(HDC dc, HFONT font, int dpi)
{
    const HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    bool fit = GetTextMetricsW(dc, &metrics) != 0;
    for (const form1::Control &control : form1::controls) {
        if (!fit)
            break;
        if (!form1::captionMustFit(control))
            continue;
        const std::wstring caption = widen(control.text);
        SIZE size{};
        fit = GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size)
            && form1::captionFits(control.kind, MulDiv(control.width, dpi, form1::twipsPerInch),
                                  MulDiv(control.height, dpi, form1::twipsPerInch), size.cx,
                                  metrics.tmHeight, dpi);
    }
    SelectObject(dc, previous);
    return fit;
}

} // namespace

LOGFONTW windowFont(UINT dpi)
{
    LOGFONTW font = messageFont(dpi);
    const int dpiValue = static_cast<int>(dpi);
    // A negative height is the characters' height, a positive one the cell's:
    // the size steps down keeping the font's own sense.
    const int sense = font.lfHeight > 0 ? 1 : -1;
    const int defaultSize =
        font.lfHeight != 0 ? std::abs(font.lfHeight) : MulDiv(9, dpiValue, 72);
    const int smallest = MulDiv(smallestFontPixelsAt96, dpiValue, 96);

    const HDC dc = CreateCompatibleDC(nullptr);
    for (int size = defaultSize;; --size) {
        LOGFONTW candidate = font;
        candidate.lfHeight = sense * size;
        bool fit = size <= smallest || size <= 1 || !dc;
        if (!fit) {
            const HFONT created = CreateFontIndirectW(&candidate);
            fit = !created || captionsFit(dc, created, dpiValue);
            if (created)
                DeleteObject(created);
        }
        if (fit) {
            if (dc)
                DeleteDC(dc);
            return candidate;
        }
    }
}

} // namespace win32
