#include "platform/mapped_file.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/exceptions.h"
#include "platform/text.h"

namespace notarra {

namespace {

// The leases held, for the signal handler: a fixed table it can read without
// allocating or locking. A slot is filled while it is kSetup and handed to the
// handler by kLeased; whoever moves it out of kLeased owns it until it is
// moved on (the handler to kCopied, the owner to kFree).
// kExposed: the lease is gone without a copy (no memory for it), so the file
// may be cut under the mapping; SIGBUS on its pages is then answered below.
enum SlotState : int { kFree, kSetup, kLeased, kCopying, kCopied, kExposed, kClosing };
constexpr int kSlots = 64;
struct LeaseSlot {
  std::atomic<int> state{kFree};
  int fd = -1;
  void* address = nullptr;
  std::size_t length = 0;      // bytes of the file
  std::size_t mappedLength = 0;  // whole pages
};
LeaseSlot g_slots[kSlots];
const std::size_t g_pageSize = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));  // for the handlers
struct sigaction g_previousAction;
struct sigaction g_previousBusAction;

extern "C" void OnBusError(int sig, siginfo_t* info, void* context);

// A page of a mapping whose file was cut short raises SIGBUS: the page is
// replaced by zeros (texts read as empty rather than killing the process).
// Any other SIGBUS gets the action it had before.
void InstallBusHandler() {
  static std::atomic<bool> installed{false};
  if (installed.exchange(true)) return;
  struct sigaction action {};
  action.sa_sigaction = OnBusError;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  sigaction(SIGBUS, &action, &g_previousBusAction);
}

extern "C" void OnBusError(int sig, siginfo_t* info, void* context) {
  const auto address = reinterpret_cast<uintptr_t>(info ? info->si_addr : nullptr);
  const uintptr_t page = g_pageSize;
  for (LeaseSlot& slot : g_slots) {
    if (slot.state.load() != kExposed) continue;
    const auto first = reinterpret_cast<uintptr_t>(slot.address);
    if (address < first || address >= first + slot.mappedLength) continue;
    const int savedErrno = errno;
    const bool zeroed = mmap(reinterpret_cast<void*>(address & ~(page - 1)), page, PROT_READ,
                             MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED;
    errno = savedErrno;
    if (zeroed) return;  // the read is tried again and finds zeros
  }
  const struct sigaction& old = g_previousBusAction;
  if (old.sa_flags & SA_SIGINFO) {
    if (old.sa_sigaction) old.sa_sigaction(sig, info, context);
    return;
  }
  // The fault comes back at once and meets the old action.
  sigaction(SIGBUS, &old, nullptr);
}

// Puts a private copy of the bytes where the mapping is (the pages are swapped
// in one step, so a reader in another thread sees the same bytes throughout)
// and lets the lease go. Only system calls: it runs in the signal handler.
// Returns false when there was no memory for the copy.
bool CopyInPlace(LeaseSlot& slot) {
  bool copied = false;
  void* copy = mmap(nullptr, slot.mappedLength, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (copy != MAP_FAILED) {
    std::memcpy(copy, slot.address, slot.length);
    mprotect(copy, slot.mappedLength, PROT_READ);
    copied = mremap(copy, slot.mappedLength, slot.mappedLength, MREMAP_MAYMOVE | MREMAP_FIXED, slot.address) !=
             MAP_FAILED;
    if (!copied) munmap(copy, slot.mappedLength);
  }
  // Without memory for the copy the lease still has to go: the kernel would
  // take it away after the break time anyway, having kept the writer waiting.
  if (!copied) InstallBusHandler();
  fcntl(slot.fd, F_SETLEASE, F_UNLCK);
  return copied;
}

// Copies the slot's bytes when its lease is being broken. F_GETLEASE on a
// lease being broken answers the type it is to become.
bool CopyIfBreaking(LeaseSlot& slot) {
  int expected = kLeased;
  if (!slot.state.compare_exchange_strong(expected, kCopying)) return false;
  if (fcntl(slot.fd, F_GETLEASE) != F_UNLCK) {
    slot.state.store(kLeased);
    return false;
  }
  slot.state.store(CopyInPlace(slot) ? kCopied : kExposed);
  return true;
}

extern "C" void OnLeaseBreak(int sig, siginfo_t* info, void* context) {
  const int savedErrno = errno;
  // One signal may stand for several breaks (ordinary signals do not queue),
  // so every lease is looked at.
  for (LeaseSlot& slot : g_slots)
    if (slot.state.load() == kLeased) CopyIfBreaking(slot);
  errno = savedErrno;
  if (info && info->si_code > 0) return;  // from the kernel: a lease break
  // Sent by someone (kill): do what was done before us.
  const struct sigaction& old = g_previousAction;
  if (old.sa_flags & SA_SIGINFO) {
    if (old.sa_sigaction) old.sa_sigaction(sig, info, context);
  } else if (old.sa_handler == SIG_DFL) {
    signal(sig, SIG_DFL);
    raise(sig);
  } else if (old.sa_handler != SIG_IGN && old.sa_handler) {
    old.sa_handler(sig);
  }
}

void InstallHandler() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction action {};
    action.sa_sigaction = OnLeaseBreak;
    action.sa_flags = SA_SIGINFO | SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGIO, &action, &g_previousAction);
  });
}

[[noreturn]] void ThrowOpen(const std::string& path, const std::string& reason) {
  throw EInOutError(Format("Cannot open file %s: %s", path.c_str(), reason.c_str()));
}

std::size_t PageRounded(std::size_t n) { return (n + g_pageSize - 1) / g_pageSize * g_pageSize; }

// Reads the file into fresh read-only memory; returns the bytes read (fewer
// than asked when the file was cut short meanwhile).
std::size_t ReadPrivateCopy(int fd, std::size_t size, void*& memory, std::size_t mappedLength,
                            const std::string& path) {
  memory = mmap(nullptr, mappedLength, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) {
    memory = nullptr;
    throw std::bad_alloc();
  }
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = pread(fd, static_cast<char*>(memory) + done, size - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int err = errno;
      munmap(memory, mappedLength);
      memory = nullptr;
      ThrowOpen(path, std::strerror(err));
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  mprotect(memory, mappedLength, PROT_READ);
  return done;
}

}  // namespace

std::shared_ptr<const TMappedFile> TMappedFile::Open(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) ThrowOpen(path, std::strerror(errno));
  std::shared_ptr<TMappedFile> file(new TMappedFile());
  struct stat st;
  const int err = fstat(fd, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
  if (err != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    // A device or a pipe has no size to stop at (/dev/zero never ends).
    ThrowOpen(path, err != 0 ? std::strerror(err) : "it is not a regular file");
  }

  InstallHandler();
  int slot = -1;
  for (int i = 0; i < kSlots && slot < 0; ++i) {
    int expected = kFree;
    if (g_slots[i].state.compare_exchange_strong(expected, kSetup)) slot = i;
  }
  // The lease's signal says which file it is about; it goes to this process.
  const bool leased = slot >= 0 && st.st_size > 0 && fcntl(fd, F_SETSIG, SIGIO) == 0 &&
                      fcntl(fd, F_SETOWN, getpid()) == 0 && fcntl(fd, F_SETLEASE, F_RDLCK) == 0;
  // Looked at again once nobody can write the file any more.
  if (leased) fstat(fd, &st);
  file->identity_ = FileIdentityOfOpenFile(fd);
  file->size_ = st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
  file->mappedSize_ = PageRounded(file->size_);
  void* memory = nullptr;
  if (leased) {
    memory = mmap(nullptr, file->mappedSize_, PROT_READ, MAP_SHARED | MAP_POPULATE, fd, 0);
    if (memory == MAP_FAILED) memory = nullptr;
  }
  if (memory) {
    LeaseSlot& s = g_slots[slot];
    s.fd = fd;
    s.address = memory;
    s.length = file->size_;
    s.mappedLength = file->mappedSize_;
    s.state.store(kLeased);
    file->slot_ = slot;
    // A break that came while the slot was being filled found nothing to copy.
    CopyIfBreaking(s);
  } else {
    if (leased) fcntl(fd, F_SETLEASE, F_UNLCK);
    if (slot >= 0) g_slots[slot].state.store(kFree);
    try {
      if (file->size_ > 0) file->size_ = ReadPrivateCopy(fd, file->size_, memory, file->mappedSize_, path);
    } catch (...) {
      close(fd);
      throw;
    }
    close(fd);
  }
  file->data_ = static_cast<const uint8_t*>(memory);
  return file;
}

TMappedFile::~TMappedFile() {
  int fd = -1;
  if (slot_ >= 0) {
    LeaseSlot& s = g_slots[slot_];
    // A copy under way in a signal handler (in another thread) is waited for.
    for (;;) {
      int expected = kLeased;
      if (s.state.compare_exchange_strong(expected, kClosing)) break;
      expected = kCopied;
      if (s.state.compare_exchange_strong(expected, kClosing)) break;
      expected = kExposed;
      if (s.state.compare_exchange_strong(expected, kClosing)) break;
      sched_yield();
    }
    fd = s.fd;
    fcntl(fd, F_SETLEASE, F_UNLCK);
  }
  // Once replaced (a save renames a new file over it), the file lives on only
  // through this mapping, and letting it go makes the kernel free every block
  // of it: for a large file that takes longer than closing a window should,
  // so it is done on a thread of its own. Nobody reads the bytes any more and
  // the lease is gone, so nothing waits for it.
  auto release = [data = data_, size = mappedSize_, fd, slot = slot_] {
    if (data) munmap(const_cast<uint8_t*>(data), size);
    if (fd >= 0) close(fd);
    if (slot >= 0) g_slots[slot].state.store(kFree);
  };
  constexpr std::size_t kReleasedAside = 64u << 20;
  if (mappedSize_ >= kReleasedAside) {
    try {
      std::thread(release).detach();
      return;
    } catch (const std::system_error&) {
      // No thread to be had: released here.
    }
  }
  release();
}

bool TMappedFile::Shared() const { return slot_ >= 0 && g_slots[slot_].state.load() == kLeased; }

int TMappedFile::Descriptor() const { return slot_ >= 0 ? g_slots[slot_].fd : -1; }

}  // namespace notarra
