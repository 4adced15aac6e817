// TMappedFile: a file's bytes, read-only, held without copying them when that
// is safe, so that opening a large table costs no fresh memory per byte.
//
// The file is mapped and a read lease is taken on it. Before anyone opens the
// file for writing or truncates it, the kernel tells us (the lease breaks,
// SIGIO) and waits; the signal handler then puts a private copy of the bytes
// in place of the mapping, at the same address, and lets the lease go. So the
// bytes seen through Data() never change and never vanish: a file rewritten
// in place or cut short outside shows nothing torn and raises no SIGBUS.
// Replacing the file by rename or deleting it leaves the mapped file as it
// was, as it does for any open file.
//
// Where no lease can be had (another program has the file open for writing,
// the file belongs to someone else, the file system keeps no leases), the
// bytes are read into a private copy at once, which is what reading the file
// costs anyway.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/file_io.h"

namespace notarra {

class TMappedFile {
public:
  // EInOutError "Cannot open file <path>: <reason>" when the path cannot be
  // opened or is not a regular file.
  static std::shared_ptr<const TMappedFile> Open(const std::string& path);
  ~TMappedFile();
  TMappedFile(const TMappedFile&) = delete;
  TMappedFile& operator=(const TMappedFile&) = delete;

  const uint8_t* Data() const { return data_; }
  std::size_t Size() const { return size_; }
  // The file as it was opened (whatever the path names by now).
  const TFileIdentity& Identity() const { return identity_; }
  // Whether the bytes are still the file's own pages (false: a private copy,
  // made at open or when someone outside wanted to write the file).
  bool Shared() const;
  // The open file, for copying from it inside the kernel, or -1. What is read
  // through it is the same as Data() only while Shared() stays true: a copy
  // from it counts only when Shared() is still true once it is done.
  int Descriptor() const;

private:
  TMappedFile() = default;
  const uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t mappedSize_ = 0;  // whole pages
  TFileIdentity identity_;
  int slot_ = -1;  // the lease's place in the signal handler's table, or -1
};

}  // namespace notarra
