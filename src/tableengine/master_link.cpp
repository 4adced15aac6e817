#include "tableengine/master_link.h"

#include <algorithm>

#include "dataset/data_source.h"
#include "dataset/dataset.h"
#include "dataset/messages.h"
#include "platform/exceptions.h"
#include "tableengine/vela_dataset.h"

namespace notarra {

// ---- TVelaMasterLink -------------------------------------------------------------

TVelaMasterLink::TVelaMasterLink(TVelaDataset* detail) : TMasterDataLink(detail) {}

void TVelaMasterLink::RecordChanged(TField* field) {
  if (dynamic_cast<TVelaDataset*>(DataSet()) == nullptr) return;
  TMasterDataLink::RecordChanged(field);
}

// ---- TVelaDataset: the detail side ------------------------------------------------

TVelaMasterLink& TVelaDataset::EnsureMasterLink() {
  if (!masterLink_) {
    masterLink_ = std::make_unique<TVelaMasterLink>(this);
    masterLink_->OnMasterChange = [this](TObject*) { MasterChanged(); };
    masterLink_->OnMasterDisable = [this](TObject*) { MasterDisabled(); };
  }
  return *masterLink_;
}

TDataSource* TVelaDataset::MasterSource() const { return masterLink_ ? masterLink_->DataSource() : nullptr; }

void TVelaDataset::SetMasterSource(TDataSource* source) {
  if (source == MasterSource()) return;
  if (source != nullptr && IsLinkedTo(source)) DatabaseError("Circular data link", this);
  // Checked before the link moves, so a refused master leaves the link as it was.
  if (source != nullptr && source->DataSet() != nullptr && dynamic_cast<TVelaDataset*>(source->DataSet()) == nullptr)
    DatabaseError("Use only TVelaDataset descendants for master-detail relationship", this);
  EnsureMasterLink().SetDataSource(source);
}

std::string TVelaDataset::MasterFields() const { return masterLink_ ? masterLink_->FieldNames() : std::string(); }

void TVelaDataset::SetMasterFields(const std::string& names) { EnsureMasterLink().SetFieldNames(names); }

std::string TVelaDataset::MasterValuesText() const {
  std::string text;
  TDataSet* master = masterLink_ ? masterLink_->DataSet() : nullptr;
  if (master == nullptr) return text;
  if (!master->Active()) DatabaseError(db_messages::kDataSetClosed, master);
  for (TField* field : masterLink_->Fields()) {
    text += field->AsString();
    text += '\t';
  }
  return text;
}

void TVelaDataset::MasterChanged() {
  if (!Active()) return;
  CheckBrowseMode();
  const std::string values = MasterValuesText();
  SetRange(values, values);
}

void TVelaDataset::MasterDisabled() {
  if (Active()) CancelRange();
}

void TVelaDataset::ApplyMasterRange() {
  if (!masterLink_ || !masterLink_->Active() || masterLink_->Fields().empty()) return;
  // The range keys exist only while the detail is open or opening; a closed
  // detail has no fields to fill them from and gets its range when it opens.
  if (keyBuffers_[kbRangeStart].Data == nullptr) return;
  const std::string values = MasterValuesText();
  SetRange(values, values);
}

void TVelaDataset::ApplyMasterValues() {
  if (!masterLink_ || !masterLink_->Active() || masterLink_->Fields().empty()) return;
  std::vector<TField*> rangeFields;
  GetFieldList(rangeFields, RangeFieldNames());
  const std::vector<TField*>& masterFields = masterLink_->Fields();
  const std::size_t n = std::min(rangeFields.size(), masterFields.size());
  for (std::size_t i = 0; i < n; ++i) rangeFields[i]->SetValue(masterFields[i]->Value());
}

}  // namespace notarra
