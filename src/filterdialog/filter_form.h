// TsfFilterDlg: the modal form the filter component shows. The user picks
// a field from the list (all fields, or only those searched), gives either a
// value with a search type or a starting and ending range, moves on to other
// fields, views a summary or starts a new search, and confirms with OK.
// The form edits its own copy of the criteria; the component takes the copy
// only after OK. A value the field's type cannot take is refused when the
// user leaves the field: the form shows it selected and stays on the field.
#pragma once

#include <QDialog>
#include <string>

#include "filterdialog/filter_dialog.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabBar;
class QTabWidget;

namespace notarra {

class TCustomMaskEdit;
class TsfDateEdit;

class TsfFilterDlg : public QDialog, public TsfFilterForm {
  Q_OBJECT

public:
  // Copies the component's criteria and has it rebuild its field catalogue.
  explicit TsfFilterDlg(TsfFilterDialog& filterDialog, QWidget* parent = nullptr);
  ~TsfFilterDlg() override;

  // --- the component's view of the form ---
  void SetSizeable(bool value) override;
  void SetCaption(const std::string& caption) override;
  void FillFieldList(bool showAll) override;
  bool ShowModal() override;
  bool Modified() const override { return modified_; }
  TsfFieldInfoList& FieldInfoList() override { return fieldInfoList_; }

  // --- behaviour ---
  TsfFieldInfo* FindCriteria(const std::string& name);
  TFieldType FieldTypeOf(const std::string& name) const;
  void StoreCriteria(const std::string& name, TsfFilterMatchType matchType, bool nonMatching, bool caseSensitive,
                     const std::string& maxText, const std::string& minText, const std::string& valueText);
  bool CommitAndLoadField(bool reload);
  void ChooseCriteriaPage();
  void ChooseValueEditor();

  TsfFilterDialog& FilterDialog() const { return filterDialog_; }
  TDataSet* DataSet() const { return dataSet_; }
  int LastFieldIndex() const { return lastFieldIndex_; }
  bool Activated() const { return activated_; }

  // --- controls, by their names ---
  QFrame* FieldListPanel() const { return fieldListPanel_; }
  QLabel* FieldsLbl() const { return fieldsLbl_; }
  QTabBar* FieldTabSet() const { return fieldTabSet_; }
  QListWidget* FieldsListBox() const { return fieldsListBox_; }
  QGroupBox* FieldOrder() const { return fieldOrder_; }
  QRadioButton* FieldOrderItem(int index) const { return fieldOrderItems_[index]; }
  QFrame* FieldCriteriaPanel() const { return fieldCriteriaPanel_; }
  QLabel* FieldCriteria() const { return fieldCriteria_; }
  // Why the last value was refused, shown under its editor until it changes.
  QLabel* RefusalLbl() const { return refusalLbl_; }
  QTabWidget* SelectNotebook() const { return selectNotebook_; }
  QWidget* TabSheet1() const { return tabSheet1_; }
  QWidget* TabSheet2() const { return tabSheet2_; }
  QLabel* FieldValueLbl() const { return fieldValueLbl_; }
  TCustomMaskEdit* FilterValueEdit() const { return filterValueEdit_; }
  QComboBox* FilterValueCombo() const { return filterValueCombo_; }
  QPushButton* FilterValueClearButton() const { return filterValueClearButton_; }
  QGroupBox* MatchTypeGroup() const { return matchTypeGroup_; }
  // Item 2 is gone (nullptr) once partial-match-anywhere is hidden.
  QRadioButton* MatchTypeItem(int index) const { return matchTypeItems_[index]; }
  QFrame* Panel1() const { return panel1_; }
  QCheckBox* CaseSensitive() const { return caseSensitive_; }
  QCheckBox* Nonmatching() const { return nonmatching_; }
  QLabel* StartingRangeLbl() const { return startingRangeLbl_; }
  QLabel* EndingRangeLbl() const { return endingRangeLbl_; }
  QLineEdit* MinValueEdit() const { return minValueEdit_; }
  QLineEdit* MaxValueEdit() const { return maxValueEdit_; }
  TsfDateEdit* MinDateEdit() const { return minDateEdit_; }
  TsfDateEdit* MaxDateEdit() const { return maxDateEdit_; }
  QPushButton* MinValueClearButton() const { return minValueClearButton_; }
  QPushButton* MaxValueClearButton() const { return maxValueClearButton_; }
  QFrame* ButtonPanel() const { return buttonPanel_; }
  QPushButton* ViewButton() const { return viewButton_; }
  QPushButton* ClearSearchButton() const { return clearSearchButton_; }
  QFrame* OKCancelPanel() const { return okCancelPanel_; }
  QPushButton* OKButton() const { return okButton_; }
  QPushButton* CancelButton() const { return cancelButton_; }
  // The editors in use.
  QWidget* ValueEdit() const { return valueEdit_; }
  QLineEdit* MinEdit() const { return minEdit_; }
  QLineEdit* MaxEdit() const { return maxEdit_; }

  // The search type item selected: 0 exact, 1 at the beginning, 2 anywhere.
  int MatchTypeIndex() const;

public slots:
  void accept() override;

protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void CreatePanels();
  void CreateValuePage();
  void CreateRangePage();
  void CreateOkCancel();
  void LayOut();
  void FormShow();
  void ApplyTexts();
  void UpdateCriteriaTabs();
  void FocusCriteriaEditor();
  void UpdateClearButtons();
  void SwitchFieldList(int tab);
  void EditorChanged();
  void SelectMatchType(TsfFilterMatchType type);
  void SelectListRow(int row);
  std::string ValueText() const;
  void SetValueText(const std::string& text);
  std::string RangeBound(bool starting, TFieldType type) const;
  // Puts the focus on the editor, selects its text and says why next to it.
  void RefuseEditor(int page, QWidget* editor, const std::string& reason);
  bool PreviewKey(QKeyEvent* event);
  bool MoveFieldSelection(int key);

  // Handlers.
  void FieldsListBoxClick();
  void FieldOrderClick();
  void FieldTabSetChanging(int target);
  void ViewButtonClick();
  void ClearSearchButtonClick();

  TsfFilterDialog& filterDialog_;
  TDataSet* dataSet_;
  TsfFieldInfoList fieldInfoList_;
  int lastFieldIndex_ = -1;
  bool activated_ = false;
  bool modified_ = false;
  bool shown_ = false;
  bool sizeable_ = false;
  bool quiet_ = false;  // the form changes its own controls: no handlers
  int fieldTab_ = 0;    // the tab the list shows (0 All, 1 Searched)
  int matchGroupHeight_ = 0;

  QFrame* fieldListPanel_ = nullptr;
  QLabel* fieldsLbl_ = nullptr;
  QTabBar* fieldTabSet_ = nullptr;
  QListWidget* fieldsListBox_ = nullptr;
  QFrame* fieldOrderPanel_ = nullptr;
  QGroupBox* fieldOrder_ = nullptr;
  QRadioButton* fieldOrderItems_[2] = {};
  QButtonGroup* fieldOrderButtons_ = nullptr;
  QFrame* fieldCriteriaPanel_ = nullptr;
  QLabel* fieldCriteria_ = nullptr;
  QLabel* refusalLbl_ = nullptr;
  QTabWidget* selectNotebook_ = nullptr;
  QWidget* tabSheet1_ = nullptr;
  QWidget* tabSheet2_ = nullptr;
  QLabel* fieldValueLbl_ = nullptr;
  TCustomMaskEdit* filterValueEdit_ = nullptr;
  QComboBox* filterValueCombo_ = nullptr;
  TCustomMaskEdit* comboEdit_ = nullptr;
  QPushButton* filterValueClearButton_ = nullptr;
  QGroupBox* matchTypeGroup_ = nullptr;
  QRadioButton* matchTypeItems_[3] = {};
  QButtonGroup* matchTypeButtons_ = nullptr;
  QFrame* panel1_ = nullptr;
  QCheckBox* caseSensitive_ = nullptr;
  QCheckBox* nonmatching_ = nullptr;
  QLabel* startingRangeLbl_ = nullptr;
  QLabel* endingRangeLbl_ = nullptr;
  QLineEdit* minValueEdit_ = nullptr;
  QLineEdit* maxValueEdit_ = nullptr;
  TsfDateEdit* minDateEdit_ = nullptr;
  TsfDateEdit* maxDateEdit_ = nullptr;
  QPushButton* minValueClearButton_ = nullptr;
  QPushButton* maxValueClearButton_ = nullptr;
  QFrame* buttonPanel_ = nullptr;
  QPushButton* viewButton_ = nullptr;
  QPushButton* clearSearchButton_ = nullptr;
  QFrame* okCancelPanel_ = nullptr;
  QPushButton* okButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QWidget* valueEdit_ = nullptr;
  QLineEdit* minEdit_ = nullptr;
  QLineEdit* maxEdit_ = nullptr;
  std::string pictureMask_;
};

// Registers the form and the summary view with the filter component, so
// that Execute and View Summary show them. Safe to call more than once.
void InstallFilterDialogForms();

}  // namespace notarra
