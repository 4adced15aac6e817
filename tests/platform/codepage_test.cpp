#include "platform/codepage.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

using namespace notarra;

namespace {

// Upper/lower partners outside ASCII, from the Unicode case mapping of the
// Windows-1252 characters. Letters whose partner is not in the code page
// (ß, µ, ƒ) are not listed: they map to themselves.
const std::vector<std::pair<unsigned char, unsigned char>> kHighCasePairs = {
    {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}, {0xC0, 0xE0}, {0xC1, 0xE1}, {0xC2, 0xE2},
    {0xC3, 0xE3}, {0xC4, 0xE4}, {0xC5, 0xE5}, {0xC6, 0xE6}, {0xC7, 0xE7}, {0xC8, 0xE8}, {0xC9, 0xE9},
    {0xCA, 0xEA}, {0xCB, 0xEB}, {0xCC, 0xEC}, {0xCD, 0xED}, {0xCE, 0xEE}, {0xCF, 0xEF}, {0xD0, 0xF0},
    {0xD1, 0xF1}, {0xD2, 0xF2}, {0xD3, 0xF3}, {0xD4, 0xF4}, {0xD5, 0xF5}, {0xD6, 0xF6}, {0xD8, 0xF8},
    {0xD9, 0xF9}, {0xDA, 0xFA}, {0xDB, 0xFB}, {0xDC, 0xFC}, {0xDD, 0xFD}, {0xDE, 0xFE},
};
const unsigned char kUndefinedBytes[] = {0x81, 0x8D, 0x8F, 0x90, 0x9D};

int Sign(int v) { return (v > 0) - (v < 0); }

// The C library's own Windows-1252 converter, as the reference.
std::string IconvToUtf8(std::string in) {
  iconv_t cd = iconv_open("UTF-8", "CP1252");
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
  std::string out(in.size() * 4, '\0');
  char *inp = in.data(), *outp = out.data();
  size_t inLeft = in.size(), outLeft = out.size();
  EXPECT_NE(iconv(cd, &inp, &inLeft, &outp, &outLeft), static_cast<size_t>(-1));
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

TEST(CaseMapping, EveryByteMapsToItsPartnerOrItself) {
  std::map<unsigned char, unsigned char> upperOf, lowerOf;
  for (int c = 'a'; c <= 'z'; ++c) upperOf[static_cast<unsigned char>(c)] = static_cast<unsigned char>(c - 32);
  for (auto [up, low] : kHighCasePairs) upperOf[low] = up;
  for (auto [low, up] : upperOf) lowerOf[up] = low;
  for (int c = 0; c < 256; ++c) {
    auto b = static_cast<unsigned char>(c);
    EXPECT_EQ(AnsiUpperChar(b), upperOf.count(b) ? upperOf[b] : b) << "byte " << c;
    EXPECT_EQ(AnsiLowerChar(b), lowerOf.count(b) ? lowerOf[b] : b) << "byte " << c;
  }
  EXPECT_EQ(AnsiUpperCase(std::string("caf\xE9 \0\x9A\x9C\xFF\xDF", 10)), std::string("CAF\xC9 \0\x8A\x8C\x9F\xDF", 10));
  EXPECT_EQ(AnsiLowerCase("\xC0PROPOS"), "\xE0propos");
}

TEST(Collation, OrdersLikeADictionary) {
  // Each pair is in order; accents sort with their base letter and only
  // break ties, case never counts, ligatures sort as their letters.
  const std::pair<const char*, const char*> ordered[] = {
      {"e", "\xE9"},  {"\xE9", "f"},  {"\xE9", "z"},  {"\xE9" "a", "eb"}, {"\xC5ngstr\xF6m", "Angus"},
      {"cote", "cot\xE9"}, {"cot\xE9", "c\xF4te"}, {"E", "\xE9"}, {"e", "\xC9"}, {"apple", "Banana"}, {"Apple", "banana"},
      {"_", "A"},     {"[", "a"},     {"~", "0"},     {"9", "a"},        {"-", "0"},      {"z", "\xB5"},
      {"ad", "\xE6"}, {"\xE6", "af"}, {"sr", "\xDF"}, {"\xDF", "st"},     {"Strasse", "Stra\xDF" "e"},
      {"Stra\xDF" "e", "Strasses"}, {"oe", "\x9C"},
      // Shorter prefix first, and base letters over the whole text before accents.
      {"ab", "abc"}, {"", "a"}, {"\xE9", "eb"}, {"\xE9", "\xE9" "a"}, {"r\xF4le", "roles"},
  };
  for (auto [a, b] : ordered) {
    EXPECT_LT(AnsiCompareText(a, b), 0) << a << " < " << b;
    EXPECT_GT(AnsiCompareText(b, a), 0) << b << " > " << a;
  }
  const std::pair<const char*, const char*> equal[] = {
      {"Hello", "hELLO"}, {"\xC0\xC9\xCE\xD5\xDC\x8A\x9F", "\xE0\xE9\xEE\xF5\xFC\x9A\xFF"}, {"\x8C", "\x9C"}, {"", ""}};
  for (auto [a, b] : equal) {
    EXPECT_EQ(AnsiCompareText(a, b), 0) << a << " = " << b;
    EXPECT_TRUE(AnsiSameText(a, b)) << a << " = " << b;
  }
  EXPECT_FALSE(AnsiSameText("ete", "\xE9t\xE9"));
  EXPECT_FALSE(AnsiSameText("abc", "abcd"));

  std::vector<std::string> words = {"zebra", "\xC9mile", "apple", "\xE9" "clair", "Eclair", "ecole", "\xC9" "cole", "f"};
  std::sort(words.begin(), words.end(), [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b) < 0; });
  EXPECT_EQ(words, (std::vector<std::string>{"apple", "Eclair", "\xE9" "clair", "ecole", "\xC9" "cole", "\xC9mile", "f", "zebra"}));
}

TEST(Collation, CompareTextNLooksAtNBytesOnly) {
  EXPECT_EQ(AnsiCompareTextN("abX", "ABy", 2), 0);
  EXPECT_LT(AnsiCompareTextN("abX", "ABy", 3), 0);
  EXPECT_EQ(AnsiCompareTextN("anything", "else", 0), 0);
  EXPECT_LT(AnsiCompareTextN("a\0b", "a\0c", 3), 0);  // zero bytes are ordinary characters
}

TEST(Collation, IsAConsistentOrderOverAllBytePairs) {
  std::vector<std::string> texts;
  for (int a = 0; a < 256; ++a) {
    texts.emplace_back(1, static_cast<char>(a));
    for (int b : {int{'a'}, int{'E'}, int{'0'}, 0xE9, 0xDF, 0xC6})
      texts.push_back(std::string(1, static_cast<char>(a)) + static_cast<char>(b));
  }
  std::vector<std::string> lowered;
  for (const auto& t : texts) lowered.push_back(AnsiLowerCase(t));
  for (size_t i = 0; i < texts.size(); ++i) {
    for (size_t j = i; j < texts.size(); ++j) {
      int xy = AnsiCompareText(texts[i], texts[j]);
      ASSERT_EQ(Sign(xy), -Sign(AnsiCompareText(texts[j], texts[i]))) << texts[i] << " / " << texts[j];
      // Equal exactly when the texts differ in case only.
      ASSERT_EQ(xy == 0, lowered[i] == lowered[j]) << texts[i] << " / " << texts[j];
      ASSERT_EQ(AnsiSameText(texts[i], texts[j]), lowered[i] == lowered[j]);
    }
  }
  // After sorting, any element after another that compares lower shows an intransitivity.
  std::sort(texts.begin(), texts.end(), [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b) < 0; });
  for (size_t i = 0; i < texts.size(); i += 7)
    for (size_t j = i + 1; j < texts.size(); ++j) ASSERT_LE(AnsiCompareText(texts[i], texts[j]), 0);
}

TEST(Utf8, AllBytesConvertLikeTheSystemConverterAndComeBack) {
  std::string defined;
  for (int c = 0; c < 256; ++c)
    if (std::find(std::begin(kUndefinedBytes), std::end(kUndefinedBytes), c) == std::end(kUndefinedBytes))
      defined += static_cast<char>(c);
  ASSERT_EQ(defined.size(), 251u);
  std::string utf8 = AnsiToUtf8(defined);
  EXPECT_EQ(utf8, std::string(1, '\0') + IconvToUtf8(defined.substr(1)));
  std::string back;
  ASSERT_TRUE(Utf8ToAnsi(utf8, back));
  EXPECT_EQ(back, defined);
  // The five undefined bytes travel as the C1 controls of the same number.
  for (unsigned char b : kUndefinedBytes) {
    std::string one(1, static_cast<char>(b));
    EXPECT_EQ(AnsiToUtf8(one), std::string({static_cast<char>(0xC2), static_cast<char>(b)}));
    ASSERT_TRUE(Utf8ToAnsi(AnsiToUtf8(one), back));
    EXPECT_EQ(back, one);
  }
  ASSERT_TRUE(Utf8ToAnsi("\xE2\x82\xAC 5 \xE2\x80\x9Cok\xE2\x80\x9D \xC5\xA1", back));  // € 5 “ok” š
  EXPECT_EQ(back, "\x80 5 \x93ok\x94 \x9A");
}

TEST(Utf8, RejectsWhatTheCodePageCannotHoldAtItsOffset) {
  const std::pair<std::string, size_t> cases[] = {
      {"ab\xE2\x9C\x93", 2},       // ✓
      {"x\xF0\x9F\x98\x80y", 1},   // an emoji
      {"\xC2\x80", 0},             // a C1 control the code page does not keep
      {"ok\xC3", 2},               // cut short
      {"\xC3(", 0},                // missing continuation byte
      {"a\x80", 1},                // stray continuation byte
      {"\xC0\xAF", 0},             // overlong "/"
      {"\xE0\x80\xAF", 0},         // overlong, three bytes
      {"..\xED\xA0\x80", 2},       // UTF-16 surrogate
      {"\xF4\x90\x80\x80", 0},     // past U+10FFFF
      {"\xFF", 0},
      {"\xC3\xA9\xC3\xA9\xE2\x9C\x93", 4},  // the offset counts bytes
  };
  for (const auto& [input, badIndex] : cases) {
    std::string out = "unchanged";
    size_t bad = 999;
    EXPECT_FALSE(Utf8ToAnsi(input, out, &bad)) << input;
    EXPECT_EQ(bad, badIndex) << input;
    EXPECT_EQ(out, "unchanged");
  }
  std::string out;
  EXPECT_FALSE(Utf8ToAnsi("\xE2\x9C\x93", out));  // badIndex is optional
}

}  // namespace
