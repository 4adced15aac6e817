// An in-memory byte stream. Tables are read from and written to whole memory
// buffers; the buffer grows on demand, and Reserve sizes it once up front.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace notarra {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
  virtual ~TStream() = default;
  // Reads up to count bytes; returns the number read.
  virtual std::size_t Read(void* buffer, std::size_t count) = 0;
  // Writes count bytes; returns the number written.
  virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  virtual int64_t Size() const = 0;
  virtual void SetSize(int64_t size) = 0;
  int64_t Position() const { return const_cast<TStream*>(this)->Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(int64_t pos) { Seek(pos, TSeekOrigin::soBeginning); }
  // Raise EInOutError ("Stream read error" / "Stream write error") when short.
  void ReadBuffer(void* buffer, std::size_t count);
  void WriteBuffer(const void* buffer, std::size_t count);
};

class TMemoryStream : public TStream {
public:
  TMemoryStream() = default;
  ~TMemoryStream() override;
  TMemoryStream(const TMemoryStream&) = delete;
  TMemoryStream& operator=(const TMemoryStream&) = delete;
  TMemoryStream(TMemoryStream&& other) noexcept;
  TMemoryStream& operator=(TMemoryStream&& other) noexcept;

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() const override { return static_cast<int64_t>(size_); }
  // Growing leaves the new bytes unspecified (not zeroed).
  void SetSize(int64_t size) override;

  // Makes room for at least capacity bytes without changing Size.
  void Reserve(std::size_t capacity);
  void Clear();
  uint8_t* Memory() { return data_; }
  const uint8_t* Memory() const { return data_; }
  std::size_t Capacity() const { return capacity_; }

  void LoadFromFile(const std::string& path);  // EInOutError naming the file
  void SaveToFile(const std::string& path) const;  // written safely (see file_io.h)

private:
  uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  std::size_t position_ = 0;
};

}  // namespace notarra
