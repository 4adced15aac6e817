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

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dataset/dataset.h"
#include "dataset/data_source.h"
#include "tableengine/journal.h"
#include "tableengine/record_filter.h"
#include "tableengine/record_store.h"
#include "tableengine/word_search.h"

namespace notarra {

class TVelaDatabase;
class TVelaBlobStream;
class TVelaMasterLink;

enum TVelaSortOption { vsoCaseInsensitive, vsoDescendSort, vsoInsertInOrder };
using TVelaSortOptions = TSet<TVelaSortOption>;

using TCallbackEvent = TEvent<TObject*, int>;
using TDestroyRecDataEvent = TEvent<TObject*, void*>;

// Frees a key buffer's data area (one from TVelaCursor::AllocRecordData).
struct TVelaKeyAreaFree {
  void operator()(uint8_t* area) const { std::free(area); }
};

// A key: the descriptors of some fields and a data area holding their values.
// The area belongs to the key buffer and goes with it; the texts and blocks
// in it are released through the store that laid them out, before that store
// goes (the dataset does both in FreeKeyBuffers).
struct TVelaKeyBuffer {
  TVelaFieldList Descriptors;
  std::vector<TField*> FieldObjects;
  std::unique_ptr<uint8_t, TVelaKeyAreaFree> Data;
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

  // A table cloned from this dataset shares its store while open: it
  // registers when it opens and unregisters when it closes, and this dataset
  // refuses to close while any clone is registered.
  void RegisterClone(TVelaDataset* clone) { clones_.push_back(clone); }
  void UnregisterClone(TVelaDataset* clone) { std::erase(clones_, clone); }
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
  // The same from a table file, read in place (see TVelaCursor::LoadFromFile);
  // returns the identity of the file as it was opened.
  TFileIdentity LoadFromFile(const std::string& path);
  // Writes the store to the file; returns the identity of the file written
  // (none without a store).
  TFileIdentity SaveToFile(const std::string& path);
  void RebuildVisible(bool startAtFirst);
  // The same after a commit, which only takes deleted records away: a list in
  // index order that held every live record stays as it is, less those.
  void RebuildVisibleAfterCommit();
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

  // ---- Typed words (vela_dataset_words.cpp) --------------------------------
  // The fields the words are looked for in (";"-separated names).
  const std::string& SearchFields() const { return searchFields_; }
  void SetSearchFields(const std::string& names) { searchFields_ = names; }
  const std::string& SearchText() const { return searchText_; }
  // Narrows the visible list, on top of filter and range, to the records that
  // hold every word of text (see TVelaWordSearch); "" shows them all again.
  // Tests at most slice records now and returns false when work remains for
  // ContinueSearch; the list shown changes only once the work is done. A
  // new text drops the work of the one before. Raises for an unknown field.
  bool SetSearchText(const std::string& text, std::size_t slice = SIZE_MAX);
  bool SearchPending() const { return narrowing_.Running(); }
  bool ContinueSearch(std::size_t slice = SIZE_MAX);

  // ---- Search, ranges and refresh (vela_dataset_search.cpp) ----------------
  // Locate moves to the first visible record whose key fields hold the key
  // values (one value, or an array with one per field); Lookup reads the
  // result fields of that record without moving.
  bool Locate(const std::string& keyFields, const TVariant& keyValues, TLocateOptions options) override;
  TVariant Lookup(const std::string& keyFields, const TVariant& keyValues, const std::string& resultFields) override;
  // Finds a record and makes it current (no scroll events, no resync).
  // Without options: by the key's stored values, a binary search when the
  // visible list is ordered by the key fields, else a walk; with options: a
  // walk comparing the fields' values.
  bool LocateRecord(const std::string& keyFields, const TVariant& keyValues, TLocateOptions options = {});
  // Whether the visible list is ordered by these fields (a leading part of
  // IndexFieldNames, case-sensitive order, sorted since the last change).
  bool IsIndexPrefix(const std::string& fieldNames) const;
  // Empties a key buffer and gives it fields: the slot's own list
  // (IndexFieldNames, none, RangeFieldNames, RangeFieldNames), or the names given.
  void PrepareKeyBuffer(TVelaKeyIndex slot);
  void PrepareKeyBuffer(TVelaKeyIndex slot, const std::string& fieldNames);
  const TVelaKeyBuffer& KeyBuffer(TVelaKeyIndex slot) const { return keyBuffers_[slot]; }
  // Fills a range key from TAB-ended values, one per range field; fewer
  // values make a shorter key that covers every value of the later fields.
  void FillKey(TVelaKeyIndex slot, const std::string& text);
  // Keeps only the records between the two keys (both ends inclusive).
  void SetRange(const std::string& startText, const std::string& endText);
  void ApplyRange();
  void CancelRange();
  bool RangeActive() const { return rangeActive_; }
  const std::string& RangeFieldNames() const { return rangeFieldNames_; }
  void SetRangeFieldNames(const std::string& names);
  // ---- end of search, ranges and refresh -----------------------------------

  // ---- Master-detail link and BLOB streams (master_link.cpp, blob_stream.cpp)
  // The detail follows its master through a range over RangeFieldNames.
  TDataSource* MasterSource() const;
  // Raises "Circular data link" and, for a master that is not a
  // TVelaDataset, "Use only TVelaDataset descendants for master-detail
  // relationship"; either way the link stays as it was.
  void SetMasterSource(TDataSource* source);
  std::string MasterFields() const;
  void SetMasterFields(const std::string& names);
  TVelaMasterLink* MasterLink() const { return masterLink_.get(); }
  std::unique_ptr<TStream> CreateBlobStream(TField* field, TBlobStreamMode mode) override;

protected:
  TDataSource* GetMasterSource() const override { return MasterSource(); }
  // Restricts the detail to its master's record when the link is active and
  // names master fields (opening, refreshing, new RangeFieldNames).
  void ApplyMasterRange();

private:
  friend class TVelaBlobStream;
  friend class TVelaMasterLink;
  TVelaMasterLink& EnsureMasterLink();
  void MasterChanged();
  void MasterDisabled();
  // Each master field's text followed by a TAB.
  std::string MasterValuesText() const;
  // A new record's range fields take the master's values.
  void ApplyMasterValues();
  // Open streams are told when the dataset closes.
  void DetachBlobStreams();
  // ... and when an edit or insert is posted or cancelled.
  void EndBlobStreamEdits();
  std::unique_ptr<TVelaMasterLink> masterLink_;
  std::vector<TVelaBlobStream*> blobStreams_;
  // ---- end of master-detail link and BLOB streams

protected:
  // Steps of the concrete table.
  virtual void LoadTable() = 0;
  // Whether LoadTable reads the table again from where it came from (a
  // refresh reloads only such tables; others keep their store).
  virtual bool ReloadsFromSource() const { return false; }
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
  // Refuses to close while clones share the store, before anything changes:
  // a half-closed source would free the clones' records at its next open.
  void DoBeforeClose() override;
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
  void RebuildVisible(bool startAtFirst, bool afterCommit);
  // The live records that pass the filter and range, in index order.
  void FillFromStore(bool filtering);
  // Takes previous, less its gone records, as the list when that is every
  // live record of the store; else false and the list is to be filled anew.
  bool KeepLiveRecords(TVelaRecordList& previous);
  // Empties the store (making one when there is none) and fills it by load;
  // a failure releases it and raises "Error opening table: <reason>".
  void LoadStore(const std::function<bool(std::string& error)>& load);
  void ReleaseStore();
  // Counts an edit, insert or delete begun since the last commit.
  void CountChange();
  // A change was posted into the store (for a delete, the record is gone
  // from the visible list and may be purged already).
  virtual void RecordPosted(TVelaJournalKind, const TVelaRecord*) {}
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
  // Typed words: the list they narrow (valid until a record is posted or the
  // list is rebuilt) and the narrowing under way.
  std::string searchFields_;
  std::string searchText_;
  TVelaWordSearch wordSearch_;
  TVelaRecordList searchBase_;
  bool searchBaseValid_ = false;
  TVelaWordNarrowing narrowing_;
  // Narrows visible_ at once when words are typed; keeps the full list as the base.
  void NarrowVisibleByWords();
  void ForgetSearchBase();
  // Shows list in place of the visible one, keeping the current record when it is there.
  void ShowList(TVelaRecordList list);
  TVelaRecord* BeginListChange();
  void EndListChange(TVelaRecord* remembered);
  // A posted change: the journal's record, and the words' base list no longer fits.
  void Posted(TVelaJournalKind kind, const TVelaRecord* record) {
    searchBaseValid_ = false;
    RecordPosted(kind, record);
  }
  // Conditions, then OnFilterRecord; the caller holds the dsFilter state.
  bool PassesFilter(TVelaRecord* record);
  // Runs testRecords in dsFilter, where fields read filterRecord_; the state
  // and the record under test are put back however it ends.
  void TestRecordsInFilterState(const std::function<void()>& testRecords);

  // ---- Search, ranges and refresh (vela_dataset_search.cpp) ----------------
  // The fields of a key list, checked before anything changes; raises for an
  // unknown name and for calculated, lookup and BLOB fields.
  void ResolveKeyFields(const std::string& names, std::vector<TField*>& fieldObjects,
                        TVelaFieldList& descriptors);
  int SearchKeyValues(TVelaKeyBuffer& kb, const std::string& keyFields, const TVariant& keyValues);
  int WalkForKeyValues(TVelaKeyBuffer& kb, const TVariant& keyValues, TLocateOptions options);
  int WalkForKey(const TVelaKey& key) const;
  // Whether the record at index sits in index order beside its neighbours.
  bool InIndexOrderAt(int index) const;
  // Clears the sorted flag when the record's key left it out of order.
  void CheckStillSorted(const TVelaRecord* record);
  bool InRangeKeys(const TVelaRecord* record) const;
  // The field positions of each key buffer's descriptors, and, after the
  // table was reloaded into the store, the new descriptors at those positions.
  std::vector<std::vector<int>> KeyFieldPositions() const;
  void RebindKeyBuffers(const std::vector<std::vector<int>>& positions);
  std::string rangeFieldNames_;
  bool rangeActive_ = false;
  // ---- end of search, ranges and refresh -----------------------------------
};

}  // namespace notarra
