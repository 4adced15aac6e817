// TVelaCursor: the in-memory record store of one open table. It owns the
// field descriptors, every record (with its change status, data and texts),
// the password and notes, and the autoincrement counter. It keeps records in
// store order and only reorders them when asked to sort. Operations that can
// fail on the data they are given return false and an error text that the
// dataset wraps into a database error. Only two calls raise EDatabaseError,
// for misuse by the code that builds a store: AddField on a store that
// already holds records, and AppendRecord with a text no reader could load
// again. Running out of memory raises std::bad_alloc.
//
// Record entries never move in memory (a bookmark is a pointer to one), and
// record data never moves either: ordering works on lists of pointers.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_io.h"
#include "platform/mapped_file.h"
#include "platform/memory_stream.h"
#include "platform/name_index.h"
#include "platform/zeroed_memory.h"
#include "tableengine/field.h"
#include "tableengine/record.h"

namespace notarra {

enum TVelaSaveOption : uint32_t {
  savAutoBackup = 1u << 0,  // copy the old file to ".~d" first
  savSlowMode = 1u << 1,    // accepted, changes nothing
  savSortOnIndex = 1u << 2, // write records in index order
};
using TVelaSaveOptions = uint32_t;

using TVelaFieldList = std::vector<const TVelaField*>;
using TVelaRecordList = std::vector<TVelaRecord*>;

// A search or range key: a data area, its descriptors, and how many of them count.
struct TVelaKey {
  const uint8_t* Data = nullptr;
  std::span<const TVelaField* const> Fields;
  int Count = 0;
};

class TVelaCursor {
public:
  TVelaCursor();
  ~TVelaCursor();
  TVelaCursor(const TVelaCursor&) = delete;
  TVelaCursor& operator=(const TVelaCursor&) = delete;

  // ---- Descriptors -------------------------------------------------------
  int FieldCount() const { return static_cast<int>(fields_.size()); }
  // The field count the file header declared (may exceed the descriptors read).
  int DeclaredFieldCount() const { return declaredFieldCount_; }
  const TVelaField* FieldByIndex(int index) const;
  // First descriptor whose name matches without regard to letter case.
  const TVelaField* FindField(std::string_view name) const;
  // ";"-separated names, blanks ignored; unknown names and BLOB kinds are left out.
  TVelaFieldList ResolveFieldList(std::string_view names) const;
  // Appends a descriptor (tables built from field definitions). Offsets and
  // widths follow; the first AutoInc becomes the autoincrement field. Only
  // while the store holds no records: afterwards it raises EDatabaseError
  // "Fields cannot be added to a table that holds records".
  const TVelaField& AddField(std::string_view name, TVelaFieldKind kind, int size = 0,
                             std::string_view qualifier = "XXX", std::string_view defaultValue = {},
                             std::string_view extraText = {});
  // Appends a descriptor exactly as given, for notarra-table's write, which
  // rebuilds what a file held: kind and size as they are (a String of 10
  // characters stays a String), an empty qualifier stays empty, and Entry,
  // when set, is written back as it is. What the writer will write for it
  // (a blank in the name as "_")
  // must read back as this very field, else EDatabaseError "Field
  // description '%s' cannot be written so that it reads back the same";
  // like AddField, only while the store holds no records.
  const TVelaField& AddDescriptor(const TVelaField& field);
  uint32_t RecordDataSize() const { return recordDataSize_; }

  // ---- Data areas --------------------------------------------------------
  // A zeroed data area of RecordDataSize bytes, owned by the caller (free with FreeRecordData).
  uint8_t* AllocRecordData() const;
  void FreeRecordData(uint8_t* data) const;  // releases texts and blocks, then the area
  void CopyRecordData(const uint8_t* source, uint8_t* dest) const;
  void ReleaseRecordData(uint8_t* data) const;

  // ---- Records -----------------------------------------------------------
  // Every entry in store order, deleted and purged ones included.
  const TVelaRecordList& Records() const { return records_; }
  // Who last wrote the records' Mark bytes: a pass claims them before it
  // writes, and checks it still holds them before it reads them back.
  void ClaimMarks(const void* owner) const { marksOwner_ = owner; }
  bool MarksHeldBy(const void* owner) const { return marksOwner_ == owner; }
  int RecordCount() const { return static_cast<int>(records_.size()); }
  bool ContainsRecord(const TVelaRecord* record) const;

  // Writes data into record, or into a new record when record is null (the
  // new entry is returned through created). Errors: "Record is not found",
  // "Record has been deleted", "Field '%s' has given out its last key (%d)"
  // for a new record when the AutoInc counter is at its largest, or, for a
  // String text longer than 8191
  // characters (which no reader could load again), "Field '%s' value is too
  // long (%d characters; at most 8191)".
  bool WriteRecord(const uint8_t* data, TVelaRecord* record, std::string& error,
                   TVelaRecord** created = nullptr);
  // Appends a record exactly as given, with its AutoInc value kept (the
  // counter rises to it when higher): how the loader and the notarra-table
  // writer fill a store (status rsUnmodified), and how a journal brings back
  // a record that was added (rsInserted). A String text over 8191
  // characters raises EDatabaseError with WriteRecord's message.
  TVelaRecord* AppendRecord(const uint8_t* data, TVelaRecordStatus status = rsUnmodified);
  bool DeleteRecord(TVelaRecord* record, std::string& error);
  bool KeepOldData(TVelaRecord* record);
  void RevertRecord(TVelaRecord* record);
  // An edit of the record was cancelled before it was posted: the record
  // stays as it is, with the changes posted before the edit, and lets go of a
  // committed copy it no longer needs.
  void CancelEdit(TVelaRecord* record);
  void CancelChanges();
  void CommitChanges();
  // Destroys every record; with all also the descriptors, notes and password.
  void Clear(bool all);
  void RecalcAutoInc();
  uint32_t StoredSize(const uint8_t* data) const;

  // ---- Values ------------------------------------------------------------
  // a and b are data areas; the field's values in them are compared.
  int CompareValues(const uint8_t* a, const uint8_t* b, const TVelaField& field, bool caseInsensitive) const;
  // Field by field, case-sensitive, the first count fields (all when count < 0).
  int CompareRecords(const uint8_t* a, const uint8_t* b, std::span<const TVelaField* const> fields,
                     int count = -1) const;
  void TextToValue(std::string_view text, const TVelaField& field, uint8_t* data) const;
  std::string ValueToText(const uint8_t* data, const TVelaField& field) const;

  // ---- Ordering ----------------------------------------------------------
  void SortBy(std::string_view fieldNames, bool caseInsensitive);
  void SortRecords(TVelaRecordList& list, std::span<const TVelaField* const> fields, bool caseInsensitive,
                   bool descending) const;
  int FindInsertPosition(const TVelaRecordList& list, std::span<const TVelaField* const> fields,
                         bool descending) const;
  int SearchKey(const TVelaRecordList& list, const TVelaKey& key, int startIndex, bool ordered,
                bool descending) const;
  bool InRange(const TVelaRecord* record, const TVelaKey& rangeStart, const TVelaKey& rangeEnd) const;
  bool KeyExists(const uint8_t* data, const TVelaRecord* ignore, std::string_view fieldNames) const;

  // ---- Table file --------------------------------------------------------
  // Loads a whole table from the stream's bytes, starting at the stream's
  // position, reading them bufferSize bytes at a time (the stream itself is
  // never changed). Returns false and the reader's message on failure (the
  // store is then empty), or, with PartialOpen, true and the message for what
  // was lost. keepFileOrder skips the final sort by the autoincrement field
  // (the counter is still restored), for tools that must show the file as it is.
  static constexpr std::size_t kReadBufferSize = 4u << 20;
  bool LoadFromStream(TStream& stream, std::string& error, bool keepFileOrder = false,
                      std::size_t bufferSize = kReadBufferSize);
  // Loads a table file as LoadFromStream does, reading it in place: the file
  // is mapped (see TMappedFile) and the records' texts and blocks are the
  // file's own bytes, which the store keeps until it is cleared. A protected
  // table is deciphered into memory of its own. identity, when given, gets
  // the file as it was opened. EInOutError when the file cannot be opened.
  bool LoadFromFile(const std::string& path, std::string& error, bool keepFileOrder = false,
                    TFileIdentity* identity = nullptr);
  // The file the records read in place belong to; null when none do.
  const TMappedFile* MappedFile() const { return mapping_.get(); }
  // Appends the table to the stream; returns the bytes written. Refuses
  // (EDatabaseError, nothing appended to the file) what the reader would
  // not give back: two fields whose names are one as written, and, without
  // notes, a first record that would read as a notes block.
  int64_t WriteToStream(TMemoryStream& stream);
  // Writes the file safely (temporary file, flush, rename): on failure the old
  // file is untouched and EInOutError names the file. Returns the identity
  // of the file written.
  TFileIdentity SaveToFile(const std::string& path, TVelaSaveOptions options, bool caseInsensitive,
                  std::string_view indexFieldNames);
  int64_t EstimateSize() const;

  // ---- Records as bytes (the recovery journal) -----------------------------
  // One record's bytes exactly as the table file holds them.
  std::string EncodeRecord(const uint8_t* data) const;
  // Reads such bytes into a zeroed data area (texts and blocks owned by it).
  // Returns false and the reader's message when the bytes are not one whole
  // record of this store's fields; the area may then hold part of the values
  // and is released as usual.
  bool DecodeRecord(std::string_view bytes, uint8_t* data, std::string& error);
  // A checksum of the field descriptions as the file holds them.
  uint32_t LayoutChecksum() const;
  // Numbers the live records in store order from 0, as a write puts them
  // into the file, and the next record added after them.
  void RenumberOrdinals();
  uint32_t NextOrdinal() const { return nextOrdinal_; }

  // ---- Table properties --------------------------------------------------
  const std::string& Password() const { return password_; }
  void SetPassword(std::string password) { password_ = std::move(password); }
  const std::array<uint8_t, 40>& PasswordBlock() const { return passwordBlock_; }
  bool IsProtected() const { return protected_; }
  // Bytes the loaded file held after the last record its header counts: the
  // reader ignores them, so writing the store back drops them.
  uint64_t TrailingBytes() const { return trailingBytes_; }
  bool PartialOpen() const { return partialOpen_; }
  void SetPartialOpen(bool value) { partialOpen_ = value; }
  const TVelaField* AutoIncField() const { return autoIncField_; }
  int32_t AutoIncCounter() const { return autoIncCounter_; }
  const std::string& Notes() const { return notes_; }
  // The notes block holds at most 32767 bytes; longer text is cut.
  void SetNotes(std::string notes);
  // Index preparation decides whether a SmallStr compares right-aligned.
  void SetFieldRightAligned(const TVelaField* field, bool value);

  // Decides whether a password opens a protected table's block. It gets the
  // block as read and the store's password; on success the block must hold
  // the deciphered key text and password the one that worked. Without a hook
  // VelaSession() checks it (known passwords, then the prompt).
  std::function<bool(std::array<uint8_t, 40>& block, std::string& password)> OnCheckPassword;

  // Progress in percent while loading and writing; release of a record's UserData.
  std::function<void(int percent)> OnProgress;
  std::function<void(void* userData)> OnReleaseUserData;

private:
  friend class TVelaTableReader;
  friend class TVelaTableWriter;

  TVelaRecord* NewEntry();               // an entry with a fresh zeroed data area
  // "Record is not found" / "Record has been deleted" for records that cannot be changed.
  bool CheckWritable(const TVelaRecord* record, std::string& error) const;
  void PurgeRecord(TVelaRecord* record); // data, OldData and UserData released
  void ResetFields();
  void AppendDescriptor(TVelaField field);

  std::vector<std::unique_ptr<TVelaField>> fields_;
  TNameIndex<const TVelaField> fieldIndex_;  // kept in step with fields_ by AppendDescriptor and ResetFields
  int declaredFieldCount_ = 0;
  uint32_t recordDataSize_ = 0;
  const TVelaField* autoIncField_ = nullptr;
  int32_t autoIncCounter_ = 0;
  uint32_t nextOrdinal_ = 0;

  // Entries live in fixed chunks (stable addresses); data areas are carved
  // from zeroed slabs. Both are only given back by Clear.
  struct Chunk {
    TZeroedBlock Memory;
    std::size_t Used = 0, Capacity = 0;  // in entries or bytes
  };
  void AddChunk(std::vector<Chunk>& chunks, std::size_t capacity, std::size_t unit);
  void ReserveEntries(std::size_t count);  // room for count more entries without further allocation
  // A text in the arena: loading a table makes millions of them, and one
  // allocation per text would cost more than the rest of the load.
  const char* NewArenaText(std::string_view s);
  mutable const void* marksOwner_ = nullptr;
  std::vector<Chunk> entryChunks_;
  std::vector<Chunk> slabs_;
  std::vector<Chunk> textArena_;
  std::shared_ptr<const TMappedFile> mapping_;  // released after the records that borrow from it
  TVelaRecordList records_;
  std::vector<const TVelaField*> refFields_;  // String and BLOB kinds: owned references
  mutable std::vector<void*> copyScratch_;    // CopyRecordData's new references

  std::string password_;
  std::array<uint8_t, 40> passwordBlock_{};
  bool protected_ = false;
  bool partialOpen_ = false;
  uint64_t trailingBytes_ = 0;
  std::string notes_;
};

}  // namespace notarra
