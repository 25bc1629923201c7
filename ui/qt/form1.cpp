#include "form1.h"

#include "controls.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

FontTextMetrics::FontTextMetrics(const QFont &font)
    : m_metrics(font)
{
    for (int c = 0; c < 128; ++c)
        m_asciiAdvance[std::size_t(c)] = m_metrics.horizontalAdvance(QChar(c));
}

int FontTextMetrics::textWidth(std::string_view text) const
{
    int width = 0;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 128) {
            // Not plain ASCII: measured as a whole, once.
            auto found = m_otherWidths.find(std::string(text));
            if (found == m_otherWidths.end())
                found = m_otherWidths.emplace(text, m_metrics.horizontalAdvance(qText(text))).first;
            return found->second;
        }
        width += m_asciiAdvance[std::size_t(c)];
    }
    return width;
}

Form1::Form1(device::Card &card, const std::string &cardSource, QWidget *parent)
    : QWidget(parent)
    , m_metrics(applyCaptionFittingFont(this))
    , m_console(m_metrics)
    , m_procedures(card, m_console, *this, cardSource)
    , m_timer1(new QTimer(this))
{
    setObjectName(QStringLiteral("Form1"));
    resize(clientSize);

    m_controls = makeControls(this);
    for (const form1::Control &row : form1::controls) {
        auto *button = qobject_cast<QPushButton *>(control(qText(row.name)));
        if (row.click)
            connect(button, &QPushButton::clicked, this,
                    [this, procedure = row.click] { run(procedure); });
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

void Form1::run(form1::Procedure procedure)
{
    // Only the part of the surface that held or now holds text is drawn
    // again; the controls beside it are left alone.
    const QRect before = consoleArea();
    (m_procedures.*procedure)();
    if (m_console.revision() != m_drawnRevision) {
        takeConsoleText();
        update(before.united(consoleArea()));
    }
}

void Form1::takeConsoleText()
{
    const int lineHeight = m_metrics.lineHeight();
    const int ascent = m_metrics.ascent();
    m_drawn.clear();
    for (const console::Run &run : m_console.runs())
        m_drawn.push_back({QPoint(run.x, run.line * lineHeight + ascent), qText(run.text)});
    m_drawnRevision = m_console.revision();
}

QRect Form1::consoleArea() const
{
    // One column more: a glyph may reach past its advance.
    return QRect(0, 0, m_console.usedWidth() + m_metrics.columnWidth(),
                 m_console.usedLines() * m_metrics.lineHeight());
}

void Form1::setCaption(const std::string &text)
{
    setWindowTitle(qText(text));
}

void Form1::setBoxText(console::Box box, const std::string &text)
{
    static_cast<QLineEdit *>(control(qText(form1::boxControl(box))))->setText(qText(text));
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
    const int bottom = height() + m_metrics.lineHeight();
    for (const DrawnRun &run : m_drawn) {
        if (run.baseline.y() > bottom)
            break;  // runs come in line order; the rest is out of sight
        painter.drawText(run.baseline, run.text);
    }
}
