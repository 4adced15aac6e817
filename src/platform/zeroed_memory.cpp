#include "platform/zeroed_memory.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>
#include <utility>

namespace notarra {

namespace {

// Below this, the allocator's own (possibly reused) memory is cheaper.
constexpr std::size_t kMappedFrom = 4u << 20;

}  // namespace

TZeroedBlock::TZeroedBlock(std::size_t bytes) : bytes_(bytes ? bytes : 1) {
  if (bytes_ >= kMappedFrom) {
    void* p = mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    madvise(p, bytes_, MADV_HUGEPAGE);  // a hint: without huge pages it is ordinary memory
    data_ = static_cast<uint8_t*>(p);
    mapped_ = true;
    return;
  }
  data_ = static_cast<uint8_t*>(std::calloc(1, bytes_));
  if (!data_) throw std::bad_alloc();
}

TZeroedBlock::~TZeroedBlock() { Release(); }

TZeroedBlock::TZeroedBlock(TZeroedBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), bytes_(other.bytes_), mapped_(other.mapped_) {}

TZeroedBlock& TZeroedBlock::operator=(TZeroedBlock&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    bytes_ = other.bytes_;
    mapped_ = other.mapped_;
  }
  return *this;
}

void TZeroedBlock::Release() {
  if (!data_) return;
  if (mapped_) munmap(data_, bytes_);
  else std::free(data_);
  data_ = nullptr;
}

}  // namespace notarra
