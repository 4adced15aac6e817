#include "gui/dpi_scale.h"

#include <QWidget>
#include <cmath>

namespace notarra {

int ScaledPx(const QWidget* widget, int pixels) {
  const int dpi = widget != nullptr ? widget->logicalDpiY() : 96;
  if (dpi <= 0 || dpi == 96) return pixels;
  return static_cast<int>(std::lround(pixels * dpi / 96.0));
}

QRect ScaledRect(const QWidget* widget, int left, int top, int width, int height) {
  return QRect(ScaledPx(widget, left), ScaledPx(widget, top), ScaledPx(widget, width), ScaledPx(widget, height));
}

QSize ScaledSize(const QWidget* widget, int width, int height) {
  return QSize(ScaledPx(widget, width), ScaledPx(widget, height));
}

}  // namespace notarra
