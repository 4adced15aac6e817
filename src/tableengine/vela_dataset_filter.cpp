// TVelaDataset's filter text: parsing it into conditions, testing records
// against them in the visible-list rebuild (Filtered on) and in the find
// operations (Filtered off).
#include <memory>

#include "filterexpr/parser.h"
#include "platform/scope_guard.h"
#include "tableengine/vela_dataset.h"

namespace notarra {

void TVelaDataset::SetFilterText(const std::string& text) {
  // The text is parsed before anything changes: a text that does not parse
  // leaves the previous text and its conditions in force together, so the
  // Filter shown and the filter applied never disagree.
  std::unique_ptr<TVelaCFieldList> parsed;
  if (!text.empty()) parsed = std::make_unique<TVelaCFieldList>(ParseFilter(text));
  recordFilter_.SetConditions(std::move(parsed));
  StoreFilterText(text);
  if (Active()) {
    CheckBrowseMode();
    RebuildVisible(false);
  }
}

void TVelaDataset::FreeConditions() { recordFilter_.Free(); }

void TVelaDataset::ResolveConditions() {
  if (store_ && recordFilter_.HasConditions()) recordFilter_.Resolve(*store_, this);
}

bool TVelaDataset::KindsComparable(TVelaFieldKind rightKind, TVelaFieldKind leftKind) {
  return TVelaRecordFilter::KindsComparable(rightKind, leftKind);
}

bool TVelaDataset::RecordMatchesFilter(const TVelaRecord* record) {
  if (!recordFilter_.HasConditions()) return true;
  if (!store_ || !record || !record->Data) return false;
  if (!recordFilter_.ResolvedFor(*store_)) ResolveConditions();
  return recordFilter_.Matches(*store_, record->Data, FilterOptions().Contains(foCaseInsensitive), this);
}

void TVelaDataset::TestRecordsInFilterState(const std::function<void()>& testRecords) {
  TDataSetState saved = SetTempState(dsFilter);
  ScopeExit restore([&] {
    filterRecord_ = nullptr;
    RestoreState(saved);
  });
  testRecords();
}

// The conditions first, then the application's handler with the record
// made the record under test.
bool TVelaDataset::PassesFilter(TVelaRecord* record) {
  if (recordFilter_.HasConditions() && !RecordMatchesFilter(record)) return false;
  if (!OnFilterRecord) return true;
  bool accept = true;
  filterRecord_ = record;
  OnFilterRecord(this, accept);
  return accept;
}

bool TVelaDataset::FindRecord(bool restart, bool goForward) {
  CheckBrowseMode();
  DoBeforeScroll();
  SetFound(false);
  UpdateCursorPos();
  CursorPosChanged();

  bool found = false;
  if (Filtered()) {
    // The visible list already holds exactly the records that pass.
    if (goForward) {
      if (restart) First();
      else Next();
    } else {
      if (restart) Last();
      else Prior();
    }
    found = !visible_.empty() && (restart || (goForward ? !Eof() : !Bof()));
  } else if (store_) {
    ResolveConditions();
    const int count = static_cast<int>(visible_.size());
    int i = restart ? (goForward ? 0 : count - 1) : (goForward ? current_ + 1 : current_ - 1);
    const int step = goForward ? 1 : -1;
    TestRecordsInFilterState([&] {
      for (; i >= 0 && i < count; i += step) {
        if (PassesFilter(visible_[static_cast<std::size_t>(i)])) {
          found = true;
          break;
        }
      }
    });
    if (found) {
      current_ = i;
      Resync({rmExact, rmCenter});
    }
  }
  if (found) {
    SetFound(true);
    DoAfterScroll();
  }
  return found;
}

}  // namespace notarra
