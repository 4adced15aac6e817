#include "tableengine/record_store.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <new>

#include "platform/block_size.h"
#include "platform/codepage.h"
#include "platform/conversions.h"
#include "platform/exceptions.h"
#include "platform/scope_guard.h"
#include "tableengine/data_area.h"
#include "tableengine/field_entry.h"

namespace notarra {

namespace {

constexpr std::size_t kEntryChunk = 4096;
constexpr std::size_t kSlabBytes = 256 * 1024;

}  // namespace

void TVelaCursor::AddChunk(std::vector<Chunk>& chunks, std::size_t capacity, std::size_t unit) {
  Chunk c;
  c.Memory = TZeroedBlock(capacity * unit);
  c.Capacity = capacity;
  chunks.push_back(std::move(c));
}

TVelaCursor::TVelaCursor() = default;

TVelaCursor::~TVelaCursor() { Clear(true); }

// ---- Descriptors ----------------------------------------------------------

const TVelaField* TVelaCursor::FieldByIndex(int index) const {
  if (index < 0 || index >= FieldCount()) return nullptr;
  return fields_[index].get();
}

const TVelaField* TVelaCursor::FindField(std::string_view name) const { return fieldIndex_.Find(name); }

TVelaFieldList TVelaCursor::ResolveFieldList(std::string_view names) const {
  TVelaFieldList list;
  for (const std::string& name : SplitFieldNames(names)) {
    const TVelaField* f = FindField(name);
    if (f && !IsBlobKind(f->Kind)) list.push_back(f);
  }
  return list;
}

void TVelaCursor::AppendDescriptor(TVelaField field) {
  field.DataSize = KindDataSize(field.Kind, field.Size);
  field.Offset = recordDataSize_;
  field.Index = FieldCount();
  recordDataSize_ += field.DataSize;
  fields_.push_back(std::make_unique<TVelaField>(std::move(field)));
  const TVelaField* f = fields_.back().get();
  fieldIndex_.Add(f->Name, f);
  if (f->Kind == TVelaFieldKind::AutoInc && !autoIncField_) autoIncField_ = f;
  if (f->Kind == TVelaFieldKind::String || IsBlobKind(f->Kind)) refFields_.push_back(f);
}

const TVelaField& TVelaCursor::AddField(std::string_view name, TVelaFieldKind kind, int size,
                                        std::string_view qualifier, std::string_view defaultValue,
                                        std::string_view extraText) {
  if (!records_.empty()) throw EDatabaseError("Fields cannot be added to a table that holds records");
  TVelaField f;
  f.Name = std::string(name);
  f.Qualifier = qualifier.empty() ? "XXX" : std::string(qualifier);
  if (kind == TVelaFieldKind::SmallStr || kind == TVelaFieldKind::String) {
    size = std::clamp(size, 0, 32767);
    kind = TextKindForSize(size);
  } else {
    size = 0;
  }
  f.Kind = kind;
  f.Size = static_cast<int16_t>(size);
  f.RightAligned = KindRightAligned(kind);
  f.DefaultValue = std::string(defaultValue);
  f.ExtraText = std::string(extraText);
  AppendDescriptor(std::move(f));
  declaredFieldCount_ = FieldCount();
  return *fields_.back();
}

const TVelaField& TVelaCursor::AddDescriptor(const TVelaField& field) {
  if (!records_.empty()) throw EDatabaseError("Fields cannot be added to a table that holds records");
  TVelaField f;
  f.Name = field.Name;
  f.Qualifier = field.Qualifier;
  f.Kind = field.Kind;
  f.Size = field.Size;
  f.RightAligned = KindRightAligned(field.Kind);
  f.DefaultValue = field.DefaultValue;
  f.ExtraText = field.ExtraText;
  f.Entry = field.Entry;
  // The reader splits the section at 0x12 and takes each entry by its own
  // rules: only what survives both comes back as the same field (a blank
  // in the name comes back as the "_" it is written as).
  const std::string written = WrittenFieldEntry(f);
  TVelaField back, expected = f;
  std::replace(expected.Name.begin(), expected.Name.end(), ' ', '_');
  if (f.Kind == TVelaFieldKind::Unknown || written.find('\x12') != std::string::npos ||
      !ParseFieldEntry(written, back) || !SameEntryParts(back, expected))
    throw EDatabaseError(Format("Field description '%s' cannot be written so that it reads back the same",
                                written.c_str()));
  if (!f.Entry.empty() && f.Entry == BuiltFieldEntry(f)) f.Entry.clear();
  AppendDescriptor(std::move(f));
  declaredFieldCount_ = FieldCount();
  return *fields_.back();
}

void TVelaCursor::SetFieldRightAligned(const TVelaField* field, bool value) {
  if (field && field->Index < FieldCount() && fields_[field->Index].get() == field)
    fields_[field->Index]->RightAligned = value;
}

void TVelaCursor::SetNotes(std::string notes) {
  if (notes.size() > 32767) notes.resize(32767);
  notes_ = std::move(notes);
}

void TVelaCursor::ResetFields() {
  fields_.clear();
  fieldIndex_.Clear();
  refFields_.clear();
  declaredFieldCount_ = 0;
  recordDataSize_ = 0;
  autoIncField_ = nullptr;
}

// ---- Data areas -----------------------------------------------------------

uint8_t* TVelaCursor::AllocRecordData() const {
  void* p = std::calloc(1, recordDataSize_ ? recordDataSize_ : 1);
  if (!p) throw std::bad_alloc();
  return static_cast<uint8_t*>(p);
}

void TVelaCursor::FreeRecordData(uint8_t* data) const {
  if (!data) return;
  ReleaseRecordData(data);
  std::free(data);
}

void TVelaCursor::ReleaseRecordData(uint8_t* data) const {
  if (!data) return;
  for (const TVelaField* f : refFields_) {
    if (f->Kind == TVelaFieldKind::String) {
      data_area::FreeText(data_area::TextRef(data, *f));
      data_area::Store<const char*>(data, *f, nullptr);
    } else {
      data_area::FreeBlock(data_area::OwnedBlob(data, *f));
      std::memset(data + f->Offset, 0, f->DataSize);
    }
  }
}

namespace {

// An owned block of at least size bytes: the old one when it is big enough
// (moving a grid's window copies records of similar sizes over and over, and
// reusing their blocks saves an allocation and a release each time).
void* Reuse(void* old, std::size_t size) {
  if (old && UsableBlockSize(old) >= size) return old;
  std::free(old);
  void* block = std::malloc(size ? size : 1);
  if (!block) throw std::bad_alloc();
  return block;
}

}  // namespace

void TVelaCursor::CopyRecordData(const uint8_t* source, uint8_t* dest) const {
  if (source == dest || !source || !dest) return;
  // The destination's references are worked out first (reusing its blocks),
  // then the whole area is copied and the references put back in place.
  std::vector<void*>& refs = copyScratch_;
  refs.assign(refFields_.size(), nullptr);
  for (std::size_t i = 0; i < refFields_.size(); ++i) {
    const TVelaField& f = *refFields_[i];
    if (f.Kind == TVelaFieldKind::String) {
      const char* old = data_area::TextRef(dest, f);
      // Borrowed texts are not released one by one.
      void* oldBlock = old && data_area::IsOwnedText(old) ? const_cast<char*>(old) - sizeof(uint32_t) : nullptr;
      const char* t = data_area::TextRef(source, f);
      if (!t) {
        std::free(oldBlock);
        continue;
      }
      const uint32_t n = data_area::TextLength(t);
      void* block = Reuse(oldBlock, data_area::TextFootprint(n));
      refs[i] = data_area::PlaceText(static_cast<char*>(block), {t, n});
    } else {
      uint8_t* old = data_area::OwnedBlob(dest, f);
      const uint8_t* b = data_area::BlobRef(source, f);
      if (!b) {
        std::free(old);
        continue;
      }
      // A block may exist with length 0 (a memo literal); it stays an existing block.
      const uint32_t n = data_area::BlobLength(source, f);
      void* block = Reuse(old, n);
      std::memcpy(block, b, n);
      refs[i] = block;
    }
  }
  std::memcpy(dest, source, recordDataSize_);
  for (std::size_t i = 0; i < refFields_.size(); ++i) {
    const TVelaField& f = *refFields_[i];
    data_area::Store<void*>(dest, f, refs[i]);
    // The copy owns its block, whoever owned the source's.
    if (f.Kind != TVelaFieldKind::String) data_area::SetBlobLength(dest, f, data_area::BlobLength(source, f));
  }
}

// ---- Records --------------------------------------------------------------

void TVelaCursor::ReserveEntries(std::size_t count) {
  if (count == 0) return;
  std::size_t free = entryChunks_.empty() ? 0 : entryChunks_.back().Capacity - entryChunks_.back().Used;
  if (free < count) {
    AddChunk(entryChunks_, std::max(count, kEntryChunk), sizeof(TVelaRecord));
  }
  std::size_t bytes = count * std::max<std::size_t>(recordDataSize_, 1);
  std::size_t slabFree = slabs_.empty() ? 0 : slabs_.back().Capacity - slabs_.back().Used;
  if (slabFree < bytes) {
    AddChunk(slabs_, std::max(bytes, kSlabBytes), 1);
  }
  // Bulk reservations size the list once; single additions let it grow geometrically.
  if (count > 1) records_.reserve(records_.size() + count);
}

const char* TVelaCursor::NewArenaText(std::string_view s) {
  constexpr std::size_t kArenaChunk = 4 * 1024 * 1024;
  std::size_t need = data_area::TextFootprint(s.size());
  if (textArena_.empty() || textArena_.back().Capacity - textArena_.back().Used < need) {
    AddChunk(textArena_, std::max(need, kArenaChunk), 1);
  }
  Chunk& c = textArena_.back();
  char* text = data_area::PlaceArenaText(reinterpret_cast<char*>(c.Memory.get() + c.Used), s);
  c.Used += need;
  return text;
}

TVelaRecord* TVelaCursor::NewEntry() {
  ReserveEntries(1);
  Chunk& ec = entryChunks_.back();
  auto* record = new (ec.Memory.get() + ec.Used * sizeof(TVelaRecord)) TVelaRecord();
  ++ec.Used;
  Chunk& slab = slabs_.back();
  record->Data = slab.Memory.get() + slab.Used;  // slabs are zeroed
  slab.Used += std::max<std::size_t>(recordDataSize_, 1);
  record->Ordinal = nextOrdinal_++;
  records_.push_back(record);
  return record;
}

bool TVelaCursor::ContainsRecord(const TVelaRecord* record) const {
  if (!record) return false;
  const auto* at = reinterpret_cast<const uint8_t*>(record);
  for (const Chunk& c : entryChunks_) {
    const uint8_t* first = c.Memory.get();
    if (at >= first && at < first + c.Used * sizeof(TVelaRecord))
      return (at - first) % sizeof(TVelaRecord) == 0;
  }
  return false;
}

bool TVelaCursor::CheckWritable(const TVelaRecord* record, std::string& error) const {
  if (!ContainsRecord(record)) {
    error = "Record is not found";
    return false;
  }
  if (!record->Live()) {
    error = "Record has been deleted";
    return false;
  }
  return true;
}

uint32_t TVelaCursor::StoredSize(const uint8_t* data) const {
  uint32_t size = static_cast<uint32_t>(fields_.size());
  for (const auto& fp : fields_) {
    const TVelaField& f = *fp;
    switch (f.Kind) {
      case TVelaFieldKind::SmallInt:
      case TVelaFieldKind::Boolean:
        if (data_area::Load<int16_t>(data, f) != 0) size += 2;
        break;
      case TVelaFieldKind::Integer:
      case TVelaFieldKind::Date:
      case TVelaFieldKind::Time:
      case TVelaFieldKind::AutoInc:
        if (data_area::Load<int32_t>(data, f) != 0) size += 4;
        break;
      case TVelaFieldKind::Int64:
        if (data_area::Load<int64_t>(data, f) != 0) size += 8;
        break;
      case TVelaFieldKind::Double:
      case TVelaFieldKind::Currency:
      case TVelaFieldKind::DateTime:
        // By bits, as the writer decides: -0.0 is written, so it takes its 8 bytes.
        if (data_area::Load<uint64_t>(data, f) != 0) size += 8;
        break;
      case TVelaFieldKind::SmallStr: size += static_cast<uint32_t>(data_area::SmallText(data, f).size()); break;
      case TVelaFieldKind::String:
        if (const char* t = data_area::TextRef(data, f)) size += 4 + data_area::TextLength(t);
        break;
      case TVelaFieldKind::BLOB:
      case TVelaFieldKind::Memo:
      case TVelaFieldKind::FmtMemo:
      case TVelaFieldKind::Graphic:
        if (data_area::BlobRef(data, f) && data_area::BlobLength(data, f) > 0)
          size += 4 + data_area::BlobLength(data, f);
        break;
      case TVelaFieldKind::Unknown: break;
    }
  }
  return size;
}

namespace {

// A String text longer than the reader accepts would make the file unreadable.
bool CheckTextLengths(const uint8_t* data, const std::vector<const TVelaField*>& refFields, std::string& error) {
  for (const TVelaField* f : refFields) {
    if (f->Kind != TVelaFieldKind::String) continue;
    const char* t = data_area::TextRef(data, *f);
    if (t && data_area::TextLength(t) > static_cast<uint32_t>(kMaxStringLength)) {
      error = Format("Field '%s' value is too long (%u characters; at most %d)", f->Name.c_str(),
                     data_area::TextLength(t), kMaxStringLength);
      return false;
    }
  }
  return true;
}

}  // namespace

bool TVelaCursor::WriteRecord(const uint8_t* data, TVelaRecord* record, std::string& error, TVelaRecord** created) {
  error.clear();
  if (created) *created = nullptr;
  if (record && !CheckWritable(record, error)) return false;
  if (!CheckTextLengths(data, refFields_, error)) return false;
  if (record) {
    if (record->Status == rsUnmodified) record->Status = rsModified;
    CopyRecordData(data, record->Data);
    record->OwnsReferences = true;
    record->Source = 0;
  } else {
    // A key past the largest would wrap around to one already given.
    if (autoIncField_ && autoIncCounter_ == std::numeric_limits<int32_t>::max()) {
      error = Format("Field '%s' has given out its last key (%d)", autoIncField_->Name.c_str(), autoIncCounter_);
      return false;
    }
    record = NewEntry();
    record->Status = rsInserted;
    CopyRecordData(data, record->Data);
    if (autoIncField_) data_area::Store<int32_t>(record->Data, *autoIncField_, ++autoIncCounter_);
    if (created) *created = record;
  }
  record->StoredSize = StoredSize(record->Data);
  return true;
}

TVelaRecord* TVelaCursor::AppendRecord(const uint8_t* data, TVelaRecordStatus status) {
  std::string error;
  if (!CheckTextLengths(data, refFields_, error)) throw EDatabaseError(error);
  TVelaRecord* record = NewEntry();
  CopyRecordData(data, record->Data);
  record->Status = status;
  record->StoredSize = StoredSize(record->Data);
  if (autoIncField_) autoIncCounter_ = std::max(autoIncCounter_, data_area::Load<int32_t>(record->Data, *autoIncField_));
  return record;
}

void TVelaCursor::PurgeRecord(TVelaRecord* record) {
  if (record->OwnsReferences) ReleaseRecordData(record->Data);
  record->Data = nullptr;  // its slab space stays unused until Clear
  FreeRecordData(record->OldData);
  record->OldData = nullptr;
  if (record->UserData) {
    if (OnReleaseUserData) OnReleaseUserData(record->UserData);
    record->UserData = nullptr;
  }
  record->Status = rsPurged;
  record->StoredSize = 0;
}

bool TVelaCursor::DeleteRecord(TVelaRecord* record, std::string& error) {
  error.clear();
  if (!CheckWritable(record, error)) return false;
  if (record->Status == rsInserted)
    PurgeRecord(record);
  else
    record->Status = rsDeleted;
  return true;
}

bool TVelaCursor::KeepOldData(TVelaRecord* record) {
  if (!record || !record->Live()) return false;
  if (record->OldData) return true;
  uint8_t* copy = AllocRecordData();
  ScopeFail release([&] { FreeRecordData(copy); });
  CopyRecordData(record->Data, copy);
  record->OldData = copy;
  return true;
}

void TVelaCursor::RevertRecord(TVelaRecord* record) {
  if (!record || record->Status == rsPurged) return;
  if (record->OldData) {
    CopyRecordData(record->OldData, record->Data);
    record->OwnsReferences = true;
    record->Source = 0;
    FreeRecordData(record->OldData);
    record->OldData = nullptr;
  }
  record->Status = rsUnmodified;
  record->StoredSize = StoredSize(record->Data);
}

void TVelaCursor::CancelEdit(TVelaRecord* record) {
  // The edit lived in a record buffer, so the record's data is still what was
  // posted before it. The committed copy is only worth keeping for a record
  // that holds posted changes.
  if (!record || record->Status == rsModified || record->Status == rsDeleted) return;
  FreeRecordData(record->OldData);
  record->OldData = nullptr;
}

void TVelaCursor::RenumberOrdinals() {
  uint32_t next = 0;
  for (TVelaRecord* r : records_)
    if (r->Live()) r->Ordinal = next++;
  nextOrdinal_ = next;
}

void TVelaCursor::CancelChanges() {
  for (TVelaRecord* r : records_) {
    switch (r->Status) {
      case rsModified:
      case rsDeleted: RevertRecord(r); break;
      case rsInserted: PurgeRecord(r); break;
      default: break;
    }
  }
}

void TVelaCursor::CommitChanges() {
  for (TVelaRecord* r : records_) {
    if (r->Status == rsPurged) continue;
    if (r->Status == rsDeleted) {
      PurgeRecord(r);
      continue;
    }
    r->Status = rsUnmodified;
    FreeRecordData(r->OldData);
    r->OldData = nullptr;
  }
}

void TVelaCursor::Clear(bool all) {
  for (TVelaRecord* r : records_) {
    if (r->Status != rsPurged && r->OwnsReferences) ReleaseRecordData(r->Data);
    FreeRecordData(r->OldData);
    if (r->UserData && OnReleaseUserData) OnReleaseUserData(r->UserData);
  }
  records_.clear();
  records_.shrink_to_fit();
  nextOrdinal_ = 0;
  entryChunks_.clear();
  slabs_.clear();
  textArena_.clear();
  mapping_.reset();
  autoIncCounter_ = 0;
  if (all) {
    ResetFields();
    notes_.clear();
    password_.clear();
    passwordBlock_.fill(0);
    protected_ = false;
    trailingBytes_ = 0;
  }
}

void TVelaCursor::RecalcAutoInc() {
  if (!autoIncField_) return;
  const TVelaField* key = autoIncField_;
  SortRecords(records_, std::span<const TVelaField* const>(&key, 1), false, false);
  // Deleted records still hold their keys and may come back, so they count too.
  int32_t highest = 0;
  for (const TVelaRecord* r : records_)
    if (r->Data) highest = std::max(highest, data_area::Load<int32_t>(r->Data, *autoIncField_));
  autoIncCounter_ = highest;
}

}  // namespace notarra
