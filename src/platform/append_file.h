// TAppendFile: a file that grows by whole appends, each on the disk before
// Append returns, for logs that must survive a crash or a power cut. Errors
// are EInOutError naming the file.
#pragma once

#include <cstddef>
#include <string>

namespace notarra {

class TAppendFile {
public:
  TAppendFile() = default;
  ~TAppendFile();
  TAppendFile(const TAppendFile&) = delete;
  TAppendFile& operator=(const TAppendFile&) = delete;

  // Creates the file, which must not exist yet (a file of the same name left
  // by someone else is never appended to): EInOutError otherwise.
  void Create(const std::string& path);
  // Opens an existing file to append to its end.
  void Open(const std::string& path);
  bool IsOpen() const { return fd_ >= 0; }
  const std::string& Path() const { return path_; }
  // Appends the bytes in one write and flushes them to the disk. On failure
  // the file is cut back to where it was, so it never ends in half an append.
  void Append(const void* data, std::size_t size);
  void Close();

private:
  [[noreturn]] void CutBackAndFail(int err);

  int fd_ = -1;
  std::string path_;
  long long size_ = 0;
};

}  // namespace notarra
