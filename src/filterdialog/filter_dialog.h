// TsfFilterDialog: the non-visual component that narrows a data source's
// dataset by criteria the user builds in the filter dialog form. It keeps
// the criteria, applies them through its record-filter handler (or as a
// filter text), and forgets them when the dataset closes. The dialog form
// lives in the GUI layer and is reached through a factory it registers, so
// this layer needs no window system.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dataset/data_link.h"
#include "dataset/dataset.h"
#include "dataset/data_types.h"
#include "filterdialog/criteria_match.h"
#include "filterdialog/field_info.h"
#include "platform/component.h"
#include "platform/events.h"
#include "platform/set.h"

namespace notarra {

class TDataSet;
class TDataSource;
class TsfFilterDialog;

enum TsfFilterDialogOption {
  fdCaseSensitive,
  fdShowCaseSensitive,
  fdShowOKCancel,
  fdShowViewSummary,
  fdShowFieldOrder,
  fdShowValueRangeTab,
  fdShowNonMatching,
  fdHidePartialAnywhere,
  fdDisableDateTimePicker,
  fdSizeable,
  fdTabsAtTop,
};
using TsfFilterDialogOptions = TSet<TsfFilterDialogOption>;

enum TsfFilterSortBy { fdSortByFieldNo, fdSortByFieldName };
enum TsfFilterMethod { fdByFilter, fdByQueryModify };
enum TsfFilterBy { fdSmartFilter, fdFilterByRange, fdFilterByValue };
enum TsfFieldsFetchMethod { fmUseTTable, fmUseSQL, fmUseTFields };
enum TsfFilterOptimization { fdNone, fdUseAllIndexes, fdUseActiveIndex };
enum TsfQueryFormatDateMode { qfdMonthDayYear, qfdDayMonthYear, qfdYearMonthDay };
enum TsfDatasetFilterType { fdUseOnFilter, fdUseFilterProp, fdUseBothFilterTypes };
enum TsfOnFilterPropertyOption { fdClearWhenNoCriteria, fdClearWhenCloseDataSet };
using TsfOnFilterPropertyOptions = TSet<TsfOnFilterPropertyOption>;

class TsfFilterPropertyOptions {
public:
  TsfDatasetFilterType DatasetFilterType = fdUseOnFilter;
  bool UseLikeOperator = false;
  std::string LikeWildcardChar = "%";
  bool LikeSupportsUpperKeyword = false;
  bool UseBracketsAroundFields = true;
};

// One entry of the field catalogue.
struct TsfDBFieldInfo {
  std::string FieldName;
  TFieldType FieldType = ftUnknown;
  std::string DisplayLabel;
  int Size = 0;
  std::string FieldNameOrig;  // the second text
  std::string TableName;      // the third text, filled only by the query-modify mode
};

struct TsfSQLTablesCollectionItem {
  std::string TableName;
  std::string TableAliasName;
  // The design-time listing: index, " - ", the alias, else the table name, else "<Unassigned>".
  std::string DisplayName(int index) const;
};

// The modal form the component shows. The GUI provides it; it edits a copy
// of the criteria and reports back after ShowModal.
class TsfFilterForm {
public:
  virtual ~TsfFilterForm() = default;
  virtual void SetSizeable(bool value) = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void FillFieldList(bool showAll) = 0;
  // True when the user pressed OK.
  virtual bool ShowModal() = 0;
  virtual bool Modified() const = 0;
  // The working copy of the criteria.
  virtual TsfFieldInfoList& FieldInfoList() = 0;
};

// Builds the form for a component; the form copies the criteria and has the
// component rebuild its field catalogue.
using TsfFilterFormFactory = std::function<std::unique_ptr<TsfFilterForm>(TsfFilterDialog&)>;

// Follows the dataset's active state for the component.
class TsfFilterDataLink : public TDataLink {
public:
  explicit TsfFilterDataLink(TsfFilterDialog* dialog) : dialog_(dialog) {}

protected:
  void ActiveChanged() override;

private:
  TsfFilterDialog* dialog_;
};

// The dialog-component base: a component with Execute and a dataset accessor.
class TsfCustomDialog : public TComponent {
public:
  explicit TsfCustomDialog(TComponent* owner = nullptr) : TComponent(owner) {}
  virtual bool Execute() = 0;
  virtual TDataSet* GetDataSet() const = 0;
};

using TsfAcceptFilterRecordEvent = TEvent<TObject*, TDataSet*, bool&, bool&>;
using TsfDialogSummaryEvent = TEvent<TObject*, TsfFieldInfoList&, bool&>;
using TsfSelectFieldEvent = TEvent<TObject*, const std::string&, std::string&, std::vector<std::string>&>;
using TsfInitDialogEvent = TEvent<TsfFilterForm*>;
using TsfEncodeValueEvent = TEvent<TFieldType, const std::string&, std::string&>;
using TsfEncodeDateTimeEvent = TEvent<double, TFieldType, const std::string&, std::string&>;

inline constexpr int kMinDlgHeight = 267;
inline constexpr const char* kDataSetMustBeActive =
    "Dataset must be active to perform local filtering (FilterMethod=fdByFilter).";
inline constexpr const char* kSameAndOr = "And and Or Operators have the same value.";
inline constexpr const char* kInvalidFilterMethod =
    "Invalid FilterMethod for Dataset. \nOnly fdByFilter is supported for this type of Dataset";
inline constexpr const char* kUnableToExecuteFilter = "Unable to Execute Filter:";
inline constexpr const char* kFieldNotFound = "Field Name not found in referenced tables. ";

class TsfFilterDialog : public TsfCustomDialog {
public:
  explicit TsfFilterDialog(TComponent* owner = nullptr);
  ~TsfFilterDialog() override;

  static TsfFilterFormFactory SetFilterFormFactory(TsfFilterFormFactory factory);

  bool Execute() override;
  void ClearFilter();
  void ApplyFilter();
  TDataSet* GetDataSet() const override { return dataLink_.DataSet(); }

  // --- published properties ---
  TDataSource* DataSource() const { return dataLink_.DataSource(); }
  void SetDataSource(TDataSource* source);
  TsfFilterDialogOptions Options() const { return options_; }
  void SetOptions(TsfFilterDialogOptions value) { options_ = value; }
  TsfFilterSortBy SortBy() const { return sortBy_; }
  void SetSortBy(TsfFilterSortBy value) { sortBy_ = value; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& value) { caption_ = value; }
  TsfFilterMethod FilterMethod() const { return filterMethod_; }
  void SetFilterMethod(TsfFilterMethod value);
  TsfFilterMatchType DefaultMatchType() const { return defaultMatchType_; }
  void SetDefaultMatchType(TsfFilterMatchType value) { defaultMatchType_ = value; }
  TsfFilterBy DefaultFilterBy() const { return defaultFilterBy_; }
  void SetDefaultFilterBy(TsfFilterBy value) { defaultFilterBy_ = value; }
  const std::string& DefaultField() const { return defaultField_; }
  void SetDefaultField(const std::string& value) { defaultField_ = value; }
  TsfFieldsFetchMethod FieldsFetchMethod() const { return fieldsFetchMethod_; }
  void SetFieldsFetchMethod(TsfFieldsFetchMethod value) { fieldsFetchMethod_ = value; }
  TsfFieldOperators& FieldOperators() { return operators_; }
  const TsfFieldOperators& FieldOperators() const { return operators_; }
  TsfFilterDialogRounding& Rounding() { return rounding_; }
  const TsfFilterDialogRounding& Rounding() const { return rounding_; }
  TsfFilterPropertyOptions& FilterPropertyOptions() { return filterPropertyOptions_; }
  TsfOnFilterPropertyOptions OnFilterPropertyOptions() const { return onFilterPropertyOptions_; }
  void SetOnFilterPropertyOptions(TsfOnFilterPropertyOptions value) { onFilterPropertyOptions_ = value; }
  std::vector<std::string>& SelectedFields() { return selectedFields_; }
  TsfFilterOptimization FilterOptimization() const { return filterOptimization_; }
  void SetFilterOptimization(TsfFilterOptimization value) { filterOptimization_ = value; }
  uint16_t UpperRangePadChar() const { return upperRangePadChar_; }
  void SetUpperRangePadChar(uint16_t value) { upperRangePadChar_ = value; }
  int DlgHeight() const { return dlgHeight_; }
  void SetDlgHeight(int value) {
    if (value > kMinDlgHeight) dlgHeight_ = value;
  }
  TsfQueryFormatDateMode QueryFormatDateMode() const { return queryFormatDateMode_; }
  void SetQueryFormatDateMode(TsfQueryFormatDateMode value) { queryFormatDateMode_ = value; }
  std::vector<TsfSQLTablesCollectionItem>& SQLTables() { return sqlTables_; }
  const std::string& SQLUpperString() const { return sqlUpperString_; }
  void SetSQLUpperString(const std::string& value) { sqlUpperString_ = value; }
  const std::string& SQLPropertyName() const { return sqlPropertyName_; }
  void SetSQLPropertyName(const std::string& value) { sqlPropertyName_ = value; }

  // --- published events ---
  TsfInitDialogEvent OnInitDialog;
  TsfDialogSummaryEvent OnDialogSummary;
  TsfSelectFieldEvent OnSelectField;
  TsfAcceptFilterRecordEvent OnAcceptFilterRecord;
  TsfEncodeValueEvent OnEncodeValue;
  TsfEncodeDateTimeEvent OnEncodeDateTime;

  // --- state ---
  TsfFieldInfoList& FieldInfo() { return criteria_; }
  const std::vector<std::unique_ptr<TsfDBFieldInfo>>& FieldCatalogue() const { return catalogue_; }
  void RebuildFieldCatalogue();
  bool ShowDialog() const { return showDialog_; }
  bool Refiltering() const { return refiltering_; }
  TsfDummyForm& DummyForm() { return *dummyForm_; }
  // The record-filter handler as the dataset's event.
  TFilterRecordEvent FilterRecordHandler() const;
  // The filter text the criteria give (filter-text mode); empty lines skipped.
  // Returns false (after the warning box) when a criterion's field is missing.
  bool BuildFilterLines(std::vector<std::string>& lines);

protected:
  void Notification(TComponent* component, TOperation operation) override;

private:
  friend class TsfFilterDataLink;
  void DataSetActiveChanged();
  void ApplyLocally(TDataSet* dataSet);
  bool ApplyFilterText(TDataSet* dataSet);
  void SwitchFiltered(TDataSet* dataSet);

  TsfFilterDataLink dataLink_{this};
  std::unique_ptr<TsfDummyForm> dummyForm_;
  TsfFieldInfoList criteria_;
  std::vector<std::unique_ptr<TsfDBFieldInfo>> catalogue_;
  TsfFilterDialogOptions options_{fdShowCaseSensitive, fdShowOKCancel, fdShowViewSummary, fdShowFieldOrder,
                                  fdShowValueRangeTab};
  TsfFilterSortBy sortBy_ = fdSortByFieldNo;
  std::string caption_;
  TsfFilterMethod filterMethod_ = fdByFilter;
  TsfFilterMatchType defaultMatchType_ = fdMatchStart;
  TsfFilterBy defaultFilterBy_ = fdSmartFilter;
  std::string defaultField_;
  TsfFieldsFetchMethod fieldsFetchMethod_ = fmUseTTable;
  TsfFieldOperators operators_;
  TsfFilterDialogRounding rounding_;
  TsfFilterPropertyOptions filterPropertyOptions_;
  TsfOnFilterPropertyOptions onFilterPropertyOptions_{fdClearWhenNoCriteria, fdClearWhenCloseDataSet};
  std::vector<std::string> selectedFields_;
  TsfFilterOptimization filterOptimization_ = fdNone;
  uint16_t upperRangePadChar_ = 122;
  int dlgHeight_ = kMinDlgHeight;
  TsfQueryFormatDateMode queryFormatDateMode_ = qfdMonthDayYear;
  std::vector<TsfSQLTablesCollectionItem> sqlTables_;
  std::string sqlUpperString_;
  std::string sqlPropertyName_;
  TDataSet* filteredDataSet_ = nullptr;  // where the handler was installed
  bool showDialog_ = true;
  bool refiltering_ = false;
};

}  // namespace notarra
