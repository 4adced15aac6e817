// Helpers the edit control tests share.
#pragma once

#include <QTest>
#include <QWidget>
#include <string>

using namespace notarra;

// Shows the top-level widget and waits until it is the active window, so
// focus and key events behave as on a desktop.
inline bool ShowActive(QWidget* window) {
  window->show();
  window->activateWindow();
  return QTest::qWaitForWindowActive(window);
}

inline std::string TestOutputPath(const std::string& name) { return std::string(GUI_TEST_OUTPUT_DIR) + "/" + name; }
