// TVelaMasterLink: ties a detail TVelaDataset to a master data source.
// Whenever the master moves to another record (or one of the master fields
// changes), the detail is restricted by a range over its RangeFieldNames to
// the records whose values equal the master's MasterFields, field by field;
// when the master goes inactive the range is cancelled. An empty
// FieldNames (the detail's MasterFields) never restricts the detail.
//
// The link resolves FieldNames in the master dataset whenever the master's
// source, its active state or its layout changes, and calls the two hooks
// the owning dataset set when it created the link.
#pragma once

#include <string>
#include <vector>

#include "dataset/data_link.h"
#include "platform/events.h"

class TField;
class TVelaDataset;

class TVelaMasterLink : public TDetailDataLink {
public:
  explicit TVelaMasterLink(TVelaDataset* detail);

  TVelaDataset* DetailDataset() const { return detail_; }
  // The detail's MasterFields: ";"-separated field names of the master.
  const std::string& FieldNames() const { return fieldNames_; }
  // A different text is stored and the link re-resolved (which may raise
  // the framework's field-not-found error; the text stays stored).
  void SetFieldNames(const std::string& names);
  // The master's field objects for FieldNames while the link is active.
  const std::vector<TField*>& Fields() const { return fields_; }

  // Set by the owning dataset.
  TNotifyEvent OnMasterChange;
  TNotifyEvent OnMasterDisable;

protected:
  void ActiveChanged() override;
  void CheckBrowseMode() override;
  TDataSet* GetDetailDataSet() const override;
  void LayoutChanged() override { ActiveChanged(); }
  void RecordChanged(TField* field) override;

private:
  TVelaDataset* detail_;
  std::string fieldNames_;
  std::vector<TField*> fields_;
};
