// One stored record of a table and its change status.
#pragma once

#include <cstdint>

namespace notarra {

enum TVelaRecordStatus : uint8_t {
  rsUnmodified = 0,  // as loaded or as last committed
  rsModified = 1,    // changed since the last commit; OldData holds the committed state
  rsInserted = 2,    // added since the last commit
  rsDeleted = 3,     // deleted since the last commit; data kept so that it can be restored
  rsPurged = 4,      // gone for good; data released; a dead slot until the store is cleared
};

struct TVelaRecord {
  uint8_t* Data = nullptr;     // the data area; nullptr once purged
  uint8_t* OldData = nullptr;  // committed copy taken before the first edit since the last commit
  void* UserData = nullptr;    // the application's; handed to the release hook when destroyed
  TVelaRecordStatus Status = rsUnmodified;
  // False while Data refers only to borrowed texts and blocks (a record read
  // in place from a mapped file): destroying it then frees nothing.
  bool OwnsReferences = true;
  // A pass over the store in its own order leaves its answer for this record
  // here, for a list in another order to read back (TVelaWordNarrowing);
  // the store says whose answers they are.
  uint8_t Mark = 0;
  uint32_t StoredSize = 0;     // bytes the record takes in the table file
  // Which record this is to the recovery journal: its place in the table file
  // as last read or written, or, for a record added since, the next number on.
  uint32_t Ordinal = 0;
  // Where the record stands in the file its store reads in place, plus one,
  // while its bytes there are exactly what a write would write for it (so a
  // save copies them as they are); 0 otherwise.
  uint64_t Source = 0;

  bool Live() const { return Status != rsDeleted && Status != rsPurged; }
};

}  // namespace notarra
