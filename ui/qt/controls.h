#pragma once

#include <QHash>
#include <QString>
#include <QWidget>

/// Builds the window's buttons, read-only boxes and labels on parent, at
/// their places, with their captions and the keyboard focus order; the
/// first control in that order gets the focus. Returns them by name.
QHash<QString, QWidget *> makeControls(QWidget *parent);
