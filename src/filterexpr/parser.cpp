#include "filterexpr/parser.h"

#include <array>

#include "platform/text.h"

namespace notarra {

namespace {

// In the order they are tested.
constexpr std::array<std::string_view, 22> kReservedWords = {
    "SELECT", "FROM", "WHERE", "AS",  "AND", "OR",  "NOT",  "NULL",  "JOIN",     "LEFT",  "ON",
    "LIKE",   "GROUP", "BY",   "SUM", "MAX", "MIN", "AVG",  "TRUE",  "FALSE",    "DISTINCT", "COUNT"};

}  // namespace

bool TVelaParser::IsReservedWord(std::string& word) {
  std::string upper = AsciiUpperCase(word);
  for (std::string_view reserved : kReservedWords) {
    if (upper == reserved) {
      word = std::move(upper);
      return true;
    }
  }
  return false;
}

TVelaCFieldList ParseFilter(std::string_view text) {
  TVelaParser parser;
  parser.Tokenize(text);
  TVelaCFieldList conditions;
  parser.BuildConditions(conditions, 0);
  return conditions;
}

}  // namespace notarra
