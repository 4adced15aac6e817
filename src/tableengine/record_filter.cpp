#include "tableengine/record_filter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>

#include "platform/exceptions.h"
#include "tableengine/data_area.h"
#include "tableengine/record_store.h"
#include "tableengine/value_compare.h"

namespace notarra {

namespace {

bool InIntegerFamily(TVelaFieldKind k) {
  return k == TVelaFieldKind::Integer || k == TVelaFieldKind::Date || k == TVelaFieldKind::Time ||
         k == TVelaFieldKind::AutoInc;
}

bool InFloatFamily(TVelaFieldKind k) {
  return k == TVelaFieldKind::Double || k == TVelaFieldKind::Currency || k == TVelaFieldKind::DateTime;
}

bool IsMemoKind(TVelaFieldKind k) { return k == TVelaFieldKind::Memo || k == TVelaFieldKind::FmtMemo; }

uint8_t* NewArea(uint32_t size) {
  void* p = std::calloc(size > 0 ? size : 1, 1);
  if (!p) throw std::bad_alloc();
  return static_cast<uint8_t*>(p);
}

}  // namespace

bool TVelaRecordFilter::KindsComparable(TVelaFieldKind rightKind, TVelaFieldKind leftKind) {
  if (rightKind == leftKind) return true;
  if (InIntegerFamily(rightKind) && InIntegerFamily(leftKind)) return true;
  return InFloatFamily(rightKind) && InFloatFamily(leftKind);
}

void TVelaRecordFilter::SetConditions(std::unique_ptr<TVelaCFieldList> conditions) {
  Free();
  conditions_ = std::move(conditions);
}

void TVelaRecordFilter::Free() {
  ReleasePrepared();
  conditions_.reset();
}

void TVelaRecordFilter::ReleasePrepared() {
  for (Prepared& p : prepared_) {
    if (!p.Value) continue;
    // A literal owns its text or block; a field operand's scratch only ever
    // borrows the record's.
    if (!p.RightIsField) data_area::ClearField(p.Value, p.Left);
    std::free(p.Value);
  }
  prepared_.clear();
  resolvedStore_ = nullptr;
}

bool TVelaRecordFilter::ResolvedFor(const TVelaCursor& store) const {
  return conditions_ && resolvedStore_ == &store && resolvedDataSize_ == store.RecordDataSize() &&
         resolvedFieldCount_ == store.FieldCount();
}

void TVelaRecordFilter::Resolve(const TVelaCursor& store, const TComponent* owner) {
  ReleasePrepared();
  if (!conditions_) return;
  prepared_.reserve(conditions_->size());
  for (TVelaCField& c : *conditions_) {
    // Every resolution starts afresh: the fields may have changed since the last.
    c.Literal.clear();
    c.Mask.reset();
    c.LeftFieldIndex = c.RightFieldIndex = -1;

    const TVelaField* left = store.FindField(c.LeftName);
    if (!left) DatabaseError(Format("Field %s is not found", c.LeftName.c_str()), owner);
    switch (c.RightKind) {
      case vtkIdent:
        // An unquoted right operand is always a field.
        if (!store.FindField(c.RightText)) DatabaseError(Format("Field %s is not found", c.RightText.c_str()), owner);
        break;
      case vtkString:
        if (!store.FindField(c.RightText)) c.Literal = c.RightText;
        break;
      case vtkNumber:
      case vtkTrue:
      case vtkFalse: c.Literal = c.RightText; break;
      default: break;  // NULL: the kind's empty value
    }
    const TVelaField* right =
        c.Literal.empty() && !c.RightText.empty() ? store.FindField(c.RightText) : nullptr;

    if (c.CompareOp == coLike) {
      // A pattern is text; a field offers none that could be compiled once.
      if (right)
        DatabaseError(Format("LIKE needs a pattern, and %s is a field", c.RightText.c_str()), owner);
      c.Mask = std::make_unique<TVelaMask>(c.Literal);
    }

    Prepared p;
    p.Condition = &c;
    p.Left = *left;
    c.LeftFieldIndex = left->Index;
    if (right) {
      p.Right = *right;
      p.RightIsField = true;
      p.Comparable = KindsComparable(right->Kind, left->Kind);
      c.RightFieldIndex = right->Index;
    }
    if (c.CompareOp != coLike) {
      p.Value = NewArea(store.RecordDataSize());
      prepared_.push_back(p);
      if (!right) {
        // A memo literal holds the whole text, so that it can equal a stored memo.
        if (IsMemoKind(left->Kind)) data_area::SetBlob(prepared_.back().Value, *left, c.Literal);
        else store.TextToValue(c.Literal, *left, prepared_.back().Value);
      }
    } else {
      prepared_.push_back(p);
    }
  }
  resolvedStore_ = &store;
  resolvedDataSize_ = store.RecordDataSize();
  resolvedFieldCount_ = store.FieldCount();
}

bool TVelaRecordFilter::Matches(const TVelaCursor& store, const uint8_t* data, bool caseInsensitive,
                                const TComponent* owner) const {
  for (const Prepared& p : prepared_) {
    const TVelaCField& c = *p.Condition;
    bool result;
    if (c.CompareOp == coLike) {
      // Text kinds are matched in place; the others through their display text.
      switch (p.Left.Kind) {
        case TVelaFieldKind::SmallStr: result = c.Mask->Matches(data_area::SmallText(data, p.Left)); break;
        case TVelaFieldKind::String: result = c.Mask->Matches(data_area::Text(data, p.Left)); break;
        case TVelaFieldKind::Memo:
        case TVelaFieldKind::FmtMemo: result = c.Mask->Matches(data_area::Blob(data, p.Left)); break;
        default: result = c.Mask->Matches(store.ValueToText(data, p.Left)); break;
      }
    } else {
      if (p.RightIsField) {
        if (!p.Comparable) DatabaseError("Types of compared fields are not equal", owner);
        if (p.Left.Kind == TVelaFieldKind::SmallStr) {
          // Read as the left field's kind, a longer right text would be cut
          // to the left field's size and compare equal to its prefix.
          const std::string_view a = data_area::SmallText(data, p.Left), b = data_area::SmallText(data, p.Right);
          const int cmp = p.Left.RightAligned && a.size() != b.size() ? (a.size() < b.size() ? -1 : 1)
                                                                      : value_compare::CompareText(a, b, caseInsensitive);
          if (!CompareOpHolds(c.CompareOp, cmp)) return false;
          continue;
        }
        // The right value is read as the left field's kind. Never more bytes
        // than the right field has: a shorter SmallStr must not read past it.
        const std::size_t n = std::min<std::size_t>(p.Left.DataSize, p.Right.DataSize);
        std::memcpy(p.Value + p.Left.Offset, data + p.Right.Offset, n);
        std::memset(p.Value + p.Left.Offset + n, 0, p.Left.DataSize - n);
      }
      result = CompareOpHolds(c.CompareOp, store.CompareValues(data, p.Value, p.Left, caseInsensitive));
    }
    if (!result) return false;
  }
  return true;
}

}  // namespace notarra
