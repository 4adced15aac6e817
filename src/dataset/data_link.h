// Data links: how a control follows a data source. A link sees a window of
// BufferCount records (its share of the dataset's buffers), knows which of
// them is active, and receives the dataset's notices through the virtual
// methods below. TFieldDataLink binds one field for single-field controls;
// TDetailDataLink and TMasterDataLink tie a detail dataset to its master.
#pragma once

#include <string>
#include <vector>

#include "dataset/data_types.h"
#include "platform/component.h"
#include "platform/events.h"

namespace notarra {

class TDataSet;
class TDataSource;
class TField;

class TDataLink : public TObject {
public:
  TDataLink();
  ~TDataLink() override;
  TDataLink(const TDataLink&) = delete;
  TDataLink& operator=(const TDataLink&) = delete;

  TDataSource* DataSource() const { return dataSource_; }
  // Raises "DataSource cannot be changed" while DataSourceFixed.
  void SetDataSource(TDataSource* source);
  bool DataSourceFixed() const { return dataSourceFixed_; }
  void SetDataSourceFixed(bool value) { dataSourceFixed_ = value; }
  TDataSet* DataSet() const;
  // Active while the source is enabled and its dataset open.
  bool Active() const { return active_; }
  // Editing while the dataset is in an edit mode and the link is not read-only.
  bool Editing() const { return editing_; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  // The active record as a row of this link's window (0 .. RecordCount - 1).
  int ActiveRecord() const;
  // Makes another row of the window the dataset's active record (for
  // painting and reading one row); restore it afterwards.
  void SetActiveRecord(int value);
  int BufferCount() const { return bufferCount_; }
  void SetBufferCount(int value);
  // Records filled in this link's window.
  int RecordCount() const;
  bool Bof() const;
  bool Eof() const;
  // Asks the data source to edit; returns whether the link is now editing.
  bool Edit();
  // Writes a control's pending change into the field (UpdateData), with
  // RecordChanged notices from that write suppressed.
  void UpdateRecord();

protected:
  friend class TDataSource;
  friend class TDataSet;

  virtual void ActiveChanged() {}
  virtual void CheckBrowseMode() {}
  virtual void DataSetChanged() { RecordChanged(nullptr); }
  // distance: rows the window moved over the data (positive: towards the end).
  virtual void DataSetScrolled(int /*distance*/) { DataSetChanged(); }
  // A control that can show field sets *field to nullptr to take the notice.
  virtual void FocusControl(TField** /*field*/) {}
  virtual void EditingChanged() {}
  virtual void LayoutChanged() { DataSetChanged(); }
  virtual void RecordChanged(TField* /*field*/) {}
  virtual void UpdateData() {}

  // The first dataset buffer of this link's window.
  int FirstRecord() const { return firstRecord_; }

private:
  void DataEvent(TDataEvent event, intptr_t info);
  void UpdateState();
  void SetActive(bool value);
  void SetEditing(bool value);
  void UpdateRange();

  TDataSource* dataSource_ = nullptr;
  int firstRecord_ = 0;
  int bufferCount_ = 1;
  bool active_ = false;
  bool editing_ = false;
  bool readOnly_ = false;
  bool updating_ = false;
  bool dataSourceFixed_ = false;
};

class TFieldDataLink;
using TFieldDataLinkNotify = TEvent<TObject*>;
// The link and a "taken" flag the control sets when it took the focus.
using TFieldFocusEvent = TEvent<TFieldDataLink*, bool&>;

class TFieldDataLink : public TDataLink {
public:
  TFieldDataLink() = default;

  const std::string& FieldName() const { return fieldName_; }
  void SetFieldName(const std::string& name);
  TField* Field() const { return field_; }
  // The control the link serves (may be null).
  TObject* Control() const { return control_; }
  void SetControl(TObject* control) { control_ = control; }
  // Editing through this link: the dataset edits and the field can be modified.
  bool Editing() const { return fieldEditing_; }
  bool CanModify() const;
  // Starts editing when the field can be modified; returns Editing().
  bool Edit();
  // The control changed its text: UpdateData will fire OnUpdateData.
  void Modified() { modified_ = true; }
  bool IsModified() const { return modified_; }
  // Throws away the control's change: OnDataChange reloads it.
  void Reset() { RecordChanged(nullptr); }

  TFieldDataLinkNotify OnDataChange;
  TFieldDataLinkNotify OnEditingChange;
  TFieldDataLinkNotify OnUpdateData;
  TFieldDataLinkNotify OnActiveChange;
  TFieldFocusEvent OnFocusControl;

protected:
  void ActiveChanged() override;
  void EditingChanged() override;
  void FocusControl(TField** field) override;
  void LayoutChanged() override;
  void RecordChanged(TField* field) override;
  void UpdateData() override;

private:
  void UpdateField();
  void SetField(TField* field);
  void SetFieldEditing(bool value);

  std::string fieldName_;
  TField* field_ = nullptr;
  TObject* control_ = nullptr;
  bool fieldEditing_ = false;
  bool modified_ = false;
};

// A link that belongs to a detail dataset; DetailDataSet names it.
class TDetailDataLink : public TDataLink {
public:
  TDataSet* DetailDataSet() const { return GetDetailDataSet(); }

protected:
  virtual TDataSet* GetDetailDataSet() const { return nullptr; }
};

// The master side of a master-detail relation: resolves FieldNames in the
// master dataset and fires OnMasterChange when the master record (or one of
// those fields) changes, OnMasterDisable when the master goes inactive.
class TMasterDataLink : public TDetailDataLink {
public:
  explicit TMasterDataLink(TDataSet* detail) : detail_(detail) {}

  const std::string& FieldNames() const { return fieldNames_; }
  void SetFieldNames(const std::string& names);
  const std::vector<TField*>& Fields() const { return fields_; }

  TNotifyEvent OnMasterChange;
  TNotifyEvent OnMasterDisable;

protected:
  TDataSet* GetDetailDataSet() const override { return detail_; }
  void ActiveChanged() override;
  void CheckBrowseMode() override;
  void LayoutChanged() override { ActiveChanged(); }
  void RecordChanged(TField* field) override;

private:
  TDataSet* detail_;
  std::string fieldNames_;
  std::vector<TField*> fields_;
};

}  // namespace notarra
