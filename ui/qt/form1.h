#pragma once

#include "card.h"
#include "controls.h"
#include "form1description.h"
#include "outputconsole.h"
#include "procedures.h"
#include "textmetrics.h"
#include "windowservices.h"

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <array>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class QTimer;

/// Console layout in the window font's own metrics. Widths that cannot
/// change are measured once: each ASCII character's advance, and each other
/// text the first time it is printed.
class FontTextMetrics : public console::TextMetrics
{
public:
    explicit FontTextMetrics(const QFont &font);
    int textWidth(std::string_view text) const override;
    int columnWidth() const override { return m_metrics.averageCharWidth(); }
    int lineHeight() const override { return m_metrics.lineSpacing(); }
    int ascent() const { return m_metrics.ascent(); }

private:
    QFontMetrics m_metrics;
    std::array<int, 128> m_asciiAdvance{};
    mutable std::unordered_map<std::string, int> m_otherWidths;
};

/// The console's only window: the output console on the left, the buttons
/// and boxes on the right, and the acquisition timer.
class Form1 : public QWidget, public console::WindowServices
{
    Q_OBJECT

public:
    /// Client area, in pixels at 96 dots per inch.
    static constexpr QSize clientSize{form1::pixels(form1::clientWidthTwips),
                                      form1::pixels(form1::clientHeightTwips)};

    /// cardSource names the card library in use, for the caption.
    Form1(device::Card &card, const std::string &cardSource, QWidget *parent = nullptr);

    /// The window's load event: start-up, before the window is first shown.
    void load();

    /// The control named name (such as "Command5" or "TAD_TEXT"), or nullptr.
    QWidget *control(const QString &name) const { return m_controls.value(name); }
    QTimer *timer1() const { return m_timer1; }
    const console::OutputConsole &outputConsole() const { return m_console; }
    const FontTextMetrics &textMetrics() const { return m_metrics; }

    void setCaption(const std::string &text) override;
    void setBoxText(console::Box box, const std::string &text) override;
    void setTimerEnabled(bool on) override;
    void beep() override;

    /// One tick of Timer1: the acquisition tick, then a repaint.
    void timer1Tick();

signals:
    /// The exit button was pressed.
    void exitRequested();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    /// Runs one procedure to its end, then shows what it printed.
    void run(form1::Procedure procedure);
    /// The part of the surface that the console's text covers.
    QRect consoleArea() const;
    /// Takes the console's runs over as the text the window draws.
    void takeConsoleText();

    /// A run of console text as the window draws it.
    struct DrawnRun
    {
        QPoint baseline;
        QString text;
    };

    FontTextMetrics m_metrics;
    console::OutputConsole m_console;
    procedures::Procedures m_procedures;
    QHash<QString, QWidget *> m_controls;
    QTimer *m_timer1;
    std::vector<DrawnRun> m_drawn;
    std::uint64_t m_drawnRevision = 0;
};
