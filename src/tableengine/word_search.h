// TVelaWordSearch: the words a person types to find records. A record
// matches when every word occurs, without regard to letter case, somewhere
// in the text of one of the chosen fields. Words are split at blanks; an
// empty text has no words and matches everything.
//
// TVelaWordNarrowing: keeps the records of a list that match, in the list's
// order, worked through in slices so that a long narrowing leaves room for
// the next keystroke between them. Each slice is shared among the machine's
// cores; the records must not change while a slice runs. A list that holds
// much of its store is tested in the store's own order, which is the file's,
// so that memory is read in sequence rather than in the list's sort order.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "tableengine/record_store.h"

namespace notarra {

class TComponent;

class TVelaWordSearch {
public:
  TVelaWordSearch() = default;
  explicit TVelaWordSearch(std::string_view text);

  bool Empty() const { return words_.empty(); }
  // The words as matched: folded to lower case, in the order typed.
  const std::vector<std::string>& Words() const { return words_; }

  // Finds the fields (";"-separated names) in the store. Raises
  // "Field %s is not found" on behalf of owner.
  void Resolve(const TVelaCursor& store, std::string_view fieldNames, const TComponent* owner);
  bool Matches(const TVelaRecord& record) const;
  // Asks the processor for the record's texts ahead of Matches.
  void Prefetch(const TVelaRecord& record) const;

  // Whether text holds the folded word, letter case aside.
  static bool Contains(std::string_view text, std::string_view foldedWord);

private:
  std::vector<std::string> words_;
  std::vector<const TVelaField*> fields_;
};

class TVelaWordNarrowing {
public:
  // Begins narrowing list (copied; records of store) by search; both must
  // outlive the work.
  void Start(const TVelaWordSearch& search, const TVelaRecordList& list, const TVelaCursor& store);
  // Tests up to count more records; true once the whole list is done.
  bool Step(std::size_t count);
  bool Running() const { return search_ != nullptr; }
  // The matching records, once done; the narrowing is then idle again.
  TVelaRecordList TakeResult();
  void Stop();

private:
  // The records tested, in the order they are tested.
  const TVelaRecordList& Tested() const { return inStoreOrder_ ? store_->Records() : list_; }
  const TVelaWordSearch* search_ = nullptr;
  const TVelaCursor* store_ = nullptr;
  TVelaRecordList list_;
  bool inStoreOrder_ = false;
  std::vector<unsigned char> matches_;  // by place in list_, when not in store order
  std::size_t next_ = 0;
};

}  // namespace notarra
