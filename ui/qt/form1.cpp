#include "form1.h"

#include "controls.h"
#include "form1description.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include <array>
#include <utility>


Form1::Form1(device::Card &card, const QString &cardSource, QWidget *parent)
    : QWidget(parent)
    , m_metrics(font())
    , m_console(m_metrics)
    , m_procedures(card, m_console, *this, cardSource)
    , m_timer1(new QTimer(this))
{
    setObjectName(QStringLiteral("Form1"));
    resize(clientSize);

    m_controls = makeControls(this);
    for (const form1::Control &row : form1::controls) {
        auto *button = qobject_cast<QPushButton *>(control(QString::fromUtf8(row.name.data(), qsizetype(row.name.size()))));
        if (row.click)
            connect(button, &QPushButton::clicked, this, [this, procedure = row.click] { run(procedure); });
        else if (row.exits)
            connect(button, &QPushButton::clicked, this, &Form1::exitRequested);
    }

    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(form1::timer1IntervalMs);
    connect(m_timer1, &QTimer::timeout, this, &Form1::timer1Tick);
}

void Form1::load()
{
    m_procedures.startUp();
}

void Form1::timer1Tick()
{
    run(&procedures::Procedures::acquisitionTick);
}

void Form1::run(void (procedures::Procedures::*procedure)())
{
    // Only the part of the surface that held or now holds text is drawn
    // again; the controls beside it are left alone.
    const QRect before = consoleArea();
    (m_procedures.*procedure)();
    update(before.united(consoleArea()));
}

QRect Form1::consoleArea() const
{
    // One column more: a glyph may reach past its advance.
    return QRect(0, 0, m_console.usedWidth() + m_metrics.columnWidth(),
                 m_console.usedLines() * m_metrics.lineHeight());
}

void Form1::setCaption(const QString &text)
{
    setWindowTitle(text);
}

void Form1::setBoxText(console::Box box, const QString &text)
{
    const char *name = box == console::Box::TAD_TEXT ? "TAD_TEXT" : "Text2";
    static_cast<QLineEdit *>(control(QString::fromLatin1(name)))->setText(text);
}

void Form1::setTimerEnabled(bool on)
{
    if (on)
        m_timer1->start();
    else
        m_timer1->stop();
}

void Form1::beep()
{
    QApplication::beep();
}

void Form1::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    const int lineHeight = m_metrics.lineHeight();
    for (const console::Run &run : m_console.runs()) {
        const int top = run.line * lineHeight;
        if (top > height())
            break;  // runs come in line order; the rest is out of sight
        painter.drawText(run.x, top + m_metrics.ascent(), run.text);
    }
}
