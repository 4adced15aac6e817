// TIncrementalSearch: the text a list collects while the user types into
// it to find an entry. Typed characters are appended up to a maximum
// length; a text left alone longer than the expiry time starts over with
// the next character (an expiry of 0 never expires). The lists decide what
// they do with the text; this only keeps it.
#pragma once

#include <cstdint>
#include <string>

namespace notarra {

class TIncrementalSearch {
public:
  static constexpr int kMaxLength = 32;

  explicit TIncrementalSearch(int64_t expireMs = 0) : expireMs_(expireMs) {}

  const std::string& Text() const { return text_; }
  bool Empty() const { return text_.empty(); }
  void Clear() { text_.clear(); }
  // Drops the last character; false when the text was empty.
  bool RemoveLast();
  // Adds c at time nowMs (milliseconds on any steady clock), after
  // clearing an expired text. False when the text is already full.
  bool Add(char c, int64_t nowMs);
  bool Add(char c) { return Add(c, NowMs()); }
  // Puts back a text, for a list that tried a character and found nothing.
  void Restore(const std::string& text) { text_ = text; }

  static int64_t NowMs();

private:
  std::string text_;
  int64_t expireMs_;
  int64_t lastKeyMs_ = 0;
};

}  // namespace notarra
