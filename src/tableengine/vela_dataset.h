// TVelaDataset: the table engine's dataset over one record store. It keeps
// the list of visible records in visible order, maps the framework's
// navigation, editing and bookmarks onto the store, counts unsaved changes
// and fills new records with defaults. TVelaTable supplies loading and
// writing.
//
// Record buffer layout: the record data area, the framework's calculated
// field area, then the bookmark information (the store record, the bookmark
// flag and the 1-based record number, -1 for a new record).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dataset/dataset.h"
#include "dataset/data_source.h"
#include "tableengine/record_filter.h"
#include "tableengine/record_store.h"

class TVelaDatabase;

enum TVelaSortOption { vsoCaseInsensitive, vsoDescendSort, vsoInsertInOrder };
using TVelaSortOptions = TSet<TVelaSortOption>;

using TCallbackEvent = TEvent<TObject*, int>;
using TDestroyRecDataEvent = TEvent<TObject*, void*>;

// A key: the descriptors of some fields and a data area holding their values.
struct TVelaKeyBuffer {
  TVelaFieldList Descriptors;
  std::vector<TField*> FieldObjects;
  uint8_t* Data = nullptr;
  int KeyCount = 0;
};
enum TVelaKeyIndex { kbIndex, kbSearch, kbRangeStart, kbRangeEnd };

class TVelaDataset : public TDataSet {
public:
  explicit TVelaDataset(TComponent* owner = nullptr);
  ~TVelaDataset() override;

  TVelaDatabase* Database() const { return database_; }
  virtual void SetDatabase(TVelaDatabase* database);
  const std::string& IndexFieldNames() const { return indexFieldNames_; }
  void SetIndexFieldNames(const std::string& names);
  TVelaSortOptions SortOptions() const { return sortOptions_; }
  void SetSortOptions(TVelaSortOptions options);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  TVelaSaveOptions SaveOptions() const { return saveOptions_; }
  void SetSaveOptions(TVelaSaveOptions options) { saveOptions_ = options; }
  bool PartialOpen() const { return partialOpen_; }
  void SetPartialOpen(bool value) { partialOpen_ = value; }
  const std::string& UniqueFieldNames() const { return uniqueFieldNames_; }
  void SetUniqueFieldNames(const std::string& names) { uniqueFieldNames_ = names; }
  bool CheckKeyViolation() const { return checkKeyViolation_; }
  void SetCheckKeyViolation(bool value) { checkKeyViolation_ = value; }
  const std::string& Notes() const { return notes_; }
  void SetNotes(const std::string& notes) { notes_ = notes; }
  std::string Version() const { return "VelaDB Engine v5.10"; }
  void SetVersion(const std::string&) {}  // read-only; writing changes nothing

  TNotifyEvent OnNeedToSaveChange;
  TCallbackEvent OnCallback;
  TFilterRecordEvent OnFindRecord;  // published; nothing raises it
  TDestroyRecDataEvent OnDestroyRecordData;

  // Own operations.
  void LoadFromStream(TStream& stream, bool keepStream);
  void SaveToFile(const std::string& path);
  void RebuildVisible(bool startAtFirst);
  bool ChangesPending() const { return changeCount_ > 0; }
  int ChangeCount() const { return changeCount_; }
  TVelaCursor* Store() const { return store_; }
  const TVelaRecordList& VisibleRecords() const { return visible_; }

  // Posts an open edit, insert or key entry, then writes the table.
  virtual void SaveChanges();
  // Undoes every change since the last commit.
  virtual void CancelChanges();
  // Makes every change since the last commit permanent in memory.
  virtual void CommitChanges();

  // Framework operations the engine answers.
  bool GetFieldData(TField* field, void* buffer) override;
  void SetFieldData(TField* field, const void* buffer) override;
  bool BookmarkValid(const TBookmark& bookmark) override;
  int CompareBookmarks(const TBookmark& a, const TBookmark& b) override;
  TUpdateStatus UpdateStatus() const override;
  void SetRecNo(int value) override;
  void SetFiltered(bool value) override;
  // A change of case rule re-filters at once when the filter is in force.
  void SetFilterOptions(TFilterOptions options) override;

  // The filter text's conditions (vela_dataset_filter.cpp). A text that does
  // not parse changes nothing: the previous text and conditions stay.
  void FreeConditions();
  // Finds the fields, compiles masks, converts literals; may raise.
  void ResolveConditions();
  // Whether the record satisfies every condition (true without conditions); may raise.
  bool RecordMatchesFilter(const TVelaRecord* record);
  static bool KindsComparable(TVelaFieldKind rightKind, TVelaFieldKind leftKind);

protected:
  // Steps of the concrete table.
  virtual void LoadTable() = 0;
  virtual void WriteTable() = 0;
  virtual void FreeStore() = 0;

  // Framework steps.
  TRecordBuffer AllocRecordBuffer() override;
  void FreeRecordBuffer(TRecordBuffer& buffer) override;
  int RecBufSize() const override;
  int GetRecordSize() const override;
  void InternalInitRecord(TRecordBuffer buffer) override;
  void ClearCalcFields(TRecordBuffer buffer) override;
  TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) override;
  void InternalFirst() override;
  void InternalLast() override;
  int GetRecNo() const override;
  int GetRecordCount() const override;
  void GetBookmarkData(TRecordBuffer buffer, void* data) const override;
  void SetBookmarkData(TRecordBuffer buffer, const void* data) override;
  TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) const override;
  void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) override;
  void InternalGotoBookmark(const void* bookmark) override;
  void InternalSetToRecord(TRecordBuffer buffer) override;
  void InternalPost() override;
  void InternalAddRecord(TRecordBuffer buffer, bool append) override;
  void InternalDelete() override;
  void InternalCancel() override;
  void InternalOpen() override;
  void InternalClose() override;
  bool IsCursorOpen() const override { return opened_; }
  void InternalInitFieldDefs() override;
  void InternalRefresh() override;
  bool GetCanModify() const override;
  void CheckCanModify() const override;
  void DoBeforeEdit() override;
  void DoBeforeInsert() override;
  void DoBeforeDelete() override;
  void DoOnNewRecord() override;
  void SetFilterText(const std::string& text) override;
  bool FindRecord(bool restart, bool goForward) override;

  // The store: created by the first load, or shared (clones).
  void SetStore(TVelaCursor* store, bool owned);
  void ReleaseStore();
  // Counts an edit, insert or delete begun since the last commit.
  void CountChange();
  void ApplyOrigin();
  void SetOriginText(const std::string& text) { originText_ = text; }

  std::vector<TVelaDataset*> clones_;  // tables that share this dataset's store
  std::string password_;               // given to a store created by a load

private:
  struct BookmarkInfo {
    TVelaRecord* Record;
    uint8_t Flag;
    int32_t RecNo;
  };
  BookmarkInfo* Info(TRecordBuffer buffer) const;
  // The record data of the state's source buffer, or null.
  const uint8_t* SourceData() const;
  uint8_t* TargetData();
  const TVelaField* Descriptor(const TField* field) const;
  TVelaRecord* ActiveStoreRecord() const;
  void PrepareIndexKey();
  void CreateKeyBuffers();
  void FreeKeyBuffers();
  void ApplyDefaults();
  void TellDatabase(bool changed);

  TVelaCursor* store_ = nullptr;
  std::unique_ptr<TVelaCursor> ownedStore_;
  TVelaRecordList visible_;
  int current_ = -1;
  bool opened_ = false;
  bool sorted_ = false;
  int changeCount_ = 0;
  TVelaDatabase* database_ = nullptr;
  std::string indexFieldNames_;
  TVelaSortOptions sortOptions_;
  TVelaSaveOptions saveOptions_ = 0;
  bool readOnly_ = false;
  bool partialOpen_ = false;
  bool checkKeyViolation_ = false;
  std::string uniqueFieldNames_;
  std::string notes_;
  std::string originText_;
  TVelaKeyBuffer keyBuffers_[4];
  bool keyBuffersCreated_ = false;
  TVelaRecord* filterRecord_ = nullptr;  // the record under test in dsFilter
  TVelaKeyBuffer* keyBuffer_ = nullptr;  // the key being filled in dsSetKey
  TVelaRecordFilter recordFilter_;       // the filter text's conditions
  // Conditions, then OnFilterRecord; the caller holds the dsFilter state.
  bool PassesFilter(TVelaRecord* record);
};
