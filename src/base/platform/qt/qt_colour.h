#pragma once

#include <QColor>
#include <QPalette>
#include <QWidget>

#include "ui/controls.h"

// The program's colours are 0x00BBGGRR, as the classic toolkit had them.
inline QColor FromBgr(Color color) {
  return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                static_cast<int>((color >> 16) & 0xFF));
}

inline void SetTextColour(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, colour);
  widget->setPalette(palette);
}
