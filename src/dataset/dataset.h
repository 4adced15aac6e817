// TDataSet: the cursor over a source of records that data-aware controls,
// the filter dialog and code work with. It owns a window of record buffers
// (as many as the largest BufferCount of its data links, plus one spare
// used as the fetch and temporary buffer), keeps an active record inside
// that window, moves the window as the cursor moves, runs the
// browse/edit/insert state machine with its before/after events, and tells
// its data sources about every change.
//
// A concrete dataset (the table engine's) supplies the protected virtual
// steps: buffer management, GetRecord, field data exchange, positioning,
// bookmarks, posting and deleting, opening and closing. Its destructor must
// call Destroying() and Close() itself, since the steps it overrides are
// gone by the time this class's destructor runs.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dataset/data_types.h"
#include "dataset/field.h"
#include "dataset/field_defs.h"
#include "dataset/variant.h"
#include "platform/component.h"
#include "platform/events.h"
#include "platform/memory_stream.h"
#include "platform/name_index.h"

namespace notarra {

class TDataSource;
class TDataLink;

using TDataSetNotifyEvent = TEvent<TDataSet*>;
// Sender and the accept flag (true on entry).
using TFilterRecordEvent = TEvent<TDataSet*, bool&>;

// The dataset's field list in field order.
class TFields {
public:
  int Count() const { return static_cast<int>(list_.size()); }
  TField* operator[](int index) const { return Fields(index); }
  TField* Fields(int index) const;
  int IndexOf(const TField* field) const;
  TField* FindField(const std::string& name) const;  // case-insensitive
  auto begin() const { return list_.begin(); }
  auto end() const { return list_.end(); }

private:
  friend class TDataSet;
  friend class TField;
  // Every change of list_ or of a listed field's name goes through these,
  // which keep the name index in step: an appended field joins it, any
  // other change makes it stale and the next lookup builds it anew.
  void Append(TField* field);
  void ListChanged() { indexStale_ = true; }
  std::vector<TField*> list_;
  mutable TNameIndex<TField> index_;
  mutable bool indexStale_ = false;
};

class TDataSet : public TComponent {
public:
  explicit TDataSet(TComponent* owner = nullptr);
  ~TDataSet() override;

  // ---------------------------------------------------------------- state
  TDataSetState State() const { return state_; }
  bool Active() const { return state_ != dsInactive; }
  void SetActive(bool value);
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }
  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }
  bool Modified() const { return modified_; }
  bool Found() const { return found_; }
  bool CanModify() const { return GetCanModify(); }
  bool IsEmpty() const { return activeRecord_ >= recordCount_; }
  virtual bool IsSequenced() const { return true; }
  bool DefaultFields() const { return defaultFields_; }
  bool AutoCalcFields() const { return autoCalcFields_; }
  void SetAutoCalcFields(bool value) { autoCalcFields_ = value; }
  bool ObjectView() const { return objectView_; }
  void SetObjectView(bool value) { objectView_ = value; }
  void Loaded() override;

  // ----------------------------------------------------------- navigation
  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  // Moves the cursor by distance records; returns how far it moved.
  int MoveBy(int distance);
  int RecNo() const { return GetRecNo(); }
  virtual void SetRecNo(int value);
  int RecordCount() const { return GetRecordCount(); }
  void Refresh();
  void Resync(TResyncMode mode);
  void CheckBrowseMode();

  // ------------------------------------------------------------ bookmarks
  TBookmark Bookmark() const;
  void SetBookmark(const TBookmark& bookmark) { GotoBookmark(bookmark); }
  void GotoBookmark(const TBookmark& bookmark);
  virtual bool BookmarkValid(const TBookmark& bookmark);
  // Negative, zero or positive; the base says 0.
  virtual int CompareBookmarks(const TBookmark& a, const TBookmark& b);
  int BookmarkSize() const { return bookmarkSize_; }

  // -------------------------------------------------------------- editing
  void Edit();
  void Insert();
  void Append();
  void Post();
  void Cancel();
  void Delete();
  // Inserts or appends a record with these values (unassigned ones are skipped) and posts it.
  void InsertRecord(const std::vector<TVariant>& values);
  void AppendRecord(const std::vector<TVariant>& values);
  // Asks the controls to write pending edits into the fields.
  void UpdateRecord();
  virtual TUpdateStatus UpdateStatus() const { return usUnmodified; }

  // ---------------------------------------------------- controls and links
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return disableCount_ != 0; }
  bool IsLinkedTo(TDataSource* dataSource) const;
  // The master source of a detail dataset; nullptr when there is none.
  TDataSource* DataSource() const { return GetMasterSource(); }
  // Sends a notice to every data source (held back while controls are disabled).
  void DataEvent(TDataEvent event, intptr_t info);

  // -------------------------------------------------------------- fields
  TFields& Fields() { return fields_; }
  const TFields& Fields() const { return fields_; }
  int FieldCount() const { return fields_.Count(); }
  TFieldDefs& FieldDefs() { return fieldDefs_; }
  TField* FindField(const std::string& name) const { return fields_.FindField(name); }
  // Raises "Field '%s' not found".
  TField* FieldByName(const std::string& name) const;
  // The fields named in a ";"-separated list, in order.
  void GetFieldList(std::vector<TField*>& list, const std::string& fieldNames) const;
  // One field's value, or an array of values for several names.
  TVariant GetFieldValue(const std::string& fieldNames) const;
  void SetFieldValue(const std::string& fieldNames, const TVariant& value);
  void GetFieldNames(std::vector<std::string>& names) const;
  int CalcFieldsSize() const { return calcFieldsSize_; }

  // ------------------------------------------------- filtering and search
  const std::string& Filter() const { return filterText_; }
  void SetFilter(const std::string& text) { SetFilterText(text); }
  bool Filtered() const { return filtered_; }
  virtual void SetFiltered(bool value);
  TFilterOptions FilterOptions() const { return filterOptions_; }
  virtual void SetFilterOptions(TFilterOptions options);
  // Entry points the concrete dataset implements; the base finds nothing.
  virtual bool Locate(const std::string& keyFields, const TVariant& keyValues, TLocateOptions options);
  virtual TVariant Lookup(const std::string& keyFields, const TVariant& keyValues, const std::string& resultFields);
  // Through FindRecord (restart, forward), which the concrete dataset implements.
  virtual bool FindFirst() { return FindRecord(true, true); }
  virtual bool FindNext() { return FindRecord(false, true); }
  virtual bool FindPrior() { return FindRecord(false, false); }
  virtual bool FindLast() { return FindRecord(true, false); }

  // ---------------------------------------------------------------- BLOBs
  // A stream over a BLOB field's content in the active record; the base raises.
  virtual std::unique_ptr<TStream> CreateBlobStream(TField* field, TBlobStreamMode mode);

  // --------------------------------------------------------- field data
  // Copies the field's value in the active record (by state) into buffer
  // (which may be null) and says whether it has one. Never raises.
  virtual bool GetFieldData(TField* field, void* buffer) = 0;
  // Writes the value (null: no value). Raises when the state does not allow it.
  virtual void SetFieldData(TField* field, const void* buffer) = 0;

  // --------------------------------------------------------------- events
  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
  TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
  TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
  TDataSetNotifyEvent BeforeRefresh, AfterRefresh;
  TDataSetNotifyEvent OnCalcFields;
  TDataSetNotifyEvent OnNewRecord;
  TFilterRecordEvent OnFilterRecord;

  // Fills FieldDefs from the source (InternalInitFieldDefs); TFieldDefs::Update uses it.
  void InitFieldDefs();

protected:
  friend class TField;
  friend class TDataSource;
  friend class TDataLink;

  // ------------------------------------------- steps the dataset supplies
  // Buffers: the base allocates RecBufSize zeroed bytes and frees them.
  virtual TRecordBuffer AllocRecordBuffer();
  virtual void FreeRecordBuffer(TRecordBuffer& buffer);
  // Bytes of one record buffer; only the base allocator uses it.
  virtual int RecBufSize() const { return GetRecordSize() + calcFieldsSize_; }
  // Size of the record data; the calculated-field area follows it.
  virtual int GetRecordSize() const = 0;
  virtual void InternalInitRecord(TRecordBuffer buffer);
  // Zeroes the calculated-field area at GetRecordSize().
  virtual void ClearCalcFields(TRecordBuffer buffer);
  // Reads the record at, after or before the cursor into buffer.
  virtual TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) = 0;
  // Positioning.
  virtual void InternalFirst() = 0;
  virtual void InternalLast() = 0;
  virtual int GetRecNo() const { return -1; }
  virtual int GetRecordCount() const { return -1; }
  virtual void GetBookmarkData(TRecordBuffer buffer, void* data) const = 0;
  virtual void SetBookmarkData(TRecordBuffer buffer, const void* data) = 0;
  virtual TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) const = 0;
  virtual void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) = 0;
  virtual void InternalGotoBookmark(const void* bookmark) = 0;
  virtual void InternalSetToRecord(TRecordBuffer buffer) = 0;
  // Writing.
  virtual void InternalEdit() {}
  virtual void InternalInsert() {}
  virtual void InternalPost() = 0;
  virtual void InternalAddRecord(TRecordBuffer buffer, bool append) = 0;
  virtual void InternalDelete() = 0;
  virtual void InternalCancel() {}
  // Life cycle.
  virtual void InternalOpen() = 0;
  virtual void InternalClose() = 0;
  virtual bool IsCursorOpen() const = 0;
  virtual void InternalInitFieldDefs() = 0;
  virtual void InternalRefresh() {}
  // Called from inside a catch block when opening a streamed dataset fails
  // at design time; the base rethrows the exception being handled.
  virtual void InternalHandleException();
  // Hooks.
  virtual bool GetCanModify() const { return true; }
  virtual bool FindRecord(bool restart, bool goForward);
  virtual TDataSource* GetMasterSource() const { return nullptr; }
  virtual void SetFilterText(const std::string& text);
  virtual void DoBeforeOpen() { BeforeOpen(this); }
  virtual void DoAfterOpen() { AfterOpen(this); }
  virtual void DoBeforeClose() { BeforeClose(this); }
  virtual void DoAfterClose() { AfterClose(this); }
  virtual void DoBeforeInsert() { BeforeInsert(this); }
  virtual void DoAfterInsert() { AfterInsert(this); }
  virtual void DoBeforeEdit() { BeforeEdit(this); }
  virtual void DoAfterEdit() { AfterEdit(this); }
  virtual void DoBeforePost() { BeforePost(this); }
  virtual void DoAfterPost() { AfterPost(this); }
  virtual void DoBeforeCancel() { BeforeCancel(this); }
  virtual void DoAfterCancel() { AfterCancel(this); }
  virtual void DoBeforeDelete() { BeforeDelete(this); }
  virtual void DoAfterDelete() { AfterDelete(this); }
  virtual void DoBeforeScroll() { BeforeScroll(this); }
  virtual void DoAfterScroll() { AfterScroll(this); }
  virtual void DoBeforeRefresh() { BeforeRefresh(this); }
  virtual void DoAfterRefresh() { AfterRefresh(this); }
  virtual void DoOnCalcFields() { OnCalcFields(this); }
  virtual void DoOnNewRecord() { OnNewRecord(this); }

  // ------------------------------------------------------------- services
  TRecordBuffer ActiveBuffer() const { return buffers_.empty() ? nullptr : buffers_[static_cast<std::size_t>(activeRecord_)]; }
  // The spare buffer after the filled ones (fetching, lookups).
  TRecordBuffer TempBuffer() const { return buffers_.empty() ? nullptr : buffers_[static_cast<std::size_t>(recordCount_)]; }
  // The buffer whose calculated fields are being computed.
  TRecordBuffer CalcBuffer() const { return calcBuffer_; }
  // Computes the calculated and lookup fields of buffer in state dsCalcFields.
  void GetCalcFields(TRecordBuffer buffer);
  void CalculateFields(TRecordBuffer buffer);
  // Brings the underlying cursor to the active record.
  void UpdateCursorPos();
  // Forgets where the underlying cursor is.
  void CursorPosChanged() { currentRecord_ = -1; }
  void SetState(TDataSetState value);
  TDataSetState SetTempState(TDataSetState value);
  void RestoreState(TDataSetState value);
  void CheckActive() const;
  void CheckInactive() const;
  // Raises when the dataset cannot be changed; a dataset with messages of its
  // own for each refused operation can defer to them.
  virtual void CheckCanModify() const;
  void SetFound(bool value) { found_ = value; }
  void SetModified(bool value) { modified_ = value; }
  void SetBookmarkSize(int size) { bookmarkSize_ = size; }
  bool BookmarkAvailable() const;
  // Field binding: computes FieldNo, the calculated-field area and checks persistent fields.
  void BindFields(bool binding);
  // Default fields, one per field definition.
  void CreateFields();
  void DestroyFields();
  // Calculated and lookup field storage at GetRecordSize() + Offset in a
  // record buffer: one has-value byte, then DataSize bytes of value.
  bool GetCalcFieldData(TRecordBuffer recordBuffer, TField* field, void* buffer) const;
  void SetCalcFieldData(TRecordBuffer recordBuffer, TField* field, const void* buffer);
  // Raises "Field '%s' must have a value" for the first empty required data field.
  void CheckRequiredFields();
  int BufferCount() const { return bufferCount_; }
  int ActiveRecordIndex() const { return activeRecord_; }
  int BufferRecordCount() const { return recordCount_; }
  TRecordBuffer Buffers(int index) const { return buffers_.at(static_cast<std::size_t>(index)); }

  // Filter state for the overrides of the setters.
  void StoreFilterText(const std::string& text) { filterText_ = text; }
  void StoreFiltered(bool value) { filtered_ = value; }

private:
  friend class TFields;
  // The buffer window.
  void SetBufferCount(int value);
  void SetBufListSize(int value);
  void UpdateBufferCount();
  void ClearBuffers();
  void ActivateBuffers();
  void MoveBuffer(int curIndex, int newIndex);
  void SetCurrentRecord(int index);
  bool GetNextRecord(int* shift = nullptr);
  bool GetPriorRecord(int* shift = nullptr);
  int GetNextRecords();
  int GetPriorRecords();
  void InitRecord(TRecordBuffer buffer);
  void BeginInsertAppend();
  void EndInsertAppend();
  void PrepareInsert();
  void AddRecord(const std::vector<TVariant>& values, bool append);
  void SetFields(const std::vector<TVariant>& values);
  void OpenCursor();
  void CloseCursor();
  void ClearFieldsModified();
  // Links.
  void AddDataSource(TDataSource* source);
  void RemoveDataSource(TDataSource* source);
  void AddField(TField* field);
  void RemoveField(TField* field);
  void NotifyDataSources(TDataEvent event, intptr_t info);

  TDataSetState state_ = dsInactive;
  TFields fields_;
  TFieldDefs fieldDefs_{this};
  std::vector<TDataSource*> dataSources_;
  std::vector<TRecordBuffer> buffers_;
  int bufferCount_ = 0;
  int recordCount_ = 0;
  int activeRecord_ = 0;
  int currentRecord_ = -1;
  TRecordBuffer calcBuffer_ = nullptr;
  int calcFieldsSize_ = 0;
  int bookmarkSize_ = 0;
  bool bof_ = true;
  bool eof_ = true;
  bool modified_ = false;
  bool found_ = false;
  bool defaultFields_ = false;
  bool autoCalcFields_ = true;
  bool objectView_ = false;
  bool internalOpenComplete_ = false;
  bool streamedActive_ = false;
  int disableCount_ = 0;
  TDataSetState disableState_ = dsInactive;
  // The notice EnableControls owes: none, deDataSetChange or deLayoutChange.
  bool enablePending_ = false;
  TDataEvent enableEvent_ = deDataSetChange;
  std::string filterText_;
  bool filtered_ = false;
  TFilterOptions filterOptions_;
};

}  // namespace notarra
