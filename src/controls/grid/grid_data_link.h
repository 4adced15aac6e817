// TGridDataLink: the data grid's link to its data source. It holds the
// grid's field map (which dataset field each column shows, -1 for none),
// tracks whether the current cell's text was changed in the editor, and
// turns the dataset's notices into the grid's reactions.
#pragma once

#include <string>
#include <vector>

#include "dataset/data_link.h"

namespace notarra {

class TVelaCustomDBGrid;

class TGridDataLink : public TDataLink {
public:
  static constexpr int kMaxMapSize = 268435455;

  explicit TGridDataLink(TVelaCustomDBGrid* grid) : grid_(grid) {}

  TVelaCustomDBGrid* Grid() const { return grid_; }
  // The field map.
  int FieldCount() const { return static_cast<int>(slots_.size()); }
  // Index into the dataset's field list shown by column i, or -1.
  int FieldSlot(int i) const { return slots_.at(static_cast<std::size_t>(i)); }
  TField* Fields(int i) const;
  void ClearMapping();
  // Adds an entry for the field of that name; false when there is none.
  bool AddMapping(const std::string& fieldName);
  bool MapByColumns() const { return mapByColumns_; }
  void SetMapByColumns(bool value) { mapByColumns_ = value; }
  // The dataset uses its default fields and every column found its field.
  bool DefaultFields() const;
  int MapCapacity() const { return static_cast<int>(slots_.capacity()); }

  bool IsModified() const { return modified_; }
  void Modified() { modified_ = true; }
  bool InUpdateData() const { return inUpdateData_; }
  // Throws away the change in the editor, or cancels the dataset's edit.
  void RevertEdit();
  // The grid is going: no more reactions.
  void Detach() { detached_ = true; }
  // Made public for the grid: posting the editor's text.
  void UpdateData() override;

protected:
  void ActiveChanged() override;
  void DataSetChanged() override;
  void DataSetScrolled(int distance) override;
  void FocusControl(TField** field) override;
  void EditingChanged() override;
  void LayoutChanged() override;
  void RecordChanged(TField* field) override;

private:
  TVelaCustomDBGrid* grid_;
  std::vector<int> slots_;
  bool modified_ = false;
  bool inUpdateData_ = false;
  bool mapByColumns_ = false;
  bool detached_ = false;
};

}  // namespace notarra
