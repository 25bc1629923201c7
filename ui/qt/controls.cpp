#include "controls.h"

#include "form1description.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

QString qText(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

QWidget *makeControl(const form1::Control &row, QWidget *parent)
{
    const QString text = qText(row.text);
    QWidget *widget = nullptr;
    switch (row.kind) {
    case form1::Kind::Button:
        widget = new QPushButton(text, parent);
        break;
    case form1::Kind::ReadOnlyBox: {
        auto *box = new QLineEdit(text, parent);
        box->setReadOnly(true);
        widget = box;
        break;
    }
    case form1::Kind::Label:
        widget = new QLabel(text, parent);
        break;
    }
    widget->setObjectName(qText(row.name));
    // Pixels at 96 dots per inch; Qt scales them for the screen.
    widget->setGeometry(form1::pixels(row.left), form1::pixels(row.top), form1::pixels(row.width),
                        form1::pixels(row.height));
    return widget;
}

} // namespace

QHash<QString, QWidget *> makeControls(QWidget *parent)
{
    QHash<QString, QWidget *> controls;
    for (const form1::Control &row : form1::controls) {
        QWidget *widget = makeControl(row, parent);
        controls.insert(widget->objectName(), widget);
    }
    for (std::size_t i = 1; i < form1::tabOrder.size(); ++i)
        QWidget::setTabOrder(controls.value(qText(form1::tabOrder[i - 1])),
                             controls.value(qText(form1::tabOrder[i])));
    controls.value(qText(form1::tabOrder.front()))->setFocus();
    return controls;
}
