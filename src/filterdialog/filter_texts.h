// The process-wide table of texts the filter dialog forms show (captions,
// hints, the summary's headers and the no-criteria message), with the font
// style the forms take when the texts are applied and the choice between
// bitmap and plain OK/Cancel buttons. A program may change any entry before
// opening the dialog; the forms read the table each time they are shown.
#pragma once

#include <string>

namespace notarra {

struct TsfFontStyles {
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
};

struct TsfFilterDialogTexts {
  std::string BtnViewSummary = "View Su&mmary";
  std::string BtnViewSummaryHint = "View summary of current search criteria";
  std::string BtnNewSearch = "&New Search";
  std::string BtnNewSearchHint = "Start a new search";
  std::string FieldOrderLabel = "Field Order";
  std::string FieldOrderHint = "Sort field list alphabetically or in their natural logical order";
  std::string AlphabeticLabel = "Alpha&betic";
  std::string LogicalLabel = "&Logical";
  std::string AllFieldsLabel = "&All";
  std::string SearchedFieldsLabel = "&Searched";
  std::string AllSearchedTabHint = "Show all fields or only currently searched fields";
  std::string StartingRangeLabel = "&Starting Range";
  std::string StartingRangeHint = "Enter starting range for field";
  std::string EndingRangeLabel = "En&ding Range";
  std::string EndingRangeHint = "Enter ending range for field";
  std::string BtnClearMin = "&Clear";
  std::string BtnClearMinHint = "Clear starting range for field";
  std::string BtnClearMax = "Cl&ear";
  std::string BtnClearMaxHint = "Clear ending range for field";
  std::string BtnClearFilterValue = "&Clear";
  std::string BtnClearFilterValueHint = "Clear the current field's search value";
  std::string ByValueLabel = "By &Value";
  std::string ByRangeLabel = "By &Range";
  std::string FieldValueLabel = "Field &Value";
  std::string FieldValueHint = "Enter field's search value";
  std::string SearchTypeLabel = "Search Type";
  std::string SearchTypeHint = "Specify how the Field Value should be compared";
  std::string MatchExactLabel = "&Exact Match";
  std::string MatchStartLabel = "&Partial Match at Beginning";
  std::string MatchAnyLabel = "Partial Match Any&where";
  std::string CaseSensitiveLabel = "Case Sensi&tive";
  std::string CaseSensitiveHint = "Searching is case-sensitive";
  std::string NonMatchingLabel = "N&on-matching records";
  std::string NonMatchingHint = "Show records that do not match the field value criteria";
  std::string FieldsLabel = "&Fields";
  std::string ValueRangeTabHint = "Search fields by value or by range";
  std::string SummaryFieldLabel = "Field";
  std::string SummarySearchLabel = "Search Type";
  std::string SummaryValueLabel = "Value";
  std::string SummaryCaption;
  std::string ViewSummaryNotText = "NOT";
  std::string FilterDlgNoCriteria = "You have not selected any search criteria";
  std::string BtnOK = "&OK";
  std::string BtnCancel = "Cancel";
  // The style the dialog forms' font takes when the texts are applied:
  // none, so the forms' bold font becomes regular.
  TsfFontStyles DialogFontStyle;
  bool BitmapButtons = true;
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
