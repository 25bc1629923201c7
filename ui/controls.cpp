#include "controls.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <array>

namespace {

enum class Kind { Button, ReadOnlyBox, Label };

struct ControlRow
{
    const char *name;
    Kind kind;
    const char *text;               ///< caption or initial text, UTF-8
    int left, top, width, height;   ///< twips from the client area's top-left corner
};

constexpr std::array controlTable{
    ControlRow{"DO", Kind::Button, "DO", 5160, 240, 975, 375},
    ControlRow{"Text1", Kind::ReadOnlyBox, " DO输出0x55AA", 6360, 240, 1935, 375},
    ControlRow{"DI", Kind::Button, "DI", 5160, 860, 975, 375},
    ControlRow{"Text2", Kind::ReadOnlyBox, " ", 6360, 860, 1935, 375},
    ControlRow{"AD", Kind::Button, "AD连续", 5160, 1480, 975, 375},
    ControlRow{"Label2", Kind::Label, "已经采集", 6360, 1480, 855, 375},
    ControlRow{"StopAD", Kind::Button, "AD查询", 5160, 2100, 975, 375},
    ControlRow{"TAD_TEXT", Kind::ReadOnlyBox, "Text4", 6360, 2100, 1095, 375},
    ControlRow{"Label1", Kind::Label, "点", 7800, 2100, 375, 375},
    ControlRow{"Command2", Kind::Button, "启动CNT0", 5160, 2720, 975, 375},
    ControlRow{"Command8", Kind::Button, "Read CNT0", 6360, 2720, 975, 375},
    ControlRow{"Command5", Kind::Button, "DA", 5160, 3340, 975, 375},
    ControlRow{"Command4", Kind::Button, "EEPROM", 6360, 3340, 975, 375},
    ControlRow{"Command1", Kind::Button, "脉冲输出", 5160, 3960, 975, 375},
    ControlRow{"Command6", Kind::Button, "停止输出", 6360, 3960, 975, 375},
    ControlRow{"Command3", Kind::Button, "退出", 5880, 4680, 975, 375},
};

/// The order in which keyboard focus moves; the window opens on the first.
constexpr std::array tabOrder{"Command2", "StopAD",   "AD",       "DO",       "DI",
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

QHash<QString, QWidget *> makeControls(QWidget *parent)
{
    QHash<QString, QWidget *> controls;
    for (const ControlRow &row : controlTable) {
        QWidget *widget = makeControl(row, parent);
        controls.insert(widget->objectName(), widget);
    }
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(controls.value(QString::fromLatin1(tabOrder[i - 1])),
                             controls.value(QString::fromLatin1(tabOrder[i])));
    controls.value(QString::fromLatin1(tabOrder.front()))->setFocus();
    return controls;
}
