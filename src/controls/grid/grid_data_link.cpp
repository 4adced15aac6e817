#include "controls/grid/grid_data_link.h"

#include <algorithm>

#include "controls/grid/db_grid.h"
#include "dataset/dataset.h"
#include "platform/scope_guard.h"

namespace notarra {

TField* TGridDataLink::Fields(int i) const {
  const int slot = FieldSlot(i);
  TDataSet* ds = DataSet();
  if (slot < 0 || ds == nullptr || slot >= ds->FieldCount()) return nullptr;
  return ds->Fields()[slot];
}

void TGridDataLink::ClearMapping() {
  slots_.clear();
  slots_.shrink_to_fit();
}

bool TGridDataLink::AddMapping(const std::string& fieldName) {
  if (FieldCount() >= kMaxMapSize) throw EInvalidGridOperation("Grid requested to display more than 256 columns");
  TDataSet* ds = DataSet();
  TField* field = nullptr;
  if (ds != nullptr) field = mapByColumns_ ? ds->FindField(fieldName) : ds->FieldByName(fieldName);
  // Capacity starts at 8 and doubles, never beyond the largest map.
  if (slots_.size() == slots_.capacity()) {
    const std::size_t grown = std::max<std::size_t>(8, slots_.capacity() * 2);
    slots_.reserve(std::min<std::size_t>(grown, kMaxMapSize));
  }
  slots_.push_back(field ? ds->Fields().IndexOf(field) : -1);
  return field != nullptr;
}

bool TGridDataLink::DefaultFields() const {
  TDataSet* ds = DataSet();
  if (ds == nullptr || !ds->DefaultFields()) return false;
  if (mapByColumns_)
    for (int slot : slots_)
      if (slot < 0) return false;
  return true;
}

void TGridDataLink::RevertEdit() {
  if (modified_) {
    RecordChanged(nullptr);
  } else if (TDataSet* ds = DataSet()) {
    ds->Cancel();
  }
}

void TGridDataLink::UpdateData() {
  if (detached_) return;
  inUpdateData_ = true;
  ScopeExit done([this] { inUpdateData_ = false; });
  if (modified_) grid_->WriteEditBuffer();
  modified_ = false;
}

void TGridDataLink::ActiveChanged() {
  if (detached_) return;
  grid_->LinkActive(Active());
  modified_ = false;
}

void TGridDataLink::DataSetChanged() {
  if (detached_) return;
  grid_->DataChanged();
  modified_ = false;
}

void TGridDataLink::DataSetScrolled(int distance) {
  if (!detached_) grid_->Scroll(distance);
}

void TGridDataLink::FocusControl(TField** field) {
  if (!detached_) grid_->FocusControl(field);
}

void TGridDataLink::EditingChanged() {
  if (!detached_) grid_->EditingChanged();
}

void TGridDataLink::LayoutChanged() {
  if (detached_) return;
  {
    const bool saved = grid_->layoutFromLink_;
    grid_->layoutFromLink_ = true;
    ScopeExit restore([&] { grid_->layoutFromLink_ = saved; });
    grid_->RequestLayout();
  }
  TDataLink::LayoutChanged();
}

void TGridDataLink::RecordChanged(TField* field) {
  if (detached_) return;
  grid_->RecordChanged(field);
  modified_ = false;
}

}  // namespace notarra
