#pragma once

#include "card.h"
#include "outputconsole.h"
#include "procedures.h"
#include "textmetrics.h"
#include "windowservices.h"

#include <QFontMetrics>
#include <QHash>
#include <QWidget>

class QLineEdit;
class QTimer;

/// Console layout in the window font's own metrics.
class FontTextMetrics : public console::TextMetrics
{
public:
    explicit FontTextMetrics(const QFont &font) : m_metrics(font) {}
    int textWidth(const QString &text) const override { return m_metrics.horizontalAdvance(text); }
    int columnWidth() const override { return m_metrics.averageCharWidth(); }
    int lineHeight() const override { return m_metrics.lineSpacing(); }
    int ascent() const { return m_metrics.ascent(); }

private:
    QFontMetrics m_metrics;
};

/// The console's only window: the output console on the left, the buttons
/// and boxes on the right, and the acquisition timer.
class Form1 : public QWidget, public console::WindowServices
{
    Q_OBJECT

public:
    /// Client area, in pixels at 96 dots per inch.
    static constexpr QSize clientSize{8460 / 15, 5280 / 15};

    /// cardSource names the card library in use, for the caption.
    Form1(device::Card &card, const QString &cardSource, QWidget *parent = nullptr);

    /// The window's load event: start-up, before the window is first shown.
    void load();

    /// The control named name (such as "Command5" or "TAD_TEXT"), or nullptr.
    QWidget *control(const QString &name) const { return m_controls.value(name); }
    QTimer *timer1() const { return m_timer1; }
    const console::OutputConsole &outputConsole() const { return m_console; }

    void setCaption(const QString &text) override;
    void setBoxText(console::Box box, const QString &text) override;
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
    void run(void (procedures::Procedures::*procedure)());
    /// The part of the surface that the console's text covers.
    QRect consoleArea() const;

    FontTextMetrics m_metrics;
    console::OutputConsole m_console;
    procedures::Procedures m_procedures;
    QHash<QString, QWidget *> m_controls;
    QTimer *m_timer1;
};
