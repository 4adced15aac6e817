// Turns a filter text into comparisons in two passes over one parser:
// Tokenize splits the text into tokens, BuildConditions reads them as
// comparisons. A parser serves one text and is then thrown away; the
// condition list belongs to the caller. Every error is an EDatabaseError with
// a fixed message and no component prefix.
//
// The accepted text:
//   filter     = [ comparison { "AND" comparison } [ "GROUP" "BY" anything ] ]
//   comparison = [ ident "." ] ( ident | 'quoted' ) op right
//   op         = "=" | ">" | "<" | ">=" | "<=" | "<>" | "*=" | "LIKE"
//   right      = [ ident "." ] ( ident | 'quoted' | number | NULL | TRUE | FALSE )
//              | "-" number
// Reserved words are recognised in any case, so a field named like one
// ("Group") is written quoted on the left. Quotes are ' or ", doubled inside.
// There is no OR, NOT, IS, IN or parenthesised grouping.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "filterexpr/condition.h"
#include "filterexpr/token.h"
#include "platform/exceptions.h"

namespace notarra {

class TVelaParser {
public:
  TVelaParser() = default;
  TVelaParser(const TVelaParser&) = delete;
  TVelaParser& operator=(const TVelaParser&) = delete;
  ~TVelaParser() { ClearLists(); }

  // Appends the tokens of text. Numbers use the decimal separator of the
  // process-wide format settings. Raises on a lexical error; the tokens made
  // before it stay in the list.
  void Tokenize(std::string_view text);

  // Reads the tokens from startIndex and appends one condition per
  // comparison to conditions. Returns 0 at the end of the tokens, or the
  // index of the "BY" token when it stopped at "GROUP" "BY". Raises "Error
  // in comparison expression" at a token out of place; conditions appended
  // before that stay in the list, an incomplete one at the end is dropped.
  int BuildConditions(TVelaCFieldList& conditions, int startIndex) const;

  // True when word, upper-cased by ASCII rules, is one of the 22 reserved
  // words; word is then replaced by its upper-cased form.
  static bool IsReservedWord(std::string& word);

  void ClearLists() { tokens_.clear(); }

  const std::vector<TVelaToken>& Tokens() const { return tokens_; }

private:
  std::vector<TVelaToken> tokens_;
};

// The whole parse a dataset runs for its filter text: a fresh parser,
// Tokenize, BuildConditions from index 0. Raises the parser's errors, and
// then no conditions survive.
TVelaCFieldList ParseFilter(std::string_view text);

}  // namespace notarra
