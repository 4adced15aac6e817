// One lexical token of the filter text. The lexer knows the vocabulary of a
// wider query language (select statements, aggregates, arithmetic); only the
// comparison list is ever built from it, the rest is rejected or ignored.
#pragma once

#include <cstdint>
#include <string>

namespace notarra {

// The numeric values are part of the contract: callers store them in a byte.
// 19 is unused.
enum TVelaTokenKind : uint8_t {
  vtkIdent = 1,     // a word that is not a reserved word
  vtkString = 2,    // quoted text
  vtkComma = 3,     // ","
  vtkDot = 4,       // "."
  vtkKeyword = 5,   // any other reserved word (aggregate names not followed by "(")
  vtkNumber = 6,    // a number
  vtkAsterisk = 7,  // "*"
  vtkArith = 8,     // "+", "-", "/"
  vtkLogic = 9,     // "AND", "OR", "NOT"
  vtkCompare = 10,  // "=", "<", ">", ">=", "<=", "<>", "*="
  vtkOpen = 11,     // "("
  vtkClose = 12,    // ")"
  vtkNull = 13,     // "NULL"
  vtkCount = 14,    // "COUNT" directly followed by "("
  vtkSum = 15,      // "SUM" directly followed by "("
  vtkMax = 16,      // "MAX" directly followed by "("
  vtkMin = 17,      // "MIN" directly followed by "("
  vtkAvg = 18,      // "AVG" directly followed by "("
  vtkTrue = 20,     // "TRUE"
  vtkFalse = 21,    // "FALSE"
};

// Identifiers keep their spelling, reserved words are upper-cased, quoted
// text loses its enclosing quotes (doubled quotes reduced to one); numbers,
// signs and punctuation are kept as written.
struct TVelaToken {
  std::string Text;
  TVelaTokenKind Kind{};
};

}  // namespace notarra
