#pragma once

#include "form1description.h"

namespace form1 {

/// Room a control keeps between each of its edges and its caption, in pixels
/// at 96 dots per inch. These are the only figures the caption-fitting rule
/// uses: the window picks its font by them, and the tests measure by them.
struct CaptionMargins
{
    int horizontal;     ///< left, and again right
    int vertical;       ///< top, and again bottom
};

constexpr CaptionMargins captionMargins(Kind kind)
{
    switch (kind) {
    case Kind::Button:
        // A 2-pixel raised edge, the 1-pixel focus rectangle, and 3 pixels
        // between it and the text; above and below, the edge and the focus.
        return {6, 3};
    case Kind::ReadOnlyBox:
        // A 2-pixel sunken edge and the box's own 1-pixel text margin.
        return {3, 3};
    case Kind::Label:
        break;
    }
    return {0, 0};
}

/// Whether the control's caption must fit it whatever the font: buttons and
/// labels. A box's text changes as the program runs.
constexpr bool captionMustFit(const Control &control)
{
    return control.kind != Kind::ReadOnlyBox;
}

/// A margin, in pixels at dpi dots per inch (rounded to the nearest).
constexpr int marginPixels(int marginAt96, int dpi)
{
    return (marginAt96 * dpi + 48) / 96;
}

/// Whether a caption textWidth × textHeight pixels wide and tall fits inside
/// a controlWidth × controlHeight pixel control of kind at dpi, margins included.
constexpr bool captionFits(Kind kind, int controlWidth, int controlHeight, int textWidth,
                           int textHeight, int dpi)
{
    const CaptionMargins margins = captionMargins(kind);
    return textWidth + 2 * marginPixels(margins.horizontal, dpi) <= controlWidth
        && textHeight + 2 * marginPixels(margins.vertical, dpi) <= controlHeight;
}

} // namespace form1
