// The data grid's answers to its in-place editor: what the editor shows,
// whether a key may change it, when the dataset goes into edit state, and
// how the edited text is written back into the field.
#include "controls/grid/db_grid.h"
#include "controls/grid/db_grid_inplace_edit.h"
#include "dataset/data_source.h"
#include "dataset/dataset.h"
#include "dataset/field.h"

namespace notarra {

bool TVelaCustomDBGrid::LookupComplete(const TVelaColumn* column) {
  TDataSet* lookup = column->LookupDataSet();
  if (lookup == nullptr) return false;
  bool active = false;
  try {
    active = lookup->Active();
  } catch (...) {
    // A lookup dataset that cannot say counts as closed.
    active = false;
  }
  return active && !column->LookupLinkField().empty() && !column->LookupDropDownFields().empty() &&
         !column->LookupKeyField().empty();
}

TInplaceEdit* TVelaCustomDBGrid::CreateEditor() { return new TVelaDBGridInplaceEdit(this); }

bool TVelaCustomDBGrid::CanEditShow() {
  if (layoutHold_ > 0) return false;
  return TCustomGrid::CanEditShow();
}

std::string TVelaCustomDBGrid::GetEditText(int, int) {
  editBuffer_.clear();
  TVelaColumn* column = CurrentColumn();
  TField* field = column ? column->Field() : nullptr;
  if (!dataLink_->Active() || field == nullptr) return editBuffer_;
  std::string text = field->Text();
  if (column->ButtonStyle() == cbsLookup && LookupComplete(column)) {
    text = CellText(column);
  } else if (column->ButtonStyle() == cbsCombo && !column->PickList().empty() &&
             column->PickValues().size() == column->PickList().size()) {
    text = CellText(column);
  }
  editBuffer_ = text;
  return text;
}

void TVelaCustomDBGrid::SetEditText(int, int, const std::string& value) {
  TVelaColumn* column = CurrentColumn();
  if (column && !column->PickList().empty() && column->PickValues().size() == column->PickList().size()) {
    editBuffer_.clear();
    const auto& list = column->PickList();
    for (std::size_t i = 0; i < list.size(); ++i)
      if (list[i] == value) {
        editBuffer_ = column->PickValues()[i];
        break;
      }
    return;
  }
  editBuffer_ = value;
}

std::string TVelaCustomDBGrid::GetEditMask(int, int) {
  TField* field = SelectedField();
  if (!dataLink_->Active() || field == nullptr) return std::string();
  return field->EditMask();
}

int TVelaCustomDBGrid::GetEditLimit() {
  TField* field = SelectedField();
  if (field && field->DataType() == ftString) return field->Size();
  return 0;
}

bool TVelaCustomDBGrid::CanEditAcceptKey(char key) {
  TField* field = SelectedField();
  return dataLink_->Active() && field != nullptr && field->IsValidChar(key);
}

bool TVelaCustomDBGrid::CanEditModify() {
  TVelaColumn* column = CurrentColumn();
  if (readOnly_ || !dataLink_->Active() || dataLink_->ReadOnly() || column == nullptr || column->ReadOnly())
    return false;
  TField* field = column->Field();
  if (field == nullptr) return false;
  if (!field->CanModify()) {
    if (!(dataLink_->DataSet()->CanModify() && field->Calculated())) return false;
  }
  switch (field->DataType()) {
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftMemo:
    case ftGraphic:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftCursor:
    case ftADT:
    case ftArray:
    case ftReference:
    case ftDataSet:
      if (!field->OnSetText) return false;
      break;
    default:
      break;
  }
  dataLink_->Edit();
  if (dataLink_->Editing()) dataLink_->Modified();
  return dataLink_->Editing();
}

void TVelaCustomDBGrid::UpdateData() { dataLink_->UpdateRecord(); }

void TVelaCustomDBGrid::WriteEditBuffer() {
  TField* field = SelectedField();
  if (field == nullptr) return;
  if (!field->Calculated())
    field->SetText(editBuffer_);
  else if (OnCalcFieldEdited)
    OnCalcFieldEdited(this, field, editBuffer_);
}

void TVelaCustomDBGrid::EditButtonClick() {
  if (OnEditButtonClick) OnEditButtonClick(this, CurrentColumn());
}

}  // namespace notarra
