#pragma once

#include <string>

namespace console {

/// The text boxes that procedures write to.
enum class Box { TAD_TEXT, Text2 };

/// The window operations the procedures use. Texts are UTF-8.
class WindowServices
{
public:
    virtual ~WindowServices() = default;

    /// Replaces the window caption.
    virtual void setCaption(const std::string &text) = 0;
    /// Replaces the text of box.
    virtual void setBoxText(Box box, const std::string &text) = 0;
    /// Switches the acquisition timer on or off.
    virtual void setTimerEnabled(bool on) = 0;
    /// Sounds the system's default beep.
    virtual void beep() = 0;
};

} // namespace console
