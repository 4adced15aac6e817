// libFuzzer target for wildcard masks: compiling must succeed or fail with
// the mask's own message exactly when there are too many star runs, and
// matching must agree with a plain dynamic-programming matcher.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "filterexpr/mask.h"
#include "platform/codepage.h"

using namespace notarra;

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "fuzz_mask: %s: %s\n", what, detail.c_str());
  std::abort();
}

std::string_view UpToNul(std::string_view s) { return s.substr(0, s.find('\0')); }

enum class Step { Star, Any, Literal };
struct PatternStep {
  Step kind;
  unsigned char ch;
};

// Returns the number of star runs.
int Steps(std::string_view pattern, bool caseSensitive, std::vector<PatternStep>& out) {
  int runs = 0;
  bool inRun = false;
  for (char c : pattern) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '*' || c == '%') {
      if (!inRun) {
        ++runs;
        out.push_back({Step::Star, 0});
      }
      inRun = true;
    } else if (c == '?' || c == '_') {
      if (!inRun) out.push_back({Step::Any, 0});
    } else {
      out.push_back({Step::Literal, caseSensitive ? u : AnsiUpperChar(u)});
      inRun = false;
    }
  }
  return runs;
}

bool Reference(const std::vector<PatternStep>& steps, std::string_view text, bool caseSensitive) {
  const std::size_t m = steps.size(), n = text.size();
  // can[i][j]: steps from i match text from j.
  std::vector<std::vector<char>> can(m + 1, std::vector<char>(n + 1, 0));
  can[m][n] = 1;
  for (std::size_t i = m; i-- > 0;) {
    for (std::size_t j = n + 1; j-- > 0;) {
      const PatternStep& s = steps[i];
      if (s.kind == Step::Star) {
        can[i][j] = can[i + 1][j] || (j < n && can[i][j + 1]);
      } else if (s.kind == Step::Any) {
        can[i][j] = j < n && can[i + 1][j + 1];
      } else {
        if (j == n) continue;
        unsigned char t = static_cast<unsigned char>(text[j]);
        if (!caseSensitive) t = AnsiUpperChar(t);
        can[i][j] = t == s.ch && can[i + 1][j + 1];
      }
    }
  }
  return can[0][0];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  // Layout: one flag byte (bit 0: case-sensitive), the pattern, a 0x01 byte, the text.
  if (size == 0) return 0;
  const bool caseSensitive = data[0] & 1;
  std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  std::size_t split = rest.find('\x01');
  std::string_view pattern = rest.substr(0, split);
  std::string_view text = split == std::string_view::npos ? std::string_view() : rest.substr(split + 1);

  std::vector<PatternStep> steps;
  const int runs = Steps(UpToNul(pattern), caseSensitive, steps);
  try {
    TVelaMask mask(pattern, caseSensitive);
    if (runs > TVelaMask::MaxStars) Fail("too many star runs accepted", std::to_string(runs));
    if (mask.Count() < 1 || mask.Items()[mask.Count() - 1].Ch != 0 || mask.Items()[mask.Count() - 1].AnyChar)
      Fail("terminator", std::string(pattern));
    bool got = mask.Matches(text);
    bool want = Reference(steps, UpToNul(text), caseSensitive);
    if (got != want) Fail(got ? "false match" : "missed match", std::string(pattern) + " / " + std::string(text));
  } catch (const Exception& e) {
    if (runs <= TVelaMask::MaxStars) Fail("valid pattern rejected", e.Message());
    const std::string prefix = "'" + std::string(UpToNul(pattern)) + "' is an invalid mask at (";
    if (e.Message().compare(0, prefix.size(), prefix) != 0) Fail("message", e.Message());
  }
  return 0;
}
