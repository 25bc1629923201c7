#include "controls.h"

#include "form1description.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

namespace {

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

QSize captionRoom(const form1::Control &control, const QStyle *style)
{
    const QRect rect(0, 0, form1::pixels(control.width), form1::pixels(control.height));
    if (control.kind != form1::Kind::Button)
        return rect.size();
    QStyleOptionButton option;
    option.rect = rect;
    const QRect contents = style->subElementRect(QStyle::SE_PushButtonContents, &option, nullptr);
    return {contents.width() - style->pixelMetric(QStyle::PM_ButtonMargin, &option),
            contents.height()};
}

QFont captionFittingFont(const QFont &desktop, const QStyle *style)
{
    auto fits = [style](const QFont &font) {
        const QFontMetrics metrics(font);
        for (const form1::Control &control : form1::controls) {
            if (control.kind == form1::Kind::ReadOnlyBox)
                continue;
            const QSize room = captionRoom(control, style);
            if (metrics.horizontalAdvance(qText(control.text)) > room.width()
                || metrics.height() > room.height())
                return false;
        }
        return true;
    };

    QFont font = desktop;
    // Half-point steps down from the desktop's size; a font given in pixels
    // steps by pixels.
    constexpr double smallestPoints = 5;
    if (desktop.pointSizeF() > 0) {
        for (double points = desktop.pointSizeF(); points >= smallestPoints; points -= 0.5) {
            font.setPointSizeF(points);
            if (fits(font))
                return font;
        }
        font.setPointSizeF(smallestPoints);
    } else {
        for (int size = desktop.pixelSize(); size >= 7; --size) {
            font.setPixelSize(size);
            if (fits(font))
                return font;
        }
        font.setPixelSize(7);
    }
    return font;
}

QFont applyCaptionFittingFont(QWidget *window)
{
    const QFont font = captionFittingFont(window->font(), window->style());
    window->setFont(font);
    return font;
}
