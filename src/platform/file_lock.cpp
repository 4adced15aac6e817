#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/exceptions.h"

namespace notarra {

namespace {

// The folder the file is in, after following a link at path itself (that is
// the folder a safe write renames into).
std::string FolderOf(const std::string& path) {
  std::string target = path;
  if (char* real = realpath(path.c_str(), nullptr)) {
    target = real;
    std::free(real);
  }
  std::size_t slash = target.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
}

}  // namespace

TFolderLock::TFolderLock(const std::string& path) {
  const std::string dir = FolderOf(path);
  fd_ = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) throw EInOutError(Format("Cannot lock folder %s: %s", dir.c_str(), std::strerror(errno)));
  while (flock(fd_, LOCK_EX) != 0) {
    if (errno == EINTR) continue;
    int err = errno;
    close(fd_);
    throw EInOutError(Format("Cannot lock folder %s: %s", dir.c_str(), std::strerror(err)));
  }
}

TFolderLock::~TFolderLock() {
  if (fd_ >= 0) close(fd_);  // closing releases the lock
}

}  // namespace notarra
