#include "platform/output_path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/exceptions.h"
#include "platform/file_io.h"

namespace notarra {

TPathKind PathKind(const std::string& path, int* error) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    const int err = errno;
    if (err != ENOENT && err != ENOTDIR) {
      if (error) *error = err;
      return TPathKind::Unreachable;
    }
    struct stat link {};
    if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) return TPathKind::DanglingLink;
    return TPathKind::Absent;
  }
  if (S_ISREG(st.st_mode)) return TPathKind::RegularFile;
  if (S_ISDIR(st.st_mode)) return TPathKind::Folder;
  if (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode) || S_ISSOCK(st.st_mode)) return TPathKind::Stream;
  return TPathKind::Other;
}

void CheckReplaceable(const std::string& path) {
  switch (PathKind(path)) {
    case TPathKind::Absent:
    case TPathKind::RegularFile: return;
    case TPathKind::Folder: throw EInOutError(path + " is a folder");
    case TPathKind::DanglingLink:
      throw EInOutError(path + " is a link to nothing; a table is only written to a regular file");
    case TPathKind::Unreachable: {
      int err = 0;
      PathKind(path, &err);
      throw EInOutError(Format("Cannot write %s: %s", path.c_str(), std::strerror(err)));
    }
    default: throw EInOutError(path + " is not a regular file; a table is only written to a regular file");
  }
}

void WriteOutput(const std::string& path, const void* data, std::size_t size) {
  if (PathKind(path) != TPathKind::Stream) {
    CheckReplaceable(path);
    WriteFileSafely(path, data, size);
    return;
  }
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) throw EInOutError(Format("Cannot write %s: %s", path.c_str(), std::strerror(errno)));
  const auto* p = static_cast<const char*>(data);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, p + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int err = n < 0 ? errno : EIO;
      ::close(fd);
      throw EInOutError(Format("Cannot write %s: %s", path.c_str(), std::strerror(err)));
    }
    done += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0 && errno != EINTR)
    throw EInOutError(Format("Cannot write %s: %s", path.c_str(), std::strerror(errno)));
}

}  // namespace notarra
