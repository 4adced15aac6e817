#include "platform/file_io.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/exceptions.h"

namespace notarra {

namespace {

[[noreturn]] void ThrowIo(const char* what, const std::string& path, int err) {
  throw EInOutError(Format("%s %s: %s", what, path.c_str(), std::strerror(err)));
}

TFileIdentity IdentityOfStat(const struct stat& st) {
  TFileIdentity id;
  id.Exists = true;
  id.Device = static_cast<uint64_t>(st.st_dev);
  id.Inode = static_cast<uint64_t>(st.st_ino);
  id.Size = static_cast<int64_t>(st.st_size);
  id.ModifiedSeconds = static_cast<int64_t>(st.st_mtim.tv_sec);
  id.ModifiedNanoseconds = static_cast<int64_t>(st.st_mtim.tv_nsec);
  return id;
}

mode_t CurrentUmask() {
  mode_t mask = umask(0);
  umask(mask);
  return mask;
}

// The temporary files of the writes in progress, for the signal handler: a
// fixed table it can read without allocating or locking. A slot is claimed
// by writing its path first and publishing it after.
// Every signal whose default action ends the process and that can come from
// outside it (the crash signals are left alone).
constexpr int kCleanupSignals[] = {SIGINT,  SIGTERM,   SIGHUP,  SIGPIPE, SIGQUIT, SIGALRM, SIGUSR1,
                                   SIGUSR2, SIGVTALRM, SIGPROF, SIGIO,   SIGXCPU, SIGPWR,  SIGSTKFLT};
constexpr int kTempSlots = 8;
constexpr std::size_t kTempPathMax = 4096;
struct TempSlot {
  std::atomic<bool> claimed{false};
  std::atomic<bool> ready{false};
  char path[kTempPathMax];
};
TempSlot g_tempSlots[kTempSlots];

}  // namespace

// Keeps a temporary file on record for the signal handler while it lives.
class TTempFileRecord {
public:
  explicit TTempFileRecord(const std::string& path) {
    if (path.size() >= kTempPathMax) return;
    for (TempSlot& slot : g_tempSlots) {
      bool expected = false;
      if (!slot.claimed.compare_exchange_strong(expected, true)) continue;
      std::memcpy(slot.path, path.c_str(), path.size() + 1);
      slot.ready.store(true);
      slot_ = &slot;
      return;
    }
    // All slots busy: this write is just not cleaned up on a signal.
  }
  ~TTempFileRecord() {
    if (!slot_) return;
    slot_->ready.store(false);
    slot_->claimed.store(false);
  }
  TTempFileRecord(const TTempFileRecord&) = delete;
  TTempFileRecord& operator=(const TTempFileRecord&) = delete;

private:
  TempSlot* slot_ = nullptr;
};

namespace {

extern "C" void RemoveTempFilesAndDie(int sig) {
  for (TempSlot& slot : g_tempSlots)
    if (slot.ready.load()) unlink(slot.path);
  signal(sig, SIG_DFL);
  raise(sig);
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

TFileIdentity WriteSafely(const std::string& path, const void* data, std::size_t size, const mode_t* newFileMode) {
  TSafeFileWriter writer(path, newFileMode);
  writer.Write(data, size);
  return writer.Commit();
}

}  // namespace

// ---- TSafeFileWriter --------------------------------------------------------

TSafeFileWriter::TSafeFileWriter(const std::string& path, const mode_t* newFileMode) : path_(path) {
  target_ = path;
  // Through a symbolic link, replace the file it names and keep the link.
  struct stat linkStat;
  if (lstat(path.c_str(), &linkStat) == 0 && S_ISLNK(linkStat.st_mode)) {
    if (char* real = realpath(path.c_str(), nullptr)) {
      target_ = real;
      std::free(real);
    }
  }
  std::size_t slash = target_.rfind('/');
  dir_ = slash == std::string::npos ? "." : (slash == 0 ? "/" : target_.substr(0, slash));
  std::string base = slash == std::string::npos ? target_ : target_.substr(slash + 1);
  if (base.empty()) ThrowIo("Cannot write file", path, EISDIR);

  struct stat old;
  bool exists = stat(target_.c_str(), &old) == 0;
  if (exists && S_ISDIR(old.st_mode)) ThrowIo("Cannot write file", path, EISDIR);

  // Long names are cut so the temporary name stays within the name limit.
  tempPath_ = (slash == std::string::npos ? std::string() : target_.substr(0, slash + 1)) + "." +
              base.substr(0, 200) + ".tmp-XXXXXX";
  // The signals that remove temporary files wait until this one is on record.
  sigset_t cleanupSignals, previous;
  sigemptyset(&cleanupSignals);
  for (int sig : kCleanupSignals) sigaddset(&cleanupSignals, sig);
  pthread_sigmask(SIG_BLOCK, &cleanupSignals, &previous);
  fd_ = mkstemp(tempPath_.data());
  const int mkstempError = errno;
  if (fd_ >= 0) record_ = std::make_unique<TTempFileRecord>(tempPath_);
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  if (fd_ < 0) ThrowIo("Cannot write file", path, mkstempError);

  if (exists) {
    // Only possible for the owner or root; a failure keeps our own ownership.
    if (old.st_uid != geteuid() || old.st_gid != getegid()) (void)!fchown(fd_, old.st_uid, old.st_gid);
    (void)fchmod(fd_, old.st_mode & 07777);
  } else {
    (void)fchmod(fd_, newFileMode != nullptr ? *newFileMode : (0666 & ~CurrentUmask()));
  }
}

TSafeFileWriter::~TSafeFileWriter() {
  if (fd_ >= 0) close(fd_);
  if (!committed_) unlink(tempPath_.c_str());
}

void TSafeFileWriter::Fail(int err) {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  unlink(tempPath_.c_str());
  ThrowIo("Cannot write file", path_, err);
}

void TSafeFileWriter::Write(const void* data, std::size_t size) {
  if (!WriteAll(fd_, static_cast<const char*>(data), size)) Fail(errno);
  written_ += static_cast<int64_t>(size);
}

void TSafeFileWriter::WriteAt(int64_t offset, const void* data, std::size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = pwrite(fd_, p, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) Fail(n < 0 ? errno : EIO);
    p += n;
    offset += n;
    size -= static_cast<std::size_t>(n);
  }
}

void TSafeFileWriter::CopyFrom(int fd, int64_t offset, const void* data, std::size_t size) {
  std::size_t done = 0;
  off64_t from = offset;
  while (fd >= 0 && done < size) {
    ssize_t n = copy_file_range(fd, &from, fd_, nullptr, size - done, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // Not between these two files (another file system, an old kernel):
      // the rest is written the plain way. Anything else is a failed write.
      if (n < 0 && errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP && errno != EBADF)
        Fail(errno);
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  written_ += static_cast<int64_t>(done);
  Write(static_cast<const char*>(data) + done, size - done);
}

TFileIdentity TSafeFileWriter::Commit() {
  if (fsync(fd_) != 0) Fail(errno);
  // The rename keeps the file, its size and its time: this is what the
  // target will be.
  struct stat written;
  if (fstat(fd_, &written) != 0) Fail(errno);
  const int closing = fd_;
  fd_ = -1;
  if (close(closing) != 0) Fail(errno);
  if (rename(tempPath_.c_str(), target_.c_str()) != 0) Fail(errno);
  committed_ = true;

  // Make the rename itself durable. The new file is in place already, so a
  // failure here is not reported as a failed write.
  int dirFd = open(dir_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    (void)fsync(dirFd);
    close(dirFd);
  }
  return IdentityOfStat(written);
}

TFileIdentity FileIdentity(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return {};
  return IdentityOfStat(st);
}

TFileIdentity FileIdentityOfOpenFile(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0) return {};
  return IdentityOfStat(st);
}

bool FileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::size_t ReadWholeFileInto(const std::string& path, const std::function<char*(std::size_t)>& buffer) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) ThrowIo("Cannot open file", path, errno);
  auto fail = [&](int err) {
    close(fd);
    ThrowIo("Cannot open file", path, err);
  };
  struct stat st;
  if (fstat(fd, &st) != 0) fail(errno);
  if (S_ISDIR(st.st_mode)) fail(EISDIR);

  std::size_t capacity = st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
  std::size_t filled = 0;
  char* buf = buffer(capacity);
  for (;;) {
    if (filled < capacity) {
      ssize_t n = read(fd, buf + filled, capacity - filled);
      if (n < 0) {
        if (errno == EINTR) continue;
        fail(errno);
      }
      if (n == 0) break;
      filled += static_cast<std::size_t>(n);
      continue;
    }
    // The file may hold more than its size said (it grew, or it is a
    // special file that reports no size): keep reading until the end.
    char probe[16384];
    ssize_t n = read(fd, probe, sizeof probe);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(errno);
    }
    if (n == 0) break;
    std::size_t needed = filled + static_cast<std::size_t>(n);
    capacity = std::max(needed, capacity * 2);
    buf = buffer(capacity);
    std::memcpy(buf + filled, probe, static_cast<std::size_t>(n));
    filled = needed;
  }
  close(fd);
  return filled;
}

void ReadWholeFile(const std::string& path, std::string& out) {
  std::string content;
  std::size_t size = ReadWholeFileInto(path, [&content](std::size_t n) {
    content.resize(n);
    return content.data();
  });
  content.resize(size);
  out = std::move(content);
}

TFileIdentity WriteFileSafely(const std::string& path, const void* data, std::size_t size) {
  return WriteSafely(path, data, size, nullptr);
}

void CopyFileSafely(const std::string& from, const std::string& to) {
  std::string content;
  ReadWholeFile(from, content);
  struct stat st;
  mode_t mode = 0;
  const mode_t* newFileMode = nullptr;
  if (stat(from.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
    newFileMode = &mode;
  }
  WriteSafely(to, content.data(), content.size(), newFileMode);
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
  std::size_t slash = path.rfind('/');
  std::size_t dot = path.rfind('.');
  std::string result;
  if (dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash))
    result = std::string(path.substr(0, dot));
  else
    result = std::string(path);
  result += ext;
  return result;
}

bool SameFile(const std::string& a, const std::string& b) {
  const TFileIdentity ia = FileIdentity(a), ib = FileIdentity(b);
  return ia.Exists && ib.Exists && ia.Device == ib.Device && ia.Inode == ib.Inode;
}

bool FileIsReadOnly(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0;
}

void RemoveTemporaryFilesOnSignals() {
  auto install = [](int sig, void (*handler)(int)) {
    struct sigaction old {};
    // What the caller set to be ignored stays ignored (nohup, trap '' PIPE),
    // and a signal someone already handles stays theirs.
    if (sigaction(sig, nullptr, &old) == 0 && (old.sa_flags & SA_SIGINFO || old.sa_handler != SIG_DFL)) return;
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(sig, &action, nullptr);
  };
  for (int sig : kCleanupSignals) install(sig, RemoveTempFilesAndDie);
  for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig) install(sig, RemoveTempFilesAndDie);
  // Past the file-size limit a write then fails (EFBIG) instead of ending the
  // process, so the failed write cleans up after itself like any other.
  install(SIGXFSZ, SIG_IGN);
}

std::string GetCurrentDir() {
  std::vector<char> buf(4096);
  for (;;) {
    if (getcwd(buf.data(), buf.size()) != nullptr) return std::string(buf.data());
    if (errno != ERANGE) throw EInOutError(Format("Cannot read the current folder: %s", std::strerror(errno)));
    buf.resize(buf.size() * 2);
  }
}

}  // namespace notarra
