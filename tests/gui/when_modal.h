// Acting inside a modal loop from a GUI test: the test starts the action
// that opens a modal dialog or message box, and the answer comes from here.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

// Runs action once a modal widget of type W is up (from inside its loop).
template <typename W>
void WhenModal(std::function<void(W*)> action) {
  // The pending timer holds the attempt; the attempt itself only a weak
  // reference, so nothing is left behind once the action ran.
  auto attempt = std::make_shared<std::function<void()>>();
  std::weak_ptr<std::function<void()>> weak = attempt;
  *attempt = [action, weak] {
    if (auto* w = qobject_cast<W*>(QApplication::activeModalWidget()); w != nullptr && w->isVisible()) {
      action(w);
      return;
    }
    if (auto self = weak.lock()) QTimer::singleShot(10, [self] { (*self)(); });
  };
  QTimer::singleShot(0, [attempt] { (*attempt)(); });
}
