// The three property objects through which a data edit configures its
// popups: the fixed items of the combo style (ComboProps), the lookup
// (LookupProps) and the tree (TreeProps). Each belongs to one edit; setting
// a property that shapes the popup makes the edit configure its popup
// again before the next use.
#pragma once

#include <string>
#include <vector>

#include "controls/edit/popup_data.h"

namespace notarra {

class TDataSet;
class TField;
class TVelaDBEdit;

class TVelaComboProperties {
public:
  explicit TVelaComboProperties(TVelaDBEdit* edit) : edit_(edit) {}

  // The texts shown.
  const std::vector<std::string>& ComboItems() const { return items_; }
  void SetComboItems(const std::vector<std::string>& items);
  // The values stored, one per item.
  const std::vector<std::string>& ComboValues() const { return values_; }
  void SetComboValues(const std::vector<std::string>& values);
  // Whether there is a value for every item (and at least one value).
  bool HasValues() const { return !values_.empty() && values_.size() == items_.size(); }
  void Assign(const TVelaComboProperties& other);

private:
  TVelaDBEdit* edit_;
  std::vector<std::string> items_;
  std::vector<std::string> values_;
};

class TVelaLookupProperties {
public:
  explicit TVelaLookupProperties(TVelaDBEdit* edit) : edit_(edit) {}

  TVelaKindSearch KindSearch() const { return kindSearch_; }
  void SetKindSearch(TVelaKindSearch value);
  // The field of the edited dataset that receives the key.
  const std::string& SourceKeyField() const { return sourceKeyField_; }
  void SetSourceKeyField(const std::string& value);
  // The key field of the lookup dataset.
  const std::string& LookupKeyField() const { return lookupKeyField_; }
  void SetLookupKeyField(const std::string& value);
  // The lookup dataset's list fields, separated by ";".
  const std::string& ListFieldNames() const { return listFieldNames_; }
  void SetListFieldNames(const std::string& value);
  // Which list field the edit shows.
  int ViewFieldIndex() const { return viewFieldIndex_; }
  void SetViewFieldIndex(int value) { viewFieldIndex_ = value; }
  void Assign(const TVelaLookupProperties& other);

  // Collects the lookup dataset's fields named in ListFieldNames, opening
  // the dataset when it is closed; a failure leaves the list empty.
  void RefreshListFields();
  const std::vector<TField*>& ListFields() const { return listFields_; }
  // The name of the field at ViewFieldIndex (empty when there is none).
  std::string DisplayFieldName();

private:
  TVelaDBEdit* edit_;
  TVelaKindSearch kindSearch_ = vksFindFirst;
  std::string sourceKeyField_;
  std::string lookupKeyField_;
  std::string listFieldNames_;
  int viewFieldIndex_ = 0;
  std::vector<TField*> listFields_;
};

class TVelaTreeProperties {
public:
  explicit TVelaTreeProperties(TVelaDBEdit* edit) : edit_(edit) {}

  // The integer field giving a row's depth, 1 for the top level.
  const std::string& LevelField() const { return levelField_; }
  void SetLevelField(const std::string& value);
  char PathSeparator() const { return pathSeparator_; }
  void SetPathSeparator(char value) { pathSeparator_ = value; }
  // The field giving a node's text.
  const std::string& TextField() const { return textField_; }
  void SetTextField(const std::string& value);
  // The field giving the value stored for a node.
  const std::string& UniqueField() const { return uniqueField_; }
  void SetUniqueField(const std::string& value);
  void Assign(const TVelaTreeProperties& other);

  // Builds the edit's tree from its lookup dataset, walking it from the
  // first row: a row of level 1 is a top-level node, a row of level 2 to 6
  // a child of the latest node of the level above, a row of any other
  // level a child of the latest node of level 6 (top level while there is
  // no such node). The dataset is left on its last row.
  void BuildTree();

private:
  TVelaDBEdit* edit_;
  std::string levelField_;
  char pathSeparator_ = '/';
  std::string textField_;
  std::string uniqueField_;
};

}  // namespace notarra
