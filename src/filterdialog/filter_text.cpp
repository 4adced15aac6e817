// The filter-text mode of TsfFilterDialog: the criteria written as a
// dataset filter text, and handing that text to the dataset.
#include <string_view>

#include "dataset/dataset.h"
#include "dataset/field.h"
#include "filterdialog/filter_dialog.h"
#include "platform/codepage.h"
#include "platform/conversions.h"
#include "platform/date_time.h"
#include "platform/services.h"
#include "platform/text.h"

namespace notarra {

namespace {

std::string DoubleQuotes(std::string_view s) {
  std::string out;
  for (char c : s) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out;
}

bool IsDateType(TFieldType t) { return t == ftDate || t == ftTime || IsDateTimeType(t); }

// Numbers written bare in the text.
bool IsBareType(TFieldType t) {
  return t == ftSmallint || t == ftInteger || t == ftWord || t == ftFloat || t == ftCurrency || t == ftLargeint ||
         t == ftBoolean || t == ftAutoInc;
}

bool IsNumericRangeType(TFieldType t) { return IsIntegerType(t) || IsFloatingType(t) || t == ftLargeint; }

// Types never wrapped in the upper-case function.
bool IsUntouchedByUpper(TFieldType t) {
  switch (t) {
    case ftSmallint: case ftInteger: case ftWord: case ftBoolean: case ftFloat: case ftCurrency: case ftDate:
    case ftTime: case ftDateTime: case ftAutoInc: case ftLargeint: case ftTimeStamp: case ftFMTBcd:
      return true;
    default:
      return false;
  }
}

}  // namespace

namespace {

std::string EncodeDateTime(const TsfFilterDialog& dialog, double value, TFieldType type, const std::string& fieldName,
                           const TsfEncodeDateTimeEvent& event) {
  int y, m, d, h, n, s, ms;
  DecodeDate(value, y, m, d);
  DecodeTime(value, h, n, s, ms);
  const std::string time = std::to_string(h) + ":" + std::to_string(n) + ":" + std::to_string(s);
  std::string text;
  if (type != ftTime) {
    const std::string ys = std::to_string(y), mstr = std::to_string(m), ds = std::to_string(d);
    switch (dialog.QueryFormatDateMode()) {
      case qfdMonthDayYear: text = mstr + "/" + ds + "/" + ys; break;
      case qfdDayMonthYear: text = ds + "/" + mstr + "/" + ys; break;
      case qfdYearMonthDay: text = ys + "/" + mstr + "/" + ds; break;
    }
    if (type != ftDate) text += " " + time;
  } else {
    text = time;
  }
  if (event) event(value, type, fieldName, text);
  return text;
}

double ParseForType(const std::string& text, TFieldType type) {
  return type == ftDate ? StrToDate(text) : type == ftTime ? StrToTime(text) : StrToDateTime(text);
}

}  // namespace

bool TsfFilterDialog::BuildFilterLines(std::vector<std::string>& lines) {
  lines.clear();
  TDataSet* dataSet = GetDataSet();
  const TsfFilterPropertyOptions& po = filterPropertyOptions_;
  bool written = false;
  for (auto& infoPtr : criteria_) {
    TsfFieldInfo& info = *infoPtr;
    TField* field = dataSet != nullptr && !info.FieldName.empty() ? dataSet->FindField(info.FieldName) : nullptr;
    if (field == nullptr && dataSet != nullptr) {
      std::string name = FieldNameFromLabel(dataSet, info.DisplayName);
      if (!name.empty()) info.FieldName = name;
      field = name.empty() ? nullptr : dataSet->FindField(name);
    }
    std::string reference = po.UseBracketsAroundFields ? "[" + info.FieldName + "]" : info.FieldName;
    if (field == nullptr) {
      MessageService().Warning(std::string(kFieldNotFound) + "\n" + reference);
      return false;
    }
    if (IsMemoField(field) || field->Lookup() || field->Calculated()) continue;
    const TFieldType type = field->DataType();
    std::vector<std::string> own;
    if (info.MatchType == fdMatchRange) {
      std::string lower = info.MinValue, upper = info.MaxValue;
      if (type == ftString && !upper.empty() && upperRangePadChar_ != 0 &&
          upper.size() < static_cast<std::size_t>(field->Size()))
        upper.append(static_cast<std::size_t>(field->Size()) - upper.size(),
                     static_cast<char>(upperRangePadChar_ > 255 ? 255 : upperRangePadChar_));
      if (IsDateType(type)) {
        if (!lower.empty()) lower = EncodeDateTime(*this, ParseForType(lower, type), type, info.FieldName, OnEncodeDateTime);
        if (!upper.empty()) upper = EncodeDateTime(*this, ParseForType(upper, type), type, info.FieldName, OnEncodeDateTime);
      }
      if (!lower.empty()) OnEncodeValue(type, info.FieldName, lower);
      if (!upper.empty()) OnEncodeValue(type, info.FieldName, upper);
      const std::string q = IsNumericRangeType(type) ? "" : "'";
      if (!lower.empty()) own.push_back("(" + reference + " >= " + q + lower + q + ")");
      if (!lower.empty() && !upper.empty()) own.push_back(" and");
      if (!upper.empty()) own.push_back("(" + reference + " <= " + q + upper + q + ")");
      if (own.empty()) continue;
      if (written) lines.push_back(" and");
    } else {
      const TsfValueOperator op = FindValueOperator(info.FilterValue, operators_);
      std::string value = info.FilterValue;
      if (po.UseLikeOperator && po.LikeSupportsUpperKeyword && !info.CaseSensitive && !IsUntouchedByUpper(type)) {
        reference = (sqlUpperString_.empty() ? std::string("Upper") : sqlUpperString_) + "(" + reference + ")";
        value = AnsiUpperCase(value);
      }
      const std::string wildcard = po.UseLikeOperator ? po.LikeWildcardChar : std::string("*");
      std::vector<std::string> conditions;
      std::size_t position = 0;
      while (position != kSubValuesFinished) {
        std::string text(Trim(DoubleQuotes(NextSubValue(value, op.OperatorText, position))));
        if (AnsiSameText(text, operators_.NullChar())) {
          conditions.push_back(reference + " is NULL");
          continue;
        }
        // Dates are written from their parsed value, so no wildcard goes into them.
        if (!IsDateType(type)) {
          if (info.MatchType == fdMatchStart) text += wildcard;
          if (info.MatchType == fdMatchAny) text = wildcard + text + wildcard;
        }
        OnEncodeValue(type, info.FieldName, text);
        if (type == ftString && text.size() > static_cast<std::size_t>(field->Size()))
          text.resize(static_cast<std::size_t>(field->Size()));
        if (IsBareType(type)) {
          conditions.push_back(reference + "=" + text);
        } else if (type == ftDate) {
          conditions.push_back(reference + "='" +
                               EncodeDateTime(*this, ParseForType(text, type), type, info.FieldName, OnEncodeDateTime) +
                               "'");
        } else if (type == ftTime || IsDateTimeType(type)) {
          conditions.push_back("   " + reference + "='" +
                               EncodeDateTime(*this, ParseForType(text, type), type, info.FieldName, OnEncodeDateTime) +
                               "'");
        } else if (info.MatchType == fdMatchExact) {
          conditions.push_back(reference + "='" + text + "'");
        } else if (po.UseLikeOperator) {
          conditions.push_back(reference + " like '" + text + "'");
        } else if (info.MatchType == fdMatchStart) {
          conditions.push_back(reference + "='" + text + "'");
        }
      }
      if (conditions.empty()) continue;
      std::string line = "(";
      for (std::size_t i = 0; i < conditions.size(); ++i) {
        if (i > 0) line += op.IsAnd ? " and " : " or ";
        line += conditions[i];
      }
      own.push_back(line + ")");
      if (info.NonMatching) {
        lines.push_back(written ? "  and not" : "  not");
      } else if (written) {
        lines.push_back(" and");
      }
    }
    lines.insert(lines.end(), own.begin(), own.end());
    written = true;
  }
  return true;
}

bool TsfFilterDialog::ApplyFilterText(TDataSet* dataSet) {
  std::vector<std::string> lines;
  if (!BuildFilterLines(lines)) return false;
  std::string text;
  for (const std::string& line : lines) text += " " + line;
  try {
    refiltering_ = true;
    dataSet->Close();
    TBusyCursor busy;
    dataSet->SetFiltered(false);
    dataSet->SetFilter(text);
    dataSet->SetFiltered(true);
    if (filterPropertyOptions_.DatasetFilterType == fdUseBothFilterTypes) dataSet->OnFilterRecord = nullptr;
    dataSet->Open();
    refiltering_ = false;
  } catch (const std::exception&) {
    try {
      dataSet->SetFiltered(false);
      dataSet->SetFilter("");
      dataSet->Open();
    } catch (const std::exception&) {
    }
    refiltering_ = false;
    std::string message = kUnableToExecuteFilter;
    for (const std::string& line : lines) message += "\n" + line;
    MessageService().Warning(message);
    return false;
  }
  return true;
}

}  // namespace notarra
