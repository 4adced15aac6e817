// The process-wide table of texts the filter dialog forms show (captions,
// hints, the summary's headers and the no-criteria message), with the font
// style the forms take when the texts are applied and the choice between
// bitmap and plain OK/Cancel buttons. A program may change any entry before
// opening the dialog; the forms read the table each time they are shown.
#pragma once

#include <string>

// Marks the default texts for Qt's translation tools (Qt's own definition).
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif

namespace notarra {

struct TsfFontStyles {
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
};

struct TsfFilterDialogTexts {
  std::string BtnViewSummary = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "View Su&mmary");
  std::string BtnViewSummaryHint = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "View summary of current search criteria");
  std::string BtnNewSearch = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "&New Search");
  std::string BtnNewSearchHint = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "Start a new search");
  std::string FieldOrderLabel = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "Field Order");
  std::string FieldOrderHint = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "Sort field list alphabetically or in their natural logical order");
  std::string AlphabeticLabel = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "Alpha&betic");
  std::string LogicalLabel = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "&Logical");
  std::string AllFieldsLabel = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "&All");
  std::string SearchedFieldsLabel = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "&Searched");
  std::string AllSearchedTabHint = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "Show all fields or only currently searched fields");
  std::string StartingRangeLabel = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "&Starting Range");
  std::string StartingRangeHint = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "Enter starting range for field");
  std::string EndingRangeLabel = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "En&ding Range");
  std::string EndingRangeHint = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "Enter ending range for field");
  std::string BtnClearMin = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "&Clear");
  std::string BtnClearMinHint = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "Clear starting range for field");
  std::string BtnClearMax = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "Cl&ear");
  std::string BtnClearMaxHint = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "Clear ending range for field");
  std::string BtnClearFilterValue = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "&Clear");
  std::string BtnClearFilterValueHint = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "Clear the current field's search value");
  std::string ByValueLabel = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "By &Value");
  std::string ByRangeLabel = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "By &Range");
  std::string FieldValueLabel = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "Field &Value");
  std::string FieldValueHint = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "Enter field's search value");
  std::string SearchTypeLabel = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "Search Type");
  std::string SearchTypeHint = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "Specify how the Field Value should be compared");
  std::string MatchExactLabel = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "&Exact Match");
  std::string MatchStartLabel = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "&Partial Match at Beginning");
  std::string MatchAnyLabel = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "Partial Match Any&where");
  std::string CaseSensitiveLabel = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "Case Sensi&tive");
  std::string CaseSensitiveHint = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "Searching is case-sensitive");
  std::string NonMatchingLabel = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "N&on-matching records");
  std::string NonMatchingHint = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "Show records that do not match the field value criteria");
  std::string FieldsLabel = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "&Fields");
  std::string ValueRangeTabHint = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "Search fields by value or by range");
  std::string SummaryFieldLabel = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "Field");
  std::string SummarySearchLabel = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "Search Type");
  std::string SummaryValueLabel = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "Value");
  std::string SummaryCaption;
  std::string ViewSummaryNotText = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "NOT");
  std::string FilterDlgNoCriteria = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "You have not selected any search criteria");
  std::string BtnOK = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "&OK");
  std::string BtnCancel = QT_TRANSLATE_NOOP("TsfFilterDialogTexts", "Cancel");
  // The style the dialog forms' font takes when the texts are applied:
  // none, so the forms' bold font becomes regular.
  TsfFontStyles DialogFontStyle;
  bool BitmapButtons = true;

  // Calls f on every text of the table, to translate them all at once.
  template <typename F>
  void ForEachText(F&& f) {
    for (std::string* text : {&BtnViewSummary, &BtnViewSummaryHint, &BtnNewSearch, &BtnNewSearchHint, &FieldOrderLabel, &FieldOrderHint, &AlphabeticLabel, &LogicalLabel, &AllFieldsLabel, &SearchedFieldsLabel, &AllSearchedTabHint, &StartingRangeLabel, &StartingRangeHint, &EndingRangeLabel, &EndingRangeHint, &BtnClearMin, &BtnClearMinHint, &BtnClearMax, &BtnClearMaxHint, &BtnClearFilterValue, &BtnClearFilterValueHint, &ByValueLabel, &ByRangeLabel, &FieldValueLabel, &FieldValueHint, &SearchTypeLabel, &SearchTypeHint, &MatchExactLabel, &MatchStartLabel, &MatchAnyLabel, &CaseSensitiveLabel, &CaseSensitiveHint, &NonMatchingLabel, &NonMatchingHint, &FieldsLabel, &ValueRangeTabHint, &SummaryFieldLabel, &SummarySearchLabel, &SummaryValueLabel, &SummaryCaption, &ViewSummaryNotText, &FilterDlgNoCriteria, &BtnOK, &BtnCancel})
      f(*text);
  }
};

// The one table; starts with the defaults above.
TsfFilterDialogTexts& FilterDialogTexts();

// A caption without its "&" accelerator marks ("&Exact Match" -> "Exact Match").
std::string StripAccelerators(const std::string& caption);

}  // namespace notarra

#include <array>

namespace notarra {

class TsfFieldInfo;
class TsfFieldOperators;

// The summary's three cells for one criterion: the field, the kind of
// search and the value or range in words ("<=10", ">=1, <=10",
// "NOT (a or b)"). A match type the summary does not show gives empty cells.
std::array<std::string, 3> SummaryRowTexts(const TsfFieldInfo& info, const TsfFieldOperators& operators);

}  // namespace notarra
