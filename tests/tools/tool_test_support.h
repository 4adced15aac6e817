// Shared pieces of the notarra-table tests: a temporary folder, running the
// tool in-process, and building table file bytes by hand.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "tools/notarra_table.h"

using namespace notarra;

namespace tooltest {

class TempDir {
public:
  TempDir() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("notarra-tools-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  std::string operator/(std::string_view name) const { return (path_ / name).string(); }
  const std::filesystem::path& Path() const { return path_; }

private:
  std::filesystem::path path_;
};

struct RunResult {
  int status = -1;
  std::string out, err;
};

inline RunResult RunTool(const std::vector<std::string>& args, const std::string& input = "") {
  std::istringstream in(input);
  std::ostringstream out, err;
  RunResult r;
  r.status = RunNotarraTable(args, in, out, err);
  r.out = out.str();
  r.err = err.str();
  return r;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

inline void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Little-endian byte building, written from the file format rules alone.
class Bytes {
public:
  Bytes& U8(uint8_t v) { return Raw(&v, 1); }
  Bytes& U16(uint16_t v) { return Raw(&v, 2); }
  Bytes& U32(uint32_t v) { return Raw(&v, 4); }
  Bytes& I64(int64_t v) { return Raw(&v, 8); }
  Bytes& F64(double v) { return Raw(&v, 8); }
  Bytes& Text(std::string_view s) {
    bytes_ += s;
    return *this;
  }
  // A 32-bit length, then the bytes (String, BLOB kinds).
  Bytes& Counted(std::string_view s) { return U32(static_cast<uint32_t>(s.size())).Text(s); }
  const std::string& Str() const { return bytes_; }

private:
  Bytes& Raw(const void* p, std::size_t n) {
    bytes_.append(static_cast<const char*>(p), n);
    return *this;
  }
  std::string bytes_;
};

// A plain ("S") table: header, description entries each ended by 0x12 and
// the section by 0x14, the optional notes block, then the records' bytes.
inline std::string PlainTable(const std::vector<std::string>& entries, uint32_t recordCount,
                              const std::string& records, const std::string& notes = "") {
  std::string section;
  for (const std::string& e : entries) section += e + '\x12';
  section += '\x14';
  Bytes body;
  body.Text(section);
  if (!notes.empty()) body.U8('*').U16(static_cast<uint16_t>(notes.size())).Text(notes);
  body.Text(records);
  const uint32_t total = static_cast<uint32_t>(17 + body.Str().size());
  Bytes file;
  file.U32(total).U8('S').U32(recordCount).U32(static_cast<uint32_t>(entries.size()))
      .U32(static_cast<uint32_t>(section.size())).Text(body.Str());
  return file.Str();
}

// The lines of a text, for comparing JSON output line by line.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream ss(text);
  std::string line;
  while (std::getline(ss, line)) lines.push_back(line);
  return lines;
}

}  // namespace tooltest
