#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../platform/expect_message.h"
#include "filterexpr/mask.h"

using namespace notarra;

namespace {

bool Like(std::string_view text, std::string_view pattern) { return TVelaMask(pattern).Matches(text); }

// An independent statement of the pattern language: "*"/"%" any run, "?"/"_"
// any one character (dropped right after a star run), anything else itself.
bool Reference(std::string_view t, std::string_view p, bool afterStar = false) {
  if (p.empty()) return t.empty();
  if (p[0] == '*' || p[0] == '%') {
    for (std::size_t skip = 0; skip <= t.size(); ++skip)
      if (Reference(t.substr(skip), p.substr(1), true)) return true;
    return false;
  }
  if (p[0] == '?' || p[0] == '_') {
    if (afterStar) return Reference(t, p.substr(1), true);
    return !t.empty() && Reference(t.substr(1), p.substr(1));
  }
  return !t.empty() && t[0] == p[0] && Reference(t.substr(1), p.substr(1));
}

TEST(TVelaMask, Wildcards) {
  for (const char* pattern : {"blog%", "%POST", "%o%", "b_og%", "*", "%", "blog post", "B?OG*", "*g p*", "*t"})
    EXPECT_TRUE(Like("Blog post", pattern)) << pattern;
  for (const char* pattern : {"blog", "blog post_", "%x%", "post%", "blog post?", "_", "*blog"})
    EXPECT_FALSE(Like("Blog post", pattern)) << pattern;
}

TEST(TVelaMask, EmptyPatternAndText) {
  EXPECT_TRUE(Like("", "%"));
  EXPECT_TRUE(Like("", "**"));
  EXPECT_TRUE(Like("", ""));
  EXPECT_FALSE(Like("", "_"));
  EXPECT_FALSE(Like("", "a"));
  EXPECT_FALSE(Like("a", ""));
  EXPECT_FALSE(Like("a", "a_"));
}

TEST(TVelaMask, OneCharacterWildcardAfterAStarIsDropped) {
  EXPECT_TRUE(Like("abc", "a*?"));
  EXPECT_TRUE(Like("a", "a*?"));
  EXPECT_TRUE(Like("a", "a%__"));
  EXPECT_TRUE(Like("ab", "a?%"));
  EXPECT_FALSE(Like("a", "a?%"));
  TVelaMask mask("a*?");
  ASSERT_EQ(mask.Count(), 2);
  EXPECT_EQ(mask.Items()[0].Ch, 'A');
  EXPECT_FALSE(mask.Items()[0].StarBefore);
  EXPECT_TRUE(mask.Items()[1].StarBefore);  // the terminator carries the star
  EXPECT_EQ(mask.Items()[1].Ch, 0);
}

TEST(TVelaMask, NoEscapesOrSets) {
  EXPECT_TRUE(Like("a[b]c", "a[b]c"));
  EXPECT_FALSE(Like("abc", "a[b]c"));
  EXPECT_TRUE(Like("a-z\\", "a-z\\"));
  EXPECT_FALSE(Like("a*", "a\\*"));
  EXPECT_TRUE(Like("a\\xyz", "a\\*"));
}

TEST(TVelaMask, BacktracksOverRepeatedLetters) {
  EXPECT_TRUE(Like("aaab", "*ab"));
  EXPECT_TRUE(Like("abcabcabd", "*abc*abd"));
  EXPECT_FALSE(Like("abcabcab", "*abc*abd"));
  EXPECT_TRUE(Like("mississippi", "m*iss*ppi"));
  EXPECT_TRUE(Like("mississippi", "*s_i*i"));
  EXPECT_FALSE(Like("mississippi", "*sis*ss*"));
}

TEST(TVelaMask, AgreesWithTheReferenceOnEveryShortCase) {
  // Every pattern over {a, b, *, ?, _} up to 5 characters against every text over {a, b} up to 5.
  const std::string patternAlphabet = "ab*?_";
  std::vector<std::string> patterns{""}, texts{""};
  for (std::size_t i = 0; i < patterns.size(); ++i)
    if (patterns[i].size() < 5)
      for (char c : patternAlphabet) patterns.push_back(patterns[i] + c);
  for (std::size_t i = 0; i < texts.size(); ++i)
    if (texts[i].size() < 5)
      for (char c : std::string("ab")) texts.push_back(texts[i] + c);
  int mismatches = 0;
  for (const std::string& p : patterns) {
    TVelaMask mask(p);
    for (const std::string& t : texts) {
      if (mask.Matches(t) != Reference(t, p)) {
        if (++mismatches < 10) ADD_FAILURE() << "pattern \"" << p << "\" text \"" << t << "\"";
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(TVelaMask, IgnoresCaseIncludingAccents) {
  EXPECT_TRUE(Like("CAF\xC9", "caf\xE9"));       // CAFÉ / café
  EXPECT_TRUE(Like("caf\xE9", "%\xC9"));
  EXPECT_TRUE(Like("\xF6l", "\xD6L"));           // öl / ÖL
  EXPECT_TRUE(Like("\xFF", "\x9F"));             // ÿ / Ÿ
  EXPECT_TRUE(Like("\x9A", "\x8A"));             // š / Š
  EXPECT_FALSE(Like("cafe", "caf\xE9"));         // accents still count
  EXPECT_TRUE(Like("stra\xDF" "e", "STRA\xDF" "E"));  // ß has no upper-case partner
}

TEST(TVelaMask, CaseSensitiveOnRequest) {
  TVelaMask mask("caf\xE9%", /*caseSensitive=*/true);
  EXPECT_TRUE(mask.CaseSensitive());
  EXPECT_TRUE(mask.Matches("caf\xE9 au lait"));
  EXPECT_FALSE(mask.Matches("CAF\xC9"));
  EXPECT_FALSE(mask.Matches("Caf\xE9"));
  EXPECT_EQ(mask.Items()[0].Ch, 'c');
  EXPECT_FALSE(TVelaMask("*B", true).Matches("ab"));
  EXPECT_TRUE(TVelaMask("*b", true).Matches("aBb"));
}

TEST(TVelaMask, NulEndsPatternAndText) {
  EXPECT_TRUE(Like(std::string_view("ab\0cd", 5), "ab"));
  EXPECT_FALSE(Like(std::string_view("ab\0cd", 5), "ab_cd"));
  EXPECT_TRUE(Like("ab", std::string_view("ab\0x", 4)));
  EXPECT_EQ(TVelaMask(std::string_view("ab\0x", 4)).Count(), 3);
}

TEST(TVelaMask, AtMostThirtyStarRuns) {
  std::string thirty, thirtyOne, trailing;
  for (int i = 0; i < 30; ++i) thirty += "*a";
  thirtyOne = thirty + "*a";
  for (int i = 0; i < 31; ++i) trailing += "a*";
  EXPECT_NO_THROW(TVelaMask{thirty});
  EXPECT_TRUE(TVelaMask(thirty).Matches(std::string(30, 'a')));
  EXPECT_TRUE(TVelaMask(thirty).Matches(std::string(40, 'A')));
  EXPECT_FALSE(TVelaMask(thirty).Matches(std::string(29, 'a')));
  ExpectMessage<Exception>([&] { TVelaMask{thirtyOne}; }, "'" + thirtyOne + "' is an invalid mask at (62)");
  ExpectMessage<Exception>([&] { TVelaMask{trailing}; }, "'" + trailing + "' is an invalid mask at (63)");
  // A run of several stars counts once; dropped "?" do not end a run.
  std::string runs;
  for (int i = 0; i < 30; ++i) runs += "*%?_*b";
  EXPECT_NO_THROW(TVelaMask{runs});
  // Not a database error: the mask raises the base exception class.
  try {
    TVelaMask{thirtyOne};
  } catch (const EDatabaseError&) {
    ADD_FAILURE() << "raised as a database error";
  } catch (const Exception&) {
  }
}

TEST(TVelaMask, ManyStarsOnALongTextFinishQuickly) {
  // Without care for backtracking this would try an astronomic number of splits.
  std::string pattern;
  for (int i = 0; i < 29; ++i) pattern += "*a";
  pattern += "*b";
  EXPECT_FALSE(TVelaMask(pattern).Matches(std::string(200, 'a')));
  EXPECT_TRUE(TVelaMask(pattern).Matches(std::string(200, 'a') + "b"));
}

}  // namespace
