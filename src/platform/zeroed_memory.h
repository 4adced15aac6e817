// TZeroedBlock: zeroed memory for bulk stores. Large blocks come straight
// from the kernel (already zero) and ask to be backed by huge pages, so that
// touching them for the first time costs one fault per 2 MB instead of one
// per 4 KB: at a million records that fault cost was most of opening a table.
#pragma once

#include <cstddef>
#include <cstdint>

namespace notarra {

class TZeroedBlock {
public:
  TZeroedBlock() = default;
  explicit TZeroedBlock(std::size_t bytes);  // std::bad_alloc when there is no memory
  ~TZeroedBlock();
  TZeroedBlock(TZeroedBlock&& other) noexcept;
  TZeroedBlock& operator=(TZeroedBlock&& other) noexcept;
  TZeroedBlock(const TZeroedBlock&) = delete;
  TZeroedBlock& operator=(const TZeroedBlock&) = delete;

  uint8_t* get() const { return data_; }

private:
  void Release();
  uint8_t* data_ = nullptr;
  std::size_t bytes_ = 0;
  bool mapped_ = false;
};

}  // namespace notarra
