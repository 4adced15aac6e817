// Ordering of record lists: sorting, insertion in order, key search, range
// test and the duplicate-key test. All of them work on lists of record
// pointers; record data never moves.
#include <algorithm>
#include <thread>

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

namespace {

// From this many live records on, keys are built and sorted on two threads.
// Below it a thread start costs more than it saves.
constexpr std::size_t kTwoThreadSort = 32768;

// A strict order on keyed records: the key, then, where a key did not hold
// the whole record, the fields, then the place before sorting. Equal records
// thus keep their order, and the result does not depend on how the work was
// split between threads.
struct KeyedOrder {
  const RecordOrder& order;
  bool operator()(const sort_key::Keyed& a, const sort_key::Keyed& b) const {
    int c = sort_key::Compare(a, b);
    if (c != 0) return c < 0;
    if (!(a.Complete && b.Complete)) {
      c = order.Compare(a.Record, b.Record);
      if (c != 0) return c < 0;
    }
    return a.Position < b.Position;
  }
};

void MakeKeys(const TVelaRecordList& list, std::vector<sort_key::Keyed>& keyed, std::size_t from, std::size_t to,
              const RecordOrder& order) {
  for (std::size_t i = from; i < to; ++i) {
    keyed[i] = sort_key::Make(list[i], order.fields, order.caseInsensitive, order.descending);
    keyed[i].Position = static_cast<uint32_t>(i);
  }
}

// Merges the sorted halves [0, mid) and [mid, n) of keyed into list: one
// thread fills the front half of the result from the smallest records up,
// the other the back half from the largest down. The order is strict, so the
// two meet without overlap.
void MergeFront(const std::vector<sort_key::Keyed>& keyed, std::size_t mid, std::size_t count, TVelaRecordList& list,
                const KeyedOrder& less) {
  std::size_t a = 0, b = mid, n = keyed.size();
  for (std::size_t out = 0; out < count; ++out)
    list[out] = (b >= n || (a < mid && !less(keyed[b], keyed[a]))) ? keyed[a++].Record : keyed[b++].Record;
}

void MergeBack(const std::vector<sort_key::Keyed>& keyed, std::size_t mid, std::size_t count, TVelaRecordList& list,
               const KeyedOrder& less) {
  // a and b count the records not yet taken from each half.
  std::size_t a = mid, b = keyed.size() - mid, n = keyed.size();
  for (std::size_t out = n; out > n - count; --out) {
    bool fromFirst = b == 0 || (a > 0 && less(keyed[mid + b - 1], keyed[a - 1]));
    list[out - 1] = fromFirst ? keyed[--a].Record : keyed[mid + --b].Record;
  }
}

}  // namespace

void TVelaCursor::SortRecords(TVelaRecordList& list, std::span<const TVelaField* const> fields, bool caseInsensitive,
                              bool descending) const {
  if (list.size() < 2 || fields.empty()) return;
  // Deleted and purged records compare equal to every record, which is no
  // order a sort can rely on; they keep their relative order behind the live ones.
  auto liveEnd = std::stable_partition(list.begin(), list.end(), [](const TVelaRecord* r) { return r->Live(); });
  RecordOrder order{fields, caseInsensitive, descending};
  if (std::is_sorted(list.begin(), liveEnd, order)) return;
  const std::size_t n = static_cast<std::size_t>(liveEnd - list.begin());
  if (n < 1024) {
    std::stable_sort(list.begin(), liveEnd, order);
    return;
  }
  // Large sorts compare a key prefix kept beside each record
  // first, so most comparisons touch neither the record nor its texts.
  std::vector<sort_key::Keyed> keyed(n);
  KeyedOrder less{order};
  if (n < kTwoThreadSort || std::thread::hardware_concurrency() < 2) {
    MakeKeys(list, keyed, 0, n, order);
    std::sort(keyed.begin(), keyed.end(), less);
    for (std::size_t i = 0; i < n; ++i) list[i] = keyed[i].Record;
    return;
  }
  // Two halves, each keyed and sorted on its own thread, then merged from
  // both ends at once. The helper thread reads records and writes only its
  // own half of keyed and of list.
  const std::size_t mid = n / 2;
  {
    std::jthread helper([&] {
      MakeKeys(list, keyed, mid, n, order);
      std::sort(keyed.begin() + mid, keyed.end(), less);
    });
    MakeKeys(list, keyed, 0, mid, order);
    std::sort(keyed.begin(), keyed.begin() + mid, less);
  }
  {
    std::jthread helper([&] { MergeBack(keyed, mid, n - mid, list, less); });
    MergeFront(keyed, mid, mid, list, less);
  }
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
