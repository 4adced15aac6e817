// Reading a table from a stream through a bounded buffer: the bytes are
// parsed as they arrive, so a large file never sits in memory beside the
// records made from it. Every length taken from the file is checked against
// the bytes that remain in the stream before anything is allocated for it, so
// a damaged or hostile file fails cleanly.
#include <algorithm>
#include <bit>
#include <cstdlib>
#include <vector>

#include "platform/exceptions.h"
#include "platform/unaligned.h"
#include "tableengine/data_area.h"
#include "tableengine/field_entry.h"
#include "tableengine/password_block.h"
#include "tableengine/sapphire.h"
#include "tableengine/session.h"
#include "tableengine/record_store.h"
#include "tableengine/table_file_format.h"

namespace notarra {

static_assert(std::endian::native == std::endian::little, "the table file format is read with little-endian loads");

using namespace table_file;

namespace {

// The bytes of a table seen through a window: either a stream's, from its
// position to its size, copied in a few megabytes at a time, or bytes that
// stay where they are while the table is open (a mapped file), read in place.
// Remaining() counts what is still to come, buffered or not, which is what
// every length in the file is checked against. A stream that ends early (a
// file shortened while it is read) makes the window short; the reader then
// reports the end of the buffer as for any truncated file.
class TByteWindow {
public:
  TByteWindow(TStream& stream, std::size_t capacity)
      : stream_(&stream), capacity_(std::max<std::size_t>(capacity, 1)) {
    int64_t pos = std::clamp<int64_t>(stream.Position(), 0, stream.Size());
    stream.SetPosition(pos);
    left_ = static_cast<std::size_t>(stream.Size() - pos);
  }
  TByteWindow(const uint8_t* bytes, std::size_t size)
      : capacity_(TVelaCursor::kReadBufferSize), first_(bytes), view_(bytes), viewLeft_(size), left_(size),
        inPlace_(true) {}

  // Whether Data() points into the bytes themselves (not into a copy).
  bool InPlace() const { return inPlace_; }
  // Where Data() stands from the first byte, while reading in place.
  uint64_t Offset() const { return static_cast<uint64_t>(view_ - first_); }
  std::size_t Remaining() const { return left_; }
  // n contiguous bytes at Data(); false when the bytes ended before them.
  bool Ensure(std::size_t n) {
    if (inPlace_) return n <= left_;
    return end_ - pos_ >= n ? true : Refill(n);
  }
  const uint8_t* Data() const { return inPlace_ ? view_ : buffer_.data() + pos_; }
  std::size_t Buffered() const { return inPlace_ ? left_ : end_ - pos_; }
  void Skip(std::size_t n) {
    if (inPlace_) view_ += n;
    else pos_ += n;
    left_ -= n;
  }
  // Passes over everything that remains without reading it.
  void SkipAll() {
    Skip(Buffered());
    left_ = 0;
  }
  // Copies n bytes out in window-sized pieces (BLOBs may be far larger than the window).
  bool CopyOut(uint8_t* dest, std::size_t n) {
    while (n > 0) {
      if (!Ensure(1)) return false;
      std::size_t piece = std::min(n, Buffered());
      std::memcpy(dest, Data(), piece);
      Skip(piece);
      dest += piece;
      n -= piece;
    }
    return true;
  }
  // Everything that follows is deciphered as it arrives (into the window's
  // own buffer: bytes read in place are never written).
  void StartDeciphering(TSapphire& cipher) {
    cipher_ = &cipher;
    if (inPlace_) {
      inPlace_ = false;
      viewLeft_ = left_;
      return;
    }
    cipher.DecryptBuffer(buffer_.data() + pos_, end_ - pos_);
  }

private:
  std::size_t ReadSource(uint8_t* dest, std::size_t n) {
    if (stream_) return stream_->Read(dest, n);
    n = std::min(n, viewLeft_);
    std::memcpy(dest, view_, n);
    view_ += n;
    viewLeft_ -= n;
    return n;
  }
  bool Refill(std::size_t n) {
    // Unread bytes move to the front; a request larger than the window
    // (one record's length bytes, one long text) widens it for the moment.
    std::size_t kept = end_ - pos_;
    if (pos_ > 0 && kept > 0) std::memmove(buffer_.data(), buffer_.data() + pos_, kept);
    pos_ = 0;
    end_ = kept;
    std::size_t want = std::min(std::max(n, capacity_), left_);
    if (buffer_.size() < want) buffer_.resize(want);
    while (end_ < n && end_ < want) {
      std::size_t got = ReadSource(buffer_.data() + end_, want - end_);
      if (got == 0) {
        left_ = end_;  // the bytes ended early: nothing more will come
        break;
      }
      if (cipher_) cipher_->DecryptBuffer(buffer_.data() + end_, got);
      end_ += got;
    }
    return end_ >= n;
  }

  TStream* stream_ = nullptr;
  std::size_t capacity_;
  std::vector<uint8_t> buffer_;
  std::size_t pos_ = 0, end_ = 0;
  // Bytes read in place: the first, the next one, and (once copied instead) how many are still to copy.
  const uint8_t* first_ = nullptr;
  const uint8_t* view_ = nullptr;
  std::size_t viewLeft_ = 0;
  std::size_t left_ = 0;
  bool inPlace_ = false;
  TSapphire* cipher_ = nullptr;
};

}  // namespace

class TVelaTableReader {
public:
  TVelaTableReader(TVelaCursor& store, TStream& stream, std::size_t bufferSize)
      : store_(store), in_(stream, bufferSize) {}
  TVelaTableReader(TVelaCursor& store, const uint8_t* bytes, std::size_t size)
      : store_(store), in_(bytes, size) {}

  bool Load(std::string& error, bool keepFileOrder);
  // Whether records refer to the bytes read in place.
  bool Borrowed() const { return borrowed_; }

private:
  std::size_t Remaining() const { return in_.Remaining(); }
  // Header reads: past the end they yield zero and mark the header as truncated.
  template <typename T>
  T HeaderValue() {
    if (Remaining() < sizeof(T) || !in_.Ensure(sizeof(T))) {
      in_.SkipAll();
      headerTruncated_ = true;
      return T{};
    }
    T v = LoadUnaligned<T>(in_.Data());
    in_.Skip(sizeof(T));
    return v;
  }
  bool ParseSection(const uint8_t* section, std::size_t length, uint32_t fieldCount, std::string& error);
  bool ReadRecord(std::string& error);
  // Reads one record's length bytes and values into data (zeroed), texts in
  // the store's arena or, without arena, owned by the area.
  // asWritten, when given, tells whether the bytes read are exactly those a
  // write of the values would give back.
  bool ReadValues(uint8_t* data, int recordNo, bool arena, std::string& error, bool* asWritten = nullptr);

  friend class TVelaCursor;  // DecodeRecord reads one record through ReadValues

  TVelaCursor& store_;
  TByteWindow in_;
  std::vector<uint8_t> lengths_;  // the current record's length bytes
  bool headerTruncated_ = false;
  bool borrowed_ = false;
  uint32_t recordsRead_ = 0;
};

bool TVelaCursor::LoadFromStream(TStream& stream, std::string& error, bool keepFileOrder, std::size_t bufferSize) {
  bool ok;
  {
    TVelaTableReader reader(*this, stream, bufferSize);
    ok = reader.Load(error, keepFileOrder);
  }
  stream.SetPosition(stream.Size());
  return ok;
}

bool TVelaCursor::LoadFromFile(const std::string& path, std::string& error, bool keepFileOrder,
                               TFileIdentity* identity) {
  std::shared_ptr<const TMappedFile> file = TMappedFile::Open(path);
  if (identity) *identity = file->Identity();
  TVelaTableReader reader(*this, file->Data(), file->Size());
  const bool ok = reader.Load(error, keepFileOrder);
  if (ok && reader.Borrowed()) mapping_ = std::move(file);
  return ok;
}

bool TVelaTableReader::Load(std::string& error, bool keepFileOrder) {
  // The password given before the load is the first one tried on a protected table.
  std::string password = std::move(store_.password_);
  store_.Clear(true);
  error.clear();
  const std::string kCorrupt = "Buffer structure corruption!";

  HeaderValue<uint32_t>();  // total length: written for other readers, not needed here
  if (Remaining() < 1 || !in_.Ensure(1)) {
    error = kCorrupt;
    store_.Clear(true);
    return false;
  }
  uint8_t kind = *in_.Data();
  in_.Skip(1);
  if (kind == kKindError) {
    // The rest of the file is the message.
    while (Remaining() > 0 && in_.Ensure(1)) {
      std::size_t piece = std::min(Remaining(), in_.Buffered());
      error.append(reinterpret_cast<const char*>(in_.Data()), piece);
      in_.Skip(piece);
    }
    store_.Clear(true);
    return false;
  }
  if (kind != kKindPlain && kind != kKindProtected) {
    error = kCorrupt;
    store_.Clear(true);
    return false;
  }
  TSapphire cipher;
  if (kind == kKindProtected) {
    if (Remaining() < kPasswordBlockSize || !in_.Ensure(kPasswordBlockSize)) {
      error = kCorrupt;
      store_.Clear(true);
      return false;
    }
    TPasswordBlock block;
    std::memcpy(block.data(), in_.Data(), block.size());
    in_.Skip(block.size());
    bool opened = store_.OnCheckPassword ? store_.OnCheckPassword(block, password)
                                         : VelaSession().CheckPassword(block, password);
    if (!opened) {
      error = kInvalidPasswordMessage;
      store_.Clear(true);
      return false;
    }
    store_.passwordBlock_ = block;
    store_.password_ = password;
    store_.protected_ = true;
  }

  uint32_t recordCount = HeaderValue<uint32_t>();
  uint32_t fieldCount = HeaderValue<uint32_t>();
  uint32_t sectionLength = HeaderValue<uint32_t>();
  if (sectionLength > kMaxSectionLength) {
    error = kCorrupt;
    store_.Clear(true);
    return false;
  }
  std::vector<uint8_t> section(std::min<std::size_t>(sectionLength, Remaining()));
  std::size_t available = in_.CopyOut(section.data(), section.size()) ? section.size() : 0;
  if (available < sectionLength) headerTruncated_ = true;
  if (headerTruncated_) {
    error = kCorrupt;
    if (!store_.partialOpen_) {
      store_.Clear(true);
      return false;
    }
  }

  std::string sectionError;
  if (!ParseSection(section.data(), available, fieldCount, sectionError)) {
    error = sectionError;
    store_.Clear(true);
    return false;
  }
  section = {};
  store_.declaredFieldCount_ = static_cast<int>(std::min<uint32_t>(fieldCount, store_.fields_.size()));

  if (store_.protected_) {
    // Notes and records are enciphered with the key text.
    cipher.SetKey(KeyText(store_.passwordBlock_));
    in_.StartDeciphering(cipher);
  }

  const std::size_t F = store_.fields_.size();
  // Notes block, when enough bytes follow to tell it from a record.
  std::size_t need = recordCount != 0 ? F : 3;
  if (error.empty() && Remaining() >= need && Remaining() >= 1 && in_.Ensure(1) && *in_.Data() == kNotesMark) {
    if (Remaining() < 3 || !in_.Ensure(3)) {
      error = "Unexpected end of buffer";
    } else {
      int16_t n = LoadUnaligned<int16_t>(in_.Data() + 1);
      if (n < 0 || Remaining() - 3 < static_cast<std::size_t>(n) || !in_.Ensure(3 + n)) {
        error = "Unexpected end of buffer";
      } else {
        store_.notes_.assign(reinterpret_cast<const char*>(in_.Data() + 3), n);
        in_.Skip(3 + n);
      }
    }
  }

  // A table without fields has no bytes per record, so it can hold none.
  if (F > 0 && error.empty()) {
    // Each record takes at least F bytes: never reserve more than the rest could hold.
    std::size_t fit = Remaining() / F;
    store_.ReserveEntries(std::min<std::size_t>(recordCount, fit));
    lengths_.resize(F);
    int lastPercent = -1;
    while (Remaining() >= F && recordsRead_ < recordCount && error.empty()) {
      if (!ReadRecord(error)) break;
      if (store_.OnProgress) {
        int p = Percent(recordsRead_, recordCount);
        if (p != lastPercent) store_.OnProgress(lastPercent = p);
      }
    }
  }
  // Shown signed, as the program's counts are: FF FF FF FF is -1, not 4294967295.
  if (error.empty() && recordsRead_ != recordCount)
    error = Format("Number of records read (%d) does not match declared record count (%d)",
                   static_cast<int32_t>(recordsRead_), static_cast<int32_t>(recordCount));

  if (!error.empty() && !store_.partialOpen_) {
    store_.Clear(true);
    return false;
  }
  store_.trailingBytes_ = Remaining();
  if (store_.autoIncField_) {
    if (keepFileOrder) {
      int32_t highest = 0;
      for (const TVelaRecord* r : store_.records_)
        highest = std::max(highest, data_area::Load<int32_t>(r->Data, *store_.autoIncField_));
      store_.autoIncCounter_ = highest;
    } else {
      store_.RecalcAutoInc();
    }
  }
  return true;
}

bool TVelaTableReader::ParseSection(const uint8_t* section, std::size_t length, uint32_t fieldCount,
                                    std::string& error) {
  const std::string kSectionError = "Error in buffer structure (field description section)";
  std::size_t pos = 0;
  store_.fields_.reserve(std::min<std::size_t>(fieldCount, length));
  for (uint32_t i = 0; i < fieldCount && pos < length; ++i) {
    const void* mark = std::memchr(section + pos, kEntryEnd, length - pos);
    if (!mark) {
      error = kSectionError;
      return false;
    }
    std::size_t stop = static_cast<const uint8_t*>(mark) - section;
    std::string_view entry(reinterpret_cast<const char*>(section + pos), stop - pos);
    TVelaField field;
    if (entry.empty() || !ParseFieldEntry(entry, field)) {
      error = kSectionError;
      return false;
    }
    if (BuiltFieldEntry(field) != entry) field.Entry = std::string(entry);
    store_.AppendDescriptor(std::move(field));
    pos = stop + 1;
  }
  // Records carry one length byte per declared field: without a description
  // for each of them the records cannot be read.
  if (store_.fields_.size() < fieldCount) {
    error = kSectionError;
    return false;
  }
  return true;
}

bool TVelaTableReader::ReadRecord(std::string& error) {
  TVelaRecord* record = store_.NewEntry();
  // Read in place, every text and block is borrowed from the file, and a
  // record whose bytes a write would give back as they are is marked so.
  const bool inPlace = in_.InPlace();
  record->OwnsReferences = !inPlace;
  const uint64_t at = inPlace ? in_.Offset() : 0;
  bool asWritten = false;
  if (!ReadValues(record->Data, static_cast<int>(recordsRead_) + 1, true, error, inPlace ? &asWritten : nullptr)) {
    // The partly read record is discarded.
    store_.PurgeRecord(record);
    store_.records_.pop_back();
    --store_.nextOrdinal_;
    return false;
  }
  record->Status = rsUnmodified;
  if (asWritten) {
    // What a write gives back is what was read.
    record->StoredSize = static_cast<uint32_t>(in_.Offset() - at);
    record->Source = at + 1;
    borrowed_ = true;
  } else {
    record->StoredSize = store_.StoredSize(record->Data);
  }
  ++recordsRead_;
  return true;
}

namespace {

// Whether a value of a fixed-width kind, read as b bytes at v, is written
// back as the same bytes: the writer leaves out zero values, writes every
// kind at its full width and true as -1, and a SmallStr up to its first zero.
bool WrittenAsRead(const TVelaField& f, const uint8_t* v, uint8_t b) {
  auto nonZero = [&](std::size_t width) {
    if (b != width) return false;
    for (std::size_t i = 0; i < width; ++i)
      if (v[i] != 0) return true;
    return false;
  };
  switch (f.Kind) {
    case TVelaFieldKind::Boolean: return b == 2 && LoadUnaligned<int16_t>(v) == -1;
    case TVelaFieldKind::SmallInt: return nonZero(2);
    case TVelaFieldKind::Integer:
    case TVelaFieldKind::Date:
    case TVelaFieldKind::Time:
    case TVelaFieldKind::AutoInc: return nonZero(4);
    case TVelaFieldKind::Int64:
    case TVelaFieldKind::Double:
    case TVelaFieldKind::Currency:
    case TVelaFieldKind::DateTime: return nonZero(8);
    case TVelaFieldKind::SmallStr: return b <= f.Size && std::memchr(v, 0, b) == nullptr;
    default: return false;
  }
}

}  // namespace

bool TVelaTableReader::ReadValues(uint8_t* data, int recordNo, bool arena, std::string& error, bool* asWritten) {
  bool same = true;
  const std::size_t F = store_.fields_.size();
  if (Remaining() < F || !in_.Ensure(F)) {
    error = "Unexpected end of buffer";
    return false;
  }
  // Copied out: reading the values moves the window.
  lengths_.resize(F);
  std::memcpy(lengths_.data(), in_.Data(), F);
  in_.Skip(F);
  auto fail = [&](std::string message) {
    error = std::move(message);
    return false;
  };
  for (std::size_t i = 0; i < F; ++i) {
    const TVelaField& f = *store_.fields_[i];
    const uint8_t b = lengths_[i];
    const bool referenced = f.Kind == TVelaFieldKind::String || IsBlobKind(f.Kind);
    if (referenced ? (b != 0 && b != 4) : (b > f.DataSize))
      return fail(Format("Field '%s' has wrong length %d in record %d", f.Name.c_str(), b, recordNo));
    if (b == 0 || f.Kind == TVelaFieldKind::Unknown) continue;
    if (Remaining() < b || !in_.Ensure(b)) return fail("Unexpected end of buffer");
    if (!referenced) {
      same = same && WrittenAsRead(f, in_.Data(), b);
      std::memcpy(data + f.Offset, in_.Data(), b);
      in_.Skip(b);
      continue;
    }
    int32_t n = LoadUnaligned<int32_t>(in_.Data());
    in_.Skip(4);
    same = same && n > 0;  // an empty text or block is written as no value at all
    if (f.Kind == TVelaFieldKind::String) {
      if (n < 0 || n > kMaxStringLength)
        return fail(Format("String field '%s' has wrong length %d in record %d", f.Name.c_str(), n, recordNo));
      if (Remaining() < static_cast<std::size_t>(n) || !in_.Ensure(n)) return fail("Unexpected end of buffer");
      if (n > 0) {
        const std::string_view text(reinterpret_cast<const char*>(in_.Data()), static_cast<std::size_t>(n));
        // In the file a text is its length word and its characters, as a
        // borrowed text is laid out (the word is at most 8191: no owner bit).
        const char* ref = arena && in_.InPlace() ? text.data()
                          : arena              ? store_.NewArenaText(text)
                                               : data_area::NewText(text);
        data_area::Store<const char*>(data, f, ref);
        borrowed_ |= ref == text.data();
      }
      in_.Skip(n);
    } else {
      if (n < 0 || n > kMaxBlobLength)
        return fail(Format("BLOB field '%s' has wrong length %d in record %d", f.Name.c_str(), n, recordNo));
      if (Remaining() < static_cast<std::size_t>(n)) return fail("Unexpected end of buffer");
      if (n > 0 && arena && in_.InPlace()) {
        data_area::Store<const uint8_t*>(data, f, in_.Data());
        data_area::SetBlobLength(data, f, static_cast<uint32_t>(n), true);
        borrowed_ = true;
        in_.Skip(n);
      } else if (n > 0) {
        auto* block = static_cast<uint8_t*>(std::malloc(n));
        if (!block) throw std::bad_alloc();
        // Stored first, so that a failed copy releases it with the record.
        data_area::Store<uint8_t*>(data, f, block);
        data_area::SetBlobLength(data, f, static_cast<uint32_t>(n));
        if (!in_.CopyOut(block, n)) return fail("Unexpected end of buffer");
      }
    }
  }
  if (asWritten) *asWritten = same;
  return true;
}

bool TVelaCursor::DecodeRecord(std::string_view bytes, uint8_t* data, std::string& error) {
  TMemoryStream stream;
  stream.Write(bytes.data(), bytes.size());
  stream.SetPosition(0);
  TVelaTableReader reader(*this, stream, bytes.size());
  if (!reader.ReadValues(data, 1, false, error)) return false;
  if (reader.Remaining() != 0) {
    error = Format("%zu bytes follow the record", reader.Remaining());
    return false;
  }
  return true;
}

}  // namespace notarra
