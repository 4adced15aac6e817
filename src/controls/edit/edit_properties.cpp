#include "controls/edit/edit_properties.h"

#include <QTreeWidgetItem>
#include <array>

#include "controls/edit/popup_tree.h"
#include "controls/edit/vela_db_edit.h"
#include "dataset/dataset.h"
#include "dataset/field.h"
#include "platform/exceptions.h"
#include "platform/scope_guard.h"

namespace notarra {

// ------------------------------------------------------------- combo

void TVelaComboProperties::SetComboItems(const std::vector<std::string>& items) {
  items_ = items;
  edit_->Unprepare();
}

void TVelaComboProperties::SetComboValues(const std::vector<std::string>& values) {
  values_ = values;
  edit_->Unprepare();
}

void TVelaComboProperties::Assign(const TVelaComboProperties& other) {
  items_ = other.items_;
  values_ = other.values_;
  edit_->Unprepare();
}

// ------------------------------------------------------------ lookup

void TVelaLookupProperties::SetKindSearch(TVelaKindSearch value) {
  kindSearch_ = value;
  edit_->Unprepare();
}

void TVelaLookupProperties::SetSourceKeyField(const std::string& value) {
  sourceKeyField_ = value;
  edit_->Unprepare();
}

void TVelaLookupProperties::SetLookupKeyField(const std::string& value) {
  lookupKeyField_ = value;
  edit_->Unprepare();
}

void TVelaLookupProperties::SetListFieldNames(const std::string& value) {
  listFieldNames_ = value;
  listFields_.clear();
  edit_->Unprepare();
}

void TVelaLookupProperties::Assign(const TVelaLookupProperties& other) {
  viewFieldIndex_ = other.viewFieldIndex_;
  sourceKeyField_ = other.sourceKeyField_;
  lookupKeyField_ = other.lookupKeyField_;
  listFieldNames_ = other.listFieldNames_;
  listFields_.clear();
  edit_->Unprepare();
}

void TVelaLookupProperties::RefreshListFields() {
  TDataSet* dataSet = edit_->LookupDataSet();
  if (listFieldNames_.empty() || dataSet == nullptr) return;
  listFields_.clear();
  try {
    if (!dataSet->Active()) dataSet->Open();
    dataSet->GetFieldList(listFields_, listFieldNames_);
  } catch (const Exception&) {
    // A lookup that cannot be set up shows the field's own text; the edit
    // tries again at the next display.
    listFields_.clear();
  }
}

std::string TVelaLookupProperties::DisplayFieldName() {
  if (listFields_.empty()) RefreshListFields();
  if (viewFieldIndex_ < 0 || viewFieldIndex_ >= static_cast<int>(listFields_.size())) return {};
  return listFields_[static_cast<std::size_t>(viewFieldIndex_)]->FieldName();
}

// -------------------------------------------------------------- tree

void TVelaTreeProperties::SetLevelField(const std::string& value) {
  levelField_ = value;
  edit_->Unprepare();
}

void TVelaTreeProperties::SetTextField(const std::string& value) {
  textField_ = value;
  edit_->Unprepare();
}

void TVelaTreeProperties::SetUniqueField(const std::string& value) {
  uniqueField_ = value;
  edit_->Unprepare();
}

void TVelaTreeProperties::Assign(const TVelaTreeProperties& other) {
  uniqueField_ = other.uniqueField_;
  textField_ = other.textField_;
  levelField_ = other.levelField_;
  edit_->Unprepare();
}

void TVelaTreeProperties::BuildTree() {
  TDataSet* dataSet = edit_->LookupDataSet();
  TVelaPopupTree* tree = edit_->PopupTree();
  if (textField_.empty() || uniqueField_.empty() || levelField_.empty() || dataSet == nullptr || tree == nullptr)
    return;
  try {
    if (!dataSet->Active()) dataSet->Open();
  } catch (const Exception&) {
    // A tree whose dataset cannot open stays empty; the edit shows no path.
    return;
  }
  TField* text = dataSet->FieldByName(textField_);
  TField* unique = dataSet->FieldByName(uniqueField_);
  TField* level = dataSet->FieldByName(levelField_);
  tree->clear();
  tree->setUpdatesEnabled(false);
  dataSet->DisableControls();
  ScopeExit resume([&] {
    dataSet->EnableControls();
    tree->setUpdatesEnabled(true);
  });
  constexpr int kDeepest = 6;
  // The latest node added at each level 1..6.
  std::array<QTreeWidgetItem*, kDeepest + 1> latest{};
  dataSet->First();
  while (!dataSet->Eof()) {
    const int depth = level->AsInteger();
    const int parentLevel = depth == 1 ? 0 : (depth >= 2 && depth <= kDeepest ? depth - 1 : kDeepest);
    QTreeWidgetItem* parent = parentLevel > 0 ? latest[static_cast<std::size_t>(parentLevel)] : nullptr;
    QTreeWidgetItem* node = tree->AddNode(parent, text->AsString(), unique->AsString());
    if (depth >= 1 && depth <= kDeepest) latest[static_cast<std::size_t>(depth)] = node;
    dataSet->Next();
  }
}

}  // namespace notarra
