// The checks the filter dialog form makes before it keeps a criterion: which
// fields are typed (their values are tested), the test of one text against
// a field type, and the tests of a value text (split at the or-word) and of
// a range bound.
#pragma once

#include <string>
#include <string_view>

#include "dataset/data_types.h"

namespace notarra {

class TsfFieldOperators;

// Fields whose value texts are checked; the time types count only when the
// criteria rewrite a query.
bool IsTypedField(TFieldType type, bool queryModify);
// Fields whose range is edited with date pickers.
bool IsPickerDateField(TFieldType type);

// One text against a field type: integers (optional "-" then digits),
// numbers, dates, times, dates with an optional time; other types take
// anything.
bool PassesTypeTest(std::string_view text, TFieldType type);

// Empty is valid; otherwise every piece between or-words, other than the
// null word, must pass the type test. The and-word is not a separator here.
bool IsValidValueText(std::string_view text, TFieldType type, const TsfFieldOperators& operators);
// Empty is valid; otherwise the whole text must pass the type test.
bool IsValidRangeText(std::string_view text, TFieldType type);
// Why a value or bound of the type was refused, with an example of what
// is taken, in the current formats: "\"soon\" is not a date; type one like 17/05/2019".
std::string RefusalReason(std::string_view text, TFieldType type);

}  // namespace notarra
