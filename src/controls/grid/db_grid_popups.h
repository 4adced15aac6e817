// The data grid's own drop-downs: TPopupListbox, the pick list of a combo
// column, which searches as the user types (the typed letters gather for
// five seconds, then a new search starts), and TVelaPopupCalendar, the
// calendar control as a drop-down. Both are popup windows of the cell
// editor: shown without taking the focus, fed the editor's keys, and
// closed by the editor.
#pragma once

#include <QListWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "controls/edit/calendar.h"
#include "gui/incremental_search.h"

namespace notarra {

class TPopupBehavior;

class TPopupListbox : public QListWidget {
  Q_OBJECT

public:
  static constexpr int kSearchPauseMs = 5000;
  static constexpr int kMaxSearchLength = TIncrementalSearch::kMaxLength;

  explicit TPopupListbox(QWidget* owner);

  TPopupBehavior* Behavior() const { return behavior_; }
  // The height of one item (at least the font's line).
  int ItemHeight() const;
  const std::string& SearchText() const { return search_.Text(); }
  // The clock of the incremental search in milliseconds; tests replace it.
  std::function<int64_t()> Clock = [] { return TIncrementalSearch::NowMs(); };
  // A mouse button came up over the list (point in list coordinates).
  std::function<void(const QPoint&, Qt::MouseButton)> OnMouseUp;

protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

private:
  TPopupBehavior* behavior_;
  TIncrementalSearch search_{kSearchPauseMs};
};

class TVelaPopupCalendar : public TVelaCalendar {
  Q_OBJECT

public:
  explicit TVelaPopupCalendar(QWidget* owner);

  TPopupBehavior* Behavior() const { return behavior_; }
  // A mouse button came up over the calendar (point in its coordinates).
  std::function<void(const QPoint&, Qt::MouseButton)> OnMouseUp;
  // The keys the owning editor passes on.
  void PassKey(QKeyEvent* event) { keyPressEvent(event); }

protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

private:
  TPopupBehavior* behavior_;
};

}  // namespace notarra
