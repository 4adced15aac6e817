#include "filterdialog/criteria_match.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "dataset/dataset.h"
#include "dataset/field.h"
#include "filterdialog/filter_dialog.h"
#include "platform/codepage.h"
#include "platform/conversions.h"
#include "platform/format_settings.h"
#include "platform/text.h"

namespace notarra {

namespace {

void UpperInPlace(std::string& s) {
  for (char& c : s) c = static_cast<char>(AnsiUpperChar(static_cast<unsigned char>(c)));
}

bool IsBlank(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) > 32) return false;
  return true;
}

std::string TildeAsBlank(std::string s) {
  for (char& c : s)
    if (c == '~') c = ' ';
  return s;
}

bool StartsWith(std::string_view text, std::string_view sub) {
  return text.size() >= sub.size() && text.compare(0, sub.size(), sub) == 0;
}

}  // namespace

std::string NextWord(std::string_view text, std::size_t& position, std::string_view delimiters) {
  // Every control character counts as a blank, so a line break inside a
  // value separates words instead of silently ending the value.
  while (position < text.size() && static_cast<unsigned char>(text[position]) <= 32) ++position;
  if (position >= text.size()) return {};
  const char first = text[position];
  if (first == '"') {
    std::size_t close = text.find('"', position + 1);
    std::size_t end = close == std::string_view::npos ? text.size() : close + 1;
    std::string word(text.substr(position + 1, end - position - 1));
    position = end;
    if (!word.empty() && (word.back() == '"' || word.back() == '\'')) word.pop_back();
    return word;
  }
  if (delimiters.find(first) != std::string_view::npos) {
    ++position;
    return std::string(1, first);
  }
  std::size_t end = position;
  while (end < text.size() && static_cast<unsigned char>(text[end]) > 32 &&
         delimiters.find(text[end]) == std::string_view::npos)
    ++end;
  std::string word(text.substr(position, end - position));
  position = end;
  return word;
}

TsfValueOperator FindValueOperator(std::string_view value, const TsfFieldOperators& operators) {
  std::string delimiters;
  if (operators.OrChar().size() == 1) delimiters += operators.OrChar();
  if (operators.AndChar().size() == 1) delimiters += operators.AndChar();
  TsfValueOperator result;
  std::size_t position = 0;
  if (NextWord(value, position, delimiters).empty()) return result;
  for (;;) {
    const std::size_t before = position;
    std::string word = NextWord(value, position, delimiters);
    if (word.empty() && position >= value.size()) break;
    if (AsciiSameText(word, operators.OrChar())) {
      result.IsOr = true;
      result.OperatorText = operators.OrChar();
      break;
    }
    if (AsciiSameText(word, operators.AndChar())) {
      result.IsAnd = true;
      result.OperatorText = operators.AndChar();
      break;
    }
    if (position == before) break;  // nothing consumed: no further words
  }
  return result;
}

std::string NextSubValue(std::string_view value, const std::string& operatorText, std::size_t& position) {
  const std::string delimiters = operatorText.size() == 1 ? operatorText : std::string();
  std::string sub;
  bool collected = false;
  for (;;) {
    const std::size_t before = position;
    std::string word = NextWord(value, position, delimiters);
    const bool atEnd = word.empty() && (position >= value.size() || position == before);
    if (atEnd) {
      position = kSubValuesFinished;
      return sub;
    }
    if (!operatorText.empty() && AsciiSameText(word, operatorText)) {
      if (!collected) sub = word;
      break;
    }
    if (collected) sub += ' ';
    sub += word;
    collected = true;
  }
  // Nothing but blanks after the operator: there is no further sub-value.
  std::size_t rest = position;
  while (rest < value.size() && static_cast<unsigned char>(value[rest]) <= 32) ++rest;
  if (rest >= value.size()) position = kSubValuesFinished;
  return sub;
}

bool IsNullMatch(std::string_view sub, std::string_view fieldText, const TsfFieldOperators& operators) {
  return fieldText.empty() && AnsiSameText(sub, operators.NullChar());
}

bool IsFloatingType(TFieldType type) {
  return type == ftFloat || type == ftCurrency || type == ftBCD || type == ftFMTBcd;
}

bool IsIntegerType(TFieldType type) {
  return type == ftSmallint || type == ftInteger || type == ftWord || type == ftAutoInc;
}

bool IsDateTimeType(TFieldType type) { return type == ftDateTime || type == ftTimeStamp; }

bool IsMemoField(const TField* field) { return field->IsBlob(); }

bool SameTypedValue(const std::string& sub, const std::string& fieldText, TFieldType fieldType,
                    const TsfFieldOperators& operators) {
  if (sub == fieldText) return true;
  if (fieldType == ftString) return false;
  if (IsBlank(sub) != IsBlank(fieldText)) return false;
  if (AnsiSameText(sub, operators.NullChar())) return false;
  if (IsIntegerType(fieldType)) return StrToInt64(sub) == StrToInt64(fieldText);
  if (IsFloatingType(fieldType)) return StrToFloat(sub) == StrToFloat(fieldText);
  if (fieldType == ftDate) return StrToDate(sub) == StrToDate(fieldText);
  if (fieldType == ftTime) return StrToTime(sub) == StrToTime(fieldText);
  if (IsDateTimeType(fieldType)) return StrToDateTime(sub) == StrToDateTime(fieldText);
  return false;
}

std::string FieldNameFromLabel(const TDataSet* dataSet, const std::string& name) {
  if (dataSet == nullptr) return {};
  const std::string wanted = TildeAsBlank(name);
  for (TField* field : dataSet->Fields())
    if (AnsiSameText(TildeAsBlank(field->DisplayLabel()), wanted)) return field->FieldName();
  return {};
}

void FieldTextForMatch(const TField* field, std::string& text) {
  const TFieldType type = field->DataType();
  const bool isNull = field->IsNull();
  if (type == ftDate || type == ftTime || IsDateTimeType(type)) {
    if (isNull) {
      text.clear();
    } else if (type == ftDate) {
      text = DateToStr(field->AsDateTime());
    } else if (type == ftTime) {
      text = TimeToStr(field->AsDateTime());
    } else {
      text = DateTimeToStr(field->AsDateTime());
    }
  } else if (IsIntegerType(type) || type == ftLargeint) {
    text = IntToStr(isNull ? 0 : field->AsLargeInt());
  } else if (type == ftBoolean) {
    text = !isNull && field->AsBoolean() ? "True" : "False";
  } else if (IsFloatingType(type)) {
    text = FloatToStr(isNull ? 0.0 : field->AsFloat());
  } else if (isNull) {
    text.clear();
  } else if (type == ftString) {
    // Straight from the record buffer: once the scratch area has grown, a
    // text costs no allocation per record.
    thread_local std::vector<char> scratch;
    const auto size = static_cast<std::size_t>(field->DataSize());
    if (scratch.size() < size + 1) scratch.resize(size + 1);
    scratch[size] = '\0';
    field->GetData(scratch.data());
    text.assign(scratch.data(), strnlen(scratch.data(), size));
  } else {
    text = field->AsString();
  }
}

// ------------------------------------------------------------ TsfDummyForm

namespace {

// The criterion's field, its FieldName recomputed from DisplayName when it
// names no field of the dataset.
TField* ResolveField(TDataSet* dataSet, TsfFieldInfo& info) {
  if (dataSet == nullptr) return nullptr;
  TField* field = info.FieldName.empty() ? nullptr : dataSet->FindField(info.FieldName);
  if (field == nullptr) {
    info.FieldName = FieldNameFromLabel(dataSet, info.DisplayName);
    if (!info.FieldName.empty()) field = dataSet->FindField(info.FieldName);
  }
  return field;
}

}  // namespace

void TsfDummyForm::FilterRecord(TDataSet* dataSet, bool& accept) {
  dataSet_ = dataSet;
  accept = true;
  bool defaultFiltering = true;
  if (dialog_->OnAcceptFilterRecord) dialog_->OnAcceptFilterRecord(dialog_, dataSet, accept, defaultFiltering);
  if (!accept || !defaultFiltering) return;
  TsfFieldInfoList& criteria = dialog_->FieldInfo();
  for (auto& info : criteria) {
    TField* field = ResolveField(dataSet, *info);
    if (field == nullptr) {
      // A criterion that cannot be evaluated never lets a record through,
      // whether or not it is non-matching.
      accept = false;
      return;
    }
    const bool range = info->MatchType == fdMatchRange;
    bool matched = range ? MatchRange(*info, field) : MatchValue(*info, field, IsMemoField(field));
    accept = info->NonMatching && !range ? !matched : matched;
    if (!accept) return;
  }
}

bool TsfDummyForm::MatchCriterion(int index) {
  TsfFieldInfoList& criteria = dialog_->FieldInfo();
  if (index < 0 || index >= static_cast<int>(criteria.size())) return false;
  TsfFieldInfo& info = *criteria[static_cast<std::size_t>(index)];
  TField* field = ResolveField(dataSet_, info);
  if (field == nullptr) return false;
  if (info.MatchType == fdMatchRange) return MatchRange(info, field);
  return MatchValue(info, field, IsMemoField(field));
}

bool TsfDummyForm::MatchValue(const TsfFieldInfo& info, TField* field, bool memo) {
  const TsfFieldOperators& operators = dialog_->FieldOperators();
  const TsfValueOperator op = FindValueOperator(info.FilterValue, operators);
  bool result = !op.IsOr;
  if (memo && (info.MatchType == fdMatchEnd || info.MatchType == fdMatchNone)) return result;
  if (memo) {
    fieldText_ = field->AsString();
  } else {
    FieldTextForMatch(field, fieldText_);
  }
  value_ = info.FilterValue;
  if (!info.CaseSensitive) {
    UpperInPlace(fieldText_);
    UpperInPlace(value_);
  }
  const TFieldType type = field->DataType();
  std::size_t position = 0;
  while (position != kSubValuesFinished) {
    sub_ = NextSubValue(value_, op.OperatorText, position);
    bool matched = IsNullMatch(sub_, fieldText_, operators);
    if (!matched) {
      switch (info.MatchType) {
        case fdMatchStart:
          matched = (memo || !sub_.empty()) && StartsWith(fieldText_, sub_);
          break;
        case fdMatchAny:
          matched = (memo || !sub_.empty()) && fieldText_.find(sub_) != std::string::npos;
          break;
        case fdMatchExact:
          matched = memo ? fieldText_.size() == sub_.size() && fieldText_.find(sub_) != std::string::npos
                         : SameTypedValue(sub_, fieldText_, type, operators);
          break;
        case fdMatchEnd:
          matched = !sub_.empty() && fieldText_.size() >= sub_.size() &&
                    fieldText_.compare(fieldText_.size() - sub_.size(), sub_.size(), sub_) == 0;
          break;
        default:
          break;
      }
    }
    if (op.IsOr) {
      if (matched) return true;
    } else if (!matched) {
      return false;
    }
  }
  return result;
}

bool TsfDummyForm::MatchRange(const TsfFieldInfo& info, TField* field) {
  const TFieldType type = field->DataType();
  const std::string& lower = info.MinValue;
  const std::string& upper = info.MaxValue;
  if (lower.empty() && upper.empty()) return true;
  if (type == ftString) {
    FieldTextForMatch(field, fieldText_);
    if (!info.CaseSensitive) UpperInPlace(fieldText_);
    if (!lower.empty()) {
      value_ = lower;
      if (!info.CaseSensitive) UpperInPlace(value_);
      if (fieldText_ < value_) return false;
    }
    if (!upper.empty()) {
      value_ = upper;
      if (!info.CaseSensitive) UpperInPlace(value_);
      const uint16_t pad = dialog_->UpperRangePadChar();
      const auto size = static_cast<std::size_t>(field->Size());
      if (pad != 0 && value_.size() < size)
        value_.append(size - value_.size(), static_cast<char>(pad > 255 ? 255 : pad));
      if (fieldText_ > value_) return false;
    }
    return true;
  }
  const bool isNull = field->IsNull();
  if (IsIntegerType(type)) {
    const int64_t v = isNull ? 0 : field->AsLargeInt();
    if (!lower.empty() && v < StrToInt64(lower)) return false;
    if (!upper.empty() && v > StrToInt64(upper)) return false;
    return true;
  }
  if (IsFloatingType(type)) {
    const double v = isNull ? 0.0 : field->AsFloat();
    const double eps = dialog_->Rounding().Epsilon();
    if (!lower.empty() && v + eps < StrToFloat(lower)) return false;
    if (!upper.empty() && v - eps > StrToFloat(upper)) return false;
    return true;
  }
  if (type == ftDate || type == ftTime || IsDateTimeType(type)) {
    const double v = isNull ? 0.0 : field->AsDateTime();
    auto parse = [type](const std::string& text) {
      return type == ftDate ? StrToDate(text) : type == ftTime ? StrToTime(text) : StrToDateTime(text);
    };
    if (!lower.empty() && v < parse(lower)) return false;
    if (!upper.empty()) {
      const double u = parse(upper);
      if (IsDateTimeType(type)) {
        const TFormatSettings& fs = FormatSettings();
        double whole = 0;
        const bool wholeDay = fs.DateSeparator != fs.TimeSeparator
                                  ? upper.find(fs.TimeSeparator) == std::string::npos
                                  : std::modf(u, &whole) == 0.0;
        return wholeDay ? v < u + 1 : v <= u;
      }
      if (v > u) return false;
    }
    return true;
  }
  return true;
}

}  // namespace notarra
