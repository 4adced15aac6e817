// One parsed comparison of a filter text: a field, an operator and a right
// operand that is a literal or another field. The parser fills the operand
// texts; the dataset resolves them against its fields before use and fills
// Literal, Mask and the field indexes then.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "filterexpr/mask.h"
#include "filterexpr/token.h"

namespace notarra {

enum TVelaCompareOp : uint8_t {
  coEqual = 1,         // "="
  coGreater = 2,       // ">"
  coLess = 3,          // "<"
  coGreaterEqual = 4,  // ">="
  coLessEqual = 5,     // "<="
  coNotEqual = 6,      // "<>"
  coLike = 7,          // "LIKE"
  coStarEqual = 8,     // "*=", which holds for every record
};

struct TVelaCField {
  std::string LeftQualifier;   // "T" of "T.Subject"; carried, never used in matching
  std::string LeftName;        // a field name
  std::string RightQualifier;  // carried, never used in matching
  std::string RightText;       // a negative number keeps its leading "-"
  TVelaTokenKind LeftKind{};   // vtkIdent or vtkString; 0 until parsed
  TVelaTokenKind RightKind{};  // vtkIdent, vtkString, vtkNumber, vtkNull, vtkTrue or vtkFalse
  TVelaCompareOp CompareOp{};
  // Filled when the dataset resolves the condition: the literal to compare
  // with (empty when the right operand is a field or NULL) and, for LIKE
  // against a literal, its compiled pattern, which the condition owns.
  std::string Literal;
  std::unique_ptr<TVelaMask> Mask;
  // Caches the dataset may keep of the resolved fields; -1 when unresolved
  // or, for the right side, when it is no field.
  int LeftFieldIndex = -1;
  int RightFieldIndex = -1;
};

// The caller of TVelaParser::BuildConditions owns this list and its records.
using TVelaCFieldList = std::vector<TVelaCField>;

// Whether a comparison result (negative, zero, positive: the left value
// against the right) satisfies op. coStarEqual holds whatever the result;
// coLike is matched with the mask instead and never holds here.
bool CompareOpHolds(TVelaCompareOp op, int comparison);

}  // namespace notarra
