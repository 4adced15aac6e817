// Large sorts compare cached key prefixes before the records themselves. Any
// disagreement between the two would leave neighbours out of order, so these
// tests sort lists big enough to take that path and check every adjacent pair
// with the plain field-by-field comparison.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "table_bytes.h"

using namespace notarra;

using namespace tt;

namespace {

class KeyedSort : public ::testing::TestWithParam<std::tuple<bool, bool>> {
protected:
  void SetUp() override {
    c.AddField("Group", TVelaFieldKind::SmallStr, 20);
    c.AddField("Subject", TVelaFieldKind::String, 256);
    c.AddField("Amount", TVelaFieldKind::Double);
    c.AddField("Flag", TVelaFieldKind::Boolean);
    c.AddField("Day", TVelaFieldKind::Date);
    c.AddField("Code", TVelaFieldKind::SmallStr, 5);
  }

  // Short texts from a small alphabet, so that many keys share prefixes or tie,
  // with upper case, accents, a ligature, control bytes and empty values.
  std::string RandomText(std::mt19937& rng, int maxLength) {
    static const std::string alphabet = std::string("aAbBeE") + "\xE9\xC9\xE6" + "\x01\x02 -9";
    std::uniform_int_distribution<int> len(0, maxLength), pick(0, static_cast<int>(alphabet.size()) - 1);
    std::string s;
    for (int i = len(rng); i > 0; --i) s += alphabet[pick(rng)];
    return s;
  }

  void Fill(int count, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> small(0, 3);
    for (int i = 0; i < count; ++i) {
      Area a(c);
      a.text("Group", RandomText(rng, 3)).text("Subject", RandomText(rng, 30)).text("Code", RandomText(rng, 5));
      double amounts[] = {0.0, -0.0, -1.5, 2.25};
      a.set<double>("Amount", amounts[small(rng)]);
      a.set<int16_t>("Flag", small(rng) == 0 ? int16_t(-1) : int16_t(0));
      a.set<int32_t>("Day", 730000 + small(rng) - 1);
      std::string error;
      ASSERT_TRUE(c.WriteRecord(a, nullptr, error)) << error;
    }
  }

  int Compare(const TVelaRecord* a, const TVelaRecord* b, const TVelaFieldList& fields, bool ci, bool desc) {
    for (const TVelaField* f : fields) {
      int r = c.CompareValues(a->Data, b->Data, *f, ci);
      if (r != 0) return desc ? -r : r;
    }
    return 0;
  }

  void ExpectSorted(const char* names) {
    auto [ci, desc] = GetParam();
    TVelaFieldList fields = c.ResolveFieldList(names);
    TVelaRecordList list(c.Records().begin(), c.Records().end());
    c.SortRecords(list, fields, ci, desc);
    ASSERT_EQ(list.size(), c.Records().size());
    for (std::size_t i = 1; i < list.size(); ++i)
      ASSERT_LE(Compare(list[i - 1], list[i], fields, ci, desc), 0)
          << names << " out of order at " << i << ": \"" << Str(c, list[i - 1]->Data, "Subject") << "\" / \""
          << Str(c, list[i]->Data, "Subject") << "\"";
  }

  TVelaCursor c;
};

TEST_P(KeyedSort, TextFieldsInTurn) {
  Fill(4000, 1);
  ExpectSorted("Group;Subject");
  ExpectSorted("Subject;Group");
}

TEST_P(KeyedSort, MixedKinds) {
  Fill(4000, 2);
  ExpectSorted("Flag;Amount;Group;Day");
  ExpectSorted("Day;Code;Subject");
}

TEST_P(KeyedSort, RightAlignedTexts) {
  Fill(3000, 3);
  c.SetFieldRightAligned(c.FindField("Code"), true);
  ExpectSorted("Code;Subject");
}

INSTANTIATE_TEST_SUITE_P(CaseAndDirection, KeyedSort,
                         ::testing::Combine(::testing::Bool(), ::testing::Bool()),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param) ? "CaseInsensitive" : "CaseSensitive") +
                                  (std::get<1>(info.param) ? "Descending" : "Ascending");
                         });

}  // namespace
