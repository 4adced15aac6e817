// Sizes the forms give in pixels at 96 dots per inch, turned into pixels for
// the screen a widget is on (its logical dots per inch), so that a control
// laid out by pixel positions grows with its fonts on a large-text screen.
#pragma once

#include <QRect>
#include <QSize>

class QWidget;

namespace notarra {

// pixels at 96 dpi -> pixels for widget's screen (rounded; 0 stays 0).
int ScaledPx(const QWidget* widget, int pixels);
QRect ScaledRect(const QWidget* widget, int left, int top, int width, int height);
QSize ScaledSize(const QWidget* widget, int width, int height);

}  // namespace notarra
