#include "dataset/data_source.h"

#include <algorithm>

#include "dataset/data_link.h"
#include "dataset/dataset.h"
#include "dataset/messages.h"

namespace notarra {

TDataSource::TDataSource(TComponent* owner) : TComponent(owner) {}

TDataSource::~TDataSource() {
  Destroying();
  OnStateChange = nullptr;
  OnDataChange = nullptr;
  SetDataSet(nullptr);
  while (!dataLinks_.empty()) RemoveDataLink(dataLinks_.back());
}

void TDataSource::SetDataSet(TDataSet* dataSet) {
  if (dataSet == dataSet_) return;
  if (IsLinkedTo(dataSet)) DatabaseError(db_messages::kCircularDataLink, this);
  if (dataSet_ != nullptr) dataSet_->RemoveDataSource(this);
  if (dataSet != nullptr) dataSet->AddDataSource(this);
}

void TDataSource::SetEnabled(bool value) {
  enabled_ = value;
  UpdateState();
}

void TDataSource::Edit() {
  if (autoEdit_ && state_ == dsBrowse && dataSet_ != nullptr) dataSet_->Edit();
}

bool TDataSource::IsLinkedTo(TDataSet* dataSet) const {
  for (int guard = 0; dataSet != nullptr && guard < 1000; ++guard) {
    TDataSource* source = dataSet->DataSource();
    if (source == nullptr) break;
    if (source == this) return true;
    dataSet = source->DataSet();
  }
  return false;
}

void TDataSource::UpdateState() {
  if (enabled_ && dataSet_ != nullptr)
    SetState(dataSet_->State());
  else
    SetState(dsInactive);
}

void TDataSource::SetState(TDataSetState value) {
  if (state_ == value) return;
  TDataSetState prior = state_;
  state_ = value;
  for (TDataLink* l : std::vector<TDataLink*>(dataLinks_)) l->DataEvent(deUpdateState, 0);
  if (!HasState(csDestroying)) {
    OnStateChange(this);
    if (prior == dsInactive) OnDataChange(this, nullptr);
  }
}

void TDataSource::DataEvent(TDataEvent event, intptr_t info) {
  if (event == deUpdateState) {
    UpdateState();
    return;
  }
  if (state_ == dsInactive) return;
  std::vector<TDataLink*> links = dataLinks_;
  for (TDataLink* l : links)
    if (std::find(dataLinks_.begin(), dataLinks_.end(), l) != dataLinks_.end()) l->DataEvent(event, info);
  switch (event) {
    case deFieldChange:
      OnDataChange(this, reinterpret_cast<TField*>(info));
      break;
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
      OnDataChange(this, nullptr);
      break;
    case deUpdateRecord:
      OnUpdateData(this);
      break;
    default:
      break;
  }
}

void TDataSource::AddDataLink(TDataLink* link) {
  dataLinks_.push_back(link);
  link->dataSource_ = this;
  if (dataSet_ != nullptr) dataSet_->UpdateBufferCount();
  link->UpdateState();
}

void TDataSource::RemoveDataLink(TDataLink* link) {
  link->dataSource_ = nullptr;
  dataLinks_.erase(std::remove(dataLinks_.begin(), dataLinks_.end(), link), dataLinks_.end());
  link->UpdateState();
  if (dataSet_ != nullptr && !dataSet_->HasState(csDestroying)) dataSet_->UpdateBufferCount();
}

}  // namespace notarra
