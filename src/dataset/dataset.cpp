// TDataSet: life cycle, states, fields and the notices to data sources.
#include "dataset/dataset.h"

#include <algorithm>
#include <cstring>

#include "dataset/data_link.h"
#include "dataset/data_source.h"
#include "dataset/messages.h"
#include "platform/codepage.h"
#include "platform/conversions.h"
#include "platform/scope_guard.h"

namespace notarra {

using namespace db_messages;

const char* FieldTypeName(TFieldType type) {
  static const char* const kNames[] = {
      "Unknown",  "String",    "SmallInt",   "Integer",   "Word",      "Boolean",  "Float",     "Currency",
      "BCD",      "Date",      "Time",       "DateTime",  "Bytes",     "VarBytes", "AutoInc",   "Blob",
      "Memo",     "Graphic",   "FmtMemo",    "ParadoxOle", "dBaseOle", "TypedBinary", "Cursor", "FixedChar",
      "WideString", "LargeInt", "ADT",       "Array",     "Reference", "DataSet",  "OraBlob",   "OraClob",
      "Variant",  "Interface", "IDispatch",  "Guid",      "TimeStamp", "FMTBcd"};
  auto i = static_cast<std::size_t>(type);
  return i < std::size(kNames) ? kNames[i] : "Unknown";
}

bool IsBlobType(TFieldType type) {
  switch (type) {
    case ftBlob: case ftMemo: case ftGraphic: case ftFmtMemo: case ftParadoxOle: case ftDBaseOle:
    case ftTypedBinary: case ftOraBlob: case ftOraClob:
      return true;
    default:
      return false;
  }
}

// ------------------------------------------------------------------ TFields

TField* TFields::Fields(int index) const {
  if (index < 0 || index >= Count()) throw EDatabaseError(kFieldIndexError);
  return list_[static_cast<std::size_t>(index)];
}

int TFields::IndexOf(const TField* field) const {
  auto it = std::find(list_.begin(), list_.end(), field);
  return it == list_.end() ? -1 : static_cast<int>(it - list_.begin());
}

TField* TFields::FindField(const std::string& name) const {
  if (indexStale_) {
    index_.Clear();
    for (TField* f : list_) index_.Add(f->FieldName(), f);
    indexStale_ = false;
  }
  return index_.Find(name);
}

void TFields::Append(TField* field) {
  list_.push_back(field);
  if (!indexStale_) index_.Add(field->FieldName(), field);
}

// ----------------------------------------------------------------- TDataSet

TDataSet::TDataSet(TComponent* owner) : TComponent(owner) {}

TDataSet::~TDataSet() {
  Destroying();
  // A concrete dataset closes itself in its own destructor; if it did not,
  // its buffers cannot be released safely any more, so they are left.
  while (!dataSources_.empty()) RemoveDataSource(dataSources_.back());
  // Fields belong to their dataset, whoever owns them as components.
  while (!fields_.list_.empty()) {
    TField* f = fields_.list_.back();
    fields_.list_.pop_back();
    fields_.ListChanged();
    f->dataSet_ = nullptr;
    delete f;
  }
}

void TDataSet::Loaded() {
  TComponent::Loaded();
  if (streamedActive_) {
    streamedActive_ = false;
    try {
      SetActive(true);
    } catch (...) {
      // Designing: the dataset's own handler decides whether the error stops the load.
      if (HasState(csDesigning))
        InternalHandleException();
      else
        throw;
    }
  }
}

void TDataSet::InternalHandleException() { throw; }

void TDataSet::SetActive(bool value) {
  if (HasState(csLoading)) {
    streamedActive_ = value;
    return;
  }
  if (value == Active()) return;
  if (value) {
    DoBeforeOpen();
    {
      // Whatever a failed open set up (default fields, bindings) is released
      // by the dataset's own close step; the first error is the one reported.
      ScopeFail closeAgain([&] {
        SetState(dsInactive);
        CloseCursor();
      });
      OpenCursor();
    }
    SetState(dsBrowse);
    DoAfterOpen();
    if (!IsEmpty()) DoAfterScroll();
  } else {
    if (!HasState(csDestroying)) DoBeforeClose();
    SetState(dsInactive);
    CloseCursor();
    if (!HasState(csDestroying)) DoAfterClose();
  }
}

void TDataSet::OpenCursor() {
  defaultFields_ = FieldCount() == 0;
  InternalOpen();
  internalOpenComplete_ = true;
  UpdateBufferCount();
  bof_ = true;
}

void TDataSet::CloseCursor() {
  internalOpenComplete_ = false;
  ClearBuffers();
  SetBufListSize(0);
  bufferCount_ = 0;
  InternalClose();
  defaultFields_ = false;
}

void TDataSet::InitFieldDefs() { InternalInitFieldDefs(); }

void TDataSet::CheckActive() const {
  if (!Active()) DatabaseError(kDataSetClosed, this);
}

void TDataSet::CheckInactive() const {
  if (Active() || internalOpenComplete_) DatabaseError(kDataSetOpen, this);
}

void TDataSet::CheckCanModify() const {
  if (!CanModify()) DatabaseError(kDataSetReadOnly, this);
}

// ------------------------------------------------------------------- states

void TDataSet::SetState(TDataSetState value) {
  if (state_ == value) return;
  state_ = value;
  modified_ = false;
  ClearFieldsModified();
  DataEvent(deUpdateState, 0);
}

TDataSetState TDataSet::SetTempState(TDataSetState value) {
  TDataSetState old = state_;
  state_ = value;
  if (disableCount_++ == 0) {
    disableState_ = old;
    enablePending_ = false;
  }
  modified_ = false;
  return old;
}

void TDataSet::RestoreState(TDataSetState value) {
  state_ = value;
  // A temporary state holds notices back only for itself; nothing is owed afterwards.
  if (disableCount_ > 0 && --disableCount_ == 0) enablePending_ = false;
  modified_ = false;
}

void TDataSet::ClearFieldsModified() {
  for (TField* f : fields_) f->SetModified(false);
}

// ---------------------------------------------------------------- controls

void TDataSet::DisableControls() {
  if (disableCount_ == 0) {
    disableState_ = state_;
    enablePending_ = false;
    enableEvent_ = deDataSetChange;
  }
  ++disableCount_;
}

void TDataSet::EnableControls() {
  if (disableCount_ == 0) return;
  if (--disableCount_ != 0) return;
  if (disableState_ != state_) DataEvent(deUpdateState, 0);
  if (enablePending_ && disableState_ != dsInactive && state_ != dsInactive) {
    enablePending_ = false;
    DataEvent(enableEvent_, 0);
  }
  enablePending_ = false;
}

void TDataSet::DataEvent(TDataEvent event, intptr_t info) {
  switch (event) {
    case deFieldChange: {
      auto* field = reinterpret_cast<TField*>(info);
      if (field->FieldKind() == fkData || field->FieldKind() == fkInternalCalc) {
        modified_ = true;
        field->SetModified(true);
      }
      if (state_ != dsSetKey) {
        if (calcFieldsSize_ != 0 && autoCalcFields_ && field->FieldKind() == fkData) CalculateFields(ActiveBuffer());
        field->Change();
      }
      break;
    }
    case dePropertyChange:
      fieldDefs_.SetUpdated(false);
      break;
    default:
      break;
  }
  // Requests for the controls' data pass even while controls are disabled,
  // so that a post under DisableControls still writes what was typed.
  const bool request = event == deUpdateRecord || event == deCheckBrowseMode || event == deFocusControl;
  if (disableCount_ == 0 || request) {
    NotifyDataSources(event, info);
  } else if ((event == deUpdateState && state_ == dsInactive) || event == deLayoutChange) {
    enableEvent_ = deLayoutChange;
    enablePending_ = true;
  } else if (event != deUpdateState && event != dePropertyChange && event != deFieldListChange) {
    enablePending_ = true;
  }
}

void TDataSet::NotifyDataSources(TDataEvent event, intptr_t info) {
  // A handler may detach a source; work on a copy and skip the departed.
  std::vector<TDataSource*> sources = dataSources_;
  for (TDataSource* s : sources)
    if (std::find(dataSources_.begin(), dataSources_.end(), s) != dataSources_.end()) s->DataEvent(event, info);
}

void TDataSet::AddDataSource(TDataSource* source) {
  dataSources_.push_back(source);
  source->dataSet_ = this;
  UpdateBufferCount();
  source->DataEvent(deUpdateState, 0);
}

void TDataSet::RemoveDataSource(TDataSource* source) {
  source->dataSet_ = nullptr;
  dataSources_.erase(std::remove(dataSources_.begin(), dataSources_.end(), source), dataSources_.end());
  source->DataEvent(deUpdateState, 0);
  if (!HasState(csDestroying)) UpdateBufferCount();
}

bool TDataSet::IsLinkedTo(TDataSource* dataSource) const {
  // Follows the master chain upwards; a bounded walk guards against cycles.
  for (int guard = 0; dataSource != nullptr && guard < 1000; ++guard) {
    TDataSet* ds = dataSource->DataSet();
    if (ds == nullptr) break;
    if (ds == this) return true;
    dataSource = ds->GetMasterSource();
  }
  return false;
}

// ------------------------------------------------------------------ fields

void TDataSet::AddField(TField* field) {
  if (!field->FieldName().empty() && FindField(field->FieldName()) != nullptr)
    DatabaseErrorFmt(this, kDuplicateFieldName, field->FieldName().c_str());
  fields_.Append(field);
  field->dataSet_ = this;
  DataEvent(deFieldListChange, 0);
}

void TDataSet::RemoveField(TField* field) {
  auto& list = fields_.list_;
  list.erase(std::remove(list.begin(), list.end(), field), list.end());
  fields_.ListChanged();
  field->dataSet_ = nullptr;
  if (!HasState(csDestroying)) DataEvent(deFieldListChange, 0);
}

TField* TDataSet::FieldByName(const std::string& name) const {
  TField* f = FindField(name);
  if (f == nullptr) DatabaseErrorFmt(this, kFieldNotFound, name.c_str());
  return f;
}

void TDataSet::GetFieldList(std::vector<TField*>& list, const std::string& fieldNames) const {
  for (const std::string& name : SplitFieldNames(fieldNames)) list.push_back(FieldByName(name));
}

TVariant TDataSet::GetFieldValue(const std::string& fieldNames) const {
  if (fieldNames.find(';') == std::string::npos) return FieldByName(fieldNames)->Value();
  std::vector<TField*> list;
  GetFieldList(list, fieldNames);
  std::vector<TVariant> values;
  for (TField* f : list) values.push_back(f->Value());
  return TVariant(std::move(values));
}

void TDataSet::SetFieldValue(const std::string& fieldNames, const TVariant& value) {
  if (fieldNames.find(';') == std::string::npos) {
    FieldByName(fieldNames)->SetValue(value);
    return;
  }
  std::vector<TField*> list;
  GetFieldList(list, fieldNames);
  for (std::size_t i = 0; i < list.size(); ++i)
    list[i]->SetValue(value.IsArray() ? value[static_cast<int>(i)] : value);
}

void TDataSet::GetFieldNames(std::vector<std::string>& names) const {
  if (FieldCount() > 0) {
    for (TField* f : fields_) names.push_back(f->FieldName());
  } else {
    const_cast<TFieldDefs&>(fieldDefs_).Update();
    for (int i = 0; i < fieldDefs_.Count(); ++i) names.push_back(fieldDefs_[i]->Name());
  }
}

void TDataSet::CreateFields() {
  for (int i = 0; i < fieldDefs_.Count(); ++i)
    if (fieldDefs_[i]->DataType() != ftUnknown) fieldDefs_[i]->CreateField(this);
}

void TDataSet::DestroyFields() {
  while (!fields_.list_.empty()) {
    TField* f = fields_.list_.back();
    fields_.list_.pop_back();
    fields_.ListChanged();
    f->dataSet_ = nullptr;
    delete f;
  }
}

void TDataSet::BindFields(bool binding) {
  calcFieldsSize_ = 0;
  for (TField* f : fields_) {
    if (!binding) {
      f->Bind(false);
      f->fieldNo_ = 0;
      continue;
    }
    if (f->FieldKind() == fkCalculated || f->FieldKind() == fkLookup) {
      f->fieldNo_ = -1;
      f->offset_ = calcFieldsSize_;
      calcFieldsSize_ += f->DataSize() + 1;
    } else {
      TFieldDef* def = fieldDefs_.Find(f->FieldName());
      if (def == nullptr) DatabaseErrorFmt(this, kFieldNotFound, f->DisplayName().c_str());
      if (def->DataType() != f->DataType())
        DatabaseErrorFmt(this, kFieldTypeMismatch, f->DisplayName().c_str(), FieldTypeName(f->DataType()),
                         FieldTypeName(def->DataType()));
      if (f->DataType() == ftString && def->Size() != f->Size())
        DatabaseErrorFmt(this, kFieldSizeMismatch, f->DisplayName().c_str(), f->Size(), def->Size());
      f->fieldNo_ = def->FieldNo();
    }
    f->Bind(true);
  }
}

void TDataSet::CheckRequiredFields() {
  for (TField* f : fields_)
    if (f->Required() && !f->ReadOnly() && f->FieldKind() == fkData && f->IsNull()) {
      f->FocusControl();
      DatabaseErrorFmt(this, kFieldRequired, f->DisplayName().c_str());
    }
}

// ------------------------------------------------------ calculated fields

void TDataSet::GetCalcFields(TRecordBuffer buffer) {
  if (calcFieldsSize_ > 0) {
    TDataSetState saved = state_;
    state_ = dsCalcFields;
    ScopeExit restore([&] { state_ = saved; });
    CalculateFields(buffer);
  }
}

void TDataSet::CalculateFields(TRecordBuffer buffer) {
  calcBuffer_ = buffer;
  if (state_ != dsInternalCalc) {
    ClearCalcFields(buffer);
    for (TField* f : fields_)
      if (f->FieldKind() == fkLookup) f->CalcLookupValue();
  }
  DoOnCalcFields();
}

void TDataSet::ClearCalcFields(TRecordBuffer buffer) {
  if (buffer != nullptr && calcFieldsSize_ > 0) std::memset(buffer + GetRecordSize(), 0, static_cast<std::size_t>(calcFieldsSize_));
}

bool TDataSet::GetCalcFieldData(TRecordBuffer recordBuffer, TField* field, void* buffer) const {
  if (recordBuffer == nullptr) return false;
  const char* p = recordBuffer + GetRecordSize() + field->Offset();
  if (p[0] == 0) return false;
  if (buffer != nullptr) std::memcpy(buffer, p + 1, static_cast<std::size_t>(field->DataSize()));
  return true;
}

void TDataSet::SetCalcFieldData(TRecordBuffer recordBuffer, TField* field, const void* buffer) {
  if (recordBuffer == nullptr) return;
  char* p = recordBuffer + GetRecordSize() + field->Offset();
  p[0] = buffer != nullptr ? 1 : 0;
  if (buffer != nullptr)
    std::memcpy(p + 1, buffer, static_cast<std::size_t>(field->DataSize()));
  else
    std::memset(p + 1, 0, static_cast<std::size_t>(field->DataSize()));
}

// --------------------------------------------------------- filter, search

void TDataSet::SetFilterText(const std::string& text) { filterText_ = text; }
void TDataSet::SetFiltered(bool value) { filtered_ = value; }
void TDataSet::SetFilterOptions(TFilterOptions options) { filterOptions_ = options; }

bool TDataSet::Locate(const std::string&, const TVariant&, TLocateOptions) { return false; }

TVariant TDataSet::Lookup(const std::string&, const TVariant&, const std::string&) { return Null(); }

bool TDataSet::FindRecord(bool, bool) { return false; }

std::unique_ptr<TStream> TDataSet::CreateBlobStream(TField*, TBlobStreamMode) {
  DatabaseError(kOperationNotSupported, this);
}

// ------------------------------------------------------------------ buffers

TRecordBuffer TDataSet::AllocRecordBuffer() {
  auto size = static_cast<std::size_t>(std::max(1, RecBufSize()));
  auto* b = new char[size];
  std::memset(b, 0, size);
  return b;
}

void TDataSet::FreeRecordBuffer(TRecordBuffer& buffer) {
  delete[] buffer;
  buffer = nullptr;
}

void TDataSet::InternalInitRecord(TRecordBuffer buffer) {
  std::memset(buffer, 0, static_cast<std::size_t>(GetRecordSize()));
}

}  // namespace notarra
