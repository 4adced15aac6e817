// TVelaRecordFilter: a dataset's parsed filter conditions and their
// resolution against one record store. Resolving finds the fields, compiles
// the LIKE masks and converts every literal into a stored value once, so
// that testing a record only compares stored values and allocates nothing
// for text kinds. The record store itself never raises; the errors here are
// the dataset's and carry its name.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "filterexpr/condition.h"
#include "tableengine/field.h"

namespace notarra {

class TComponent;
class TVelaCursor;

class TVelaRecordFilter {
public:
  TVelaRecordFilter() = default;
  TVelaRecordFilter(const TVelaRecordFilter&) = delete;
  TVelaRecordFilter& operator=(const TVelaRecordFilter&) = delete;
  ~TVelaRecordFilter() { Free(); }

  // Whether a condition list is held (a non-empty filter text was parsed).
  bool HasConditions() const { return conditions_ != nullptr; }
  const TVelaCFieldList* Conditions() const { return conditions_.get(); }
  // Takes the list (null: none) and forgets the previous one and its resolution.
  void SetConditions(std::unique_ptr<TVelaCFieldList> conditions);
  // Disposes the conditions with their masks and literals; the list is then absent.
  void Free();

  // Checks every condition against the store's fields and prepares it.
  // Raises "Field %s is not found" on behalf of owner, and the mask
  // compiler's error for a pattern with too many stars.
  void Resolve(const TVelaCursor& store, const TComponent* owner);
  // Whether the last resolution still fits the store (same store, same layout).
  bool ResolvedFor(const TVelaCursor& store) const;
  // Whether the record data satisfies every condition, tested in order and
  // stopping at the first that fails. Raises "Types of compared fields are
  // not equal" when the test reaches a comparison of two incomparable
  // fields. Needs a resolution that fits the store the data belongs to.
  bool Matches(const TVelaCursor& store, const uint8_t* data, bool caseInsensitive, const TComponent* owner) const;

  // Kinds that can be compared with each other: equal ones, Integer with
  // Date, Time and AutoInc, and Double with Currency and DateTime.
  static bool KindsComparable(TVelaFieldKind rightKind, TVelaFieldKind leftKind);

private:
  // One condition made ready for testing. The descriptors are copies, so a
  // resolution never refers to a store that has since been reloaded.
  struct Prepared {
    const TVelaCField* Condition = nullptr;
    TVelaField Left;
    TVelaField Right;
    bool RightIsField = false;
    bool Comparable = true;
    // A data area of the store's record size that holds the literal at the
    // left field's place; for a field operand, scratch room the right value
    // is copied into, read as the left field's kind.
    uint8_t* Value = nullptr;
  };
  void ReleasePrepared();

  std::unique_ptr<TVelaCFieldList> conditions_;
  std::vector<Prepared> prepared_;
  const TVelaCursor* resolvedStore_ = nullptr;
  uint32_t resolvedDataSize_ = 0;
  int resolvedFieldCount_ = 0;
};

}  // namespace notarra
