// Writing a whole table into a memory buffer, or into a file piece by piece
// through one safe write (a temporary file renamed over the old one).
#include <algorithm>
#include <unordered_map>

#include "platform/crc32.h"
#include "platform/exceptions.h"
#include "platform/file_io.h"
#include "platform/codepage.h"
#include "platform/guid.h"
#include "platform/name_index.h"
#include "platform/scope_guard.h"
#include "platform/unaligned.h"
#include "tableengine/data_area.h"
#include "tableengine/field_entry.h"
#include "tableengine/password_block.h"
#include "tableengine/sapphire.h"
#include "tableengine/record_store.h"
#include "tableengine/table_file_format.h"

namespace notarra {

using namespace table_file;

// Where a table's bytes go: a memory stream, or a file written piece by piece.
class TTableSink {
public:
  virtual ~TTableSink() = default;
  virtual uint8_t* Room(std::size_t n) = 0;   // n bytes to fill, after what was written
  virtual void Advance(std::size_t n) = 0;    // that many of them are written
  // Overwrites written bytes; offset counts from the table's first byte.
  virtual void Patch(std::size_t offset, const void* bytes, std::size_t n) = 0;
  // Writes bytes that stay where they are until the write is done.
  virtual void Copy(const uint8_t* bytes, std::size_t n) {
    std::memcpy(Room(n), bytes, n);
    Advance(n);
  }
};

namespace {

class TStreamSink : public TTableSink {
public:
  explicit TStreamSink(TMemoryStream& stream) : stream_(stream), start_(stream.Position()) {}
  // The stream ends after the table, and is positioned there.
  void Finish() {
    stream_.SetSize(start_ + static_cast<int64_t>(used_));
    stream_.SetPosition(start_ + static_cast<int64_t>(used_));
  }
  uint8_t* Room(std::size_t n) override {
    const int64_t need = start_ + static_cast<int64_t>(used_ + n);
    // Growing geometrically.
    if (static_cast<int64_t>(stream_.Capacity()) < need)
      stream_.Reserve(std::max<std::size_t>(need, stream_.Capacity() * 2));
    if (stream_.Size() < need) stream_.SetSize(need);
    return stream_.Memory() + start_ + used_;
  }
  void Advance(std::size_t n) override { used_ += n; }
  void Patch(std::size_t offset, const void* bytes, std::size_t n) override {
    std::memcpy(stream_.Memory() + start_ + offset, bytes, n);
  }

private:
  TMemoryStream& stream_;
  const int64_t start_;
  std::size_t used_ = 0;
};

// Collects a few megabytes at a time and hands them to the safe writer: a
// table of any size is saved without a copy of it in memory. Records that
// stand in the file read in place as they are to be written go out straight
// from there, in runs as long as they follow each other.
class TFileSink : public TTableSink {
public:
  // With source, runs from its bytes are copied from its file inside the kernel.
  TFileSink(TSafeFileWriter& file, const TMappedFile* source) : file_(file), source_(source), buffer_(kPiece) {}
  uint8_t* Room(std::size_t n) override {
    FlushRun();
    if (buffer_.size() - used_ < n) {
      FlushBuffer();
      if (buffer_.size() < n) buffer_.resize(n);
    }
    return buffer_.data() + used_;
  }
  void Advance(std::size_t n) override { used_ += n; }
  void Patch(std::size_t offset, const void* bytes, std::size_t n) override {
    Flush();
    file_.WriteAt(static_cast<int64_t>(offset), bytes, n);
  }
  void Copy(const uint8_t* bytes, std::size_t n) override {
    // Runs stay short enough that the copying keeps pace with the progress shown.
    if (runLength_ > 0 && bytes == run_ + runLength_ && runLength_ + n <= kLongestRun) {
      runLength_ += n;
      return;
    }
    Flush();
    run_ = bytes;
    runLength_ = n;
  }
  void Flush() {
    FlushBuffer();
    FlushRun();
  }

private:
  void FlushBuffer() {
    if (used_ > 0) file_.Write(buffer_.data(), used_);
    used_ = 0;
  }
  void FlushRun() {
    if (runLength_ == 0) return;
    if (source_) file_.CopyFrom(source_->Descriptor(), run_ - source_->Data(), run_, runLength_);
    else file_.Write(run_, runLength_);
    runLength_ = 0;
  }

  static constexpr std::size_t kPiece = 4u << 20;
  static constexpr std::size_t kLongestRun = 64u << 20;
  TSafeFileWriter& file_;
  const TMappedFile* source_;
  std::vector<uint8_t> buffer_;
  std::size_t used_ = 0;
  const uint8_t* run_ = nullptr;
  std::size_t runLength_ = 0;
};

}  // namespace

class TVelaTableWriter {
public:
  explicit TVelaTableWriter(TVelaCursor& store) : store_(store) {}

  // The field description section: each field's entry and 0x12, then 0x14.
  static std::string Section(const TVelaCursor& store) {
    std::string s;
    for (const auto& fp : store.fields_) {
      s += WrittenFieldEntry(*fp);
      s += static_cast<char>(kEntryEnd);
    }
    s += static_cast<char>(kSectionEnd);
    return s;
  }

  // Writes one record at p (which has room for its StoredSize); returns the end.
  uint8_t* PutRecord(uint8_t* p, const uint8_t* data) const {
    const std::size_t F = store_.fields_.size();
    uint8_t* lengths = p;
    std::memset(lengths, 0, F);
    p += F;
    for (std::size_t i = 0; i < F; ++i) {
      const TVelaField& f = *store_.fields_[i];
      const uint8_t* v = data + f.Offset;
      switch (f.Kind) {
        case TVelaFieldKind::SmallInt:
        case TVelaFieldKind::Boolean:
          if (LoadUnaligned<int16_t>(v) != 0) {
            StoreUnaligned<int16_t>(p, f.Kind == TVelaFieldKind::Boolean ? int16_t(-1) : LoadUnaligned<int16_t>(v));
            p += 2;
            lengths[i] = 2;
          }
          break;
        case TVelaFieldKind::Integer:
        case TVelaFieldKind::Date:
        case TVelaFieldKind::Time:
        case TVelaFieldKind::AutoInc:
          if (LoadUnaligned<int32_t>(v) != 0) {
            std::memcpy(p, v, 4);
            p += 4;
            lengths[i] = 4;
          }
          break;
        case TVelaFieldKind::Int64:
          if (LoadUnaligned<int64_t>(v) != 0) {
            std::memcpy(p, v, 8);
            p += 8;
            lengths[i] = 8;
          }
          break;
        case TVelaFieldKind::Double:
        case TVelaFieldKind::Currency:
        case TVelaFieldKind::DateTime:
          // Any bits but all zero: a -0.0 is kept.
          if (LoadUnaligned<uint64_t>(v) != 0) {
            std::memcpy(p, v, 8);
            p += 8;
            lengths[i] = 8;
          }
          break;
        case TVelaFieldKind::SmallStr: {
          std::string_view t = data_area::SmallText(data, f);
          if (!t.empty()) {
            std::memcpy(p, t.data(), t.size());
            p += t.size();
            lengths[i] = static_cast<uint8_t>(t.size());
          }
          break;
        }
        case TVelaFieldKind::String:
        case TVelaFieldKind::BLOB:
        case TVelaFieldKind::Memo:
        case TVelaFieldKind::FmtMemo:
        case TVelaFieldKind::Graphic: {
          std::string_view t = f.Kind == TVelaFieldKind::String ? data_area::Text(data, f) : data_area::Blob(data, f);
          if (!t.empty()) {
            StoreUnaligned<uint32_t>(p, static_cast<uint32_t>(t.size()));
            std::memcpy(p + 4, t.data(), t.size());
            p += 4 + t.size();
            lengths[i] = 4;
          }
          break;
        }
        case TVelaFieldKind::Unknown: break;
      }
    }
    return p;
  }

  // Refuses descriptors the reader would not give back as they are: two
  // fields whose names become one only as written ("A b" and "A_b") make a
  // table nobody can open. (Names that were one already, as read from a
  // file, are written back as they came.)
  void CheckWrittenNames() const {
    std::unordered_map<std::string, const TVelaField*, TAnsiTextHash, TAnsiTextEqual> seen;
    for (const auto& fp : store_.fields_) {
      TVelaField read;
      if (!ParseFieldEntry(WrittenFieldEntry(*fp), read)) continue;  // AddDescriptor refused such entries
      auto [at, fresh] = seen.emplace(read.Name, fp.get());
      if (!fresh && !AnsiSameText(at->second->Name, fp->Name))
        throw EDatabaseError(Format("Fields '%s' and '%s' would both be written as '%s'; a table with two fields "
                                    "of one name cannot be opened",
                                    at->second->Name.c_str(), fp->Name.c_str(), read.Name.c_str()));
    }
  }

  // Writes the table into the sink; returns the bytes written.
  int64_t Write(TTableSink& sink) {
    CheckWrittenNames();
    const bool protect = !store_.password_.empty();
    const int header = protect ? kProtectedHeader : kPlainHeader;
    // A fresh key text for every save; the store keeps the plain block.
    TPasswordBlock plain{};
    if (protect) plain = MakePlainBlock(NewGuidText());
    const std::string section = Section(store_);
    const std::size_t F = store_.fields_.size();
    const bool withNotes = !store_.notes_.empty();
    const std::size_t notesLength = std::min<std::size_t>(store_.notes_.size(), kMaxNotesLength);
    // Everything after the section is enciphered in a protected table, piece by piece as it goes out.
    TSapphire cipher;
    if (protect) cipher.SetKey(KeyText(plain));
    std::size_t used = 0;
    auto put = [&](std::size_t room, bool body, auto&& fill) {
      uint8_t* at = sink.Room(room);
      const std::size_t n = fill(at);
      if (protect && body) cipher.EncryptBuffer(at, n);
      sink.Advance(n);
      used += n;
    };

    // The header's counts and length are filled in at the end.
    const std::size_t countAt = protect ? 5 + kPasswordBlockSize : 5;
    put(header + section.size(), false, [&](uint8_t* base) {
      StoreUnaligned<uint32_t>(base, 0);
      base[4] = protect ? kKindProtected : kKindPlain;
      if (protect) {
        TPasswordBlock written = EncipherBlock(plain, store_.password_);
        std::memcpy(base + 5, written.data(), written.size());
      }
      StoreUnaligned<uint32_t>(base + countAt, 0);
      StoreUnaligned<uint32_t>(base + countAt + 4, static_cast<uint32_t>(F));
      StoreUnaligned<uint32_t>(base + countAt + 8, static_cast<uint32_t>(section.size()));
      std::memcpy(base + header, section.data(), section.size());
      return header + section.size();
    });
    if (withNotes) {
      put(3 + notesLength, true, [&](uint8_t* at) {
        at[0] = kNotesMark;
        StoreUnaligned<int16_t>(at + 1, static_cast<int16_t>(notesLength));
        std::memcpy(at + 3, store_.notes_.data(), notesLength);
        return 3 + notesLength;
      });
    }

    uint32_t written = 0;
    // Without a notes block the reader takes a first byte "*" after the
    // section for one: the first record must not begin with that length.
    auto checkFirst = [&](const uint8_t* at) {
      if (written == 0 && !withNotes && *at == kNotesMark)
        throw EDatabaseError(Format("The first record cannot be written: its field '%s' holds %d characters, "
                                    "which the reader would take for a notes block",
                                    store_.fields_[0]->Name.c_str(), kNotesMark));
    };
    // Records whose bytes in the file read in place are what they are to be
    // written as go out as they stand there (never into a protected table,
    // whose bytes are enciphered afresh).
    const uint8_t* source = store_.mapping_ && !protect ? store_.mapping_->Data() : nullptr;
    const auto& records = store_.records_;
    const std::size_t entries = records.size();
    int lastPercent = -1;
    // A table without fields has no bytes per record, so none can be written.
    for (std::size_t i = 0; F > 0 && i < entries; ++i) {
      const TVelaRecord* r = records[i];
      if (r->Live() && source && r->Source != 0) {
        const uint8_t* at = source + (r->Source - 1);
        checkFirst(at);
        sink.Copy(at, r->StoredSize);
        used += r->StoredSize;
        ++written;
      } else if (r->Live()) {
        put(r->StoredSize, true, [&](uint8_t* at) {
          const std::size_t n = static_cast<std::size_t>(PutRecord(at, r->Data) - at);
          checkFirst(at);
          return n;
        });
        ++written;
      }
      if (store_.OnProgress) {
        int p = Percent(i + 1, entries);
        if (p != lastPercent) store_.OnProgress(lastPercent = p);
      }
    }
    uint8_t word[4];
    StoreUnaligned<uint32_t>(word, written);
    sink.Patch(countAt, word, 4);
    StoreUnaligned<uint32_t>(word, static_cast<uint32_t>(used));
    sink.Patch(0, word, 4);
    if (protect) store_.passwordBlock_ = plain;
    store_.protected_ = protect;
    return static_cast<int64_t>(used);
  }

private:
  TVelaCursor& store_;
};

int64_t TVelaCursor::EstimateSize() const {
  int64_t size = (password_.empty() ? kPlainHeader : kProtectedHeader) + TVelaTableWriter::Section(*this).size();
  if (!notes_.empty()) size += 3 + std::min<std::size_t>(notes_.size(), kMaxNotesLength);
  for (const TVelaRecord* r : records_)
    if (r->Live()) size += r->StoredSize;
  return size;
}

std::string TVelaCursor::EncodeRecord(const uint8_t* data) const {
  std::string bytes(StoredSize(data), '\0');
  // PutRecord only reads the store.
  TVelaTableWriter writer(const_cast<TVelaCursor&>(*this));
  uint8_t* begin = reinterpret_cast<uint8_t*>(bytes.data());
  bytes.resize(static_cast<std::size_t>(writer.PutRecord(begin, data) - begin));
  return bytes;
}

uint32_t TVelaCursor::LayoutChecksum() const { return Crc32(TVelaTableWriter::Section(*this)); }

int64_t TVelaCursor::WriteToStream(TMemoryStream& stream) {
  // A refused table leaves the stream as it was.
  const int64_t start = stream.Position(), size = stream.Size();
  ScopeFail restore([&] {
    stream.SetSize(size);
    stream.SetPosition(start);
  });
  TStreamSink sink(stream);
  const int64_t written = TVelaTableWriter(*this).Write(sink);
  sink.Finish();
  return written;
}

TFileIdentity TVelaCursor::SaveToFile(const std::string& path, TVelaSaveOptions options, bool caseInsensitive,
                             std::string_view indexFieldNames) {
  if (options & savAutoBackup) {
    if (FileExists(path)) CopyFileSafely(path, ChangeFileExt(path, ".~d"));
  }
  if (options & savSortOnIndex) SortBy(indexFieldNames, caseInsensitive);
  // Unchanged records are copied from the file they were read from inside
  // the kernel, which is sure only while nobody else could write that file.
  // Should someone have begun to, the write starts over from the bytes in
  // memory, which are still the ones read.
  const TMappedFile* source = mapping_ && mapping_->Shared() ? mapping_.get() : nullptr;
  for (;;) {
    TSafeFileWriter file(path);
    TFileSink sink(file, source);
    TVelaTableWriter(*this).Write(sink);
    sink.Flush();
    if (!source || source->Shared()) return file.Commit();
    source = nullptr;
  }
}

}  // namespace notarra
