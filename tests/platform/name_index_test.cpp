#include "platform/name_index.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace notarra;

namespace {

TEST(NameIndex, MatchesExactlyTheNamesAnsiSameTextMatches) {
  // Every byte as a one-character name, in order: each lookup must find the
  // first of them that AnsiSameText calls the same, accented letters included.
  std::vector<std::string> names;
  for (int c = 0; c < 256; ++c) names.emplace_back(1, static_cast<char>(c));
  TNameIndex<const std::string> index;
  for (const std::string& n : names) index.Add(n, &n);
  for (int b = 0; b < 256; ++b) {
    const std::string probe(1, static_cast<char>(b));
    const std::string* first = nullptr;
    for (const std::string& n : names)
      if (AnsiSameText(n, probe)) {
        first = &n;
        break;
      }
    EXPECT_EQ(index.Find(probe), first) << "byte " << b;
  }
  // Letters that only look alike stay apart.
  EXPECT_NE(index.Find("e"), index.Find("\xE9"));
}

TEST(NameIndex, TheFirstOfSeveralSameNamesWins) {
  const int a = 1, b = 2, c = 3;
  TNameIndex<const int> index;
  index.Add("Caf\xE9", &a);
  index.Add("CAF\xC9", &b);
  index.Add("Cafe", &c);
  EXPECT_EQ(index.Find("cAF\xE9"), &a);
  EXPECT_EQ(index.Find("CAFE"), &c);
  EXPECT_EQ(index.Find("Caf"), nullptr);
  EXPECT_EQ(index.Size(), 2u);
  index.Clear();
  EXPECT_EQ(index.Find("Cafe"), nullptr);
}

TEST(NameIndex, EqualNamesHashEqually) {
  const TAnsiTextHash hash;
  EXPECT_EQ(hash("Subject \xC0\xD6"), hash("sUBJECT \xE0\xF6"));
  EXPECT_EQ(hash(""), hash(std::string()));
}

}  // namespace
