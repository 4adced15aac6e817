// Order-preserving key prefixes for sorting. The fields are encoded one after
// another into a fixed number of bytes so that comparing two keys bytewise
// gives the same order as comparing the fields (with or without case); where the
// keys are equal (a field did not fit, or the records really tie) the full
// comparison decides. A field is followed by the next one only when it was
// encoded whole, so later bytes never decide ahead of an earlier field.
#pragma once

#include <cstdint>
#include <span>

#include "tableengine/record.h"
#include "tableengine/field.h"

namespace notarra {

namespace sort_key {

// 64 bytes: enough for a group name and a whole typical subject. Records
// whose keys tie without being complete fall back to the full comparison,
// which reads both records and their texts; with 48 bytes that fallback made
// up most of the time of a large "Group;Subject" sort.
constexpr int kWords = 8;

struct Keyed {
  uint64_t Word[kWords];  // big-endian key bytes read as integers
  TVelaRecord* Record;
  uint32_t Position;      // place in the list before sorting: decides between equal records
  bool Complete;          // every field fitted whole: equal keys mean equal records
};

Keyed Make(TVelaRecord* record, std::span<const TVelaField* const> fields, bool caseInsensitive, bool descending);

inline int Compare(const Keyed& a, const Keyed& b) {
  for (int i = 0; i < kWords; ++i)
    if (a.Word[i] != b.Word[i]) return a.Word[i] < b.Word[i] ? -1 : 1;
  return 0;
}

}  // namespace sort_key

}  // namespace notarra
