// Field definitions: what the dataset's source says its fields are (name,
// data type, size, required). Default fields are created from them when a
// dataset opens without persistent fields, and persistent fields are
// checked against them when they are bound.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dataset/data_types.h"
#include "platform/name_index.h"

namespace notarra {

class TDataSet;
class TField;
class TFieldDefs;

class TFieldDef {
public:
  TFieldDef(std::string name, TFieldType dataType, int size, bool required, int fieldNo)
      : name_(std::move(name)), dataType_(dataType), size_(size), required_(required), fieldNo_(fieldNo) {}

  const std::string& Name() const { return name_; }
  void SetName(const std::string& name);
  TFieldType DataType() const { return dataType_; }
  void SetDataType(TFieldType type) { dataType_ = type; }
  int Size() const { return size_; }
  void SetSize(int size) { size_ = size; }
  bool Required() const { return required_; }
  void SetRequired(bool required) { required_ = required; }
  // 1-based position among the definitions.
  int FieldNo() const { return fieldNo_; }

  // Creates the field object of the class for DataType, owned by and added
  // to the dataset. Raises "Field '%s' is of an unknown type" for types
  // without a field class.
  TField* CreateField(TDataSet* dataSet) const;

private:
  friend class TFieldDefs;
  TFieldDefs* owner_ = nullptr;  // told of a new name, so that its index follows
  std::string name_;
  TFieldType dataType_;
  int size_;
  bool required_;
  int fieldNo_;
};

class TFieldDefs {
public:
  explicit TFieldDefs(TDataSet* dataSet) : dataSet_(dataSet) {}

  TFieldDef* Add(const std::string& name, TFieldType dataType, int size = 0, bool required = false);
  void Clear();
  int Count() const { return static_cast<int>(items_.size()); }
  TFieldDef* Items(int index) const { return items_.at(static_cast<std::size_t>(index)).get(); }
  TFieldDef* operator[](int index) const { return Items(index); }
  // Case-insensitive; nullptr / -1 when absent.
  TFieldDef* Find(const std::string& name) const;
  int IndexOf(const std::string& name) const;

  // Up to date with the dataset's source: Update asks the dataset to fill
  // them (InternalInitFieldDefs) unless they already are.
  bool Updated() const { return updated_; }
  void SetUpdated(bool updated) { updated_ = updated; }
  void Update();

private:
  friend class TFieldDef;
  TDataSet* dataSet_;
  std::vector<std::unique_ptr<TFieldDef>> items_;
  // Names to definitions, kept in step by Add and Clear; a renamed
  // definition makes it stale and the next lookup builds it anew.
  mutable TNameIndex<TFieldDef> index_;
  mutable bool indexStale_ = false;
  bool updated_ = false;
};

}  // namespace notarra
