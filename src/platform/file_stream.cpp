#include "platform/file_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/exceptions.h"

namespace notarra {

namespace {

[[noreturn]] void ThrowFile(const char* what, const std::string& path, int err) {
  throw EInOutError(Format("%s %s: %s", what, path.c_str(), std::strerror(err)));
}

}  // namespace

TFileStream::TFileStream(const std::string& path) : path_(path) {
  fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) ThrowFile("Cannot open file", path, errno);
  struct stat st;
  int err = fstat(fd_, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
  if (err != 0) {
    close(fd_);
    ThrowFile("Cannot open file", path, err);
  }
  // A device or a pipe has no size to stop at (/dev/zero never ends).
  if (!S_ISREG(st.st_mode)) {
    close(fd_);
    throw EInOutError(Format("Cannot open file %s: it is not a regular file", path.c_str()));
  }
  size_ = st.st_size > 0 ? st.st_size : 0;
  identity_ = FileIdentityOfOpenFile(fd_);
  // The reader goes from front to back once.
  posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

TFileStream::~TFileStream() {
  if (fd_ >= 0) close(fd_);
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
  // What was appended after the open is not read: the reader sized everything by Size().
  count = static_cast<std::size_t>(std::clamp<int64_t>(size_ - position_, 0, static_cast<int64_t>(count)));
  std::size_t done = 0;
  while (done < count) {
    ssize_t n = pread(fd_, static_cast<char*>(buffer) + done, count - done, position_);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowFile("Cannot read file", path_, errno);
    }
    if (n == 0) break;  // the file ends here (it may have been shortened)
    done += static_cast<std::size_t>(n);
    position_ += n;
  }
  return done;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = origin == TSeekOrigin::soBeginning ? 0 : origin == TSeekOrigin::soCurrent ? position_ : size_;
  position_ = std::max<int64_t>(0, base + offset);
  return position_;
}

void TFileStream::SetSize(int64_t) { throw EInOutError("Stream write error"); }

}  // namespace notarra
