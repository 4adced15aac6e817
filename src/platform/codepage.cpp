#include "platform/codepage.h"

#include <array>
#include <cstdint>

#include "platform/name_index.h"

namespace notarra {

namespace {

// Unicode code points of 0x80..0x9F. The five bytes Windows-1252 leaves
// undefined map to the C1 control of the same number, so every byte survives
// a round trip through UTF-8.
constexpr std::array<uint16_t, 32> kHighCodePoints = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98..9F
};

uint32_t CodePointOf(unsigned char c) { return (c >= 0x80 && c < 0xA0) ? kHighCodePoints[c - 0x80] : c; }

// Returns the byte for a code point, or -1 when Windows-1252 has none.
int ByteOf(uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i)
    if (kHighCodePoints[i] == cp) return 0x80 + i;
  return -1;
}

// Accent classes, used as the secondary weight. The order only has to be
// fixed; it follows the usual collation order of the marks.
enum Accent : uint8_t {
  kNone = 0,
  kAcute,
  kGrave,
  kCircumflex,
  kCaron,
  kRing,
  kDiaeresis,
  kTilde,
  kCedilla,
  kStroke,
  kVariant,  // ligatures, eth, thorn, ordinal indicators, superscripts, blanks
};

struct Tables {
  std::array<unsigned char, 256> upper{};
  std::array<unsigned char, 256> lower{};
  // Collation: each byte gives one or two primary weights (ligatures expand,
  // so "æ" sorts as "ae") and one secondary weight for its accent.
  std::array<uint16_t, 256> primary1{};
  std::array<uint16_t, 256> primary2{};
  std::array<uint8_t, 256> secondary{};
};

constexpr uint16_t kDigitBase = 0x130;
constexpr uint16_t kLetterBase = 0x200;

constexpr uint16_t Letter(char lowerAscii) { return static_cast<uint16_t>(kLetterBase + 4 * (lowerAscii - 'a')); }

constexpr Tables BuildTables() {
  Tables t{};
  for (int c = 0; c < 256; ++c) {
    t.upper[c] = static_cast<unsigned char>(c);
    t.lower[c] = static_cast<unsigned char>(c);
  }
  auto pair = [&t](int up, int low) {
    t.upper[low] = static_cast<unsigned char>(up);
    t.lower[up] = static_cast<unsigned char>(low);
  };
  for (int c = 'A'; c <= 'Z'; ++c) pair(c, c + 32);
  pair(0x8A, 0x9A);  // Š š
  pair(0x8C, 0x9C);  // Œ œ
  pair(0x8E, 0x9E);  // Ž ž
  pair(0x9F, 0xFF);  // Ÿ ÿ
  for (int c = 0xC0; c <= 0xDE; ++c)
    if (c != 0xD7) pair(c, c + 32);  // × and ÷ are not letters

  // Everything that is neither letter nor digit sorts first, in byte order.
  for (int c = 0; c < 256; ++c) t.primary1[c] = static_cast<uint16_t>(c + 1);
  for (int d = 0; d <= 9; ++d) t.primary1['0' + d] = static_cast<uint16_t>(kDigitBase + d);
  for (int c = 'a'; c <= 'z'; ++c) t.primary1[c] = Letter(static_cast<char>(c));

  auto letter = [&t](int c, char base, Accent accent, char base2 = 0) {
    t.primary1[c] = Letter(base);
    t.primary2[c] = base2 ? Letter(base2) : 0;
    t.secondary[c] = accent;
  };
  letter(0x83, 'f', kVariant);    // ƒ
  letter(0x9A, 's', kCaron);      // š
  letter(0x9C, 'o', kVariant, 'e');  // œ
  letter(0x9E, 'z', kCaron);      // ž
  letter(0xFF, 'y', kDiaeresis);  // ÿ
  letter(0xAA, 'a', kVariant);    // ª
  letter(0xBA, 'o', kVariant);    // º
  letter(0xDF, 's', kVariant, 's');  // ß
  letter(0xE0, 'a', kGrave);
  letter(0xE1, 'a', kAcute);
  letter(0xE2, 'a', kCircumflex);
  letter(0xE3, 'a', kTilde);
  letter(0xE4, 'a', kDiaeresis);
  letter(0xE5, 'a', kRing);
  letter(0xE6, 'a', kVariant, 'e');  // æ
  letter(0xE7, 'c', kCedilla);
  letter(0xE8, 'e', kGrave);
  letter(0xE9, 'e', kAcute);
  letter(0xEA, 'e', kCircumflex);
  letter(0xEB, 'e', kDiaeresis);
  letter(0xEC, 'i', kGrave);
  letter(0xED, 'i', kAcute);
  letter(0xEE, 'i', kCircumflex);
  letter(0xEF, 'i', kDiaeresis);
  letter(0xF0, 'd', kVariant);  // ð
  letter(0xF1, 'n', kTilde);
  letter(0xF2, 'o', kGrave);
  letter(0xF3, 'o', kAcute);
  letter(0xF4, 'o', kCircumflex);
  letter(0xF5, 'o', kTilde);
  letter(0xF6, 'o', kDiaeresis);
  letter(0xF8, 'o', kStroke);  // ø
  letter(0xF9, 'u', kGrave);
  letter(0xFA, 'u', kAcute);
  letter(0xFB, 'u', kCircumflex);
  letter(0xFC, 'u', kDiaeresis);
  letter(0xFD, 'y', kAcute);
  letter(0xFE, 't', kVariant, 'h');  // þ
  // µ is the Greek mu: a letter after the Latin ones.
  t.primary1[0xB5] = Letter('z') + 4;
  // Superscript digits sort with their digits; a no-break space with the
  // blank, a soft hyphen with the hyphen.
  t.primary1[0xB9] = kDigitBase + 1;
  t.primary1[0xB2] = kDigitBase + 2;
  t.primary1[0xB3] = kDigitBase + 3;
  t.secondary[0xB9] = t.secondary[0xB2] = t.secondary[0xB3] = kVariant;
  t.primary1[0xA0] = t.primary1[' '];
  t.secondary[0xA0] = kVariant;
  t.primary1[0xAD] = t.primary1['-'];
  t.secondary[0xAD] = kVariant;

  // Upper-case letters collate exactly like their lower-case partners.
  for (int c = 0; c < 256; ++c) {
    int low = t.lower[c];
    if (low != c) {
      t.primary1[c] = t.primary1[low];
      t.primary2[c] = t.primary2[low];
      t.secondary[c] = t.secondary[low];
    }
  }
  return t;
}

constexpr Tables kTables = BuildTables();

// Primary weights as dense one-byte ranks (1..255, order kept), so that a
// sort key can hold one byte per weight.
struct PrimaryRanks {
  std::array<uint8_t, 256> rank1{};
  std::array<uint8_t, 256> rank2{};
  int distinct = 0;
};

constexpr PrimaryRanks BuildRanks() {
  std::array<bool, 0x400> used{};
  for (int c = 0; c < 256; ++c) {
    used[kTables.primary1[c]] = true;
    if (kTables.primary2[c] != 0) used[kTables.primary2[c]] = true;
  }
  std::array<uint8_t, 0x400> rankOf{};
  PrimaryRanks r;
  for (int w = 1; w < 0x400; ++w)
    if (used[w]) rankOf[w] = static_cast<uint8_t>(++r.distinct);
  for (int c = 0; c < 256; ++c) {
    r.rank1[c] = rankOf[kTables.primary1[c]];
    r.rank2[c] = kTables.primary2[c] != 0 ? rankOf[kTables.primary2[c]] : 0;
  }
  return r;
}

constexpr PrimaryRanks kRanks = BuildRanks();
static_assert(kRanks.distinct <= 255, "primary weights must fit one byte each");

// Walks the weights of a text one at a time; 0 marks the end.
class WeightReader {
public:
  WeightReader(const unsigned char* p, const unsigned char* end) : p_(p), end_(end) {}

  uint16_t NextPrimary() {
    if (pending_ != 0) {
      uint16_t w = pending_;
      pending_ = 0;
      return w;
    }
    if (p_ == end_) return 0;
    unsigned char c = *p_++;
    pending_ = kTables.primary2[c];
    return kTables.primary1[c];
  }

  // Secondary weights line up with the primary ones: an expanded letter
  // gives its accent class once for each of its primary weights. Returned
  // off by one so that 0 can mark the end.
  int NextSecondary() {
    if (pendingSecondary_ != 0) {
      int w = pendingSecondary_;
      pendingSecondary_ = 0;
      return w;
    }
    if (p_ == end_) return 0;
    unsigned char c = *p_++;
    int w = kTables.secondary[c] + 1;
    if (kTables.primary2[c] != 0) pendingSecondary_ = w;
    return w;
  }

private:
  const unsigned char* p_;
  const unsigned char* end_;
  uint16_t pending_ = 0;
  int pendingSecondary_ = 0;
};

int CompareCollated(const char* a, std::size_t la, const char* b, std::size_t lb) {
  const auto* pa = reinterpret_cast<const unsigned char*>(a);
  const auto* pb = reinterpret_cast<const unsigned char*>(b);
  // Identical bytes give identical weights, so a common prefix can be skipped.
  std::size_t common = la < lb ? la : lb;
  std::size_t i = 0;
  while (i < common && pa[i] == pb[i]) ++i;
  if (i == la && i == lb) return 0;

  // Fast path: the first differing bytes already decide by primary weight.
  if (i < common) {
    unsigned char ca = pa[i], cb = pb[i];
    uint16_t wa = kTables.primary1[ca], wb = kTables.primary1[cb];
    if (wa != wb && kTables.primary2[ca] == 0 && kTables.primary2[cb] == 0) return wa < wb ? -1 : 1;
  }

  WeightReader ra(pa + i, pa + la), rb(pb + i, pb + lb);
  for (;;) {
    uint16_t wa = ra.NextPrimary(), wb = rb.NextPrimary();
    if (wa != wb) return wa < wb ? -1 : 1;
    if (wa == 0) break;
  }
  WeightReader sa(pa + i, pa + la), sb(pb + i, pb + lb);
  for (;;) {
    int wa = sa.NextSecondary(), wb = sb.NextSecondary();
    if (wa != wb) return wa < wb ? -1 : 1;
    if (wa == 0) return 0;
  }
}

}  // namespace

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::size_t DecodeUtf8(std::string_view s, std::size_t i, uint32_t& cp) {
  if (i >= s.size()) return 0;
  auto byte = [&s](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char b0 = byte(i);
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  std::size_t len;
  unsigned char lo = 0x80, hi = 0xBF;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2;
    cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3;
    cp = b0 & 0x0F;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4;
    cp = b0 & 0x07;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (s.size() - i < len) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    unsigned char b = byte(i + k);
    if (k == 1 ? (b < lo || b > hi) : (b < 0x80 || b > 0xBF)) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  return len;
}

unsigned char AnsiUpperChar(unsigned char c) { return kTables.upper[c]; }
unsigned char AnsiLowerChar(unsigned char c) { return kTables.lower[c]; }

std::string AnsiUpperCase(std::string_view s) {
  std::string result(s);
  for (char& c : result) c = static_cast<char>(kTables.upper[static_cast<unsigned char>(c)]);
  return result;
}

std::string AnsiLowerCase(std::string_view s) {
  std::string result(s);
  for (char& c : result) c = static_cast<char>(kTables.lower[static_cast<unsigned char>(c)]);
  return result;
}

int AnsiCompareTextN(const char* a, const char* b, std::size_t n) { return CompareCollated(a, n, b, n); }

int AnsiCompareText(std::string_view a, std::string_view b) {
  return CompareCollated(a.data(), a.size(), b.data(), b.size());
}

std::size_t AnsiCollationKey(std::string_view s, uint8_t* out, std::size_t cap, bool& whole) {
  std::size_t n = 0;
  whole = false;
  auto put = [&](uint8_t b) {
    if (n >= cap) return false;
    out[n++] = b;
    return true;
  };
  bool plain = true;
  for (unsigned char c : s) {
    if (!put(kRanks.rank1[c])) return n;
    if (kRanks.rank2[c] != 0 && !put(kRanks.rank2[c])) return n;
    if (kTables.secondary[c] != kNone) plain = false;
  }
  if (!put(0)) return n;
  // Unaccented text is the least of all texts with the same base letters.
  if (!put(plain ? 1 : 2)) return n;
  whole = plain;
  return n;
}

bool AnsiSameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (kTables.lower[static_cast<unsigned char>(a[i])] != kTables.lower[static_cast<unsigned char>(b[i])]) return false;
  return true;
}

std::size_t TAnsiTextHash::operator()(std::string_view s) const noexcept {
  // FNV-1a over the lower-case bytes: equal under AnsiSameText, equal hash.
  std::size_t h = static_cast<std::size_t>(1469598103934665603ull);
  for (char c : s) {
    h ^= kTables.lower[static_cast<unsigned char>(c)];
    h *= static_cast<std::size_t>(1099511628211ull);
  }
  return h;
}

bool Utf8ToAnsi(std::string_view utf8, std::string& out, std::size_t* badIndex) {
  std::string result;
  result.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    uint32_t cp = 0;
    std::size_t len = DecodeUtf8(utf8, i, cp);
    int byte = len != 0 ? ByteOf(cp) : -1;
    if (byte < 0) {
      if (badIndex != nullptr) *badIndex = i;
      return false;
    }
    result += static_cast<char>(byte);
    i += len;
  }
  out = std::move(result);
  return true;
}

std::string AnsiToUtf8(std::string_view ansi) {
  std::string result;
  result.reserve(ansi.size() + ansi.size() / 4);
  for (char c : ansi) AppendUtf8(result, CodePointOf(static_cast<unsigned char>(c)));
  return result;
}

}  // namespace notarra
