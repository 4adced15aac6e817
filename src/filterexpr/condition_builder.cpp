// TVelaParser::BuildConditions: reads "[q.]name op [q.|-]value" comparisons
// joined by "AND" from the token list.
#include <string>

#include "filterexpr/parser.h"
#include "platform/exceptions.h"

namespace notarra {

namespace {

[[noreturn]] void ComparisonError() { DatabaseError("Error in comparison expression"); }

TVelaCompareOp OperatorFromText(const std::string& text) {
  if (text == "=") return coEqual;
  if (text == ">") return coGreater;
  if (text == "<") return coLess;
  if (text == ">=") return coGreaterEqual;
  if (text == "<=") return coLessEqual;
  if (text == "<>") return coNotEqual;
  if (text == "*=") return coStarEqual;
  ComparisonError();
}

bool IsRightOperand(TVelaTokenKind kind) {
  return kind == vtkIdent || kind == vtkString || kind == vtkNumber || kind == vtkNull || kind == vtkTrue ||
         kind == vtkFalse;
}

}  // namespace

int TVelaParser::BuildConditions(TVelaCFieldList& conditions, int startIndex) const {
  const std::size_t count = tokens_.size();
  std::size_t i = startIndex > 0 ? static_cast<std::size_t>(startIndex) : 0;
  int state = 0;
  bool minus = false;
  TVelaCField pending;

  // Tokens running out ends the list in any state; an unfinished condition is dropped.
  while (i < count) {
    const TVelaToken& t = tokens_[i];
    const TVelaToken* u = i + 1 < count ? &tokens_[i + 1] : nullptr;
    switch (state) {
      case 0:
        if (t.Kind == vtkIdent && u != nullptr && u->Kind == vtkDot) {
          pending.LeftQualifier = t.Text;
          i += 2;
        }
        state = 1;
        break;

      case 1:
        if (t.Kind != vtkIdent && t.Kind != vtkString) ComparisonError();
        pending.LeftName = t.Text;
        pending.LeftKind = t.Kind;
        ++i;
        state = 2;
        break;

      case 2:
        if (t.Kind == vtkKeyword && t.Text == "LIKE")
          pending.CompareOp = coLike;
        else if (t.Kind == vtkCompare)
          pending.CompareOp = OperatorFromText(t.Text);
        else
          ComparisonError();
        ++i;
        state = 3;
        break;

      case 3:
        if (t.Kind == vtkIdent && u != nullptr && u->Kind == vtkDot) {
          pending.RightQualifier = t.Text;
          i += 2;
        } else if (t.Kind == vtkArith) {
          // Only a minus in front of a number is a sign.
          if (t.Text != "-" || u == nullptr || u->Kind != vtkNumber) ComparisonError();
          minus = true;
          ++i;
        }
        state = 4;
        break;

      case 4:
        if (!IsRightOperand(t.Kind)) ComparisonError();
        pending.RightText = minus ? "-" + t.Text : t.Text;
        minus = false;
        pending.RightKind = t.Kind;
        ++i;
        conditions.push_back(std::move(pending));
        pending = TVelaCField{};
        state = 5;
        break;

      default:
        if (t.Text == "AND") {
          ++i;
          state = 0;
        } else if (t.Text == "GROUP" && u != nullptr && u->Text == "BY") {
          return static_cast<int>(i + 1);
        } else {
          ComparisonError();
        }
        break;
    }
  }
  return 0;
}

}  // namespace notarra
