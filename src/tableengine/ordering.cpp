// Ordering of record lists: sorting, insertion in order, key search, range
// test and the duplicate-key test. All of them work on lists of record
// pointers; record data never moves.
#include <algorithm>

#include "tableengine/data_area.h"
#include "tableengine/record_store.h"
#include "tableengine/sort_key.h"
#include "tableengine/value_compare.h"

namespace notarra {

namespace {

struct RecordOrder {
  std::span<const TVelaField* const> fields;
  bool caseInsensitive;
  bool descending;

  int Compare(const TVelaRecord* a, const TVelaRecord* b) const {
    for (std::size_t i = 0; i < fields.size(); ++i) {
      int c = value_compare::Compare(a->Data, b->Data, *fields[i], caseInsensitive);
      if (c != 0) return descending ? -c : c;
    }
    return 0;
  }
  bool operator()(const TVelaRecord* a, const TVelaRecord* b) const { return Compare(a, b) < 0; }
};

}  // namespace

void TVelaCursor::SortRecords(TVelaRecordList& list, std::span<const TVelaField* const> fields, bool caseInsensitive,
                              bool descending) const {
  if (list.size() < 2 || fields.empty()) return;
  // Deleted and purged records compare equal to every record, which is no
  // order a sort can rely on; they keep their relative order behind the live ones.
  auto liveEnd = std::stable_partition(list.begin(), list.end(), [](const TVelaRecord* r) { return r->Live(); });
  RecordOrder order{fields, caseInsensitive, descending};
  if (std::is_sorted(list.begin(), liveEnd, order)) return;
  if (liveEnd - list.begin() < 1024) {
    std::sort(list.begin(), liveEnd, order);
    return;
  }
  // Large sorts compare a key prefix kept beside each record
  // first, so most comparisons touch neither the record nor its texts.
  std::vector<sort_key::Keyed> keyed(liveEnd - list.begin());
  for (std::size_t i = 0; i < keyed.size(); ++i) keyed[i] = sort_key::Make(list[i], fields, caseInsensitive, descending);
  std::sort(keyed.begin(), keyed.end(), [&order](const sort_key::Keyed& a, const sort_key::Keyed& b) {
    int c = sort_key::Compare(a, b);
    if (c != 0) return c < 0;
    return !(a.Complete && b.Complete) && order.Compare(a.Record, b.Record) < 0;
  });
  for (std::size_t i = 0; i < keyed.size(); ++i) list[i] = keyed[i].Record;
}

void TVelaCursor::SortBy(std::string_view fieldNames, bool caseInsensitive) {
  TVelaFieldList fields = ResolveFieldList(fieldNames);
  SortRecords(records_, fields, caseInsensitive, false);
}

int TVelaCursor::FindInsertPosition(const TVelaRecordList& list, std::span<const TVelaField* const> fields,
                                    bool descending) const {
  if (list.empty()) return -1;
  const TVelaRecord* added = list.back();
  int low = 0, high = static_cast<int>(list.size()) - 2, result = -1;
  while (low <= high) {
    int mid = (low + high) / 2;
    int c = CompareRecords(list[mid]->Data, added->Data, fields);
    if (descending ? c > 0 : c < 0) {
      low = mid + 1;
    } else {
      high = mid - 1;
      result = mid;
    }
  }
  return result;
}

int TVelaCursor::SearchKey(const TVelaRecordList& list, const TVelaKey& key, int startIndex, bool ordered,
                           bool descending) const {
  int count = static_cast<int>(list.size());
  if (startIndex < 0) startIndex = 0;
  if (ordered) {
    int low = startIndex, high = count - 1, result = -1;
    while (low <= high) {
      int mid = (low + high) / 2;
      int c = CompareRecords(list[mid]->Data, key.Data, key.Fields, key.Count);
      if ((c < 0 && !descending) || (c > 0 && descending)) {
        low = mid + 1;
      } else {
        high = mid - 1;
        if (c == 0) result = mid;
      }
    }
    return result;
  }
  for (int i = startIndex; i < count; ++i)
    if (list[i]->Data && CompareRecords(list[i]->Data, key.Data, key.Fields, key.Count) == 0) return i;
  return -1;
}

bool TVelaCursor::InRange(const TVelaRecord* record, const TVelaKey& rangeStart, const TVelaKey& rangeEnd) const {
  if (!record || !record->Data) return false;
  int s = CompareRecords(record->Data, rangeStart.Data, rangeStart.Fields, rangeStart.Count);
  int e = CompareRecords(record->Data, rangeEnd.Data, rangeEnd.Fields, rangeEnd.Count);
  return s >= 0 && e <= 0;
}

bool TVelaCursor::KeyExists(const uint8_t* data, const TVelaRecord* ignore, std::string_view fieldNames) const {
  TVelaFieldList fields = ResolveFieldList(fieldNames);
  // No resolvable key field means there is no key that could be violated.
  if (fields.empty()) return false;
  for (const TVelaRecord* r : records_) {
    if (r == ignore || !r->Live()) continue;
    if (CompareRecords(r->Data, data, fields) == 0) return true;
  }
  return false;
}

}  // namespace notarra
