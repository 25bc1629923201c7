#pragma once

#include "procedures.h"
#include "windowservices.h"

#include <array>
#include <string_view>

/// Form1 described once, as data, for every front end that draws it: its
/// controls in twips, the keyboard order, the procedure behind each button,
/// the exit button, Timer1 and the boxes the window services write to.
namespace form1 {

/// Twips in one inch; 15 twips make one pixel at 96 dots per inch.
inline constexpr int twipsPerInch = 1440;

/// Client area, in twips.
inline constexpr int clientWidthTwips = 8460;
inline constexpr int clientHeightTwips = 5280;

/// Timer1's interval, in milliseconds; it is off when the window opens.
inline constexpr int timer1IntervalMs = 50;

enum class Kind { Button, ReadOnlyBox, Label };

/// A procedure a button runs.
using Procedure = void (procedures::Procedures::*)();

/// One control of the window.
struct Control
{
    std::string_view name;
    Kind kind;
    std::string_view text;          ///< caption or initial text, UTF-8
    int left, top, width, height;   ///< twips from the client area's top-left corner
    Procedure click = nullptr;      ///< what a click runs, for a button
    bool exits = false;             ///< a click ends the program at once
};

using P = procedures::Procedures;

inline constexpr std::array controls{
    Control{"DO", Kind::Button, "DO", 5160, 240, 975, 375, &P::writeDigitalOutput},
    Control{"Text1", Kind::ReadOnlyBox, " DO输出0x55AA", 6360, 240, 1935, 375},
    Control{"DI", Kind::Button, "DI", 5160, 860, 975, 375, &P::readDigitalInput},
    Control{"Text2", Kind::ReadOnlyBox, " ", 6360, 860, 1935, 375},
    Control{"AD", Kind::Button, "AD连续", 5160, 1480, 975, 375, &P::startAcquisition},
    Control{"Label2", Kind::Label, "已经采集", 6360, 1480, 855, 375},
    Control{"StopAD", Kind::Button, "AD查询", 5160, 2100, 975, 375, &P::singleShotScan},
    Control{"TAD_TEXT", Kind::ReadOnlyBox, "Text4", 6360, 2100, 1095, 375},
    Control{"Label1", Kind::Label, "点", 7800, 2100, 375, 375},
    Control{"Command2", Kind::Button, "启动CNT0", 5160, 2720, 975, 375, &P::startCounter},
    Control{"Command8", Kind::Button, "Read CNT0", 6360, 2720, 975, 375, &P::readCounter},
    Control{"Command5", Kind::Button, "DA", 5160, 3340, 975, 375, &P::setAnalogOutputs},
    Control{"Command4", Kind::Button, "EEPROM", 6360, 3340, 975, 375, &P::testEeprom},
    Control{"Command1", Kind::Button, "脉冲输出", 5160, 3960, 975, 375, &P::startPulseOutputs},
    Control{"Command6", Kind::Button, "停止输出", 6360, 3960, 975, 375, &P::stopPulseOutputs},
    Control{"Command3", Kind::Button, "退出", 5880, 4680, 975, 375, nullptr, true},
};

/// The order in which keyboard focus moves; the window opens on the first.
inline constexpr std::array<std::string_view, 14> tabOrder{
    "Command2", "StopAD", "AD", "DO", "DI", "Command3", "Command1",
    "Command5", "Command6", "Text1", "Text2", "Command4", "Command8", "TAD_TEXT"};

/// The control a box of the window services is.
constexpr std::string_view boxControl(console::Box box)
{
    return box == console::Box::TAD_TEXT ? "TAD_TEXT" : "Text2";
}

/// The row of the control called name, or nullptr.
constexpr const Control *findControl(std::string_view name)
{
    for (const Control &control : controls)
        if (control.name == name)
            return &control;
    return nullptr;
}

/// Twips as pixels at dpi dots per inch, rounded to the nearest pixel.
constexpr int pixels(int twips, int dpi = 96)
{
    return (twips * dpi + twipsPerInch / 2) / twipsPerInch;
}

} // namespace form1
