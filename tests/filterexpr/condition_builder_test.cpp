#include <gtest/gtest.h>

#include <string>

#include "../platform/expect_message.h"
#include "filterexpr/parser.h"

using namespace notarra;

namespace {

const char* const kComparisonError = "Error in comparison expression";

// One parser, tokenize, build from index 0; also reports BuildConditions' result.
TVelaCFieldList Parse(std::string_view text, int* result = nullptr) {
  TVelaParser parser;
  parser.Tokenize(text);
  TVelaCFieldList list;
  int r = parser.BuildConditions(list, 0);
  if (result) *result = r;
  return list;
}

void ExpectParseError(std::string_view text, const std::string& message) {
  SCOPED_TRACE(std::string(text));
  ExpectMessage<EDatabaseError>([&] { Parse(text); }, message);
}

TEST(BuildConditions, OneComparison) {
  int result = -1;
  TVelaCFieldList list = Parse("Subject = 'abc'", &result);
  EXPECT_EQ(result, 0);
  ASSERT_EQ(list.size(), 1u);
  const TVelaCField& c = list[0];
  EXPECT_EQ(c.LeftQualifier, "");
  EXPECT_EQ(c.LeftName, "Subject");
  EXPECT_EQ(c.LeftKind, vtkIdent);
  EXPECT_EQ(c.CompareOp, coEqual);
  EXPECT_EQ(c.RightQualifier, "");
  EXPECT_EQ(c.RightText, "abc");
  EXPECT_EQ(c.RightKind, vtkString);
  // Left for the dataset to fill.
  EXPECT_EQ(c.Literal, "");
  EXPECT_EQ(c.Mask, nullptr);
  EXPECT_EQ(c.LeftFieldIndex, -1);
  EXPECT_EQ(c.RightFieldIndex, -1);
}

TEST(BuildConditions, EveryOperator) {
  const std::pair<const char*, TVelaCompareOp> cases[] = {
      {"a = b", coEqual},       {"a > b", coGreater},     {"a < b", coLess},     {"a >= b", coGreaterEqual},
      {"a <= b", coLessEqual},  {"a <> b", coNotEqual},   {"a like b", coLike}, {"a *= b", coStarEqual}};
  for (const auto& [text, op] : cases) {
    TVelaCFieldList list = Parse(text);
    ASSERT_EQ(list.size(), 1u) << text;
    EXPECT_EQ(list[0].CompareOp, op) << text;
  }
}

TEST(BuildConditions, RightOperandKinds) {
  TVelaCFieldList list = Parse("a = b and c = 'd' and e = 12 and f = null and g = True and h = false");
  ASSERT_EQ(list.size(), 6u);
  const std::pair<const char*, TVelaTokenKind> expected[] = {{"b", vtkIdent},    {"d", vtkString},
                                                             {"12", vtkNumber},  {"NULL", vtkNull},
                                                             {"TRUE", vtkTrue},  {"FALSE", vtkFalse}};
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(list[i].RightText, expected[i].first);
    EXPECT_EQ(list[i].RightKind, expected[i].second);
  }
}

TEST(BuildConditions, ConditionsJoinedByAndInAnyCase) {
  TVelaCFieldList list = Parse("subject like 'blog%' and Flag = true");
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].LeftName, "subject");
  EXPECT_EQ(list[0].CompareOp, coLike);
  EXPECT_EQ(list[0].RightText, "blog%");
  EXPECT_EQ(list[1].LeftName, "Flag");
  EXPECT_EQ(list[1].RightText, "TRUE");
  EXPECT_EQ(list[1].RightKind, vtkTrue);
  // The conjunction is recognised by its text, so a quoted AND joins too.
  EXPECT_EQ(Parse("a = 1 'AND' b = 2").size(), 2u);
  ExpectParseError("a = 1 'and' b = 2", kComparisonError);
}

TEST(BuildConditions, Qualifiers) {
  TVelaCFieldList list = Parse("T.Subject = U.Title and x = y");
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].LeftQualifier, "T");
  EXPECT_EQ(list[0].LeftName, "Subject");
  EXPECT_EQ(list[0].RightQualifier, "U");
  EXPECT_EQ(list[0].RightText, "Title");
  EXPECT_EQ(list[0].RightKind, vtkIdent);
  // Each condition starts afresh.
  EXPECT_EQ(list[1].LeftQualifier, "");
  EXPECT_EQ(list[1].RightQualifier, "");
  // A qualified quoted name.
  list = Parse("T.'Group' = U.'x'");
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].LeftQualifier, "T");
  EXPECT_EQ(list[0].LeftName, "Group");
  EXPECT_EQ(list[0].LeftKind, vtkString);
  EXPECT_EQ(list[0].RightQualifier, "U");
  EXPECT_EQ(list[0].RightKind, vtkString);
  ExpectParseError("a = b.c.d", kComparisonError);
  ExpectParseError("a = U.-5", kComparisonError);
}

TEST(BuildConditions, ReservedFieldNamesNeedQuotes) {
  ExpectParseError("Group = 'Work'", kComparisonError);
  TVelaCFieldList list = Parse("'Group' = 'Work'");
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].LeftName, "Group");
  EXPECT_EQ(list[0].LeftKind, vtkString);
}

TEST(BuildConditions, NegativeNumbers) {
  for (const char* text : {"Key > -5", "Key > - 5"}) {
    TVelaCFieldList list = Parse(text);
    ASSERT_EQ(list.size(), 1u) << text;
    EXPECT_EQ(list[0].RightText, "-5");
    EXPECT_EQ(list[0].RightKind, vtkNumber);
  }
  // The sign does not carry over to the next condition.
  TVelaCFieldList list = Parse("a = -1 and b = 2");
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[1].RightText, "2");
  for (const char* text : {"Key > +5", "Key > -x", "Key > -'5'", "Key > / 5", "Key > --5", "Key > -"})
    ExpectParseError(text, kComparisonError);
}

TEST(BuildConditions, DatesAreNumbersOnlyWithMinus) {
  TVelaCFieldList list = Parse("PubDate >= 2005-01-31");
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].RightText, "2005-01-31");
  EXPECT_EQ(list[0].RightKind, vtkNumber);
  ExpectParseError("PubDate >= 01/31/2005", kComparisonError);
}

TEST(BuildConditions, QuotesInValues) {
  for (const char* text : {"Title = 'it''s'", "Title = \"it's\""}) {
    TVelaCFieldList list = Parse(text);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].RightText, "it's");
  }
}

TEST(BuildConditions, UnsupportedGrammar) {
  for (const char* text : {"a = 1 or b = 2", "not a = 1", "(a = 1)", ")a = 1(", "a == 1", "1 = a", "a b = 1",
                           "a = 1 b = 2", "a = like", "a = *", "a = 1 and and b = 2", "a.b.c = 1", "a = 1 group",
                           "a = 1 group x", "count(x) = 1", "select a from t"})
    ExpectParseError(text, kComparisonError);
}

TEST(BuildConditions, LexicalErrorsComeFirst) {
  ExpectParseError("a = 1 or b = 'x", "Unmatched quote");
  ExpectParseError("(a = 1", "Unmatched parentheses");
  ExpectParseError("a != 1", "Invalid symbol in parameter/identificator/reserved word");
  ExpectParseError("a = 1 or $b = 2", "Parameter $b is not valid identifier");
}

TEST(BuildConditions, IncompleteTailIsDropped) {
  EXPECT_EQ(Parse("a = 1 and").size(), 1u);
  EXPECT_EQ(Parse("a = 1 and b").size(), 1u);
  EXPECT_EQ(Parse("a = 1 and T.").size(), 1u);
  EXPECT_TRUE(Parse("a =").empty());
  EXPECT_TRUE(Parse("   ").empty());
}

TEST(BuildConditions, GroupByEndsTheList) {
  int result = -1;
  TVelaCFieldList list = Parse("a = 1 group by x y", &result);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(result, 4);  // a, =, 1, GROUP, BY
  list = Parse("T.a = U.b and c < 2 GROUP BY count(d) ( )", &result);
  EXPECT_EQ(list.size(), 2u);
  EXPECT_EQ(result, 12);
}

TEST(BuildConditions, ConditionsBeforeAnErrorStay) {
  TVelaParser parser;
  parser.Tokenize("a = 1 and b = 2 or c = 3");
  TVelaCFieldList list;
  ExpectMessage<EDatabaseError>([&] { parser.BuildConditions(list, 0); }, kComparisonError);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[1].LeftName, "b");
}

TEST(BuildConditions, StartIndexAndAppending) {
  TVelaParser parser;
  parser.Tokenize("a = 1 and b = 2");
  TVelaCFieldList list;
  EXPECT_EQ(parser.BuildConditions(list, 4), 0);  // from "b"
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].LeftName, "b");
  // A second build appends to the caller's list.
  EXPECT_EQ(parser.BuildConditions(list, 0), 0);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[1].LeftName, "a");
  // Starting at the conjunction is an error; past the end there is nothing to read.
  ExpectMessage<EDatabaseError>([&] { parser.BuildConditions(list, 3); }, kComparisonError);
  EXPECT_EQ(parser.BuildConditions(list, 99), 0);
  EXPECT_EQ(list.size(), 3u);
}

TEST(BuildConditions, DecimalCommaIsAListSeparatorUnderAPoint) {
  ExpectParseError("x = 1,5", kComparisonError);
}

TEST(ParseFilter, WholeTextToConditions) {
  TVelaCFieldList list = ParseFilter("T.a like 'x%' and b = -2 group by c");
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].LeftQualifier, "T");
  EXPECT_EQ(list[0].CompareOp, coLike);
  EXPECT_EQ(list[1].RightText, "-2");
  EXPECT_TRUE(ParseFilter(" ").empty());
  ExpectMessage<EDatabaseError>([] { ParseFilter("a = 1 or b = 2"); }, kComparisonError);
  ExpectMessage<EDatabaseError>([] { ParseFilter("a = 'x"); }, "Unmatched quote");
}

TEST(CompareOpHolds, ByOperator) {
  struct Case {
    TVelaCompareOp op;
    bool less, equal, greater;
  };
  const Case cases[] = {{coEqual, false, true, false},       {coGreater, false, false, true},
                        {coLess, true, false, false},        {coGreaterEqual, false, true, true},
                        {coLessEqual, true, true, false},    {coNotEqual, true, false, true},
                        {coStarEqual, true, true, true},     {coLike, false, false, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(CompareOpHolds(c.op, -7), c.less) << int(c.op);
    EXPECT_EQ(CompareOpHolds(c.op, 0), c.equal) << int(c.op);
    EXPECT_EQ(CompareOpHolds(c.op, 3), c.greater) << int(c.op);
  }
}

}  // namespace
