#pragma once

#include <windows.h>

namespace win32 {

/// The window's font at dpi: the desktop's default user-interface family
/// (the message font), at the largest size not above its default at which
/// every button's and label's caption fits its control with the control's
/// margins (captionfit.h), as the control table lays them out at dpi.
LOGFONTW windowFont(UINT dpi);

} // namespace win32
