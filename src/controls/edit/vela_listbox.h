// TVelaListbox: the list of fixed items a data edit drops down. It is a
// popup window of the edit (popup_behavior.h): the keys typed in the edit
// reach it through ForwardKey. Typing searches: each printable character
// is added to the search text (at most 32 characters, never expiring) and
// the first item that begins with it, ignoring case, is selected;
// Backspace and Escape clear the search text, and so does the edit each
// time it opens the list. Its mouse release goes to OnMouseUp.
#pragma once

#include <QListWidget>
#include <string>
#include <vector>

#include "gui/incremental_search.h"
#include "gui/popup_behavior.h"

namespace notarra {

class TVelaListbox : public QListWidget {
  Q_OBJECT

public:
  explicit TVelaListbox(QWidget* owner);
  ~TVelaListbox() override;

  TPopupBehavior* Behavior() const { return behavior_; }

  void SetItems(const std::vector<std::string>& items);
  std::string ItemText(int index) const;
  // The height of one item: 11 pixels at 96 dpi, or the font's height
  // when that is more, so that no item text is cut.
  int ItemHeight() const;
  // Height for the smaller of the item count and maxRows (at least one row).
  void FitRows(int maxRows);
  // Widens the list so that the widest item shows whole.
  void WidenToItems();

  const std::string& SearchText() const { return search_.Text(); }
  void ClearSearch() { search_.Clear(); }

  // Up, Down, Page Up, Page Down, Home and End move the selection; the
  // search keys above. True when the key was the list's.
  bool ForwardKey(QKeyEvent* event);

  TPopupMouseEvent OnMouseUp;

protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;

private:
  void ApplyItemHeight();

  TPopupBehavior* behavior_;
  TIncrementalSearch search_;
};

}  // namespace notarra
