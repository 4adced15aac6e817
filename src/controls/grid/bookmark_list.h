// TBookmarkList: the rows a data grid has multi-selected, as the dataset's
// bookmarks kept in dataset order, with a one-entry cache for the question
// "is this row selected?" that painting asks for every visible row.
#pragma once

#include <string>
#include <vector>

#include "dataset/data_types.h"

namespace notarra {

class TVelaCustomDBGrid;

class TBookmarkList {
public:
  explicit TBookmarkList(TVelaCustomDBGrid* grid) : grid_(grid) {}

  int Count() const { return static_cast<int>(items_.size()); }
  const TBookmark& Items(int index) const { return items_.at(static_cast<std::size_t>(index)); }
  void Clear();
  // Raises "Cannot perform this operation on a closed dataset" without an active link.
  TBookmark CurrentBookmark() const;
  int CompareMarks(const TBookmark& a, const TBookmark& b) const;
  // Whether mark is in the list; index is where it is or belongs.
  bool SearchMark(const TBookmark& mark, int& index);
  bool CurrentRowIsSelected();
  void SelectCurrentRow(bool value);
  // Deletes every selected record, last first.
  void Delete();
  bool LinkState() const { return linkActive_; }
  void SetLinkState(bool value);

private:
  void ListChanged() { cacheIndex_ = -1; }

  TVelaCustomDBGrid* grid_;
  std::vector<TBookmark> items_;
  TBookmark cacheMark_;
  int cacheIndex_ = -1;
  bool cacheFound_ = false;
  bool linkActive_ = false;
};

}  // namespace notarra
