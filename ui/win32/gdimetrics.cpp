#include "gdimetrics.h"

#include "utf16.h"

namespace win32 {

GdiTextMetrics::GdiTextMetrics()
    : m_dc(CreateCompatibleDC(nullptr))
{
}

GdiTextMetrics::~GdiTextMetrics()
{
    if (m_dc) {
        if (m_originalFont)
            SelectObject(m_dc, m_originalFont);
        DeleteDC(m_dc);
    }
    if (m_font)
        DeleteObject(m_font);
}

void GdiTextMetrics::setFont(const LOGFONTW &font)
{
    const HFONT created = CreateFontIndirectW(&font);
    if (!m_dc || !created) {
        if (created)
            DeleteObject(created);
        return;
    }
    const HGDIOBJ previous = SelectObject(m_dc, created);
    if (!m_originalFont)
        m_originalFont = previous;
    if (m_font)
        DeleteObject(m_font);
    m_font = created;
    m_otherWidths.clear();

    TEXTMETRICW metrics{};
    if (GetTextMetricsW(m_dc, &metrics)) {
        m_columnWidth = metrics.tmAveCharWidth > 0 ? metrics.tmAveCharWidth : 1;
        m_lineHeight = metrics.tmHeight + metrics.tmExternalLeading > 0
            ? metrics.tmHeight + metrics.tmExternalLeading
            : 1;
    }
    for (std::size_t c = 0; c < m_asciiAdvance.size(); ++c) {
        const wchar_t character = static_cast<wchar_t>(c);
        SIZE size{};
        m_asciiAdvance[c] = GetTextExtentPoint32W(m_dc, &character, 1, &size) ? size.cx : 0;
    }
}

int GdiTextMetrics::textWidth(std::string_view text) const
{
    int width = 0;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 128) {
            // Not plain ASCII: measured as a whole, once.
            auto found = m_otherWidths.find(std::string(text));
            if (found == m_otherWidths.end()) {
                const std::wstring wide = widen(text);
                SIZE size{};
                const int measured = m_dc
                        && GetTextExtentPoint32W(m_dc, wide.c_str(), static_cast<int>(wide.size()),
                                                 &size)
                    ? size.cx
                    : 0;
                found = m_otherWidths.emplace(text, measured).first;
            }
            return found->second;
        }
        width += m_asciiAdvance[static_cast<std::size_t>(c)];
    }
    return width;
}

} // namespace win32
