// A scratch data area for building records one after another: zeroed at
// start and by Reset, released with its texts and blocks at the end, even
// when an error leaves a record half filled.
#pragma once

#include <cstring>

#include "tableengine/record_store.h"

namespace notarra {

class TRecordData {
public:
  explicit TRecordData(const TVelaCursor& cursor) : cursor_(cursor), data_(cursor.AllocRecordData()) {}
  ~TRecordData() { cursor_.FreeRecordData(data_); }
  TRecordData(const TRecordData&) = delete;
  TRecordData& operator=(const TRecordData&) = delete;

  uint8_t* Get() { return data_; }
  // Back to all fields empty.
  void Reset() {
    cursor_.ReleaseRecordData(data_);
    std::memset(data_, 0, cursor_.RecordDataSize());
  }

private:
  const TVelaCursor& cursor_;
  uint8_t* data_;
};

}  // namespace notarra
