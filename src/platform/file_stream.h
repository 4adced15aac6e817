// A file opened for reading, as a stream: the table reader takes its bytes a
// few megabytes at a time instead of holding the whole file in memory. Opening
// fails with the same EInOutError as reading the whole file ("Cannot open file
// <path>: <reason>"); a failed read later raises "Cannot read file <path>:
// <reason>". Only regular files open ("Cannot open file <path>: it is not a
// regular file"), and never more than the size they had when opened is read.
// The file is read, never mapped: another program may shorten it while it is
// open, and a shortened file just reads short.
#pragma once

#include <string>

#include "platform/file_io.h"
#include "platform/memory_stream.h"

namespace notarra {

class TFileStream : public TStream {
public:
  explicit TFileStream(const std::string& path);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  std::size_t Read(void* buffer, std::size_t count) override;
  // Read-only: writing raises "Stream write error" through WriteBuffer.
  std::size_t Write(const void*, std::size_t) override { return 0; }
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  // The size when the file was opened.
  int64_t Size() const override { return size_; }
  void SetSize(int64_t) override;
  // The file that was opened, as it was then: what a reader of these bytes
  // later compares the path with to see whether someone else wrote it.
  const TFileIdentity& Identity() const { return identity_; }

private:
  std::string path_;
  int fd_ = -1;
  int64_t size_ = 0;
  int64_t position_ = 0;
  TFileIdentity identity_;
};

}  // namespace notarra
