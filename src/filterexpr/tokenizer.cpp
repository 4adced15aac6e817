// TVelaParser::Tokenize: a character walk with a small state machine.
#include <cstring>
#include <string>

#include "filterexpr/parser.h"
#include "platform/exceptions.h"
#include "platform/format_settings.h"
#include "platform/text.h"

namespace notarra {

namespace {

enum class State { Start, Word, Quoted, Blank, Number };

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsWordChar(char c) { return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '_' || c == '$'; }
bool IsSymbol(char c) { return c != '\0' && std::strchr("()*+,-./<=>", c) != nullptr; }

bool IsIdentifier(const std::string& word) {
  if (word.empty() || !(IsAsciiLetter(word[0]) || word[0] == '_')) return false;
  for (char c : word)
    if (!(IsAsciiLetter(c) || IsAsciiDigit(c) || c == '_')) return false;
  return true;
}

// Strips the enclosing quotes and reduces each doubled quote inside to one.
std::string Unquote(const std::string& quoted, char q) {
  std::string text;
  for (std::size_t i = 1; i + 1 < quoted.size(); ++i) {
    text += quoted[i];
    if (quoted[i] == q && quoted[i + 1] == q) ++i;
  }
  return text;
}

TVelaTokenKind SymbolKind(char c) {
  switch (c) {
    case '(': return vtkOpen;
    case ')': return vtkClose;
    case '*': return vtkAsterisk;
    case ',': return vtkComma;
    case '.': return vtkDot;
    case '<':
    case '=':
    case '>': return vtkCompare;
    default: return vtkArith;  // "+", "-", "/"
  }
}

// The aggregate kind of an upper-cased reserved word directly followed by
// "(", or 0 when the word is no aggregate.
TVelaTokenKind AggregateKind(const std::string& word) {
  if (word == "SUM") return vtkSum;
  if (word == "MAX") return vtkMax;
  if (word == "MIN") return vtkMin;
  if (word == "AVG") return vtkAvg;
  if (word == "COUNT") return vtkCount;
  return TVelaTokenKind{};
}

}  // namespace

void TVelaParser::Tokenize(std::string_view text) {
  // Control characters and blanks at either end are not part of the filter;
  // a NUL ends it.
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32) text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) text.remove_suffix(1);
  if (std::size_t nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);

  const char decimalSeparator = FormatSettings().DecimalSeparator;
  auto isNumberChar = [decimalSeparator](char c) { return IsAsciiDigit(c) || c == '-' || c == decimalSeparator; };
  auto emit = [this](std::string tokenText, TVelaTokenKind kind) {
    tokens_.push_back(TVelaToken{std::move(tokenText), kind});
  };

  State state = State::Start;
  std::string acc;
  char quote = 0;
  int openCount = 0;
  int closeCount = 0;
  bool inAggregate = false;

  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    const char c = text[i];
    const char d = i + 1 < n ? text[i + 1] : '\0';
    switch (state) {
      case State::Start:
        if (IsBlank(c)) {
          state = State::Blank;
          ++i;
        } else if (c == '\'' || c == '"') {
          acc.assign(1, c);
          quote = c;
          state = State::Quoted;
          ++i;
        } else if (IsSymbol(c)) {
          if (inAggregate && c != '.' && c != ')')
            DatabaseError(Format("Symbol %c is not supported in aggregate function argument", c));
          if ((c == '>' && d == '=') || (c == '<' && (d == '=' || d == '>')) || (c == '*' && d == '=')) {
            emit(std::string{c, d}, vtkCompare);
            i += 2;
            break;
          }
          if (c == ')' && inAggregate) {
            inAggregate = false;  // the aggregate's own ")" makes no token
          } else {
            if (c == '(') ++openCount;
            if (c == ')') ++closeCount;
            emit(std::string(1, c), SymbolKind(c));
          }
          ++i;
        } else if (IsAsciiDigit(c)) {
          state = State::Number;
        } else {
          state = State::Word;
        }
        break;

      case State::Word: {
        if (!IsWordChar(c)) DatabaseError("Invalid symbol in parameter/identificator/reserved word");
        acc += c;
        ++i;
        if (IsWordChar(d)) break;
        // The word is complete; d is the character after it.
        std::string word = std::move(acc);
        acc.clear();
        state = State::Start;
        if (IsReservedWord(word)) {
          if (word == "OR" || word == "AND" || word == "NOT") {
            emit(std::move(word), vtkLogic);
          } else if (word == "NULL") {
            emit(std::move(word), vtkNull);
          } else if (word == "TRUE") {
            emit(std::move(word), vtkTrue);
          } else if (word == "FALSE") {
            emit(std::move(word), vtkFalse);
          } else if (d == '(') {
            TVelaTokenKind kind = AggregateKind(word);
            if (kind == TVelaTokenKind{}) DatabaseError(Format("Unsupported function %s in query", word.c_str()));
            emit(std::move(word), kind);
            ++i;  // the "(" belongs to the aggregate: no token, not counted
            inAggregate = true;
          } else {
            emit(std::move(word), vtkKeyword);
          }
        } else if (IsIdentifier(word)) {
          emit(std::move(word), vtkIdent);
        } else {
          DatabaseError(Format("Parameter %s is not valid identifier", word.c_str()));
        }
        break;
      }

      case State::Quoted:
        if (c != quote) {
          if (i + 1 == n) DatabaseError("Unmatched quote");
          acc += c;
          ++i;
        } else if (d == quote) {
          acc += c;
          acc += d;
          i += 2;
        } else {
          acc += c;
          emit(Unquote(acc, quote), vtkString);
          acc.clear();
          state = State::Start;
          ++i;
        }
        break;

      case State::Blank:
        if (IsBlank(c))
          ++i;
        else
          state = State::Start;
        break;

      case State::Number:
        acc += c;
        ++i;
        if (!isNumberChar(d)) {
          emit(std::move(acc), vtkNumber);
          acc.clear();
          state = State::Start;
        }
        break;
    }
  }

  if (state == State::Quoted) DatabaseError("Unmatched quote");
  if (openCount != closeCount) DatabaseError("Unmatched parentheses");
}

}  // namespace notarra
