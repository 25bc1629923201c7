#include "form1.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include <array>

namespace {

enum class Kind { Button, ReadOnlyBox, Label };

struct ControlRow
{
    const char *name;
    Kind kind;
    const char *text;           ///< caption or initial text, UTF-8
    int left, top, width, height;   ///< twips from the client area's top-left corner
    void (procedures::Procedures::*onClick)();
};

using P = procedures::Procedures;

constexpr std::array controlTable{
    ControlRow{"DO", Kind::Button, "DO", 5160, 240, 975, 375, &P::writeDigitalOutput},
    ControlRow{"Text1", Kind::ReadOnlyBox, " DO输出0x55AA", 6360, 240, 1935, 375, nullptr},
    ControlRow{"DI", Kind::Button, "DI", 5160, 860, 975, 375, &P::readDigitalInput},
    ControlRow{"Text2", Kind::ReadOnlyBox, " ", 6360, 860, 1935, 375, nullptr},
    ControlRow{"AD", Kind::Button, "AD连续", 5160, 1480, 975, 375, &P::startAcquisition},
    ControlRow{"Label2", Kind::Label, "已经采集", 6360, 1480, 855, 375, nullptr},
    ControlRow{"StopAD", Kind::Button, "AD查询", 5160, 2100, 975, 375, &P::singleShotScan},
    ControlRow{"TAD_TEXT", Kind::ReadOnlyBox, "Text4", 6360, 2100, 1095, 375, nullptr},
    ControlRow{"Label1", Kind::Label, "点", 7800, 2100, 375, 375, nullptr},
    ControlRow{"Command2", Kind::Button, "启动CNT0", 5160, 2720, 975, 375, &P::startCounter},
    ControlRow{"Command8", Kind::Button, "Read CNT0", 6360, 2720, 975, 375, &P::readCounter},
    ControlRow{"Command5", Kind::Button, "DA", 5160, 3340, 975, 375, &P::setAnalogOutputs},
    ControlRow{"Command4", Kind::Button, "EEPROM", 6360, 3340, 975, 375, &P::testEeprom},
    ControlRow{"Command1", Kind::Button, "脉冲输出", 5160, 3960, 975, 375, &P::startPulseOutputs},
    ControlRow{"Command6", Kind::Button, "停止输出", 6360, 3960, 975, 375, &P::stopPulseOutputs},
    ControlRow{"Command3", Kind::Button, "退出", 5880, 4680, 975, 375, nullptr},
};

/// The order in which keyboard focus moves; the window opens on the first.
constexpr std::array tabOrder{"Command2", "StopAD", "AD",       "DO",     "DI",
                              "Command3", "Command1", "Command5", "Command6", "Text1",
                              "Text2",    "Command4", "Command8", "TAD_TEXT"};

/// Twips to pixels at 96 dots per inch; Qt scales pixels for the screen.
constexpr int pixels(int twips)
{
    return (twips + 7) / 15;
}

QWidget *makeControl(const ControlRow &row, QWidget *parent)
{
    const QString text = QString::fromUtf8(row.text);
    QWidget *widget = nullptr;
    switch (row.kind) {
    case Kind::Button:
        widget = new QPushButton(text, parent);
        break;
    case Kind::ReadOnlyBox: {
        auto *box = new QLineEdit(text, parent);
        box->setReadOnly(true);
        widget = box;
        break;
    }
    case Kind::Label:
        widget = new QLabel(text, parent);
        break;
    }
    widget->setObjectName(QString::fromLatin1(row.name));
    widget->setGeometry(pixels(row.left), pixels(row.top), pixels(row.width),
                        pixels(row.height));
    return widget;
}

} // namespace

Form1::Form1(device::Card &card, const QString &cardSource, QWidget *parent)
    : QWidget(parent)
    , m_metrics(font())
    , m_console(m_metrics)
    , m_procedures(card, m_console, *this, cardSource)
    , m_timer1(new QTimer(this))
{
    setObjectName(QStringLiteral("Form1"));
    resize(clientSize);

    for (const ControlRow &row : controlTable) {
        QWidget *widget = makeControl(row, this);
        m_controls.insert(widget->objectName(), widget);
        if (auto *button = qobject_cast<QPushButton *>(widget)) {
            if (row.onClick) {
                const auto procedure = row.onClick;
                connect(button, &QPushButton::clicked, this, [this, procedure] { run(procedure); });
            }
        }
    }
    connect(static_cast<QPushButton *>(control(QStringLiteral("Command3"))), &QPushButton::clicked,
            this, &Form1::exitRequested);

    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        setTabOrder(control(QString::fromLatin1(tabOrder[i - 1])),
                    control(QString::fromLatin1(tabOrder[i])));
    control(QString::fromLatin1(tabOrder.front()))->setFocus();

    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(50);
    connect(m_timer1, &QTimer::timeout, this, [this] { run(&procedures::Procedures::acquisitionTick); });
}

void Form1::load()
{
    m_procedures.startUp();
}

void Form1::run(void (procedures::Procedures::*procedure)())
{
    (m_procedures.*procedure)();
    update();
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
