#pragma once

#include "form1description.h"

#include <QFont>
#include <QHash>
#include <QSize>
#include <QString>
#include <QWidget>

#include <string_view>

class QStyle;

/// UTF-8 text as Qt's text.
inline QString qText(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

/// Builds the window's buttons, read-only boxes and labels on parent, at
/// their places, with their captions and the keyboard focus order; the
/// first control in that order gets the focus. Returns them by name.
QHash<QString, QWidget *> makeControls(QWidget *parent);

/// The room a button's or label's caption has inside the control, in pixels
/// at 96 dots per inch: the control less the style's frame and margins.
QSize captionRoom(const form1::Control &control, const QStyle *style);

/// The window's font: desktop's family at the largest size, not above
/// desktop's, at which every button's and label's caption fits its room.
QFont captionFittingFont(const QFont &desktop, const QStyle *style);

/// Gives window the caption-fitting font of its current font and style; returns it.
QFont applyCaptionFittingFont(QWidget *window);
