#include "dataset/field.h"

#include <cstring>
#include <vector>

#include "dataset/dataset.h"
#include "dataset/messages.h"
#include "platform/conversions.h"
#include "platform/scope_guard.h"

namespace notarra {

using namespace db_messages;

// Notification only clears lookupDataSet_, which is always linked.
TField::TField(TComponent* owner) : TComponent(owner, nwOnlyWhenLinked) { validChars_.set(); }

TField::~TField() {
  Destroying();
  if (lookupDataSet_ != nullptr) RemoveFreeNotification(lookupDataSet_);
  if (dataSet_ != nullptr) dataSet_->RemoveField(this);
}

void TField::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component == lookupDataSet_) lookupDataSet_ = nullptr;
  TComponent::Notification(component, operation);
}

void TField::SetDataSet(TDataSet* dataSet) {
  if (dataSet == dataSet_) return;
  TDataSet* old = dataSet_;
  if (old != nullptr) old->CheckInactive();
  if (dataSet != nullptr) {
    dataSet->CheckInactive();
    dataSet->AddField(this);  // may raise for a duplicate name; nothing changed yet
  }
  if (old != nullptr) old->RemoveField(this);
  dataSet_ = dataSet;
}

void TField::SetFieldName(const std::string& name) {
  if (dataSet_ != nullptr && !name.empty()) {
    TField* other = dataSet_->FindField(name);
    if (other != nullptr && other != this) DatabaseErrorFmt(dataSet_, kDuplicateFieldName, name.c_str());
  }
  fieldName_ = name;
  if (dataSet_ != nullptr) dataSet_->fields_.ListChanged();
  PropertyChanged(true);
}

void TField::SetFieldKind(TFieldKind kind) {
  if (kind == fieldKind_) return;
  if (dataSet_ != nullptr) dataSet_->CheckInactive();
  fieldKind_ = kind;
}

void TField::SetSize(int size) {
  if (dataSet_ != nullptr) dataSet_->CheckInactive();
  size_ = size;
}

int TField::Index() const { return dataSet_ != nullptr ? dataSet_->Fields().IndexOf(this) : -1; }

void TField::SetIndex(int index) {
  if (dataSet_ == nullptr) return;
  auto& list = dataSet_->fields_.list_;
  int cur = Index();
  int count = static_cast<int>(list.size());
  if (index < 0) index = 0;
  if (index >= count) index = count - 1;
  if (cur == index) return;
  list.erase(list.begin() + cur);
  list.insert(list.begin() + index, this);
  dataSet_->fields_.ListChanged();
  PropertyChanged(true);
}

void TField::SetAlignment(TAlignment alignment) {
  if (alignment == alignment_) return;
  alignment_ = alignment;
  PropertyChanged(false);
}

void TField::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  PropertyChanged(true);
}

void TField::SetDisplayLabel(const std::string& label) {
  // A label equal to the field name is not stored, so renaming carries it along.
  std::string value = label == fieldName_ ? std::string() : label;
  if (value == displayLabel_) return;
  displayLabel_ = value;
  PropertyChanged(true);
}

void TField::SetDisplayWidth(int width) {
  displayWidth_ = width;
  PropertyChanged(true);
}

void TField::SetDisplayFormat(const std::string& format) {
  displayFormat_ = format;
  PropertyChanged(false);
}

void TField::SetEditFormat(const std::string& format) {
  editFormat_ = format;
  PropertyChanged(false);
}

void TField::SetEditMask(const std::string& mask) {
  editMask_ = mask;
  PropertyChanged(false);
}

void TField::SetCurrency(bool value) {
  currency_ = value;
  PropertyChanged(false);
}

void TField::SetReadOnly(bool value) {
  readOnly_ = value;
  PropertyChanged(true);
}

void TField::PropertyChanged(bool layoutAffected) {
  if (dataSet_ != nullptr && dataSet_->Active()) dataSet_->DataEvent(layoutAffected ? deLayoutChange : deDataSetChange, 0);
}

void TField::SetLookupDataSet(TDataSet* dataSet) {
  if (dataSet == lookupDataSet_) return;
  if (lookupDataSet_ != nullptr) RemoveFreeNotification(lookupDataSet_);
  lookupDataSet_ = dataSet;
  if (dataSet != nullptr) FreeNotification(dataSet);
}

bool TField::CanModify() const {
  if (dataSet_ == nullptr) return false;
  switch (fieldKind_) {
    case fkData:
      if (dataSet_->State() == dsSetKey) return true;
      return !readOnly_ && dataSet_->CanModify();
    case fkLookup: {
      if (readOnly_ || keyFields_.empty()) return false;
      std::vector<TField*> keys;
      try {
        dataSet_->GetFieldList(keys, keyFields_);
      } catch (const EDatabaseError&) {
        return false;
      }
      for (TField* k : keys)
        if (!k->CanModify()) return false;
      return !keys.empty();
    }
    default:
      return false;
  }
}

// ------------------------------------------------------------------- values

bool TField::GetData(void* buffer) const {
  if (dataSet_ == nullptr) DatabaseErrorFmt(nullptr, kDataSetMissing, DisplayName().c_str());
  if (validating_) {
    if (validateBuffer_ == nullptr) return false;
    if (buffer != nullptr) std::memcpy(buffer, validateBuffer_, static_cast<std::size_t>(DataSize()));
    return true;
  }
  return dataSet_->GetFieldData(const_cast<TField*>(this), buffer);
}

void TField::SetData(const void* buffer) {
  if (dataSet_ == nullptr) DatabaseErrorFmt(nullptr, kDataSetMissing, DisplayName().c_str());
  dataSet_->SetFieldData(this, buffer);
}

void TField::Validate(const void* buffer) {
  if (!OnValidate) return;
  validateBuffer_ = buffer;
  validating_ = true;
  ScopeExit done([&] {
    validating_ = false;
    validateBuffer_ = nullptr;
  });
  OnValidate(this);
}

void TField::FocusControl() {
  if (dataSet_ == nullptr || !dataSet_->Active()) return;
  TField* field = this;
  dataSet_->DataEvent(deFocusControl, reinterpret_cast<intptr_t>(&field));
}

TVariant TField::Value() const { return GetAsVariant(); }

TVariant TField::ValueInState(TDataSetState state) const {
  if (dataSet_ == nullptr) DatabaseErrorFmt(nullptr, kDataSetMissing, DisplayName().c_str());
  TDataSetState saved = dataSet_->SetTempState(state);
  ScopeExit restore([&] { dataSet_->RestoreState(saved); });
  return GetAsVariant();
}

void TField::SetValue(const TVariant& value) {
  if (VarIsClear(value)) {
    Clear();
    return;
  }
  // A lookup field edited outside calculation writes its key fields.
  if (fieldKind_ == fkLookup && dataSet_ != nullptr && dataSet_->State() != dsCalcFields &&
      dataSet_->State() != dsInternalCalc) {
    if (lookupDataSet_ == nullptr) DatabaseErrorFmt(nullptr, kLookupInfoError, DisplayName().c_str());
    TVariant keys = lookupDataSet_->Lookup(lookupResultField_, value, lookupKeyFields_);
    dataSet_->SetFieldValue(keyFields_, keys);
    return;
  }
  SetVarValue(value);
}

std::string TField::EditText() const {
  std::string text;
  if (OnGetText)
    OnGetText(const_cast<TField*>(this), text, false);
  else
    GetText(text, false);
  return text;
}

std::string TField::DisplayText() const {
  std::string text;
  if (OnGetText)
    OnGetText(const_cast<TField*>(this), text, true);
  else
    GetText(text, true);
  return text;
}

void TField::SetText(const std::string& text) {
  if (OnSetText)
    OnSetText(this, text);
  else
    ApplyText(text);
}

void TField::GetText(std::string& text, bool) const { text = GetAsString(); }
void TField::ApplyText(const std::string& text) { SetAsString(text); }

void TField::AccessError(const char* typeName) const {
  DatabaseErrorFmt(nullptr, kFieldAccessError, DisplayName().c_str(), typeName);
}

void TField::RangeError(const std::string& value, const std::string& min, const std::string& max) const {
  DatabaseErrorFmt(nullptr, kFieldRangeError, value.c_str(), DisplayName().c_str(), min.c_str(), max.c_str());
}

std::string TField::GetAsString() const { AccessError("String"); }
int32_t TField::GetAsInteger() const { AccessError("Integer"); }
int64_t TField::GetAsLargeInt() const { AccessError("LargeInt"); }
double TField::GetAsFloat() const { AccessError("Float"); }
TDateTime TField::GetAsDateTime() const { AccessError("DateTime"); }
bool TField::GetAsBoolean() const { AccessError("Boolean"); }
TVariant TField::GetAsVariant() const { AccessError("Variant"); }
void TField::SetVarValue(const TVariant&) { AccessError("Variant"); }
void TField::SetAsString(const std::string&) { AccessError("String"); }
void TField::SetAsInteger(int32_t) { AccessError("Integer"); }
void TField::SetAsLargeInt(int64_t) { AccessError("LargeInt"); }
void TField::SetAsFloat(double) { AccessError("Float"); }
void TField::SetAsDateTime(TDateTime) { AccessError("DateTime"); }
void TField::SetAsBoolean(bool) { AccessError("Boolean"); }

// ----------------------------------------------------------------- binding

void TField::Bind(bool binding) {
  if (!binding || fieldKind_ != fkLookup) return;
  if (lookupDataSet_ == nullptr || lookupKeyFields_.empty() || lookupResultField_.empty() || keyFields_.empty() ||
      lookupDataSet_ == dataSet_)
    DatabaseErrorFmt(nullptr, kLookupInfoError, DisplayName().c_str());
  std::vector<TField*> check;
  dataSet_->GetFieldList(check, keyFields_);
  lookupDataSet_->Open();
  check.clear();
  lookupDataSet_->GetFieldList(check, lookupKeyFields_);
  lookupDataSet_->FieldByName(lookupResultField_);
}

void TField::CalcLookupValue() {
  if (lookupDataSet_ == nullptr || !lookupDataSet_->Active()) return;
  TVariant keys = dataSet_->GetFieldValue(keyFields_);
  TVariant result = lookupDataSet_->Lookup(lookupKeyFields_, keys, lookupResultField_);
  if (VarIsClear(result))
    Clear();
  else
    SetVarValue(result);
}

}  // namespace notarra
