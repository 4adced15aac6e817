#include "platform/append_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/exceptions.h"

namespace notarra {

namespace {

[[noreturn]] void Fail(const char* what, const std::string& path, int err) {
  throw EInOutError(Format("%s %s: %s", what, path.c_str(), std::strerror(err)));
}

}  // namespace

TAppendFile::~TAppendFile() { Close(); }

void TAppendFile::Create(const std::string& path) {
  Close();
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) Fail("Cannot create file", path, errno);
  fd_ = fd;
  path_ = path;
  size_ = 0;
}

void TAppendFile::Open(const std::string& path) {
  Close();
  int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) Fail("Cannot open file", path, errno);
  const off_t end = ::lseek(fd, 0, SEEK_END);
  if (end < 0) {
    const int err = errno;
    ::close(fd);
    Fail("Cannot open file", path, err);
  }
  fd_ = fd;
  path_ = path;
  size_ = end;
}

void TAppendFile::Append(const void* data, std::size_t size) {
  if (fd_ < 0) Fail("Cannot write file", path_, EBADF);
  const auto* p = static_cast<const char*>(data);
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = ::pwrite(fd_, p + done, size - done, static_cast<off_t>(size_ + static_cast<long long>(done)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) CutBackAndFail(n < 0 ? errno : ENOSPC);
    done += static_cast<std::size_t>(n);
  }
  if (::fdatasync(fd_) != 0) CutBackAndFail(errno);
  size_ += static_cast<long long>(size);
}

void TAppendFile::CutBackAndFail(int err) {
  // A reader must never see half an append; if even this fails, the
  // reader's checksum tells the torn end.
  if (::ftruncate(fd_, static_cast<off_t>(size_)) != 0) err = err ? err : errno;
  Fail("Cannot write file", path_, err);
}

void TAppendFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace notarra
