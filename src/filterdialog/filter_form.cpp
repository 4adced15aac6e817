#include "filterdialog/filter_form.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>
#include <cmath>

#include "dataset/dataset.h"
#include "dataset/field.h"
#include "filterdialog/criteria_match.h"
#include "filterdialog/criteria_validation.h"
#include "filterdialog/date_edit.h"
#include "filterdialog/filter_form_style.h"
#include "filterdialog/filter_summary.h"
#include "filterdialog/filter_texts.h"
#include "gui/dpi_scale.h"
#include "gui/exception_guard.h"
#include "gui/mask_edit.h"
#include "gui/qt_text.h"
#include "platform/codepage.h"
#include "platform/conversions.h"
#include "platform/format_settings.h"
#include "platform/services.h"

namespace notarra {

namespace {

constexpr int kAllTab = 0;
constexpr int kSearchedTab = 1;
constexpr int kValuePage = 0;
constexpr int kRangePage = 1;
constexpr int kAlphabetic = 0;
constexpr int kLogical = 1;
// Layout at 96 dots per inch.
constexpr int kClientWidth = 506;
constexpr int kFrameHeight = 29;  // title bar and borders of the outer height
constexpr int kMinWidth = 460;
constexpr int kMinHeight = 274;
constexpr int kCriteriaWidth = 207;
constexpr int kOkCancelWidth = 88;
constexpr int kButtonPanelHeight = 31;
constexpr int kFieldOrderHeight = 42;
constexpr int kMatchGroupHeight = 78;

std::string TildeAsBlank(std::string text) {
  std::replace(text.begin(), text.end(), '~', ' ');
  return text;
}

bool SameName(const std::string& a, const std::string& b) { return AnsiSameText(TildeAsBlank(a), TildeAsBlank(b)); }

QFrame* Panel(QWidget* parent, const char* name) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(name);
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setLineWidth(1);
  return panel;
}

}  // namespace

TsfFilterDlg::TsfFilterDlg(TsfFilterDialog& filterDialog, QWidget* parent)
    : QDialog(parent != nullptr ? parent : QApplication::activeWindow()),
      filterDialog_(filterDialog),
      dataSet_(filterDialog.GetDataSet()) {
  setObjectName("sfFilterDlg");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFont(FilterFormFont());
  resize(ScaledSize(this, kClientWidth, 291));
  setMinimumSize(ScaledSize(this, kMinWidth, kMinHeight - kFrameHeight));
  setSizeGripEnabled(false);

  fieldInfoList_ = CopyFieldInfoList(filterDialog.FieldInfo());
  for (auto& info : fieldInfoList_) {
    std::string name = FieldNameFromLabel(dataSet_, info->DisplayName);
    if (!name.empty()) info->FieldName = name;
  }
  filterDialog.RebuildFieldCatalogue();

  CreatePanels();
  CreateValuePage();
  CreateRangePage();
  CreateOkCancel();
  ApplyTexts();
  valueEdit_ = filterValueEdit_;
  minEdit_ = minValueEdit_;
  maxEdit_ = maxValueEdit_;
  minDateEdit_->hide();
  maxDateEdit_->hide();
  filterValueCombo_->hide();
  LayOut();
  // The form sees the keys before its controls.
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

TsfFilterDlg::~TsfFilterDlg() = default;

void TsfFilterDlg::CreatePanels() {
  fieldListPanel_ = Panel(this, "FieldListPanel");
  fieldsLbl_ = new QLabel(fieldListPanel_);
  fieldsLbl_->setObjectName("FieldsLbl");
  fieldsListBox_ = new QListWidget(fieldListPanel_);
  fieldsListBox_->setObjectName("FieldsListBox");
  fieldsLbl_->setBuddy(fieldsListBox_);
  fieldTabSet_ = new QTabBar(fieldListPanel_);
  fieldTabSet_->setObjectName("FieldTabSet");
  fieldTabSet_->setShape(QTabBar::RoundedSouth);
  fieldTabSet_->setDrawBase(false);
  fieldTabSet_->setFocusPolicy(Qt::NoFocus);
  fieldTabSet_->addTab(QString());
  fieldTabSet_->addTab(QString());
  connect(fieldsListBox_, &QListWidget::currentRowChanged, this, [this] {
    if (!quiet_) RunGuarded([this] { FieldsListBoxClick(); });
  });
  connect(fieldTabSet_, &QTabBar::currentChanged, this, [this](int target) {
    if (!quiet_ && target != fieldTab_) RunGuarded([this, target] { FieldTabSetChanging(target); });
  });

  fieldOrderPanel_ = new QFrame(fieldListPanel_);
  fieldOrderPanel_->setObjectName("FieldOrderPanel");
  fieldOrder_ = new QGroupBox(fieldOrderPanel_);
  fieldOrder_->setObjectName("FieldOrder");
  fieldOrderButtons_ = new QButtonGroup(this);
  for (int i = 0; i < 2; ++i) {
    fieldOrderItems_[i] = new QRadioButton(fieldOrder_);
    fieldOrderButtons_->addButton(fieldOrderItems_[i], i);
  }
  fieldOrderItems_[kLogical]->setChecked(true);
  connect(fieldOrderButtons_, &QButtonGroup::idClicked, this, [this] {
    if (!quiet_) RunGuarded([this] { FieldOrderClick(); });
  });

  fieldCriteriaPanel_ = Panel(this, "FieldCriteriaPanel");
  refusalLbl_ = new QLabel(this);
  refusalLbl_->setObjectName("RefusalLbl");
  refusalLbl_->setAutoFillBackground(true);
  refusalLbl_->setWordWrap(true);
  refusalLbl_->setFrameShape(QFrame::Box);
  refusalLbl_->setStyleSheet("QLabel { color: #a00000; background: #fff3f0; padding: 2px; }");
  refusalLbl_->hide();
  fieldCriteria_ = new QLabel(fieldCriteriaPanel_);
  fieldCriteria_->setObjectName("FieldCriteria");
  selectNotebook_ = new QTabWidget(fieldCriteriaPanel_);
  selectNotebook_->setObjectName("SelectNotebook");
  selectNotebook_->setTabPosition(QTabWidget::South);
  tabSheet1_ = new QWidget;
  tabSheet1_->setObjectName("TabSheet1");
  tabSheet2_ = new QWidget;
  tabSheet2_->setObjectName("TabSheet2");
  selectNotebook_->addTab(tabSheet1_, QString());
  selectNotebook_->addTab(tabSheet2_, QString());

  buttonPanel_ = new QFrame(fieldCriteriaPanel_);
  buttonPanel_->setObjectName("ButtonPanel");
  viewButton_ = new QPushButton(buttonPanel_);
  viewButton_->setObjectName("ViewButton");
  viewButton_->setFocusPolicy(Qt::NoFocus);
  viewButton_->setAutoDefault(false);
  clearSearchButton_ = new QPushButton(buttonPanel_);
  clearSearchButton_->setObjectName("ClearSearchButton");
  clearSearchButton_->setFocusPolicy(Qt::NoFocus);
  clearSearchButton_->setAutoDefault(false);
  clearSearchButton_->setEnabled(false);
  viewButton_->setGeometry(ScaledRect(this, 4, 3, 96, 25));
  clearSearchButton_->setGeometry(ScaledRect(this, 103, 3, 96, 25));
  connect(viewButton_, &QPushButton::clicked, this, [this] { RunGuarded([this] { ViewButtonClick(); }); });
  connect(clearSearchButton_, &QPushButton::clicked, this,
          [this] { RunGuarded([this] { ClearSearchButtonClick(); }); });

  okCancelPanel_ = Panel(this, "OKCancelPanel");
}

void TsfFilterDlg::CreateValuePage() {
  QWidget* page = tabSheet1_;
  fieldValueLbl_ = new QLabel(page);
  fieldValueLbl_->setObjectName("FieldValueLbl");
  fieldValueLbl_->setGeometry(ScaledRect(this, 6, 4, 180, 16));
  filterValueEdit_ = new TCustomMaskEdit(page);
  filterValueEdit_->setObjectName("FilterValueEdit");
  filterValueEdit_->SetValidateOnExit(false);
  filterValueEdit_->setGeometry(ScaledRect(this, 6, 21, 128, 21));
  filterValueCombo_ = new QComboBox(page);
  filterValueCombo_->setObjectName("FilterValueCombo");
  filterValueCombo_->setEditable(true);
  filterValueCombo_->setInsertPolicy(QComboBox::NoInsert);
  filterValueCombo_->setMaxVisibleItems(8);
  comboEdit_ = new TCustomMaskEdit;
  comboEdit_->SetValidateOnExit(false);
  filterValueCombo_->setLineEdit(comboEdit_);
  filterValueCombo_->setCompleter(nullptr);
  filterValueCombo_->setGeometry(filterValueEdit_->geometry());
  filterValueClearButton_ = new QPushButton(page);
  filterValueClearButton_->setObjectName("FilterValueClearButton");
  filterValueClearButton_->setAutoDefault(false);
  filterValueClearButton_->setEnabled(false);
  filterValueClearButton_->setGeometry(ScaledRect(this, 138, 20, 56, 23));

  matchTypeGroup_ = new QGroupBox(page);
  matchTypeGroup_->setObjectName("MatchTypeGroup");
  matchGroupHeight_ = kMatchGroupHeight;
  matchTypeGroup_->setGeometry(ScaledRect(this, 6, 47, 188, matchGroupHeight_));
  matchTypeButtons_ = new QButtonGroup(this);
  for (int i = 0; i < 3; ++i) {
    matchTypeItems_[i] = new QRadioButton(matchTypeGroup_);
    matchTypeItems_[i]->setGeometry(ScaledRect(this, 8, 16 + 19 * i, 176, 18));
    matchTypeButtons_->addButton(matchTypeItems_[i], i);
  }
  matchTypeItems_[1]->setChecked(true);
  connect(matchTypeButtons_, &QButtonGroup::idClicked, this, [this] {
    if (!quiet_) RunGuarded([this] { ChooseValueEditor(); });
  });

  panel1_ = new QFrame(page);
  panel1_->setObjectName("Panel1");
  panel1_->setGeometry(ScaledRect(this, 6, 128, 188, 41));
  caseSensitive_ = new QCheckBox(panel1_);
  caseSensitive_->setObjectName("CaseSensitive");
  caseSensitive_->setGeometry(ScaledRect(this, 8, 4, 176, 18));
  nonmatching_ = new QCheckBox(panel1_);
  nonmatching_->setObjectName("Nonmatching");
  nonmatching_->setGeometry(ScaledRect(this, 8, 21, 176, 18));

  auto changed = [this] {
    if (!quiet_) RunGuarded([this] { EditorChanged(); });
  };
  connect(filterValueEdit_, &QLineEdit::textChanged, this, changed);
  connect(filterValueCombo_, &QComboBox::editTextChanged, this, changed);
  connect(filterValueClearButton_, &QPushButton::clicked, this, [this] {
    SetValueText("");
    filterValueClearButton_->setEnabled(false);
  });
}

void TsfFilterDlg::CreateRangePage() {
  QWidget* page = tabSheet2_;
  startingRangeLbl_ = new QLabel(page);
  startingRangeLbl_->setObjectName("StartingRangeLbl");
  startingRangeLbl_->setGeometry(ScaledRect(this, 6, 4, 180, 16));
  endingRangeLbl_ = new QLabel(page);
  endingRangeLbl_->setObjectName("EndingRangeLbl");
  endingRangeLbl_->setGeometry(ScaledRect(this, 6, 52, 180, 16));
  minValueEdit_ = new QLineEdit(page);
  minValueEdit_->setObjectName("MinValueEdit");
  minValueEdit_->setGeometry(ScaledRect(this, 6, 21, 128, 21));
  maxValueEdit_ = new QLineEdit(page);
  maxValueEdit_->setObjectName("MaxValueEdit");
  maxValueEdit_->setGeometry(ScaledRect(this, 6, 69, 128, 21));
  minDateEdit_ = new TsfDateEdit(page);
  minDateEdit_->setObjectName("MinDateEdit");
  minDateEdit_->setGeometry(minValueEdit_->geometry());
  maxDateEdit_ = new TsfDateEdit(page);
  maxDateEdit_->setObjectName("MaxDateEdit");
  maxDateEdit_->setGeometry(maxValueEdit_->geometry());
  minValueClearButton_ = new QPushButton(page);
  minValueClearButton_->setObjectName("MinValueClearButton");
  minValueClearButton_->setGeometry(ScaledRect(this, 138, 20, 56, 23));
  minValueClearButton_->setAutoDefault(false);
  minValueClearButton_->setEnabled(false);
  maxValueClearButton_ = new QPushButton(page);
  maxValueClearButton_->setObjectName("MaxValueClearButton");
  maxValueClearButton_->setGeometry(ScaledRect(this, 138, 68, 56, 23));
  maxValueClearButton_->setAutoDefault(false);
  maxValueClearButton_->setEnabled(false);
  setTabOrder(minValueEdit_, minDateEdit_);
  setTabOrder(minDateEdit_, minValueClearButton_);
  setTabOrder(minValueClearButton_, maxValueEdit_);
  setTabOrder(maxValueEdit_, maxDateEdit_);
  setTabOrder(maxDateEdit_, maxValueClearButton_);

  auto changed = [this] {
    if (!quiet_) RunGuarded([this] { EditorChanged(); });
  };
  for (QLineEdit* edit : {minValueEdit_, maxValueEdit_, static_cast<QLineEdit*>(minDateEdit_),
                          static_cast<QLineEdit*>(maxDateEdit_)})
    connect(edit, &QLineEdit::textChanged, this, changed);
  connect(minValueClearButton_, &QPushButton::clicked, this, [this] {
    minEdit_->clear();
    minValueClearButton_->setEnabled(false);
  });
  connect(maxValueClearButton_, &QPushButton::clicked, this, [this] {
    maxEdit_->clear();
    maxValueClearButton_->setEnabled(false);
  });
}

void TsfFilterDlg::CreateOkCancel() {
  const TsfFilterDialogTexts& texts = FilterDialogTexts();
  okButton_ = MakeFormButton(okCancelPanel_, ToQString(texts.BtnOK), true);
  okButton_->setObjectName("OKButton");
  okButton_->move(ScaledPx(this, 7), ScaledPx(this, 22));
  okButton_->setDefault(true);
  okButton_->setEnabled(false);
  connect(okButton_, &QPushButton::clicked, this, &TsfFilterDlg::accept);
  cancelButton_ = MakeFormButton(okCancelPanel_, ToQString(texts.BtnCancel), false);
  cancelButton_->setObjectName("CancelButton");
  cancelButton_->move(ScaledPx(this, 7), ScaledPx(this, 62));
  cancelButton_->setAutoDefault(false);
  connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
  setTabOrder(fieldsListBox_, selectNotebook_);
  setTabOrder(okButton_, cancelButton_);
}

void TsfFilterDlg::LayOut() {
  const int w = width(), h = height();
  const int okPanel = okCancelPanel_->property("narrow").toBool() ? 10 : ScaledPx(this, kOkCancelWidth);
  const int criteria = ScaledPx(this, kCriteriaWidth);
  okCancelPanel_->setGeometry(w - okPanel, 0, okPanel, h);
  fieldCriteriaPanel_->setGeometry(w - okPanel - criteria, 0, criteria, h);
  fieldListPanel_->setGeometry(0, 0, std::max(0, w - okPanel - criteria), h);

  // The field list panel: label, list over its tabs, field order at the bottom.
  const int lw = fieldListPanel_->width();
  const int m = ScaledPx(this, 4);
  fieldsLbl_->setGeometry(m + 2, m, lw - 2 * m, ScaledPx(this, 16));
  const int orderHeight = fieldOrderPanel_->isVisible() || !shown_ ? ScaledPx(this, kFieldOrderHeight) : 0;
  fieldOrderPanel_->setGeometry(m, h - m - orderHeight, lw - 2 * m, orderHeight);
  fieldOrder_->setGeometry(0, 0, fieldOrderPanel_->width(), orderHeight);
  const int half = (fieldOrder_->width() - ScaledPx(this, 12)) / 2;
  fieldOrderItems_[kAlphabetic]->setGeometry(ScaledPx(this, 6), ScaledPx(this, 18), half, ScaledPx(this, 18));
  fieldOrderItems_[kLogical]->setGeometry(ScaledPx(this, 6) + half, ScaledPx(this, 18), half, ScaledPx(this, 18));
  const int tabHeight = fieldTabSet_->sizeHint().height();
  const int listTop = ScaledPx(this, 22);
  const int tabsAtTop = filterDialog_.Options().Contains(fdTabsAtTop);
  const int listBottom = h - m - orderHeight - m;
  if (tabsAtTop) {
    fieldTabSet_->setGeometry(m, listTop, lw - 2 * m, tabHeight);
    fieldsListBox_->setGeometry(m, listTop + tabHeight, lw - 2 * m, listBottom - listTop - tabHeight);
  } else {
    fieldsListBox_->setGeometry(m, listTop, lw - 2 * m, listBottom - listTop - tabHeight);
    fieldTabSet_->setGeometry(m, listBottom - tabHeight, lw - 2 * m, tabHeight);
  }

  // The criteria panel: the field's name, the pages, the button panel.
  fieldCriteria_->setGeometry(m + 2, m, criteria - 2 * m, ScaledPx(this, 16));
  const int buttons = ScaledPx(this, kButtonPanelHeight);
  buttonPanel_->setGeometry(2, h - buttons - 2, criteria - 4, buttons);
  const int pagesTop = ScaledPx(this, 22);
  selectNotebook_->setGeometry(2, pagesTop, criteria - 4, std::max(0, h - pagesTop - buttons - ScaledPx(this, 5)));
}

void TsfFilterDlg::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  LayOut();
}

void TsfFilterDlg::SetSizeable(bool value) {
  sizeable_ = value;
  setSizeGripEnabled(value);
  setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, !value);
}

void TsfFilterDlg::SetCaption(const std::string& caption) { setWindowTitle(ToQString(caption)); }

bool TsfFilterDlg::ShowModal() { return exec() == QDialog::Accepted; }

void TsfFilterDlg::ApplyTexts() {
  const TsfFilterDialogTexts& t = FilterDialogTexts();
  auto q = [](const std::string& s) { return ToQString(s); };
  viewButton_->setText(q(t.BtnViewSummary));
  viewButton_->setToolTip(q(t.BtnViewSummaryHint));
  clearSearchButton_->setText(q(t.BtnNewSearch));
  clearSearchButton_->setToolTip(q(t.BtnNewSearchHint));
  fieldOrder_->setTitle(q(t.FieldOrderLabel));
  fieldOrder_->setToolTip(q(t.FieldOrderHint));
  fieldOrderItems_[kAlphabetic]->setText(q(t.AlphabeticLabel));
  fieldOrderItems_[kLogical]->setText(q(t.LogicalLabel));
  fieldTabSet_->setTabText(kAllTab, q(t.AllFieldsLabel));
  fieldTabSet_->setTabText(kSearchedTab, q(t.SearchedFieldsLabel));
  fieldTabSet_->setToolTip(q(t.AllSearchedTabHint));
  startingRangeLbl_->setText(q(t.StartingRangeLabel));
  minValueEdit_->setToolTip(q(t.StartingRangeHint));
  minDateEdit_->setToolTip(q(t.StartingRangeHint));
  endingRangeLbl_->setText(q(t.EndingRangeLabel));
  maxValueEdit_->setToolTip(q(t.EndingRangeHint));
  maxDateEdit_->setToolTip(q(t.EndingRangeHint));
  minValueClearButton_->setText(q(t.BtnClearMin));
  minValueClearButton_->setToolTip(q(t.BtnClearMinHint));
  maxValueClearButton_->setText(q(t.BtnClearMax));
  maxValueClearButton_->setToolTip(q(t.BtnClearMaxHint));
  filterValueClearButton_->setText(q(t.BtnClearFilterValue));
  filterValueClearButton_->setToolTip(q(t.BtnClearFilterValueHint));
  selectNotebook_->setTabText(kValuePage, q(t.ByValueLabel));
  selectNotebook_->setTabText(kRangePage, q(t.ByRangeLabel));
  fieldValueLbl_->setText(q(t.FieldValueLabel));
  filterValueEdit_->setToolTip(q(t.FieldValueHint));
  filterValueCombo_->setToolTip(q(t.FieldValueHint));
  matchTypeGroup_->setTitle(q(t.SearchTypeLabel));
  matchTypeGroup_->setToolTip(q(t.SearchTypeHint));
  matchTypeItems_[0]->setText(q(t.MatchExactLabel));
  matchTypeItems_[1]->setText(q(t.MatchStartLabel));
  if (matchTypeItems_[2] != nullptr) matchTypeItems_[2]->setText(q(t.MatchAnyLabel));
  caseSensitive_->setText(q(t.CaseSensitiveLabel));
  caseSensitive_->setToolTip(q(t.CaseSensitiveHint));
  nonmatching_->setText(q(t.NonMatchingLabel));
  nonmatching_->setToolTip(q(t.NonMatchingHint));
  fieldsLbl_->setText(q(t.FieldsLabel));
  okButton_->setText(q(t.BtnOK));
  cancelButton_->setText(q(t.BtnCancel));
}

// --- the field list ---

void TsfFilterDlg::FillFieldList(bool showAll) {
  const bool alphabetic = fieldOrderButtons_->checkedId() == kAlphabetic;
  std::vector<std::string> names;
  auto add = [&](const std::string& label) {
    std::string name = TildeAsBlank(label);
    if (!showAll && FindCriteria(name) == nullptr) return;
    for (const std::string& listed : names)
      if (AnsiSameText(listed, name)) return;
    names.push_back(std::move(name));
  };
  const auto& catalogue = filterDialog_.FieldCatalogue();
  const std::vector<std::string>& selected = filterDialog_.SelectedFields();
  if (!selected.empty()) {
    for (const std::string& entry : selected) {
      const std::size_t semi = entry.find(';');
      const std::string fieldName = entry.substr(0, semi);
      const std::string label = semi == std::string::npos ? std::string() : entry.substr(semi + 1);
      auto found = std::find_if(catalogue.begin(), catalogue.end(),
                                [&](const auto& info) { return AnsiSameText(info->FieldName, fieldName); });
      if (found == catalogue.end()) continue;
      if (!label.empty()) {
        (*found)->DisplayLabel = label;
        add(label);
      } else {
        add((*found)->DisplayLabel);
      }
    }
  } else {
    for (const auto& info : catalogue) {
      const TFieldType type = info->FieldType;
      if (type == ftBytes || type == ftVarBytes || type == ftBlob || type == ftGraphic) continue;
      add(info->DisplayLabel);
    }
  }
  if (alphabetic)
    std::stable_sort(names.begin(), names.end(),
                     [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b) < 0; });
  quiet_ = true;
  fieldsListBox_->clear();
  for (const std::string& name : names) fieldsListBox_->addItem(ToQString(name));
  fieldsListBox_->setCurrentRow(-1);
  quiet_ = false;
}

TsfFieldInfo* TsfFilterDlg::FindCriteria(const std::string& name) {
  for (auto& info : fieldInfoList_)
    if (SameName(info->DisplayName, name)) return info.get();
  return nullptr;
}

TFieldType TsfFilterDlg::FieldTypeOf(const std::string& name) const {
  std::string fieldName = FieldNameFromLabel(dataSet_, name);
  if (fieldName.empty()) fieldName = name;
  if (dataSet_ != nullptr)
    if (TField* field = dataSet_->FindField(fieldName)) return field->DataType();
  const auto& catalogue = filterDialog_.FieldCatalogue();
  for (const auto& info : catalogue)
    if (AnsiSameText(info->FieldName, fieldName)) return info->FieldType;
  for (const std::string& entry : filterDialog_.SelectedFields()) {
    const std::size_t semi = entry.find(';');
    if (semi == std::string::npos || entry.substr(semi + 1) != name) continue;
    const std::string entryField = entry.substr(0, semi);
    for (const auto& info : catalogue)
      if (AnsiSameText(info->FieldName, entryField)) return info->FieldType;
  }
  return ftUnknown;
}

void TsfFilterDlg::StoreCriteria(const std::string& name, TsfFilterMatchType matchType, bool nonMatching,
                                 bool caseSensitive, const std::string& maxText, const std::string& minText,
                                 const std::string& valueText) {
  const bool range = matchType == fdMatchRange;
  if (TsfFieldInfo* info = FindCriteria(name)) {
    if ((!range && valueText.empty()) || (range && minText.empty() && maxText.empty())) {
      std::erase_if(fieldInfoList_, [info](const auto& p) { return p.get() == info; });
      modified_ = true;
      return;
    }
    if (info->MatchType != matchType) modified_ = true;
    info->MatchType = matchType;
    if (range) {
      if (info->MinValue != minText || info->MaxValue != maxText) modified_ = true;
      info->MinValue = minText;
      info->MaxValue = maxText;
    } else {
      if (info->FilterValue != valueText || info->CaseSensitive != caseSensitive || info->NonMatching != nonMatching)
        modified_ = true;
      info->FilterValue = valueText;
      info->CaseSensitive = caseSensitive;
      info->NonMatching = nonMatching;
    }
    return;
  }
  if (valueText.empty() && minText.empty() && maxText.empty()) return;
  auto info = std::make_unique<TsfFieldInfo>();
  info->DisplayName = name;
  info->MatchType = matchType;
  if (range) {
    info->MinValue = minText;
    info->MaxValue = maxText;
  } else {
    info->FilterValue = valueText;
    info->CaseSensitive = caseSensitive;
    info->NonMatching = nonMatching;
  }
  fieldInfoList_.push_back(std::move(info));
  modified_ = true;
}

// --- the editors ---

int TsfFilterDlg::MatchTypeIndex() const { return std::max(0, matchTypeButtons_->checkedId()); }

void TsfFilterDlg::SelectMatchType(TsfFilterMatchType type) {
  int index = type == fdMatchExact ? 0 : type == fdMatchStart ? 1 : type == fdMatchAny ? 2 : -1;
  if (index < 0) {
    const TsfFilterMatchType d = filterDialog_.DefaultMatchType();
    index = d == fdMatchAny ? 2 : d == fdMatchExact ? 0 : 1;
  }
  if (matchTypeItems_[index] == nullptr) index = 1;
  matchTypeItems_[index]->setChecked(true);
}

std::string TsfFilterDlg::ValueText() const {
  return valueEdit_ == filterValueCombo_ ? FromQString(filterValueCombo_->currentText()) : filterValueEdit_->Text();
}

void TsfFilterDlg::SetValueText(const std::string& text) {
  if (valueEdit_ == filterValueCombo_)
    filterValueCombo_->setEditText(ToQString(text));
  else
    filterValueEdit_->SetText(text);
}

void TsfFilterDlg::ChooseValueEditor() {
  const bool anywhere = MatchTypeIndex() == 2;
  QWidget* wanted = !anywhere && filterValueCombo_->count() > 0 ? static_cast<QWidget*>(filterValueCombo_)
                                                                : static_cast<QWidget*>(filterValueEdit_);
  const std::string mask = anywhere ? std::string() : pictureMask_;
  if (filterValueEdit_->EditMask() != mask) filterValueEdit_->SetEditMask(mask);
  if (comboEdit_->EditMask() != mask) comboEdit_->SetEditMask(mask);
  if (wanted != valueEdit_) {
    const std::string text = ValueText();
    const bool wasQuiet = quiet_;
    quiet_ = true;
    valueEdit_->hide();
    valueEdit_ = wanted;
    SetValueText(text);
    quiet_ = wasQuiet;
    wanted->show();
  }
  fieldValueLbl_->setBuddy(valueEdit_);
}

void TsfFilterDlg::UpdateCriteriaTabs() {
  selectNotebook_->tabBar()->setVisible(filterDialog_.Options().Contains(fdShowValueRangeTab));
}

void TsfFilterDlg::FocusCriteriaEditor() {
  if (selectNotebook_->currentIndex() == kValuePage) {
    QWidget* editor = valueEdit_ != nullptr ? valueEdit_ : filterValueEdit_;
    editor->setFocus();
    if (editor == filterValueCombo_)
      filterValueCombo_->lineEdit()->selectAll();
    else
      filterValueEdit_->selectAll();
  } else {
    minEdit_->setFocus();
    minEdit_->selectAll();
  }
}

void TsfFilterDlg::UpdateClearButtons() {
  const bool value = !ValueText().empty();
  const bool min = !minEdit_->text().isEmpty();
  const bool max = !maxEdit_->text().isEmpty();
  filterValueClearButton_->setEnabled(value);
  minValueClearButton_->setEnabled(min);
  maxValueClearButton_->setEnabled(max);
  clearSearchButton_->setEnabled(!fieldInfoList_.empty() || value || min || max);
}

void TsfFilterDlg::EditorChanged() {
  refusalLbl_->hide();
  UpdateClearButtons();
  okButton_->setEnabled(true);
}

std::string TsfFilterDlg::RangeBound(bool starting, TFieldType type) const {
  QLineEdit* edit = starting ? minEdit_ : maxEdit_;
  const std::string text = FromQString(edit->text());
  if (edit != minDateEdit_ && edit != maxDateEdit_) return text;
  if (text.empty()) return {};
  auto* picker = static_cast<TsfDateEdit*>(edit);
  TDateTime value = 0;
  // A text that is no date stays as typed, so that the check refuses it.
  if (!picker->ReadDateTime(value)) return text;
  const TDateTime time = value - std::floor(value);
  const bool dateTime = IsDateTimeType(type);
  if (starting) return time != 0 && dateTime ? DateTimeToStr(value) : DateToStr(value);
  const bool hasTime = time != 0 || text.find(FormatSettings().TimeSeparator) != std::string::npos;
  return hasTime && dateTime ? DateToStr(value) + " " + TimeToStr(value) : DateToStr(value);
}

void TsfFilterDlg::SelectListRow(int row) {
  const bool wasQuiet = quiet_;
  quiet_ = true;
  fieldsListBox_->setCurrentRow(row);
  quiet_ = wasQuiet;
}

void TsfFilterDlg::RefuseEditor(int page, QWidget* editor, const std::string& reason) {
  selectNotebook_->setCurrentIndex(page);
  // Under the editor, above whatever is there, until the text changes.
  refusalLbl_->setText(ToQString(reason));
  const QPoint below = editor->mapTo(this, QPoint(0, editor->height() + 1));
  // As wide as the text, wrapped where the form ends.
  const QMargins margins = refusalLbl_->contentsMargins();
  const int room = std::max(ScaledPx(this, 120), width() - below.x() - ScaledPx(this, 4));
  const int wanted = refusalLbl_->fontMetrics().horizontalAdvance(refusalLbl_->text()) + margins.left() +
                     margins.right() + 2 * refusalLbl_->margin() + ScaledPx(this, 8);
  const int w = std::min(wanted, room);
  refusalLbl_->resize(w, refusalLbl_->heightForWidth(w));
  refusalLbl_->move(below);
  refusalLbl_->raise();
  refusalLbl_->show();
  editor->setFocus();
  if (auto* line = qobject_cast<QLineEdit*>(editor))
    line->selectAll();
  else if (auto* combo = qobject_cast<QComboBox*>(editor))
    combo->lineEdit()->selectAll();
  SelectListRow(lastFieldIndex_);
}

bool TsfFilterDlg::CommitAndLoadField(bool reload) {
  const int index = MatchTypeIndex();
  const TsfFilterMatchType mt = index == 0 ? fdMatchExact : index == 2 ? fdMatchAny : fdMatchStart;
  const bool queryModify = filterDialog_.FilterMethod() == fdByQueryModify;
  if (lastFieldIndex_ >= 0 && lastFieldIndex_ < fieldsListBox_->count()) {
    const std::string name = FromQString(fieldsListBox_->item(lastFieldIndex_)->text());
    const TFieldType type = FieldTypeOf(name);
    const std::string value = ValueText();
    if (IsTypedField(type, queryModify) && !IsValidValueText(value, type, filterDialog_.FieldOperators())) {
      RefuseEditor(kValuePage, valueEdit_, RefusalReason(value, type));
      return false;
    }
    const std::string minText = RangeBound(true, type);
    const std::string maxText = RangeBound(false, type);
    if (!IsValidRangeText(minText, type)) {
      RefuseEditor(kRangePage, minEdit_, RefusalReason(minText, type));
      return false;
    }
    if (!IsValidRangeText(maxText, type)) {
      RefuseEditor(kRangePage, maxEdit_, RefusalReason(maxText, type));
      return false;
    }
    if (activated_) {
      if (selectNotebook_->currentIndex() == kValuePage)
        StoreCriteria(name, mt, nonmatching_->isChecked(), caseSensitive_->isChecked(), maxText, minText, value);
      else
        StoreCriteria(name, fdMatchRange, nonmatching_->isChecked(), caseSensitive_->isChecked(), maxText, minText,
                      value);
    }
    clearSearchButton_->setEnabled(!fieldInfoList_.empty());
  }
  refusalLbl_->hide();
  const int row = fieldsListBox_->currentRow();
  if (row < 0) return true;
  lastFieldIndex_ = row;
  const std::string name = FromQString(fieldsListBox_->item(row)->text());
  const TFieldType type = FieldTypeOf(name);

  // Range editors: pickers for dates unless switched off.
  const bool pickers = !filterDialog_.Options().Contains(fdDisableDateTimePicker) && IsPickerDateField(type);
  QLineEdit* newMin = pickers ? static_cast<QLineEdit*>(minDateEdit_) : minValueEdit_;
  QLineEdit* newMax = pickers ? static_cast<QLineEdit*>(maxDateEdit_) : maxValueEdit_;
  minDateEdit_->SetKind(IsDateTimeType(type) ? dtkDateTime : dtkDate);
  maxDateEdit_->SetKind(IsDateTimeType(type) ? dtkDateTime : dtkDate);
  minValueEdit_->setVisible(!pickers);
  maxValueEdit_->setVisible(!pickers);
  minDateEdit_->setVisible(pickers);
  maxDateEdit_->setVisible(pickers);
  minEdit_ = newMin;
  maxEdit_ = newMax;
  startingRangeLbl_->setBuddy(minEdit_);
  endingRangeLbl_->setBuddy(maxEdit_);

  TsfFilterMatchType d = fdMatchNone;
  std::string value, minText, maxText;
  if (TsfFieldInfo* info = FindCriteria(name)) {
    d = info->MatchType;
    value = info->FilterValue;
    minText = info->MinValue;
    maxText = info->MaxValue;
    caseSensitive_->setChecked(info->CaseSensitive);
    nonmatching_->setChecked(info->NonMatching);
  } else {
    caseSensitive_->setChecked(filterDialog_.Options().Contains(fdCaseSensitive));
    nonmatching_->setChecked(false);
  }

  if (reload && filterDialog_.OnSelectField) {
    std::string fieldName = FieldNameFromLabel(dataSet_, name);
    if (fieldName.empty()) fieldName = name;
    if (!fieldName.empty()) {
      std::string mask;
      std::vector<std::string> list;
      filterDialog_.OnSelectField(&filterDialog_, fieldName, mask, list);
      pictureMask_ = mask;
      const bool wasQuiet = quiet_;
      quiet_ = true;
      filterValueCombo_->clear();
      if (!list.empty()) {
        QStringList items;
        for (const std::string& item : list) items << ToQString(item);
        filterValueCombo_->addItems(items);
        auto* completer = new QCompleter(items, filterValueCombo_);
        completer->setCompletionMode(QCompleter::InlineCompletion);
        completer->setCaseSensitivity(Qt::CaseInsensitive);
        filterValueCombo_->setCompleter(completer);
      } else {
        filterValueCombo_->setCompleter(nullptr);
      }
      filterValueCombo_->setCurrentIndex(-1);
      quiet_ = wasQuiet;
    }
  }
  ChooseValueEditor();

  const bool wasQuiet = quiet_;
  quiet_ = true;
  SelectMatchType(d);
  quiet_ = wasQuiet;
  // The texts put in count as changes: they enable OK.
  auto setBound = [](QLineEdit* edit, const std::string& text) {
    if (auto* picker = qobject_cast<TsfDateEdit*>(edit)) {
      TDateTime when = 0;
      if (!text.empty() && (TryStrToDateTime(text, when) || TryStrToDate(text, when)))
        picker->SetDateTime(when);
      else
        picker->SetText(text);
    } else {
      edit->setText(ToQString(text));
    }
  };
  if (d == fdMatchNone) {
    SetValueText("");
    minEdit_->clear();
    maxEdit_->clear();
  } else if (d == fdMatchRange) {
    setBound(minEdit_, minText);
    setBound(maxEdit_, maxText);
    if (reload) {
      filterValueEdit_->SetText("");
      filterValueCombo_->setEditText(QString());
    }
  } else {
    SetValueText(value);
    if (reload) {
      minEdit_->clear();
      maxEdit_->clear();
    }
  }
  fieldCriteria_->setText(ToQString(name));
  UpdateCriteriaTabs();
  matchTypeGroup_->setEnabled(true);
  caseSensitive_->setEnabled(true);
  return true;
}

void TsfFilterDlg::ChooseCriteriaPage() {
  if (fieldsListBox_->count() == 0) return;
  const TsfFilterBy by = filterDialog_.DefaultFilterBy();
  if (!filterDialog_.Options().Contains(fdShowValueRangeTab))
    selectNotebook_->setCurrentIndex(by == fdFilterByRange ? kRangePage : kValuePage);
  if (fieldsListBox_->currentRow() < 0) SelectListRow(0);
  const std::string name = FromQString(fieldsListBox_->currentItem()->text());
  if (const TsfFieldInfo* info = FindCriteria(name)) {
    selectNotebook_->setCurrentIndex(info->MatchType == fdMatchRange ? kRangePage : kValuePage);
    return;
  }
  bool range = false;
  if (by == fdFilterByRange) {
    range = true;
  } else if (by == fdSmartFilter) {
    const TFieldType type = FieldTypeOf(name);
    range = IsTypedField(type, filterDialog_.FilterMethod() == fdByQueryModify) && type != ftBoolean;
  }
  selectNotebook_->setCurrentIndex(range ? kRangePage : kValuePage);
}

void TsfFilterDlg::SwitchFieldList(int tab) {
  const QListWidgetItem* current = fieldsListBox_->currentItem();
  const QString remembered = current != nullptr ? current->text() : QString();
  FillFieldList(tab == kAllTab);
  int row = -1;
  for (int i = 0; i < fieldsListBox_->count(); ++i)
    if (fieldsListBox_->item(i)->text() == remembered) row = i;
  SelectListRow(row);
  fieldsListBox_->setFocus();
  lastFieldIndex_ = -1;
  ChooseCriteriaPage();
  CommitAndLoadField(true);
  fieldsListBox_->setFocus();
}

// --- showing ---

void TsfFilterDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (shown_) return;
  shown_ = true;
  RunGuarded([this] { FormShow(); });
  // Criteria are kept from here on; setting the form up stores none.
  activated_ = true;
}

void TsfFilterDlg::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && shown_) activated_ = true;
}

void TsfFilterDlg::FormShow() {
  const TsfFilterDialogOptions options = filterDialog_.Options();
  const TsfFilterPropertyOptions& props = filterDialog_.FilterPropertyOptions();
  int clientWidth = width();
  if (!options.Contains(fdShowOKCancel)) {
    okButton_->move(okButton_->x(), 1000);
    cancelButton_->move(cancelButton_->x(), 1000);
    clientWidth -= okButton_->width() + ScaledPx(this, 8);
    okCancelPanel_->setProperty("narrow", true);
  }
  if (options.Contains(fdHidePartialAnywhere) ||
      (filterDialog_.FilterMethod() == fdByFilter && !props.UseLikeOperator &&
       props.DatasetFilterType == fdUseFilterProp)) {
    if (matchTypeItems_[2] != nullptr) {
      const bool wasChecked = matchTypeItems_[2]->isChecked();
      matchTypeButtons_->removeButton(matchTypeItems_[2]);
      delete matchTypeItems_[2];
      matchTypeItems_[2] = nullptr;
      matchGroupHeight_ -= 10;
      matchTypeGroup_->resize(matchTypeGroup_->width(), ScaledPx(this, matchGroupHeight_));
      panel1_->move(panel1_->x(), panel1_->y() - 10);
      if (wasChecked) matchTypeItems_[1]->setChecked(true);
    }
  }
  if (!options.Contains(fdShowFieldOrder)) {
    fieldOrder_->hide();
    fieldOrderPanel_->hide();
  }
  if (!options.Contains(fdShowViewSummary)) {
    viewButton_->hide();
    clearSearchButton_->move(viewButton_->pos());
  }
  UpdateCriteriaTabs();
  const bool filterText =
      props.DatasetFilterType == fdUseFilterProp || props.DatasetFilterType == fdUseBothFilterTypes;
  if (!options.Contains(fdShowCaseSensitive) ||
      (filterText && (!props.UseLikeOperator || !props.LikeSupportsUpperKeyword)))
    caseSensitive_->hide();
  const bool caseVisible = !caseSensitive_->isHidden();
  const int panelTop = panel1_->y();
  if (!options.Contains(fdShowNonMatching)) {
    nonmatching_->hide();
    if (caseVisible)
      panel1_->setGeometry(panel1_->x(), panelTop, panel1_->width(), ScaledPx(this, 26));
    else
      panel1_->hide();
  } else {
    nonmatching_->show();
    if (caseVisible) {
      panel1_->setGeometry(panel1_->x(), panelTop, panel1_->width(), ScaledPx(this, 41));
    } else {
      panel1_->setGeometry(panel1_->x(), panelTop, panel1_->width(), ScaledPx(this, 26));
      nonmatching_->move(nonmatching_->x(), ScaledPx(this, 5));
    }
  }
  // The outer height the component asks for, never below the form's minimum.
  const int outer = std::max(filterDialog_.DlgHeight(), kMinHeight);
  resize(clientWidth, ScaledPx(this, outer - kFrameHeight));
  if (!sizeable_) setFixedSize(size());
  LayOut();

  quiet_ = true;
  fieldOrderItems_[filterDialog_.SortBy() == fdSortByFieldName ? kAlphabetic : kLogical]->setChecked(true);
  quiet_ = false;
  if (fieldInfoList_.empty()) {
    std::string wanted = filterDialog_.DefaultField();
    if (dataSet_ != nullptr)
      if (TField* field = dataSet_->FindField(wanted)) wanted = field->DisplayLabel();
    wanted = TildeAsBlank(wanted);
    int row = -1;
    // Refill in the chosen order before selecting.
    FillFieldList(true);
    for (int i = 0; i < fieldsListBox_->count() && row < 0; ++i)
      if (AnsiSameText(FromQString(fieldsListBox_->item(i)->text()), wanted)) row = i;
    SelectListRow(row >= 0 ? row : (fieldsListBox_->count() > 0 ? 0 : -1));
  } else {
    quiet_ = true;
    fieldTabSet_->setCurrentIndex(kSearchedTab);
    quiet_ = false;
    fieldTab_ = kSearchedTab;
    FillFieldList(false);
    SelectListRow(fieldsListBox_->count() > 0 ? 0 : -1);
  }
  CommitAndLoadField(true);
  ChooseCriteriaPage();
  if (options.Contains(fdTabsAtTop)) selectNotebook_->setTabPosition(QTabWidget::North);
  LayOut();
  FocusCriteriaEditor();
  ApplyTexts();
  setFont(FilterFormFont(true));
  filterDialog_.OnInitDialog(this);
  modified_ = dataSet_ == nullptr || !dataSet_->Active();
}

// --- handlers ---

void TsfFilterDlg::FieldsListBoxClick() {
  if (CommitAndLoadField(true)) {
    ChooseCriteriaPage();
    fieldsListBox_->setFocus();
  }
}

void TsfFilterDlg::FieldOrderClick() {
  const QListWidgetItem* current = fieldsListBox_->currentItem();
  const QString remembered = current != nullptr ? current->text() : QString();
  FillFieldList(fieldTab_ == kAllTab);
  int row = -1;
  for (int i = 0; i < fieldsListBox_->count(); ++i)
    if (fieldsListBox_->item(i)->text() == remembered) row = i;
  SelectListRow(row);
  fieldsListBox_->setFocus();
  lastFieldIndex_ = row;
}

void TsfFilterDlg::FieldTabSetChanging(int target) {
  auto refuse = [this] {
    quiet_ = true;
    fieldTabSet_->setCurrentIndex(fieldTab_);
    quiet_ = false;
  };
  if (!CommitAndLoadField(false)) {
    refuse();
    return;
  }
  if (target == kSearchedTab && fieldInfoList_.empty()) {
    refuse();
    MessageService().Information(FilterDialogTexts().FilterDlgNoCriteria);
    return;
  }
  fieldTab_ = target;
  SwitchFieldList(target);
}

void TsfFilterDlg::ViewButtonClick() {
  CommitAndLoadField(false);
  if (fieldInfoList_.empty()) {
    MessageService().Information(FilterDialogTexts().FilterDlgNoCriteria);
    return;
  }
  bool doDefault = true;
  if (filterDialog_.OnDialogSummary) filterDialog_.OnDialogSummary(&filterDialog_, fieldInfoList_, doDefault);
  if (doDefault) TsfFilterDialogView::ShowSummary(filterDialog_, fieldInfoList_);
  if (selectNotebook_->currentIndex() == kValuePage)
    valueEdit_->setFocus();
  else
    minEdit_->setFocus();
}

void TsfFilterDlg::ClearSearchButtonClick() {
  fieldInfoList_.clear();
  modified_ = true;
  SetValueText("");
  minEdit_->clear();
  maxEdit_->clear();
  clearSearchButton_->setEnabled(false);
  matchTypeItems_[1]->setChecked(true);
  quiet_ = true;
  fieldTabSet_->setCurrentIndex(kAllTab);
  quiet_ = false;
  fieldTab_ = kAllTab;
  SwitchFieldList(kAllTab);
}

void TsfFilterDlg::accept() {
  bool committed = false;
  RunGuarded([this, &committed] { committed = CommitAndLoadField(true); });
  if (committed) QDialog::accept();
}

// --- keys ---

bool TsfFilterDlg::MoveFieldSelection(int key) {
  const int count = fieldsListBox_->count();
  if (count == 0) return false;
  const int current = fieldsListBox_->currentRow();
  int row = current;
  const int rowHeight = std::max(1, fieldsListBox_->sizeHintForRow(0));
  const int page = std::max(1, fieldsListBox_->viewport()->height() / rowHeight);
  switch (key) {
    case Qt::Key_Down: row = std::min(count - 1, current + 1); break;
    case Qt::Key_Up: row = std::max(0, current - 1); break;
    case Qt::Key_PageDown: row = std::min(count - 1, std::max(0, current) + page); break;
    case Qt::Key_PageUp: row = std::max(0, current - page); break;
    default: return false;
  }
  if (row == current) return false;
  SelectListRow(row);
  if (CommitAndLoadField(true)) {
    ChooseCriteriaPage();
    FocusCriteriaEditor();
  }
  return true;
}

bool TsfFilterDlg::PreviewKey(QKeyEvent* event) {
  const int key = event->key();
  QWidget* focus = QApplication::focusWidget();
  if (key == Qt::Key_Delete && focus == fieldsListBox_ && fieldTab_ == kSearchedTab) {
    QListWidgetItem* item = fieldsListBox_->currentItem();
    if (item != nullptr) StoreCriteria(FromQString(item->text()), fdMatchNone, false, false, "", "", "");
    FillFieldList(false);
    lastFieldIndex_ = -1;
    SelectListRow(fieldsListBox_->count() > 0 ? 0 : -1);
    CommitAndLoadField(true);
    ChooseCriteriaPage();
    fieldsListBox_->setFocus();
    return true;
  }
  if (key != Qt::Key_Up && key != Qt::Key_Down && key != Qt::Key_PageUp && key != Qt::Key_PageDown) return false;
  const bool upDown = key == Qt::Key_Up || key == Qt::Key_Down;
  if (upDown && (event->modifiers() & Qt::AltModifier)) return false;
  if (auto* picker = qobject_cast<TsfDateEdit*>(focus)) {
    if (picker->DroppedDown()) return false;  // the calendar's keys
    if (upDown && !picker->text().isEmpty()) return false;
  }
  if (qobject_cast<QComboBox*>(focus) != nullptr || (focus != nullptr && focus->parent() == filterValueCombo_))
    if (filterValueCombo_->view()->isVisible()) return false;
  return MoveFieldSelection(key);
}

bool TsfFilterDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && watched == QApplication::focusWidget()) {
    bool used = false;
    RunGuarded([&] { used = PreviewKey(static_cast<QKeyEvent*>(event)); });
    if (used) return true;
  }
  return QDialog::eventFilter(watched, event);
}

void InstallFilterDialogForms() {
  TsfFilterDialog::SetFilterFormFactory(
      [](TsfFilterDialog& component) -> std::unique_ptr<TsfFilterForm> {
        return std::make_unique<TsfFilterDlg>(component);
      });
}

}  // namespace notarra
