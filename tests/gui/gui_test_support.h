// Helpers shared by the GUI tests: showing a widget as an active window.
#pragma once

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QPointer>
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

// Opens the widget's context menu as a right click does and clicks the
// entry with that caption ("Paste", "Delete", ...); false when the menu or
// an enabled entry of that caption is missing.
inline bool ClickContextMenuEntry(QWidget* widget, const QString& caption) {
  const QPoint at = widget->rect().center();
  QContextMenuEvent open(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
  QCoreApplication::sendEvent(widget, &open);
  QMenu* menu = nullptr;
  for (QMenu* m : widget->findChildren<QMenu*>())
    if (m->isVisible()) menu = m;
  if (menu == nullptr || !QTest::qWaitForWindowExposed(menu)) return false;
  QAction* action = nullptr;
  for (QAction* a : menu->actions())
    if (a->text().section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&')) == caption && a->isEnabled()) action = a;
  QPointer<QMenu> shown(menu);  // deleted once closed
  if (action == nullptr) {
    menu->close();
    return false;
  }
  QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
  return QTest::qWaitFor([&] { return shown.isNull() || !shown->isVisible(); });
}
