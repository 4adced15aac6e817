#include "platform/text.h"

#include <gtest/gtest.h>

#include <string>

using namespace notarra;

namespace {

TEST(Text, TrimTakesBlanksAndTabsFromBothEndsOnly) {
  EXPECT_EQ(Trim(" \t a b \t "), "a b");
  EXPECT_EQ(Trim("a\t\tb"), "a\t\tb");
  EXPECT_EQ(Trim(" \t \t"), "");
  EXPECT_EQ(Trim(""), "");
  // Line breaks and other control characters are text, not blanks.
  EXPECT_EQ(Trim("\nx\r"), "\nx\r");
  EXPECT_EQ(Trim(" \x01 "), "\x01");
  // A view into the argument, not a copy.
  const std::string s = "  kept  ";
  EXPECT_EQ(Trim(s).data(), s.data() + 2);
}

TEST(Text, AsciiCaseFoldsOnlyAsciiLetters) {
  EXPECT_TRUE(AsciiSameText("True", "tRUE"));
  EXPECT_TRUE(AsciiSameText("", ""));
  EXPECT_FALSE(AsciiSameText("true", "tru"));
  EXPECT_FALSE(AsciiSameText("true", "trUe "));
  // The neighbours of the letter ranges stay themselves: '@' is 'A' - 1,
  // '`' is 'a' - 1, '[' is 'Z' + 1 and '{' is 'z' + 1.
  EXPECT_FALSE(AsciiSameText("@", "`"));
  EXPECT_FALSE(AsciiSameText("[", "{"));
  // Windows-1252 letters with accents are not folded: "\xC9" is É, "\xE9" é.
  EXPECT_FALSE(AsciiSameText("\xC9", "\xE9"));
  EXPECT_EQ(AsciiUpperCase("select \xE9t\xE9 [z]"), "SELECT \xE9T\xE9 [Z]");
  EXPECT_EQ(AsciiLowerCase("NOTARRA.CHM \xC9@"), "notarra.chm \xC9@");
}

TEST(Text, CharacterClasses) {
  for (int c = 0; c < 256; ++c) {
    const char ch = static_cast<char>(c);
    EXPECT_EQ(IsAsciiDigit(ch), c >= '0' && c <= '9') << c;
    EXPECT_EQ(IsAsciiLetter(ch), (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) << c;
    EXPECT_EQ(IsBlankOrTab(ch), c == ' ' || c == '\t') << c;
  }
  const std::string hex = "0123456789abcdef";
  for (int v = 0; v < 16; ++v) {
    EXPECT_EQ(HexDigitValue(hex[v]), v);
    EXPECT_EQ(HexDigitValue(AsciiUpper(hex[v])), v);
  }
  for (char c : std::string("gG/:@`x \xB9")) EXPECT_EQ(HexDigitValue(c), -1) << c;
}

TEST(Text, SplitHintAtTheFirstBar) {
  auto split = [](std::string_view hint) {
    const THintParts parts = SplitHint(hint);
    return std::string(parts.Short) + "#" + std::string(parts.Long);
  };
  EXPECT_EQ(split("Save|Save the active document"), "Save#Save the active document");
  // Without a bar both are the whole hint.
  EXPECT_EQ(split("Set Filter"), "Set Filter#Set Filter");
  EXPECT_EQ(split(""), "#");
  // The long text keeps any later bar.
  EXPECT_EQ(split("a|b|c"), "a#b|c");
  EXPECT_EQ(split("|only long"), "#only long");
  EXPECT_EQ(split("only short|"), "only short#");
}

}  // namespace
