// A compiled LIKE pattern. "*" and "%" stand for any run of characters, "?"
// and "_" for one character; every other character is literal (no escapes,
// no sets). A "?" or "_" directly after a star run is dropped, so "a*?"
// matches "a". The pattern is compiled once; Matches allocates nothing, so a
// dataset can test every record against it cheaply.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/exceptions.h"

namespace notarra {

// One element of the compiled pattern. The last element of every mask is the
// terminator: a literal with Ch 0 that only the end of the text matches.
struct TVelaMaskItem {
  bool StarBefore = false;  // one or more "*" or "%" stood directly before it
  bool AnyChar = false;     // matches any one character
  unsigned char Ch = 0;     // literal character (upper-cased unless case-sensitive)
};

class TVelaMask {
public:
  // At most this many runs of "*" or "%" in one pattern.
  static constexpr int MaxStars = 30;

  // Compiles the pattern; raises Exception "'%s' is an invalid mask at (%d)"
  // (the pattern, the 1-based position of the element that went over the
  // limit) when it holds more than MaxStars star runs. Filters always match
  // without regard to letter case (Windows-1252 upper-casing, accents
  // included); caseSensitive is for other callers. A pattern, like a text,
  // ends at its first NUL byte.
  explicit TVelaMask(std::string_view pattern, bool caseSensitive = false);

  // Whether the whole text matches the pattern.
  bool Matches(std::string_view text) const;

  const TVelaMaskItem* Items() const { return items_.data(); }
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  bool CaseSensitive() const { return caseSensitive_; }

private:
  unsigned char Fold(unsigned char c) const;

  std::vector<TVelaMaskItem> items_;
  bool caseSensitive_;
};

}  // namespace notarra
