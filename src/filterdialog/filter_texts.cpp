#include "filterdialog/filter_texts.h"

namespace notarra {

TsfFilterDialogTexts& FilterDialogTexts() {
  static TsfFilterDialogTexts texts;
  return texts;
}

std::string StripAccelerators(const std::string& caption) {
  std::string text;
  text.reserve(caption.size());
  for (char c : caption)
    if (c != '&') text += c;
  return text;
}

}  // namespace notarra

#include "filterdialog/criteria_match.h"
#include "filterdialog/field_info.h"

namespace notarra {

std::array<std::string, 3> SummaryRowTexts(const TsfFieldInfo& info, const TsfFieldOperators& operators) {
  const TsfFilterDialogTexts& texts = FilterDialogTexts();
  std::array<std::string, 3> row;
  switch (info.MatchType) {
    case fdMatchStart:
    case fdMatchAny:
    case fdMatchExact: {
      row[0] = info.DisplayName;
      const std::string& label = info.MatchType == fdMatchStart ? texts.MatchStartLabel
                                 : info.MatchType == fdMatchAny ? texts.MatchAnyLabel
                                                                : texts.MatchExactLabel;
      row[1] = StripAccelerators(label);
      if (!info.NonMatching) {
        row[2] = info.FilterValue;
      } else {
        const TsfValueOperator op = FindValueOperator(info.FilterValue, operators);
        row[2] = op.IsOr || op.IsAnd ? texts.ViewSummaryNotText + " (" + info.FilterValue + ")"
                                     : texts.ViewSummaryNotText + " " + info.FilterValue;
      }
      break;
    }
    case fdMatchRange:
      row[0] = info.DisplayName;
      row[1] = StripAccelerators(texts.ByRangeLabel);
      if (!info.MinValue.empty()) row[2] = ">=" + info.MinValue;
      if (!info.MaxValue.empty()) {
        if (!row[2].empty()) row[2] += ", ";
        row[2] += "<=" + info.MaxValue;
      }
      break;
    default:
      break;
  }
  return row;
}

}  // namespace notarra
