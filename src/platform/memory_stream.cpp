#include "platform/memory_stream.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "platform/exceptions.h"
#include "platform/file_io.h"

namespace notarra {

void TStream::ReadBuffer(void* buffer, std::size_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EInOutError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
  if (count != 0 && Write(buffer, count) != count) throw EInOutError("Stream write error");
}

TMemoryStream::~TMemoryStream() { std::free(data_); }

TMemoryStream::TMemoryStream(TMemoryStream&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)),
      position_(std::exchange(other.position_, 0)) {}

TMemoryStream& TMemoryStream::operator=(TMemoryStream&& other) noexcept {
  if (this != &other) {
    std::free(data_);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
    position_ = std::exchange(other.position_, 0);
  }
  return *this;
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
  if (count == 0 || position_ >= size_) return 0;
  std::size_t n = size_ - position_ < count ? size_ - position_ : count;
  std::memcpy(buffer, data_ + position_, n);
  position_ += n;
  return n;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
  if (count == 0) return 0;
  std::size_t end = position_ + count;
  if (end < position_) throw std::bad_alloc();
  if (end > capacity_) {
    // Grow by half again so that many small writes stay linear overall.
    std::size_t grown = capacity_ + capacity_ / 2;
    Reserve(end > grown ? end : grown);
  }
  // A gap left by seeking past the end reads as zeros.
  if (position_ > size_) std::memset(data_ + size_, 0, position_ - size_);
  std::memcpy(data_ + position_, buffer, count);
  position_ = end;
  if (end > size_) size_ = end;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = 0;
  switch (origin) {
    case TSeekOrigin::soBeginning: base = 0; break;
    case TSeekOrigin::soCurrent: base = static_cast<int64_t>(position_); break;
    case TSeekOrigin::soEnd: base = static_cast<int64_t>(size_); break;
  }
  int64_t target = base + offset;
  position_ = target < 0 ? 0 : static_cast<std::size_t>(target);
  return static_cast<int64_t>(position_);
}

void TMemoryStream::SetSize(int64_t size) {
  std::size_t newSize = size < 0 ? 0 : static_cast<std::size_t>(size);
  if (newSize > capacity_) Reserve(newSize);
  size_ = newSize;
  if (position_ > size_) position_ = size_;
}

void TMemoryStream::Reserve(std::size_t capacity) {
  if (capacity <= capacity_) return;
  // realloc keeps the contents and leaves the rest uninitialised: large
  // tables are hundreds of megabytes, not worth clearing.
  void* grown = std::realloc(data_, capacity);
  if (grown == nullptr) throw std::bad_alloc();
  data_ = static_cast<uint8_t*>(grown);
  capacity_ = capacity;
}

void TMemoryStream::Clear() {
  std::free(data_);
  data_ = nullptr;
  size_ = capacity_ = position_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& path) {
  // Read into a fresh stream so a failure leaves this one as it was.
  TMemoryStream loaded;
  std::size_t size = ReadWholeFileInto(path, [&loaded](std::size_t n) {
    loaded.Reserve(n);
    return reinterpret_cast<char*>(loaded.data_);
  });
  loaded.size_ = size;
  *this = std::move(loaded);
}

void TMemoryStream::SaveToFile(const std::string& path) const { WriteFileSafely(path, data_, size_); }

}  // namespace notarra
