// Tells when a widget has painted, for benchmarks that time until the
// window is on the screen.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>

namespace benchsupport {

class PaintWatch : public QObject {
public:
  bool painted = false;
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      painted = true;
      ++paints;
    }
    return false;
  }
};

// Waits until the widget has painted again.
inline void WaitForPaint(QWidget* widget) {
  PaintWatch watch;
  widget->installEventFilter(&watch);
  while (!watch.painted) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  widget->removeEventFilter(&watch);
}

}  // namespace benchsupport
