#include "dataset/data_link.h"

#include <algorithm>

#include "dataset/data_source.h"
#include "dataset/dataset.h"
#include "dataset/messages.h"
#include "platform/scope_guard.h"

namespace notarra {

// ----------------------------------------------------------------- TDataLink

TDataLink::TDataLink() = default;

TDataLink::~TDataLink() {
  // No notices to a half-destroyed object.
  active_ = false;
  editing_ = false;
  dataSourceFixed_ = false;
  if (dataSource_ != nullptr) {
    TDataSource* source = dataSource_;
    source->dataLinks_.erase(std::remove(source->dataLinks_.begin(), source->dataLinks_.end(), this),
                             source->dataLinks_.end());
    dataSource_ = nullptr;
    if (source->DataSet() != nullptr && !source->DataSet()->HasState(csDestroying)) source->DataSet()->UpdateBufferCount();
  }
}

void TDataLink::SetDataSource(TDataSource* source) {
  if (source == dataSource_) return;
  if (dataSourceFixed_) DatabaseError(db_messages::kDataSourceChange, dataSource_);
  if (dataSource_ != nullptr) dataSource_->RemoveDataLink(this);
  if (source != nullptr) source->AddDataLink(this);
}

TDataSet* TDataLink::DataSet() const { return dataSource_ != nullptr ? dataSource_->DataSet() : nullptr; }

void TDataLink::SetReadOnly(bool value) {
  if (readOnly_ == value) return;
  readOnly_ = value;
  UpdateState();
}

void TDataLink::UpdateState() {
  SetActive(dataSource_ != nullptr && dataSource_->State() != dsInactive);
  SetEditing(dataSource_ != nullptr && IsEditMode(dataSource_->State()) && !readOnly_);
}

void TDataLink::SetActive(bool value) {
  if (active_ == value) return;
  active_ = value;
  if (value)
    UpdateRange();
  else
    firstRecord_ = 0;
  ActiveChanged();
}

void TDataLink::SetEditing(bool value) {
  if (editing_ == value) return;
  editing_ = value;
  EditingChanged();
}

// Keeps the window inside the dataset's buffers and around its active record.
void TDataLink::UpdateRange() {
  TDataSet* ds = DataSet();
  if (ds == nullptr) return;
  int lo = std::max(0, ds->activeRecord_ - bufferCount_ + 1);
  int hi = std::max(0, ds->bufferCount_ - bufferCount_);
  hi = std::min(hi, ds->activeRecord_);
  firstRecord_ = std::clamp(firstRecord_, lo, std::max(lo, hi));
}

int TDataLink::ActiveRecord() const {
  if (dataSource_ == nullptr || DataSet() == nullptr) return 0;
  if (dataSource_->State() == dsSetKey) return 0;
  return DataSet()->activeRecord_ - firstRecord_;
}

void TDataLink::SetActiveRecord(int value) {
  if (dataSource_ == nullptr || DataSet() == nullptr || dataSource_->State() == dsSetKey) return;
  DataSet()->activeRecord_ = value + firstRecord_;
}

void TDataLink::SetBufferCount(int value) {
  if (value < 1) value = 1;
  if (bufferCount_ == value) return;
  bufferCount_ = value;
  if (active_) {
    DataSet()->UpdateBufferCount();
    UpdateRange();
  }
}

int TDataLink::RecordCount() const {
  if (dataSource_ == nullptr || DataSet() == nullptr) return 0;
  if (dataSource_->State() == dsSetKey) return 1;
  return std::clamp(DataSet()->recordCount_ - firstRecord_, 0, bufferCount_);
}

bool TDataLink::Bof() const { return DataSet() != nullptr && DataSet()->Bof(); }
bool TDataLink::Eof() const { return DataSet() != nullptr && DataSet()->Eof(); }

bool TDataLink::Edit() {
  if (!readOnly_ && dataSource_ != nullptr) dataSource_->Edit();
  return editing_;
}

void TDataLink::UpdateRecord() {
  updating_ = true;
  ScopeExit done([&] { updating_ = false; });
  UpdateData();
}

void TDataLink::DataEvent(TDataEvent event, intptr_t info) {
  if (event == deUpdateState) {
    UpdateState();
    return;
  }
  if (!active_) return;
  switch (event) {
    case deFieldChange:
    case deRecordChange:
      if (!updating_) RecordChanged(reinterpret_cast<TField*>(info));
      break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: {
      // info: how far the dataset's buffers moved (negative: up). The link's
      // first row follows its record, then the window slides just enough to
      // keep the active record inside; that slide is the link's distance.
      int count = 0;
      if (dataSource_->State() != dsSetKey) {
        TDataSet* ds = DataSet();
        int first = firstRecord_ + static_cast<int>(info);
        int last = first + bufferCount_ - 1;
        int active = ds->activeRecord_;
        if (active > last)
          count = active - last;
        else if (active < first)
          count = active - first;
        int newFirst = first + count;
        // After a rebuild the window may hang off the end of fewer records.
        if (event == deDataSetChange) {
          int maxFirst = std::max(0, std::min(ds->recordCount_ - bufferCount_, active));
          if (newFirst > maxFirst) {
            count -= newFirst - maxFirst;
            newFirst = maxFirst;
          }
          if (newFirst < 0) {
            count -= newFirst;
            newFirst = 0;
          }
        }
        firstRecord_ = newFirst;
      }
      if (event == deDataSetChange)
        DataSetChanged();
      else if (event == deDataSetScroll)
        DataSetScrolled(count);
      else
        LayoutChanged();
      break;
    }
    case deUpdateRecord:
      UpdateRecord();
      break;
    case deCheckBrowseMode:
      CheckBrowseMode();
      break;
    case deFocusControl:
      FocusControl(reinterpret_cast<TField**>(info));
      break;
    default:
      break;
  }
}

// ------------------------------------------------------------ TFieldDataLink

void TFieldDataLink::SetFieldName(const std::string& name) {
  if (fieldName_ == name) return;
  fieldName_ = name;
  UpdateField();
}

void TFieldDataLink::UpdateField() {
  if (Active() && !fieldName_.empty()) {
    field_ = nullptr;
    SetField(DataSet()->FieldByName(fieldName_));
  } else {
    SetField(nullptr);
  }
}

void TFieldDataLink::SetField(TField* field) {
  if (field_ == field) return;
  field_ = field;
  EditingChanged();
  RecordChanged(nullptr);
}

bool TFieldDataLink::CanModify() const { return !ReadOnly() && field_ != nullptr && field_->CanModify(); }

bool TFieldDataLink::Edit() {
  if (CanModify()) TDataLink::Edit();
  return fieldEditing_;
}

void TFieldDataLink::SetFieldEditing(bool value) {
  if (fieldEditing_ == value) return;
  fieldEditing_ = value;
  modified_ = false;
  OnEditingChange(this);
}

void TFieldDataLink::ActiveChanged() {
  try {
    UpdateField();
  } catch (...) {
    // Swallowed: the field name fits no field of the newly opened dataset,
    // and the link shows nothing rather than failing the open.
    field_ = nullptr;
    EditingChanged();
    RecordChanged(nullptr);
  }
  OnActiveChange(this);
}

void TFieldDataLink::EditingChanged() { SetFieldEditing(TDataLink::Editing() && CanModify()); }

void TFieldDataLink::FocusControl(TField** field) {
  if (field == nullptr || *field == nullptr || *field != field_) return;
  bool taken = false;
  OnFocusControl(this, taken);
  if (taken) *field = nullptr;
}

void TFieldDataLink::LayoutChanged() { UpdateField(); }

void TFieldDataLink::RecordChanged(TField* field) {
  if (field == nullptr || field == field_) {
    OnDataChange(this);
    modified_ = false;
  }
}

void TFieldDataLink::UpdateData() {
  if (!modified_) return;
  if (field_ != nullptr) OnUpdateData(this);
  modified_ = false;
}

// ----------------------------------------------------------- TMasterDataLink

void TMasterDataLink::SetFieldNames(const std::string& names) {
  if (fieldNames_ == names) return;
  fieldNames_ = names;
  ActiveChanged();
}

void TMasterDataLink::ActiveChanged() {
  fields_.clear();
  if (Active()) {
    ScopeFail forget([&] { fields_.clear(); });
    DataSet()->GetFieldList(fields_, fieldNames_);
  }
  if (detail_ != nullptr && detail_->Active() && !detail_->HasState(csDestroying)) {
    if (Active() && !fields_.empty())
      OnMasterChange(this);
    else
      OnMasterDisable(this);
  }
}

void TMasterDataLink::CheckBrowseMode() {
  if (detail_ != nullptr && detail_->Active()) detail_->CheckBrowseMode();
}

void TMasterDataLink::RecordChanged(TField* field) {
  if (DataSource() == nullptr || DataSource()->State() == dsSetKey) return;
  if (detail_ == nullptr || !detail_->Active() || fields_.empty()) return;
  if (field == nullptr || std::find(fields_.begin(), fields_.end(), field) != fields_.end()) OnMasterChange(this);
}

}  // namespace notarra
