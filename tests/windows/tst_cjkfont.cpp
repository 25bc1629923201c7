// The wine prefix's fonts: Chinese captions drawn with the fonts a Windows
// window uses by default come out as glyphs, not as empty boxes, whatever the
// locale. Each character is drawn alone; distinct characters must give
// distinct, inked pictures, unlike a character no font has (U+E000), which
// every font draws as the same box or nothing. Prints "N passed, N failed".

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int side = 48;

/// The character drawn black on white with font, as pixels.
std::vector<std::uint32_t> draw(HFONT font, wchar_t character)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = side;
    info.bmiHeader.biHeight = -side;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<std::uint32_t> pixels;
    if (dc && bitmap && bits) {
        HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
        HGDIOBJ oldFont = SelectObject(dc, font);
        PatBlt(dc, 0, 0, side, side, WHITENESS);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkMode(dc, TRANSPARENT);
        TextOutW(dc, 4, 4, &character, 1);
        GdiFlush();
        const auto *first = static_cast<const std::uint32_t *>(bits);
        pixels.assign(first, first + side * side);
        SelectObject(dc, oldFont);
        SelectObject(dc, oldBitmap);
    }
    if (bitmap)
        DeleteObject(bitmap);
    if (dc)
        DeleteDC(dc);
    return pixels;
}

bool inked(const std::vector<std::uint32_t> &pixels)
{
    for (std::uint32_t pixel : pixels)
        if ((pixel & 0xFFFFFF) != 0xFFFFFF)
            return true;
    return false;
}

std::string narrow(const wchar_t *wide)
{
    char text[128] = {};
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text, sizeof text - 1, nullptr, nullptr);
    return text;
}

} // namespace

int main()
{
    int passed = 0;
    int failed = 0;

    struct Face
    {
        std::wstring what;
        HFONT font;
    };
    std::vector<Face> faces;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        metrics.lfMessageFont.lfHeight = -24;
        faces.push_back({L"the message font (" + std::wstring(metrics.lfMessageFont.lfFaceName)
                             + L")",
                         CreateFontIndirectW(&metrics.lfMessageFont)});
        metrics.lfCaptionFont.lfHeight = -24;
        faces.push_back({L"the caption font (" + std::wstring(metrics.lfCaptionFont.lfFaceName)
                             + L")",
                         CreateFontIndirectW(&metrics.lfCaptionFont)});
    }
    for (const wchar_t *name : {L"MS Shell Dlg", L"MS Shell Dlg 2", L"Tahoma", L"Segoe UI",
                                L"Microsoft Sans Serif", L"SimSun", L"Microsoft YaHei"}) {
        LOGFONTW font{};
        font.lfHeight = -24;
        font.lfCharSet = DEFAULT_CHARSET;
        wcsncpy(font.lfFaceName, name, LF_FACESIZE - 1);
        faces.push_back({name, CreateFontIndirectW(&font)});
    }

    // From the window's captions: 采集 查询 脉冲输出 退出.
    const wchar_t chinese[] = {0x91C7, 0x96C6, 0x67E5, 0x8BE2, 0x8109, 0x51B2, 0x8F93, 0x51FA, 0x9000};
    for (const Face &face : faces) {
        const std::vector<std::uint32_t> missing = draw(face.font, 0xE000);
        std::vector<std::vector<std::uint32_t>> seen;
        bool ok = face.font != nullptr;
        std::string problem;
        for (wchar_t c : chinese) {
            const std::vector<std::uint32_t> picture = draw(face.font, c);
            if (!inked(picture) || picture == missing) {
                ok = false;
                problem = "U+" + std::to_string(unsigned(c)) + " is blank or a box";
                break;
            }
            for (const auto &other : seen)
                if (other == picture) {
                    ok = false;
                    problem = "two characters look the same";
                }
            seen.push_back(picture);
        }
        if (ok) {
            ++passed;
        } else {
            ++failed;
            std::printf("FAIL: Chinese text in %s: %s\n", narrow(face.what.c_str()).c_str(),
                        problem.c_str());
        }
        if (face.font)
            DeleteObject(face.font);
    }

    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}
