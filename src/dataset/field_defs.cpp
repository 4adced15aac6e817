#include "dataset/field_defs.h"

#include "dataset/dataset.h"
#include "dataset/field_types.h"
#include "dataset/messages.h"
#include "platform/codepage.h"

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

TFieldDef* TFieldDefs::Add(const std::string& name, TFieldType dataType, int size, bool required) {
  items_.push_back(std::make_unique<TFieldDef>(name, dataType, size, required, Count() + 1));
  return items_.back().get();
}

void TFieldDefs::Clear() { items_.clear(); }

int TFieldDefs::IndexOf(const std::string& name) const {
  for (int i = 0; i < Count(); ++i)
    if (AnsiSameText(items_[static_cast<std::size_t>(i)]->Name(), name)) return i;
  return -1;
}

TFieldDef* TFieldDefs::Find(const std::string& name) const {
  int i = IndexOf(name);
  return i < 0 ? nullptr : Items(i);
}

void TFieldDefs::Update() {
  if (updated_ || dataSet_ == nullptr) return;
  dataSet_->InitFieldDefs();
  updated_ = true;
}

}  // namespace notarra
