// What a benchmark reads off its own process.
#pragma once

#include <cstddef>
#include <cstdio>

namespace benchsupport {

// Memory that belongs to this process alone: RssAnon of /proc/self/status,
// in bytes. A mapped file's pages are the page cache's and do not count.
inline std::size_t AnonymousBytes() {
  std::size_t kb = 0;
  if (FILE* f = std::fopen("/proc/self/status", "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, f))
      if (std::sscanf(line, "RssAnon: %zu kB", &kb) == 1) break;
    std::fclose(f);
  }
  return kb * 1024;
}

}  // namespace benchsupport
