// The record test behind the filter dialog: how a criterion's value text is
// read as words and split into sub-values by the operator words, how a
// field's value becomes text, and how one record is tested against the
// component's criteria (TsfDummyForm::FilterRecord, installed as the
// dataset's OnFilterRecord).
#pragma once

#include <string>
#include <string_view>

#include "dataset/data_types.h"
#include "filterdialog/field_info.h"

namespace notarra {

class TDataSet;
class TField;
class TsfFilterDialog;

// Reads one word at position (see the filter dialog's value syntax): a
// quoted phrase, one delimiter character, or a run of characters above 32.
std::string NextWord(std::string_view text, std::size_t& position, std::string_view delimiters);

struct TsfValueOperator {
  std::string OperatorText;  // OrChar, AndChar or empty
  bool IsOr = false;
  bool IsAnd = false;
};
// The first operator word after the first word of value.
TsfValueOperator FindValueOperator(std::string_view value, const TsfFieldOperators& operators);

// Position marks the end of the value once the last sub-value was read.
inline constexpr std::size_t kSubValuesFinished = static_cast<std::size_t>(-1);
std::string NextSubValue(std::string_view value, const std::string& operatorText, std::size_t& position);

bool IsNullMatch(std::string_view sub, std::string_view fieldText, const TsfFieldOperators& operators);
// Exact equality for fields that are not memo fields; may raise EConvertError.
bool SameTypedValue(const std::string& sub, const std::string& fieldText, TFieldType fieldType,
                    const TsfFieldOperators& operators);

// The first field whose display label equals name ("~" read as a blank,
// case ignored); its FieldName, or empty text.
std::string FieldNameFromLabel(const TDataSet* dataSet, const std::string& name);

// The field's value as the value test sees it (not for memo fields); text
// is overwritten, so a caller that keeps it keeps its capacity.
void FieldTextForMatch(const TField* field, std::string& text);

bool IsFloatingType(TFieldType type);
bool IsIntegerType(TFieldType type);  // ftAutoInc included
bool IsDateTimeType(TFieldType type);  // ftDateTime, ftTimeStamp
bool IsMemoField(const TField* field);

// The helper object the component creates with itself: it carries the
// record-filter handler and the scratch values each call reuses.
class TsfDummyForm {
public:
  explicit TsfDummyForm(TsfFilterDialog* dialog) : dialog_(dialog) {}

  void FilterRecord(TDataSet* dataSet, bool& accept);
  // Tests the record under test of the last FilterRecord dataset against
  // criterion index. A criterion whose field cannot be found rejects.
  bool MatchCriterion(int index);
  TDataSet* DataSet() const { return dataSet_; }

private:
  bool MatchValue(const TsfFieldInfo& info, TField* field, bool memo);
  bool MatchRange(const TsfFieldInfo& info, TField* field);

  TsfFilterDialog* dialog_;
  TDataSet* dataSet_ = nullptr;
  // Scratch texts reused for every record.
  std::string fieldText_;
  std::string value_;
  std::string sub_;
};

}  // namespace notarra
