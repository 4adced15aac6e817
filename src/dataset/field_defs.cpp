#include "dataset/field_defs.h"

#include "dataset/dataset.h"
#include "dataset/field_types.h"
#include "dataset/messages.h"

namespace notarra {

TField* TFieldDef::CreateField(TDataSet* dataSet) const {
  std::unique_ptr<TField> field = CreateFieldOfType(dataType_, dataSet);
  if (!field) DatabaseErrorFmt(dataSet, db_messages::kUnknownFieldType, name_.c_str());
  if (dataType_ == ftString) field->SetSize(size_);
  field->SetFieldName(name_);
  field->SetRequired(required_);
  field->SetDataSet(dataSet);
  return field.release();
}

void TFieldDef::SetName(const std::string& name) {
  name_ = name;
  if (owner_ != nullptr) owner_->indexStale_ = true;
}

TFieldDef* TFieldDefs::Add(const std::string& name, TFieldType dataType, int size, bool required) {
  items_.push_back(std::make_unique<TFieldDef>(name, dataType, size, required, Count() + 1));
  TFieldDef* def = items_.back().get();
  def->owner_ = this;
  if (!indexStale_) index_.Add(def->Name(), def);
  return def;
}

void TFieldDefs::Clear() {
  items_.clear();
  index_.Clear();
  indexStale_ = false;
}

int TFieldDefs::IndexOf(const std::string& name) const {
  const TFieldDef* def = Find(name);
  return def == nullptr ? -1 : def->FieldNo() - 1;
}

TFieldDef* TFieldDefs::Find(const std::string& name) const {
  if (indexStale_) {
    index_.Clear();
    for (const auto& def : items_) index_.Add(def->Name(), def.get());
    indexStale_ = false;
  }
  return index_.Find(name);
}

void TFieldDefs::Update() {
  if (updated_ || dataSet_ == nullptr) return;
  dataSet_->InitFieldDefs();
  updated_ = true;
}

}  // namespace notarra
