#pragma once

#include "card.h"
#include "form1description.h"
#include "gdimetrics.h"
#include "outputconsole.h"
#include "procedures.h"
#include "windowservices.h"

#include <windows.h>

#include <array>
#include <string>
#include <vector>

namespace win32 {

/// The console's only window, on Win32: the output console drawn on the
/// window's own surface at the left, the controls of the description at the
/// right, and Timer1.
class Form1Window : public console::WindowServices
{
public:
    /// cardSource names the card library in use, for the caption.
    Form1Window(device::Card &card, std::string cardSource);
    ~Form1Window() override;
    Form1Window(const Form1Window &) = delete;
    Form1Window &operator=(const Form1Window &) = delete;

    /// Creates the window and its controls, hidden; false (with GetLastError
    /// set) when Windows refused.
    bool create(HINSTANCE instance);
    /// The window's load event: start-up, before the window is first shown.
    void load();
    /// Shows the window with the focus on the first control of the keyboard order.
    void show(int showCommand);

    HWND handle() const { return m_window; }
    /// Handles msg if it is a dialog key (Tab, Shift+Tab, Return, ...) for
    /// this window.
    bool dialogMessage(MSG &msg);
    /// Stops Timer1 for good, whatever the procedures ask later (a fatal
    /// error is being reported).
    void stopTimerForGood();

    void setCaption(const std::string &text) override;
    void setBoxText(console::Box box, const std::string &text) override;
    void setTimerEnabled(bool on) override;
    void beep() override;

private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    /// Font, control places and drawn console text for the window at dpi.
    void applyDpi(UINT dpi);
    /// Runs one procedure to its end, then shows what it printed.
    void run(form1::Procedure procedure);
    /// Takes the console's runs over as the text the window draws.
    void takeConsoleText();
    /// The part of the surface that the console's text covers, in pixels.
    RECT consoleArea() const;
    /// Console units (pixels at the DPI the console was laid out at) as
    /// pixels at the window's DPI.
    int toPixels(int units) const;
    void paint();

    /// A run of console text as the window draws it.
    struct DrawnRun
    {
        int x;
        int y;
        std::wstring text;
    };

    GdiTextMetrics m_metrics;
    console::OutputConsole m_console;
    procedures::Procedures m_procedures;

    HWND m_window = nullptr;
    std::array<HWND, form1::controls.size()> m_controls{};
    HWND m_focus = nullptr;         ///< the control that had the focus when the window lost it
    HFONT m_font = nullptr;
    UINT m_dpi = 96;
    UINT m_layoutDpi = 96;          ///< the DPI m_metrics measures at
    int m_lineHeight = 1;           ///< in pixels at m_dpi
    std::vector<DrawnRun> m_drawn;
    std::uint64_t m_drawnRevision = 0;
    bool m_timerOn = false;
    bool m_timerStopped = false;
    bool m_running = false;
};

} // namespace win32
