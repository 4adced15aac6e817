// Criteria against a real table: every match type on each kind of field,
// operator and null words, non-matching criteria, ranges with their bounds,
// padding, tolerance and the whole end day, and the accept event.
#include <gtest/gtest.h>

#include "filter_table.h"
#include "platform/exceptions.h"

using namespace notarra;

namespace {

using namespace ft;
using Names = std::set<std::string>;

class Criteria : public FilterTable {
protected:
  void SetUp() override {
    FilterTable::SetUp();
    AddRows({
        {"Redwood", 7, 2.99995, D(2000, 1, 1), T(9, 30, 0), D(2000, 1, 15), true},
        {"BLUE", 12, 3.5, D(2000, 1, 31), T(23, 59, 59), D(2000, 1, 15) + T(23, 59, 59), false},
        {"Ablue", -3, 10.0, {}, {}, D(2000, 1, 16), true},
        {"", {}, {}, D(1999, 12, 31), T(12, 0, 0), {}, {}},
        {"cobalt", 0, 0.5, D(2005, 6, 15), T(0, 0, 1), D(2000, 1, 14) + T(12, 0, 0), false},
        {"Cyan", 100, 2.9998, D(2000, 1, 2), T(18, 0, 0), D(2000, 2, 1), true},
        {"apple", 1234, -1.25, D(1899, 12, 30), T(9, 30, 0), D(2000, 1, 15) + T(8, 0, 0), false},
        {"dog", 70, 3.0, D(2010, 1, 1), {}, D(2001, 1, 1), false},
        {"say a or b now", {}, {}, {}, {}, {}, {}},
        {"b and c", {}, {}, {}, {}, {}, {}},
    });
  }
};

TEST_F(Criteria, NoCriteriaAcceptEverything) {
  EXPECT_EQ(Apply().size(), 10u);
}

TEST_F(Criteria, StartMatchWithOrWordOnStrings) {
  Criterion("Name", fdMatchStart, "red or blue");
  EXPECT_EQ(Apply(), (Names{"Redwood", "BLUE"}));
  dialog.FieldInfo().back()->NonMatching = true;
  EXPECT_EQ(Apply(), (Names{"Ablue", "", "cobalt", "Cyan", "apple", "dog", "say a or b now", "b and c"}));
  dialog.FieldInfo().back()->NonMatching = false;
  dialog.FieldInfo().back()->CaseSensitive = true;
  EXPECT_EQ(Apply(), Names{});
  dialog.FieldInfo().back()->FilterValue = "Red or BLUE";
  EXPECT_EQ(Apply(), (Names{"Redwood", "BLUE"}));
}

TEST_F(Criteria, AnyEndAndExactOnStrings) {
  Criterion("Name", fdMatchAny, "blue");
  EXPECT_EQ(Only(), (Names{"BLUE", "Ablue"}));
  Criterion("Name", fdMatchEnd, "UE");
  EXPECT_EQ(Only(), (Names{"BLUE", "Ablue"}));
  Criterion("Name", fdMatchEnd, "o");  // "cobalt" has an "o" that does not end it
  EXPECT_EQ(Only(), Names{});
  Criterion("Name", fdMatchExact, "blue");
  EXPECT_EQ(Only(), (Names{"BLUE"}));
  // Every sub-value must match with the and-word.
  Criterion("Name", fdMatchAny, "b and l");
  EXPECT_EQ(Only(), (Names{"BLUE", "Ablue", "cobalt"}));
}

TEST_F(Criteria, QuotedPhrasesAndMixedOperators) {
  Criterion("Name", fdMatchAny, "\"a or b\"");
  EXPECT_EQ(Only(), (Names{"say a or b now"}));
  Criterion("Name", fdMatchAny, "dog or \"b and c\"");
  EXPECT_EQ(Only(), (Names{"dog", "b and c"}));
  // Only the first operator word counts: "a" or "b and c".
  Criterion("Name", fdMatchExact, "apple or b and c");
  EXPECT_EQ(Only(), (Names{"apple", "b and c"}));
  // An operator word in first place is an ordinary word.
  Criterion("Name", fdMatchStart, "or x");
  EXPECT_EQ(Only(), Names{});
}

TEST_F(Criteria, NullWord) {
  Criterion("Name", fdMatchStart, "null");
  EXPECT_EQ(Only(), (Names{""}));
  Criterion("Name", fdMatchStart, "NULL or dog");
  EXPECT_EQ(Only(), (Names{"", "dog"}));
  Criterion("Name", fdMatchExact, "null");
  dialog.FieldInfo().back()->NonMatching = true;
  EXPECT_EQ(Only().size(), 9u);
  // Null dates read as empty text.
  Criterion("Day", fdMatchAny, "null");
  EXPECT_EQ(Only(), (Names{"Ablue", "say a or b now", "b and c"}));
}

TEST_F(Criteria, NumbersBooleansAndDatesByValue) {
  Criterion("Count", fdMatchExact, "7 or 0012");
  EXPECT_EQ(Only(), (Names{"Redwood", "BLUE"}));
  // A null number reads as 0.
  Criterion("Count", fdMatchExact, "0");
  EXPECT_EQ(Only(), (Names{"", "cobalt", "say a or b now", "b and c"}));
  Criterion("Count", fdMatchStart, "7");
  EXPECT_EQ(Only(), (Names{"Redwood", "dog"}));
  Criterion("Count", fdMatchEnd, "34");
  EXPECT_EQ(Only(), (Names{"apple"}));
  Criterion("Amount", fdMatchExact, "3.50");
  EXPECT_EQ(Only(), (Names{"BLUE"}));
  Criterion("Flag", fdMatchExact, "true");
  EXPECT_EQ(Only(), (Names{"Redwood", "Ablue", "Cyan"}));
  Criterion("Flag", fdMatchStart, "F");
  EXPECT_EQ(Only().size(), 7u);  // a null Boolean reads "False"
  Criterion("Day", fdMatchExact, "01/31/2000");
  EXPECT_EQ(Only(), (Names{"BLUE"}));
  Criterion("Day", fdMatchStart, "1/");
  EXPECT_EQ(Only(), (Names{"Redwood", "BLUE", "Cyan", "dog"}));
  Criterion("At", fdMatchExact, "9:30 AM");
  EXPECT_EQ(Only(), (Names{"Redwood", "apple"}));
  Criterion("At", fdMatchAny, "pm");
  EXPECT_EQ(Only(), (Names{"BLUE", "", "Cyan"}));
  // Midnight is left out of a date and time.
  Criterion("Stamp", fdMatchExact, "1/15/2000");
  EXPECT_EQ(Only(), (Names{"Redwood"}));
  Criterion("Stamp", fdMatchEnd, "11:59:59 PM");
  EXPECT_EQ(Only(), (Names{"BLUE"}));
}

TEST_F(Criteria, CriteriaOnSeveralFieldsAreAllRequired) {
  Criterion("Name", fdMatchAny, "o or p");
  Criterion("Flag", fdMatchExact, "False");
  Range("Count", "1", "");
  EXPECT_EQ(Apply(), (Names{"apple", "dog"}));
}

TEST_F(Criteria, IntegerAndFloatRanges) {
  Range("Count", "0", "12");
  EXPECT_EQ(Only(), (Names{"Redwood", "BLUE", "", "cobalt", "say a or b now", "b and c"}));
  Range("Count", "", "-1");
  EXPECT_EQ(Only(), (Names{"Ablue"}));
  Range("Key", "9", "");
  EXPECT_EQ(Only(), (Names{"say a or b now", "b and c"}));
  Range("Amount", "3", "");
  EXPECT_EQ(Only(), (Names{"Redwood", "BLUE", "Ablue", "dog"}));  // 2.99995 within Epsilon
  dialog.Rounding().SetEpsilon(0.0);
  Range("Amount", "3", "3");
  EXPECT_EQ(Only(), (Names{"dog"}));
  dialog.Rounding().SetEpsilon(0.001);
  Range("Amount", "", "2.999");
  EXPECT_EQ(Only(), (Names{"", "cobalt", "Cyan", "apple", "say a or b now", "b and c", "Redwood", "dog"}));
  // Range criteria ignore the value, NonMatching and the operator words.
  TsfFieldInfo& r = Range("Count", "100", "100");
  r.FilterValue = "1 or 2";
  r.NonMatching = true;
  EXPECT_EQ(Only(), (Names{"Cyan"}));
}

TEST_F(Criteria, StringRangesArePaddedAndCompareByCode) {
  Range("Name", "b", "c");
  EXPECT_EQ(Only(), (Names{"BLUE", "b and c", "cobalt", "Cyan"}));
  Range("Name", "b", "c").CaseSensitive = true;
  EXPECT_EQ(Only(), (Names{"b and c", "cobalt"}));  // "Cyan" sorts before "b" by code
  dialog.SetUpperRangePadChar(0);
  Range("Name", "b", "c");
  EXPECT_EQ(Only(), (Names{"BLUE", "b and c"}));
  dialog.SetUpperRangePadChar('z');
  Range("Name", "", "A");
  EXPECT_EQ(Only(), (Names{"", "Ablue", "apple"}));
}

TEST_F(Criteria, DateTimeAndDateTimeRanges) {
  Range("Day", "1/1/2000", "1/31/2000");
  EXPECT_EQ(Only(), (Names{"Redwood", "BLUE", "Cyan"}));
  // Null dates count as 30 December 1899.
  Range("Day", "12/31/1899", "");
  EXPECT_EQ(Only(), (Names{"Redwood", "BLUE", "", "cobalt", "Cyan", "dog"}));
  Range("Day", "", "12/30/1899");
  EXPECT_EQ(Only(), (Names{"Ablue", "apple", "say a or b now", "b and c"}));
  Range("At", "9:30:00 AM", "6:00 PM");
  EXPECT_EQ(Only(), (Names{"Redwood", "", "Cyan", "apple"}));
  // An upper bound without a time takes in the whole day.
  Range("Stamp", "1/15/2000", "1/15/2000");
  EXPECT_EQ(Only(), (Names{"Redwood", "BLUE", "apple"}));
  // With a time it is exact.
  Range("Stamp", "1/14/2000 12:00:00 PM", "1/15/2000 8:00:00 AM");
  EXPECT_EQ(Only(), (Names{"Redwood", "cobalt", "apple"}));
}

TEST_F(Criteria, WholeDayRuleWhenSeparatorsAreEqual) {
  FormatSettings().DateSeparator = '.';
  FormatSettings().TimeSeparator = '.';
  FormatSettings().ShortDateFormat = "d.M.yyyy";
  FormatSettings().LongTimeFormat = "h.mm.ss";
  Range("Stamp", "", "15.1.2000");
  EXPECT_EQ(Only(), (Names{"Redwood", "BLUE", "cobalt", "apple", "", "say a or b now", "b and c"}));
  Range("Stamp", "", "15.1.2000 8.00.00");
  EXPECT_EQ(Only(), (Names{"Redwood", "cobalt", "apple", "", "say a or b now", "b and c"}));
}

TEST_F(Criteria, RangesOnBooleansAcceptEverything) {
  Range("Flag", "True", "True");
  EXPECT_EQ(Only().size(), 10u);
}

TEST_F(Criteria, MemoFields) {
  table.memos = {{"Redwood", "Tall {\\b red} trees"}, {"BLUE", "blue sky"}, {"dog", "BLUE SKY"}, {"cobalt", ""}};
  Criterion("Notes", fdMatchStart, "blue");
  EXPECT_EQ(Only(), (Names{"BLUE", "dog"}));
  Criterion("Notes", fdMatchStart, "blue").CaseSensitive = true;
  EXPECT_EQ(Only(), (Names{"BLUE"}));
  // Markup is searched as stored.
  Criterion("Notes", fdMatchAny, "\\B RED or nothing");
  EXPECT_EQ(Only(), (Names{"Redwood"}));
  Criterion("Notes", fdMatchAny, "sky and blue");
  EXPECT_EQ(Only(), (Names{"BLUE", "dog"}));
  Criterion("Notes", fdMatchExact, "blue sky");
  EXPECT_EQ(Only(), (Names{"BLUE", "dog"}));
  Criterion("Notes", fdMatchExact, "blue");
  EXPECT_EQ(Only(), Names{});
  Criterion("Notes", fdMatchStart, "null");
  EXPECT_EQ(Only().size(), 7u);  // every record without memo text
  Criterion("Notes", fdMatchStart, "blue").NonMatching = true;
  EXPECT_EQ(Only().size(), 8u);
  // No end or range test on memos: they accept everything.
  Criterion("Notes", fdMatchEnd, "zzz");
  EXPECT_EQ(Only().size(), 10u);
  Range("Notes", "x", "y");
  EXPECT_EQ(Only().size(), 10u);
}

TEST_F(Criteria, AcceptEventDecidesFirst) {
  Criterion("Name", fdMatchStart, "dog");
  int calls = 0;
  dialog.OnAcceptFilterRecord = [&](TObject* sender, TDataSet* dataSet, bool& accept, bool& defaultFiltering) {
    EXPECT_EQ(sender, &dialog);
    EXPECT_EQ(dataSet, &table);
    ++calls;
    const int count = dataSet->FieldByName("Count")->AsInteger();
    if (count > 50) defaultFiltering = false;  // let the criteria go
    if (count == 1234) accept = false;
  };
  EXPECT_EQ(Apply(), (Names{"Cyan", "dog"}));
  EXPECT_GE(calls, 10);
  // A refusal with default filtering still on is final.
  dialog.OnAcceptFilterRecord = [](TObject*, TDataSet* dataSet, bool& accept, bool&) {
    accept = dataSet->FieldByName("Name")->AsString() != "dog";
  };
  EXPECT_EQ(Apply(), Names{});
}

TEST_F(Criteria, ConversionErrorsPropagateAndLeaveTheTableUnfiltered) {
  Criterion("At", fdMatchExact, "noon");
  EXPECT_THROW(dialog.ApplyFilter(), EConvertError);
  EXPECT_FALSE(table.Filtered());
  EXPECT_FALSE(table.OnFilterRecord);
  EXPECT_TRUE(dialog.ShowDialog());
  EXPECT_EQ(Visible().size(), 10u);
  EXPECT_EQ(table.RecordCount(), 10);
  // A later good apply works.
  dialog.ClearFilter();
  Criterion("Name", fdMatchExact, "dog");
  EXPECT_EQ(Apply(), (Names{"dog"}));
}

TEST_F(Criteria, MissingFieldRejectsEveryRecordEvenWhenNonMatching) {
  Criterion("Gone", fdMatchStart, "x").NonMatching = true;
  EXPECT_EQ(Apply(), Names{});
  // The display name finds the field when the field name does not.
  dialog.ClearFilter();
  TsfFieldInfo& info = Criterion("Renamed", fdMatchExact, "dog");
  info.DisplayName = "NAME";
  EXPECT_EQ(Apply(), (Names{"dog"}));
  EXPECT_EQ(info.FieldName, "Name");
  // The record under test is the dataset's current one.
  table.First();
  EXPECT_TRUE(dialog.DummyForm().MatchCriterion(0));
  EXPECT_FALSE(dialog.DummyForm().MatchCriterion(1));
}

}  // namespace
