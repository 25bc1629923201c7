#include "form1window.h"

#include "dpi.h"
#include "utf16.h"
#include "windowfont.h"

#include <algorithm>
#include <exception>
#include <string_view>

#include "fatalerror.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace win32 {

namespace {

constexpr const wchar_t *windowClassName = L"ZK583Form1";
constexpr UINT_PTR timer1Id = 1;
/// The first control's identifier; each control's is this plus its row.
constexpr int firstControlId = 100;
constexpr DWORD windowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD windowExStyle = 0;

/// The row of the control called name in the description.
constexpr std::size_t rowOf(std::string_view name)
{
    for (std::size_t row = 0; row < form1::controls.size(); ++row)
        if (form1::controls[row].name == name)
            return row;
    return form1::controls.size();
}

static_assert(std::all_of(form1::tabOrder.begin(), form1::tabOrder.end(),
                          [](std::string_view name) {
                              return rowOf(name) < form1::controls.size();
                          }),
              "every control in the keyboard order is in the control table");

int twipsToPixels(int twips, UINT dpi)
{
    return MulDiv(twips, static_cast<int>(dpi), form1::twipsPerInch);
}

struct ControlClass
{
    const wchar_t *className;
    DWORD style;
    DWORD exStyle;
};

ControlClass controlClass(form1::Kind kind)
{
    switch (kind) {
    case form1::Kind::Button:
        return {L"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0};
    case form1::Kind::ReadOnlyBox:
        return {L"EDIT", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_LEFT | ES_READONLY | ES_AUTOHSCROLL,
                WS_EX_CLIENTEDGE};
    case form1::Kind::Label:
        break;
    }
    return {L"STATIC", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0};
}

/// Sets running while it lives.
class RunningFlag
{
public:
    explicit RunningFlag(bool &flag) : m_flag(flag) { m_flag = true; }
    ~RunningFlag() { m_flag = false; }
    RunningFlag(const RunningFlag &) = delete;
    RunningFlag &operator=(const RunningFlag &) = delete;

private:
    bool &m_flag;
};

} // namespace

Form1Window::Form1Window(device::Card &card, std::string cardSource)
    : m_console(m_metrics)
    , m_procedures(card, m_console, *this, std::move(cardSource))
{
}

Form1Window::~Form1Window()
{
    if (m_window)
        DestroyWindow(m_window);
    if (m_font)
        DeleteObject(m_font);
}

bool Form1Window::create(HINSTANCE instance)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    // No background brush: WM_PAINT covers every pixel it is asked for.
    windowClass.lpszClassName = windowClassName;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;

    // Created at a provisional size; its size follows once its DPI is known.
    if (!CreateWindowExW(windowExStyle, windowClassName, L"", windowStyle, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance,
                         this))
        return false;

    m_dpi = windowDpi(m_window);
    // The console is laid out, for good, in the metrics of the window's
    // first font; at another DPI its layout is scaled (toPixels).
    m_layoutDpi = m_dpi;
    m_metrics.setFont(windowFont(m_dpi));

    // Created in the keyboard order, which makes it their z-order, the order
    // Tab follows; the controls outside it after them.
    std::array<bool, form1::controls.size()> made{};
    const auto make = [&](std::size_t row) {
        const form1::Control &control = form1::controls[row];
        const ControlClass kind = controlClass(control.kind);
        m_controls[row] = CreateWindowExW(
            kind.exStyle, kind.className, widen(control.text).c_str(), kind.style, 0, 0, 0, 0,
            m_window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(firstControlId + static_cast<int>(row))),
            instance, nullptr);
        made[row] = true;
        return m_controls[row] != nullptr;
    };
    for (const std::string_view name : form1::tabOrder)
        if (!make(rowOf(name)))
            return false;
    for (std::size_t row = 0; row < form1::controls.size(); ++row)
        if (!made[row] && !make(row))
            return false;
    m_focus = m_controls[rowOf(form1::tabOrder.front())];

    applyDpi(m_dpi);
    const RECT frame = windowRectForClient(twipsToPixels(form1::clientWidthTwips, m_dpi),
                                           twipsToPixels(form1::clientHeightTwips, m_dpi),
                                           windowStyle, windowExStyle, m_dpi);
    SetWindowPos(m_window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

void Form1Window::load()
{
    m_procedures.startUp();
}

void Form1Window::show(int showCommand)
{
    ShowWindow(m_window, showCommand);
    UpdateWindow(m_window);
    SetFocus(m_focus);
}

bool Form1Window::dialogMessage(MSG &msg)
{
    return m_window && IsDialogMessageW(m_window, &msg);
}

void Form1Window::stopTimerForGood()
{
    m_timerStopped = true;
    setTimerEnabled(false);
}

void Form1Window::applyDpi(UINT dpi)
{
    m_dpi = dpi;
    const LOGFONTW font = windowFont(dpi);
    const HFONT created = CreateFontIndirectW(&font);
    if (created) {
        for (HWND control : m_controls)
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(created), FALSE);
        if (m_font)
            DeleteObject(m_font);
        m_font = created;
    }
    for (std::size_t row = 0; row < form1::controls.size(); ++row) {
        const form1::Control &control = form1::controls[row];
        SetWindowPos(m_controls[row], nullptr, twipsToPixels(control.left, dpi),
                     twipsToPixels(control.top, dpi), twipsToPixels(control.width, dpi),
                     twipsToPixels(control.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(m_controls[row], nullptr, TRUE);
    }
    m_lineHeight = toPixels(m_metrics.lineHeight());
    takeConsoleText();
    InvalidateRect(m_window, nullptr, FALSE);
}

int Form1Window::toPixels(int units) const
{
    return m_dpi == m_layoutDpi
        ? units
        : MulDiv(units, static_cast<int>(m_dpi), static_cast<int>(m_layoutDpi));
}

void Form1Window::run(form1::Procedure procedure)
{
    // A procedure runs to its end before the next; only a message box that
    // reports a fatal error can let another in meanwhile.
    if (m_running)
        return;
    RECT before = consoleArea();
    {
        const RunningFlag running(m_running);
        (m_procedures.*procedure)();
    }
    // Only the part of the surface that held or now holds text is drawn
    // again; the controls beside it are left alone.
    if (m_console.revision() != m_drawnRevision) {
        takeConsoleText();
        const RECT after = consoleArea();
        RECT both{};
        UnionRect(&both, &before, &after);
        InvalidateRect(m_window, &both, FALSE);
    }
}

void Form1Window::takeConsoleText()
{
    const std::vector<console::Run> &runs = m_console.runs();
    m_drawn.resize(runs.size());
    for (std::size_t i = 0; i < runs.size(); ++i) {
        m_drawn[i].x = toPixels(runs[i].x);
        m_drawn[i].y = toPixels(runs[i].line * m_metrics.lineHeight());
        m_drawn[i].text = widen(runs[i].text);
    }
    m_drawnRevision = m_console.revision();
}

RECT Form1Window::consoleArea() const
{
    if (m_console.usedLines() == 0)
        return RECT{0, 0, 0, 0};
    // One column more: a glyph may reach past its advance.
    return RECT{0, 0, toPixels(m_console.usedWidth() + m_metrics.columnWidth()),
                toPixels(m_console.usedLines() * m_metrics.lineHeight())};
}

void Form1Window::paint()
{
    PAINTSTRUCT ps;
    const HDC windowDc = BeginPaint(m_window, &ps);
    if (!windowDc)
        return;
    const RECT area = ps.rcPaint;
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width > 0 && height > 0) {
        // Drawn off screen first, so that text drawn again each tick never flickers.
        HDC dc = CreateCompatibleDC(windowDc);
        HBITMAP bitmap = dc ? CreateCompatibleBitmap(windowDc, width, height) : nullptr;
        HGDIOBJ originalBitmap = nullptr;
        if (bitmap) {
            originalBitmap = SelectObject(dc, bitmap);
            SetViewportOrgEx(dc, -area.left, -area.top, nullptr);
        } else {
            if (dc)
                DeleteDC(dc);
            dc = windowDc;
        }

        FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
        const HGDIOBJ originalFont = SelectObject(dc, m_font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
        for (const DrawnRun &run : m_drawn) {
            if (run.y >= area.bottom)
                break;  // runs come in line order; the rest is below the area
            if (run.y + m_lineHeight <= area.top)
                continue;
            ExtTextOutW(dc, run.x, run.y, 0, nullptr, run.text.c_str(),
                        static_cast<UINT>(run.text.size()), nullptr);
        }
        SelectObject(dc, originalFont);

        if (bitmap) {
            BitBlt(windowDc, area.left, area.top, width, height, dc, area.left, area.top, SRCCOPY);
            SelectObject(dc, originalBitmap);
            DeleteObject(bitmap);
            DeleteDC(dc);
        }
    }
    EndPaint(m_window, &ps);
}

void Form1Window::setCaption(const std::string &text)
{
    SetWindowTextW(m_window, widen(text).c_str());
}

void Form1Window::setBoxText(console::Box box, const std::string &text)
{
    const std::size_t row = rowOf(form1::boxControl(box));
    if (row < m_controls.size())
        SetWindowTextW(m_controls[row], widen(text).c_str());
}

void Form1Window::setTimerEnabled(bool on)
{
    if (on && !m_timerStopped) {
        if (!m_timerOn)
            m_timerOn = SetTimer(m_window, timer1Id, form1::timer1IntervalMs, nullptr) != 0;
    } else if (m_timerOn) {
        KillTimer(m_window, timer1Id);
        m_timerOn = false;
    }
}

void Form1Window::beep()
{
    MessageBeep(MB_OK);
}

LRESULT CALLBACK Form1Window::windowProcedure(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam)
{
    auto *self = reinterpret_cast<Form1Window *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self = static_cast<Form1Window *>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams);
        self->m_window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->m_window = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    // Nothing may unwind through Windows' own frames.
    try {
        return self->handleMessage(message, wParam, lParam);
    } catch (const std::exception &error) {
        device::reportFatalError(error.what());
    } catch (...) {
        device::reportFatalError("Unexpected failure.");
    }
    return 0;
}

LRESULT Form1Window::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND: {
        if (HIWORD(wParam) != BN_CLICKED)
            break;
        std::size_t row = form1::controls.size();
        if (LOWORD(wParam) == IDOK) {
            // Return, through the dialog keys: the button with the focus.
            const HWND focus = GetFocus();
            row = static_cast<std::size_t>(std::find(m_controls.begin(), m_controls.end(), focus)
                                           - m_controls.begin());
        } else if (LOWORD(wParam) >= firstControlId) {
            row = static_cast<std::size_t>(LOWORD(wParam) - firstControlId);
        }
        if (row >= form1::controls.size() || form1::controls[row].kind != form1::Kind::Button)
            return 0;
        if (form1::controls[row].exits)
            DestroyWindow(m_window);  // at once: no scan stopped, no card closed
        else if (form1::controls[row].click)
            run(form1::controls[row].click);
        return 0;
    }
    case WM_TIMER:
        if (wParam == timer1Id) {
            if (m_timerOn)
                run(&procedures::Procedures::acquisitionTick);
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT fills what it draws
    case WM_PAINT:
        paint();
        return 0;
    case WM_DPICHANGED: {
        applyDpi(LOWORD(wParam));
        const RECT *suggested = reinterpret_cast<const RECT *>(lParam);
        SetWindowPos(m_window, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = GetFocus();
            if (focus && IsChild(m_window, focus))
                m_focus = focus;
        } else if (!HIWORD(wParam) && m_focus) {
            SetFocus(m_focus);
            return 0;
        }
        break;
    case WM_SETFOCUS:
        if (m_focus) {
            SetFocus(m_focus);
            return 0;
        }
        break;
    case WM_DESTROY:
        setTimerEnabled(false);
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

} // namespace win32
