// TVelaDataset's typed words: the visible list narrowed, on top of filter
// and range, to the records that hold every word. The full list is kept as
// the base while words are typed, so that each keystroke only tests records
// (in slices, across cores) and never sorts again; a posted record makes the
// base stale, and the next word then rebuilds the list from the store.
#include "tableengine/vela_dataset.h"

namespace notarra {

bool TVelaDataset::SetSearchText(const std::string& text, std::size_t slice) {
  TVelaWordSearch search(text);
  if (search.Words() == wordSearch_.Words()) {
    searchText_ = text;
    return ContinueSearch(slice);
  }
  if (Active() && store_) {
    CheckBrowseMode();
    search.Resolve(*store_, searchFields_, this);  // an unknown field changes nothing
  }
  searchText_ = text;
  narrowing_.Stop();
  if (!Active() || !store_) {
    wordSearch_ = std::move(search);
    return true;
  }
  const bool wasSearching = !wordSearch_.Empty();
  wordSearch_ = std::move(search);
  if (wasSearching && !searchBaseValid_) {
    RebuildVisible(false);
    return true;
  }
  if (!wasSearching) {
    searchBase_ = visible_;
    searchBaseValid_ = true;
  }
  if (wordSearch_.Empty()) {
    TVelaRecordList all = std::move(searchBase_);
    ForgetSearchBase();
    ShowList(std::move(all));
    return true;
  }
  narrowing_.Start(wordSearch_, searchBase_, *store_);
  return ContinueSearch(slice);
}

bool TVelaDataset::ContinueSearch(std::size_t slice) {
  if (!narrowing_.Running()) return true;
  if (!searchBaseValid_) {
    // A record was posted between two slices: start from the store.
    narrowing_.Stop();
    RebuildVisible(false);
    return true;
  }
  if (!narrowing_.Step(slice)) return false;
  ShowList(narrowing_.TakeResult());
  return true;
}

void TVelaDataset::NarrowVisibleByWords() {
  narrowing_.Stop();
  if (wordSearch_.Empty()) {
    ForgetSearchBase();
    return;
  }
  searchBase_ = visible_;
  searchBaseValid_ = true;
  TVelaWordNarrowing all;
  all.Start(wordSearch_, searchBase_, *store_);
  all.Step(SIZE_MAX);
  visible_ = all.TakeResult();
}

void TVelaDataset::ForgetSearchBase() {
  narrowing_.Stop();
  searchBase_ = {};
  searchBaseValid_ = false;
}

void TVelaDataset::ShowList(TVelaRecordList list) {
  TVelaRecord* remembered = BeginListChange();
  visible_ = std::move(list);
  EndListChange(remembered);
}

}  // namespace notarra
