// Loads a table file and sorts its records by a field list, the way opening
// the idea table does. Used by compare_sqlite.sh to time the whole command.
// It prints the memory that belongs to the process alone once the records are
// loaded and sorted (anonymous resident memory: the mapped file's pages are
// the page cache's, shared with every reader of the file).
// It then measures this machine's floor for the load in the same run: reading
// the file from the page cache, plus first touching as much fresh memory as
// the loaded store holds (with 4 KB pages, and with huge pages where the
// system grants them on request).
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/exceptions.h"
#include "process_memory.h"
#include "tableengine/record_store.h"

using namespace notarra;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// CPU time of the process so far (every thread, user and system): on a busy
// machine it shows what the work cost when the wall clock also counts waiting.
double CpuMs() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

std::size_t ResidentBytes() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return static_cast<std::size_t>(resident) * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

double ReadFileMs(const char* path) {
  auto t0 = Clock::now();
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  std::vector<char> buffer(TVelaCursor::kReadBufferSize);
  while (read(fd, buffer.data(), buffer.size()) > 0) {
  }
  close(fd);
  return Ms(Clock::now() - t0);
}

double TouchMs(std::size_t bytes, bool hugePages) {
  auto t0 = Clock::now();
  void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return -1;
  if (hugePages) madvise(p, bytes, MADV_HUGEPAGE);
  for (std::size_t i = 0; i < bytes; i += 4096) static_cast<volatile char*>(p)[i] = 1;
  double ms = Ms(Clock::now() - t0);
  munmap(p, bytes);
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: load_sort FILE [FIELDS]\n");
    return 2;
  }
  std::string fields = argc > 2 ? argv[2] : "Group;Subject";
  try {
    std::size_t before = ResidentBytes();
    double cpu0 = CpuMs();
    auto t0 = Clock::now();
    TVelaCursor store;
    {
      std::string error;
      if (!store.LoadFromFile(argv[1], error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
      }
    }
    auto t1 = Clock::now();
    double cpu1 = CpuMs();
    std::size_t storeBytes = ResidentBytes() - before;
    TVelaRecordList visible(store.Records().begin(), store.Records().end());
    store.SortRecords(visible, store.ResolveFieldList(fields), false, false);
    auto t2 = Clock::now();
    double cpu2 = CpuMs();
    std::printf("records %zu load_ms %.1f sort_ms %.1f (cpu: load %.1f sort %.1f) private_mb %.0f\n",
                visible.size(), Ms(t1 - t0), Ms(t2 - t1), cpu1 - cpu0, cpu2 - cpu1, benchsupport::AnonymousBytes() / 1e6);
    if (std::getenv("LOAD_SORT_FLOOR")) {
      double read = ReadFileMs(argv[1]), touch = TouchMs(storeBytes, false), huge = TouchMs(storeBytes, true);
      std::printf("store_mb %.0f floor: read_ms %.1f touch_4k_ms %.1f touch_huge_ms %.1f -> load / floor %.2f "
                  "(4 KB) %.2f (huge)\n",
                  storeBytes / 1e6, read, touch, huge, Ms(t1 - t0) / (read + touch), Ms(t1 - t0) / (read + huge));
    }
  } catch (const Exception& e) {
    std::fprintf(stderr, "%s\n", e.Message().c_str());
    return 1;
  }
  return 0;
}
