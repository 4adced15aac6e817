#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "../platform/expect_message.h"
#include "filterexpr/parser.h"
#include "platform/format_settings.h"

using namespace notarra;

namespace {

using Tokens = std::vector<std::pair<std::string, TVelaTokenKind>>;

Tokens Lex(std::string_view text) {
  TVelaParser parser;
  parser.Tokenize(text);
  Tokens result;
  for (const TVelaToken& t : parser.Tokens()) result.emplace_back(t.Text, t.Kind);
  return result;
}

void ExpectLexError(std::string_view text, const std::string& message) {
  SCOPED_TRACE(std::string(text));
  TVelaParser parser;
  ExpectMessage<EDatabaseError>([&] { parser.Tokenize(text); }, message);
}

const char* const kInvalidSymbol = "Invalid symbol in parameter/identificator/reserved word";

// Restores the process-wide decimal separator after tests that change it.
class DecimalSeparator {
public:
  explicit DecimalSeparator(char c) : saved_(FormatSettings().DecimalSeparator) { FormatSettings().DecimalSeparator = c; }
  ~DecimalSeparator() { FormatSettings().DecimalSeparator = saved_; }

private:
  char saved_;
};

TEST(Tokenize, SignsAndPunctuation) {
  EXPECT_EQ(Lex("a,.*+-/=<>>=<=<>*=()"),
            (Tokens{{"a", vtkIdent},
                    {",", vtkComma},
                    {".", vtkDot},
                    {"*", vtkAsterisk},
                    {"+", vtkArith},
                    {"-", vtkArith},
                    {"/", vtkArith},
                    {"=", vtkCompare},
                    {"<>", vtkCompare},
                    {">=", vtkCompare},
                    {"<=", vtkCompare},
                    {"<>", vtkCompare},
                    {"*=", vtkCompare},
                    {"(", vtkOpen},
                    {")", vtkClose}}));
  // Pairs that are no two-character operator stay apart.
  EXPECT_EQ(Lex("= = =< ><"), (Tokens{{"=", vtkCompare},
                                      {"=", vtkCompare},
                                      {"=", vtkCompare},
                                      {"<", vtkCompare},
                                      {">", vtkCompare},
                                      {"<", vtkCompare}}));
}

TEST(Tokenize, ReservedWordsInAnyCaseAreUpperCased) {
  EXPECT_EQ(Lex("select From wHere as join left on like group by distinct"),
            (Tokens{{"SELECT", vtkKeyword},
                    {"FROM", vtkKeyword},
                    {"WHERE", vtkKeyword},
                    {"AS", vtkKeyword},
                    {"JOIN", vtkKeyword},
                    {"LEFT", vtkKeyword},
                    {"ON", vtkKeyword},
                    {"LIKE", vtkKeyword},
                    {"GROUP", vtkKeyword},
                    {"BY", vtkKeyword},
                    {"DISTINCT", vtkKeyword}}));
  EXPECT_EQ(Lex("and Or NOT null True faLSE"), (Tokens{{"AND", vtkLogic},
                                                        {"OR", vtkLogic},
                                                        {"NOT", vtkLogic},
                                                        {"NULL", vtkNull},
                                                        {"TRUE", vtkTrue},
                                                        {"FALSE", vtkFalse}}));
  // Identifiers keep their spelling, also when they merely contain a reserved word.
  EXPECT_EQ(Lex("Subject _x1 ANDY nullable"),
            (Tokens{{"Subject", vtkIdent}, {"_x1", vtkIdent}, {"ANDY", vtkIdent}, {"nullable", vtkIdent}}));
}

TEST(Tokenize, AggregateWordsDependOnADirectlyFollowingParenthesis) {
  EXPECT_EQ(Lex("sum(a) Max(b) MIN(c) avg(d) count(e)"), (Tokens{{"SUM", vtkSum},
                                                                   {"a", vtkIdent},
                                                                   {"MAX", vtkMax},
                                                                   {"b", vtkIdent},
                                                                   {"MIN", vtkMin},
                                                                   {"c", vtkIdent},
                                                                   {"AVG", vtkAvg},
                                                                   {"d", vtkIdent},
                                                                   {"COUNT", vtkCount},
                                                                   {"e", vtkIdent}}));
  // With a blank before "(" they are plain keywords and "(" is an ordinary token.
  EXPECT_EQ(Lex("count (x)"),
            (Tokens{{"COUNT", vtkKeyword}, {"(", vtkOpen}, {"x", vtkIdent}, {")", vtkClose}}));
  EXPECT_EQ(Lex("sum max min avg count"), (Tokens{{"SUM", vtkKeyword},
                                                  {"MAX", vtkKeyword},
                                                  {"MIN", vtkKeyword},
                                                  {"AVG", vtkKeyword},
                                                  {"COUNT", vtkKeyword}}));
  // The argument may hold a qualified name; its ")" makes no token.
  EXPECT_EQ(Lex("sum(t.a) > 1"), (Tokens{{"SUM", vtkSum},
                                         {"t", vtkIdent},
                                         {".", vtkDot},
                                         {"a", vtkIdent},
                                         {">", vtkCompare},
                                         {"1", vtkNumber}}));
  // Logic words, NULL, TRUE and FALSE before "(" keep their kind and the "(" counts.
  EXPECT_EQ(Lex("not(a)"), (Tokens{{"NOT", vtkLogic}, {"(", vtkOpen}, {"a", vtkIdent}, {")", vtkClose}}));
  EXPECT_EQ(Lex("null(true(false()))"), (Tokens{{"NULL", vtkNull},
                                                {"(", vtkOpen},
                                                {"TRUE", vtkTrue},
                                                {"(", vtkOpen},
                                                {"FALSE", vtkFalse},
                                                {"(", vtkOpen},
                                                {")", vtkClose},
                                                {")", vtkClose},
                                                {")", vtkClose}}));
  // A non-reserved word before "(" is just an identifier.
  EXPECT_EQ(Lex("f(x)"), (Tokens{{"f", vtkIdent}, {"(", vtkOpen}, {"x", vtkIdent}, {")", vtkClose}}));
}

TEST(Tokenize, OtherReservedWordsCannotBeCalled) {
  ExpectLexError("like(x) = 1", "Unsupported function LIKE in query");
  ExpectLexError("a = 1 group by(x)", "Unsupported function BY in query");
  ExpectLexError("Select(", "Unsupported function SELECT in query");
}

TEST(Tokenize, SymbolsInsideAnAggregateArgument) {
  ExpectLexError("count(*) > 1", "Symbol * is not supported in aggregate function argument");
  ExpectLexError("sum(a+b)", "Symbol + is not supported in aggregate function argument");
  ExpectLexError("max(a,b)", "Symbol , is not supported in aggregate function argument");
  ExpectLexError("min((a))", "Symbol ( is not supported in aggregate function argument");
  ExpectLexError("avg(a>=b)", "Symbol > is not supported in aggregate function argument");
  // After the aggregate's ")" the same signs are fine again.
  EXPECT_EQ(Lex("sum(a)*2").size(), 4u);
}

TEST(Tokenize, QuotedText) {
  EXPECT_EQ(Lex("'it''s'"), (Tokens{{"it's", vtkString}}));
  EXPECT_EQ(Lex("\"it's\""), (Tokens{{"it's", vtkString}}));
  EXPECT_EQ(Lex("\"say \"\"hi\"\"\""), (Tokens{{"say \"hi\"", vtkString}}));
  EXPECT_EQ(Lex("''"), (Tokens{{"", vtkString}}));
  EXPECT_EQ(Lex("''''"), (Tokens{{"'", vtkString}}));
  // Inside quotes anything goes, reserved words and odd characters included.
  EXPECT_EQ(Lex("'and ! \xE9 %' 'x'"), (Tokens{{"and ! \xE9 %", vtkString}, {"x", vtkString}}));
  // A quote ends a word without a blank.
  EXPECT_EQ(Lex("a'b'c"), (Tokens{{"a", vtkIdent}, {"b", vtkString}, {"c", vtkIdent}}));
}

TEST(Tokenize, UnmatchedQuote) {
  ExpectLexError("Title = 'abc", "Unmatched quote");
  ExpectLexError("Title = '", "Unmatched quote");
  ExpectLexError("Title = \"abc'", "Unmatched quote");
  ExpectLexError("'it''", "Unmatched quote");
  // Trailing blanks are trimmed first, so they cannot close anything.
  ExpectLexError("'abc   ", "Unmatched quote");
  // A NUL ends the text, also inside quotes.
  ExpectLexError(std::string_view("'ab\0cd'", 7), "Unmatched quote");
}

TEST(Tokenize, Numbers) {
  EXPECT_EQ(Lex("12 1.5 2005-01-31 5-"),
            (Tokens{{"12", vtkNumber}, {"1.5", vtkNumber}, {"2005-01-31", vtkNumber}, {"5-", vtkNumber}}));
  // A sign in front is a token of its own; digits end before letters.
  EXPECT_EQ(Lex("-5 12ab"), (Tokens{{"-", vtkArith}, {"5", vtkNumber}, {"12", vtkNumber}, {"ab", vtkIdent}}));
  // A word may hold digits once it has started.
  EXPECT_EQ(Lex("a1"), (Tokens{{"a1", vtkIdent}}));
  EXPECT_EQ(Lex("01/31/2005"), (Tokens{{"01", vtkNumber},
                                      {"/", vtkArith},
                                      {"31", vtkNumber},
                                      {"/", vtkArith},
                                      {"2005", vtkNumber}}));
}

TEST(Tokenize, NumbersFollowTheDecimalSeparator) {
  {
    DecimalSeparator comma(',');
    EXPECT_EQ(Lex("x = 1,5"), (Tokens{{"x", vtkIdent}, {"=", vtkCompare}, {"1,5", vtkNumber}}));
    EXPECT_EQ(Lex("1.5"), (Tokens{{"1", vtkNumber}, {".", vtkDot}, {"5", vtkNumber}}));
  }
  EXPECT_EQ(Lex("x = 1,5"), (Tokens{{"x", vtkIdent}, {"=", vtkCompare}, {"1", vtkNumber}, {",", vtkComma}, {"5", vtkNumber}}));
}

TEST(Tokenize, Blanks) {
  EXPECT_TRUE(Lex("").empty());
  EXPECT_TRUE(Lex(" \t\r\n  ").empty());
  EXPECT_EQ(Lex("a\t=\r\n1"), (Tokens{{"a", vtkIdent}, {"=", vtkCompare}, {"1", vtkNumber}}));
  EXPECT_EQ(Lex("a>=1"), (Tokens{{"a", vtkIdent}, {">=", vtkCompare}, {"1", vtkNumber}}));
  // Control characters at either end are trimmed; inside they are errors.
  EXPECT_EQ(Lex("\x01\x1F a \x02"), (Tokens{{"a", vtkIdent}}));
  ExpectLexError("a \x01 b", kInvalidSymbol);
  // A NUL ends the text.
  EXPECT_EQ(Lex(std::string_view("a = 1\0 !!", 9)), (Tokens{{"a", vtkIdent}, {"=", vtkCompare}, {"1", vtkNumber}}));
}

TEST(Tokenize, InvalidSymbols) {
  for (const char* text : {"a != 1", "?", "a % b", "[a]", "a:b", "a;", "a & b", "a | b", "\xE9t\xE9", "a\x7F", "b\x80"})
    ExpectLexError(text, kInvalidSymbol);
}

TEST(Tokenize, IdentifiersWithDollar) {
  ExpectLexError("$a = 1", "Parameter $a is not valid identifier");
  ExpectLexError("x = a$b", "Parameter a$b is not valid identifier");
}

TEST(Tokenize, Parentheses) {
  ExpectLexError("(a = 1", "Unmatched parentheses");
  ExpectLexError("a = 1)", "Unmatched parentheses");
  // The aggregate's own parentheses do not count, so a stray ")" after it does.
  ExpectLexError("count(x))", "Unmatched parentheses");
  // Only the counts are compared, not the order.
  EXPECT_EQ(Lex(")a = 1(").size(), 5u);
}

TEST(Tokenize, FirstErrorWins) {
  ExpectLexError("(a = !", kInvalidSymbol);
  ExpectLexError("(a = 'x", "Unmatched quote");
  ExpectLexError("(a = $x", "Parameter $x is not valid identifier");
  ExpectLexError("a ! 'x", kInvalidSymbol);
  ExpectLexError("$a ! 'x", "Parameter $a is not valid identifier");
}

TEST(Tokenize, TokensBeforeAnErrorStayUntilCleared) {
  TVelaParser parser;
  EXPECT_THROW(parser.Tokenize("a = 1 and !"), EDatabaseError);
  ASSERT_EQ(parser.Tokens().size(), 4u);
  EXPECT_EQ(parser.Tokens()[3].Text, "AND");
  parser.ClearLists();
  EXPECT_TRUE(parser.Tokens().empty());
}

TEST(IsReservedWord, AllTwentyTwoInAnyCase) {
  const char* const words[] = {"select", "from", "where", "as",  "and",  "or",    "not",      "null",
                               "join",   "left", "on",    "like", "group", "by",  "sum",      "max",
                               "min",    "avg",  "true",  "false", "distinct", "count"};
  for (const char* w : words) {
    std::string word = w;
    word[0] = static_cast<char>(word[0] - 'a' + 'A');  // mixed case
    std::string upper;
    for (char c : word) upper += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    EXPECT_TRUE(TVelaParser::IsReservedWord(word)) << w;
    EXPECT_EQ(word, upper);
  }
}

TEST(IsReservedWord, OtherWordsAreLeftAlone) {
  for (const char* w : {"Subject", "selects", "", "an", "COUNT_", "gr0up", "\xE0nd"}) {
    std::string word = w;
    EXPECT_FALSE(TVelaParser::IsReservedWord(word)) << w;
    EXPECT_EQ(word, w);
  }
}

}  // namespace
