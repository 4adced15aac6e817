// TVelaTable: the dataset placed on forms. It knows its table name and load
// mode, loads its store from a file, a stream, field definitions or another
// table's store, and writes its file back.
#pragma once

#include <memory>
#include <string>

#include "platform/file_io.h"
#include "tableengine/journal.h"
#include "tableengine/vela_dataset.h"

namespace notarra {

enum TVelaLoadMode { lmClear, lmFile, lmClone, lmStream };

class TVelaTable : public TVelaDataset {
public:
  explicit TVelaTable(TComponent* owner = nullptr);
  ~TVelaTable() override;

  const std::string& TableName() const { return tableName_; }
  void SetTableName(const std::string& name);
  TVelaLoadMode LoadMode() const { return loadMode_; }
  void SetLoadMode(TVelaLoadMode mode);
  TVelaDataset* CloneDS() const { return cloneDS_; }
  void SetCloneDS(TVelaDataset* source);
  void SetDatabase(TVelaDatabase* database) override;
  bool StoreDefs() const { return storeDefs_; }
  void SetStoreDefs(bool value) { storeDefs_ = value; }
  // The store's password while open, the stored text otherwise.
  std::string Password();
  void SetPassword(const std::string& password);
  // The stream lmStream loads from; the application keeps it.
  void SetLoadStream(TStream* stream) { loadStream_ = stream; }

  // The path the table is read from and written to.
  std::string TablePath() const;
  // Whether the table's file is no longer the one this table last read or
  // wrote: another file in its place, or another size or modification time,
  // so that writing now would drop what someone else put there. A file that
  // is gone counts as unchanged (writing it again loses nothing), and so does
  // a table that holds no file: it was not opened from one. A clone answers
  // for its source's file, the one it writes.
  bool FileChangedOnDisk() const;
  // Field definitions changed: they are stored exactly when the table is built from them.
  void DefChanged() { storeDefs_ = loadMode_ == lmClear; }

  void CancelChanges() override;
  void CommitChanges() override;

  // ---- Recovery journal (vela_table_journal.cpp) ---------------------------
  // A table read from its file (lmFile) with Journaled set keeps a journal
  // beside the file (journal.h): every posted change goes into it before the
  // post returns, writing the file empties it, CancelChanges removes it and
  // closing leaves it, so that the next open finds what was never saved.
  bool Journaled() const { return journaled_; }
  void SetJournaled(bool value);  // only while closed
  std::string JournalPath() const { return JournalPathFor(TablePath()); }
  // The journal an earlier run left beside the file, as the last open found
  // it; null when there was none or once it was restored, discarded or set aside.
  const TVelaJournalContents* LeftJournal() const { return leftJournal_.get(); }
  // Why the left journal cannot be restored (damaged, or made over another
  // version of the table file); empty when it can.
  std::string LeftJournalProblem() const;
  // Replays the left journal's changes, which then count as unsaved, and
  // journals on into the same file. Raises EDatabaseError when that cannot
  // be done; the table then holds none of its changes.
  void RestoreJournal();
  void DiscardJournal();
  // Moves the left journal out of the way (journal.h); returns where it went.
  std::string KeepJournalAside();
  // Called when a posted change could not be written to the journal (the
  // change is made all the same and stays in memory until saved).
  TEvent<TVelaTable*, const std::string&> OnJournalError;

protected:
  void LoadTable() override;
  bool ReloadsFromSource() const override { return loadMode_ == lmFile; }
  void WriteTable() override;
  void FreeStore() override;
  void InternalClose() override;
  void Notification(TComponent* component, TOperation operation) override;
  void RecordPosted(TVelaJournalKind kind, const TVelaRecord* record) override;

private:
  // A new journal over the file as last read or written; notes one left behind.
  void BeginJournal();
  void ApplyJournalEntries(const std::vector<TVelaJournalEntry>& entries);
  TVelaJournalStamp CurrentStamp() const;

  void LoadFromFieldDefs();
  void CloneSourceSaved();

  std::string tableName_;
  TVelaLoadMode loadMode_ = lmClear;
  TVelaDataset* cloneDS_ = nullptr;
  TVelaDataset* registeredWith_ = nullptr;  // the source this clone is registered with
  bool storeDefs_ = false;
  TStream* loadStream_ = nullptr;
  // The file as this table last read or wrote it; kept by lmFile tables
  // (a clone writes its source's file and updates its source's identity).
  TFileIdentity fileIdentity_;
  bool journaled_ = false;
  TVelaJournalWriter journal_;
  std::unique_ptr<TVelaJournalContents> leftJournal_;
};

}  // namespace notarra
