#include "filterexpr/mask.h"

#include <cstring>
#include <string>

#include "platform/codepage.h"
#include "platform/exceptions.h"

namespace notarra {

TVelaMask::TVelaMask(std::string_view pattern, bool caseSensitive) : caseSensitive_(caseSensitive) {
  if (std::size_t nul = pattern.find('\0'); nul != std::string_view::npos) pattern = pattern.substr(0, nul);
  items_.reserve(pattern.size() + 1);

  bool pendingStar = false;
  int starred = 0;
  auto add = [&](TVelaMaskItem item, std::size_t position) {
    item.StarBefore = pendingStar;
    if (pendingStar && ++starred > MaxStars)
      throw Exception(Format("'%s' is an invalid mask at (%d)", std::string(pattern).c_str(), static_cast<int>(position)));
    pendingStar = false;
    items_.push_back(item);
  };

  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '*' || c == '%') {
      pendingStar = true;
    } else if (c == '?' || c == '_') {
      // After a star the one-character wildcard adds nothing the star does not already cover.
      if (!pendingStar) add(TVelaMaskItem{false, true, 0}, i + 1);
    } else {
      add(TVelaMaskItem{false, false, Fold(static_cast<unsigned char>(c))}, i + 1);
    }
  }
  add(TVelaMaskItem{}, pattern.size() + 1);
}

unsigned char TVelaMask::Fold(unsigned char c) const { return caseSensitive_ ? c : AnsiUpperChar(c); }

// Only the most recent star ever needs to be revisited: whatever an earlier
// star could absorb, the later one can absorb as well. So one remembered
// star position replaces a backtrack stack, and matching stays linear in
// the text for each star instead of exponential in the number of stars.
bool TVelaMask::Matches(std::string_view text) const {
  std::size_t n = text.find('\0');
  if (n == std::string_view::npos) n = text.size();
  const std::size_t none = static_cast<std::size_t>(-1);
  std::size_t p = 0;
  std::size_t k = 0;
  std::size_t starItem = none;  // element whose star is being stretched
  std::size_t starEnd = 0;      // where that star's run ends

  for (;;) {
    const TVelaMaskItem& item = items_[k];
    if (item.StarBefore) {
      if (item.Ch == 0) return true;  // a trailing star takes the rest of the text
      // The run ends where the literal after it can match next.
      while (p < n && Fold(static_cast<unsigned char>(text[p])) != item.Ch) ++p;
      starItem = k;
      starEnd = p;
    }

    bool ok;
    if (item.AnyChar)
      ok = p < n;
    else if (item.Ch == 0)
      ok = p == n;
    else
      ok = p < n && Fold(static_cast<unsigned char>(text[p])) == item.Ch;

    if (ok) {
      if (!item.AnyChar && item.Ch == 0) return true;  // the terminator
      ++p;
      ++k;
      continue;
    }
    if (starItem == none || starEnd >= n) return false;
    p = ++starEnd;
    k = starItem;
  }
}

}  // namespace notarra
