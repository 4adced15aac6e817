#include "controls/grid/bookmark_list.h"

#include "controls/grid/db_grid.h"
#include "dataset/dataset.h"
#include "platform/scope_guard.h"

namespace notarra {

void TBookmarkList::Clear() {
  if (items_.empty()) return;
  items_.clear();
  ListChanged();
  grid_->InvalidateGrid();
  grid_->OnMultiSelectChanged(grid_);
}

TBookmark TBookmarkList::CurrentBookmark() const {
  if (!linkActive_) throw EInvalidGridOperation("Cannot perform this operation on a closed dataset");
  return grid_->DataLink()->DataSet()->Bookmark();
}

int TBookmarkList::CompareMarks(const TBookmark& a, const TBookmark& b) const {
  return grid_->DataLink()->DataSet()->CompareBookmarks(a, b);
}

bool TBookmarkList::SearchMark(const TBookmark& mark, int& index) {
  if (cacheIndex_ >= 0 && mark == cacheMark_) {
    index = cacheIndex_;
    return cacheFound_;
  }
  bool found = false;
  int low = 0;
  int high = Count() - 1;
  while (low <= high) {
    const int middle = (low + high) / 2;
    const int c = CompareMarks(items_[static_cast<std::size_t>(middle)], mark);
    if (c < 0) {
      low = middle + 1;
    } else {
      high = middle - 1;
      if (c == 0) {
        found = true;
        low = middle;
      }
    }
  }
  index = low;
  cacheMark_ = mark;
  cacheIndex_ = low;
  cacheFound_ = found;
  return found;
}

bool TBookmarkList::CurrentRowIsSelected() {
  if (!linkActive_ || items_.empty()) return false;
  int index = 0;
  return SearchMark(CurrentBookmark(), index);
}

void TBookmarkList::SelectCurrentRow(bool value) {
  const TBookmark mark = CurrentBookmark();
  if (mark.empty()) return;
  int index = 0;
  if (SearchMark(mark, index) == value) return;
  if (value)
    items_.insert(items_.begin() + index, mark);
  else
    items_.erase(items_.begin() + index);
  ListChanged();
  grid_->InvalidateRow(grid_->Row());
  grid_->OnMultiSelectChanged(grid_);
}

void TBookmarkList::Delete() {
  TDataSet* ds = grid_->DataLink()->DataSet();
  ds->DisableControls();
  ScopeExit enable([ds] { ds->EnableControls(); });
  while (!items_.empty()) {
    ds->GotoBookmark(items_.back());
    ds->Delete();
    items_.pop_back();
    ListChanged();
  }
}

void TBookmarkList::SetLinkState(bool value) {
  Clear();
  linkActive_ = value;
}

}  // namespace notarra
