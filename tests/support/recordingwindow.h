#pragma once

#include "windowservices.h"

#include <QString>
#include <QStringList>

/// Window services that remember what the procedures asked of them.
class RecordingWindow : public console::WindowServices
{
public:
    QString caption;
    QString tadText = QStringLiteral("Text4");
    QString text2 = QStringLiteral(" ");
    bool timerOn = false;
    int beeps = 0;
    QStringList calls;   ///< e.g. "setTimerEnabled(on)", "setBoxText(TAD_TEXT,96)"

    void setCaption(const std::string &utf8) override
    {
        const QString text = QString::fromStdString(utf8);
        caption = text;
        calls << QStringLiteral("setCaption(%1)").arg(text);
    }
    void setBoxText(console::Box box, const std::string &utf8) override
    {
        const QString text = QString::fromStdString(utf8);
        const bool tad = box == console::Box::TAD_TEXT;
        (tad ? tadText : text2) = text;
        calls << QStringLiteral("setBoxText(%1,%2)").arg(tad ? "TAD_TEXT" : "Text2", text);
    }
    void setTimerEnabled(bool on) override
    {
        timerOn = on;
        calls << QStringLiteral("setTimerEnabled(%1)").arg(on ? "on" : "off");
    }
    void beep() override
    {
        ++beeps;
        calls << QStringLiteral("beep");
    }
};
