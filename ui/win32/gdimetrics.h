#pragma once

#include "textmetrics.h"

#include <windows.h>

#include <array>
#include <string>
#include <unordered_map>

namespace win32 {

/// Console layout in a GDI font's own metrics, in pixels. Widths that cannot
/// change are measured once: each ASCII character's advance, and each other
/// text the first time it is printed.
class GdiTextMetrics : public console::TextMetrics
{
public:
    GdiTextMetrics();
    ~GdiTextMetrics() override;
    GdiTextMetrics(const GdiTextMetrics &) = delete;
    GdiTextMetrics &operator=(const GdiTextMetrics &) = delete;

    /// Measures with font from now on (once, before anything is printed).
    void setFont(const LOGFONTW &font);

    int textWidth(std::string_view text) const override;
    int columnWidth() const override { return m_columnWidth; }
    int lineHeight() const override { return m_lineHeight; }

private:
    HDC m_dc = nullptr;
    HFONT m_font = nullptr;
    HGDIOBJ m_originalFont = nullptr;
    int m_columnWidth = 1;
    int m_lineHeight = 1;
    std::array<int, 128> m_asciiAdvance{};
    mutable std::unordered_map<std::string, int> m_otherWidths;
};

} // namespace win32
