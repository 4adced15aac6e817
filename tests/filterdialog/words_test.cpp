// Reading a criterion's value: words, quoted phrases, the operator word and
// the sub-values it separates; typed equality; the operator words' rules.
#include <gtest/gtest.h>

#include "filter_table.h"
#include "filterdialog/criteria_match.h"
#include "platform/exceptions.h"

using namespace notarra;

namespace {

using namespace ft;

std::vector<std::string> SubValues(const std::string& value, const TsfFieldOperators& ops = {}) {
  const TsfValueOperator op = FindValueOperator(value, ops);
  std::vector<std::string> subs;
  std::size_t position = 0;
  while (position != kSubValuesFinished) subs.push_back(NextSubValue(value, op.OperatorText, position));
  return subs;
}

TEST(FilterWords, QuotesBlanksAndDelimiters) {
  std::size_t p = 0;
  const std::string text = "  \"a or b\" next\tx+y \"open";
  EXPECT_EQ(NextWord(text, p, ""), "a or b");
  EXPECT_EQ(NextWord(text, p, ""), "next");
  EXPECT_EQ(NextWord(text, p, "+"), "x");
  EXPECT_EQ(NextWord(text, p, "+"), "+");
  EXPECT_EQ(NextWord(text, p, "+"), "y");
  EXPECT_EQ(NextWord(text, p, ""), "open");  // no closing quote: to the end
  EXPECT_EQ(NextWord(text, p, ""), "");
  p = 0;
  EXPECT_EQ(NextWord("\"it'", p, ""), "it");  // a closing single quote is dropped too
}

TEST(FilterWords, OperatorIsTheFirstOperatorWordAfterTheFirstWord) {
  TsfFieldOperators ops;
  TsfValueOperator op = FindValueOperator("red OR blue", ops);
  EXPECT_TRUE(op.IsOr);
  EXPECT_EQ(op.OperatorText, "or");
  op = FindValueOperator("a and b or c", ops);
  EXPECT_TRUE(op.IsAnd);
  EXPECT_FALSE(op.IsOr);
  op = FindValueOperator("or x", ops);
  EXPECT_FALSE(op.IsOr || op.IsAnd);
  op = FindValueOperator("\"a or b\"", ops);
  EXPECT_FALSE(op.IsOr || op.IsAnd);
  op = FindValueOperator("colour", ops);  // "or" inside a word is no operator
  EXPECT_FALSE(op.IsOr);
}

TEST(FilterWords, SubValues) {
  EXPECT_EQ(SubValues("a or b and c"), (std::vector<std::string>{"a", "b and c"}));
  EXPECT_EQ(SubValues("or x"), (std::vector<std::string>{"or x"}));
  EXPECT_EQ(SubValues("  big   red \"dog  house\" "), (std::vector<std::string>{"big red dog  house"}));
  EXPECT_EQ(SubValues("x or or y"), (std::vector<std::string>{"x", "or", "y"}));
  // A trailing operator leaves no empty sub-value behind.
  EXPECT_EQ(SubValues("x and "), (std::vector<std::string>{"x"}));
  // A line break separates words instead of ending the value.
  EXPECT_EQ(SubValues("x\nor y"), (std::vector<std::string>{"x", "y"}));
}

TEST(FilterWords, OneCharacterOperatorsNeedNoBlanks) {
  RecordingMessages messages;
  TMessageService* old = SetMessageService(&messages);
  TsfFieldOperators ops;
  ops.SetOrChar("|");
  ops.SetAndChar("&");
  EXPECT_EQ(SubValues("a|b|c", ops), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(SubValues("a&b", ops), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(messages.shown.empty());
  SetMessageService(old);
}

TEST(FilterWords, AssigningOperatorsTrimsAndWarnsWhenTwoAreEqual) {
  RecordingMessages messages;
  TMessageService* old = SetMessageService(&messages);
  TsfFieldOperators ops;
  ops.SetOrChar("  oder\t");
  EXPECT_EQ(ops.OrChar(), "oder");
  EXPECT_TRUE(messages.shown.empty());
  ops.SetAndChar("ODER");
  EXPECT_EQ(ops.AndChar(), "ODER");  // kept despite the warning
  EXPECT_EQ(messages.shown, (std::vector<std::string>{"W:Operators do not have a unique value."}));
  ops.SetNullChar("nix");  // unchanged clash is reported again on any assignment
  EXPECT_EQ(messages.shown.size(), 2u);
  SetMessageService(old);
}

TEST(FilterWords, TypedEquality) {
  TsfFieldOperators ops;
  EXPECT_TRUE(SameTypedValue("007", "7", ftInteger, ops));
  EXPECT_FALSE(SameTypedValue("007", "7", ftString, ops));
  EXPECT_TRUE(SameTypedValue("2.50", "2.5", ftFloat, ops));
  EXPECT_TRUE(SameTypedValue("01/02/2000", "1/2/2000", ftDate, ops));
  EXPECT_TRUE(SameTypedValue("1/2/2000 0:00:00", "1/2/2000", ftDateTime, ops));
  EXPECT_FALSE(SameTypedValue("TRUE", "True", ftBoolean, ops));
  EXPECT_FALSE(SameTypedValue("", "0", ftInteger, ops));
  EXPECT_FALSE(SameTypedValue("NULL", "0", ftInteger, ops));
  EXPECT_THROW(SameTypedValue("seven", "7", ftInteger, ops), EConvertError);
  EXPECT_THROW(SameTypedValue("noon", "12:00:00 PM", ftTime, ops), EConvertError);
}

class FieldLabels : public FilterTable {};

TEST_F(FieldLabels, FieldNameFromLabelReadsTildesAsBlanksAndIgnoresCase) {
  table.FieldByName("Count")->SetDisplayLabel("How~many");
  EXPECT_EQ(FieldNameFromLabel(&table, "HOW MANY"), "Count");
  EXPECT_EQ(FieldNameFromLabel(&table, "how~many"), "Count");
  EXPECT_EQ(FieldNameFromLabel(&table, "stamp"), "Stamp");
  EXPECT_EQ(FieldNameFromLabel(&table, "Nothing"), "");
}

}  // namespace
