// Writing a whole table into a memory buffer, and saving it to a file in one
// safe write.
#include <algorithm>
#include <unordered_map>

#include "platform/crc32.h"
#include "platform/exceptions.h"
#include "platform/file_io.h"
#include "platform/codepage.h"
#include "platform/guid.h"
#include "platform/name_index.h"
#include "platform/unaligned.h"
#include "tableengine/data_area.h"
#include "tableengine/field_entry.h"
#include "tableengine/password_block.h"
#include "tableengine/sapphire.h"
#include "tableengine/record_store.h"
#include "tableengine/table_file_format.h"

namespace notarra {

using namespace table_file;

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

  int64_t Write(TMemoryStream& stream) {
    CheckWrittenNames();
    const int64_t start = stream.Position();
    const bool protect = !store_.password_.empty();
    const int header = protect ? kProtectedHeader : kPlainHeader;
    // A fresh key text for every save; the store keeps the plain block.
    TPasswordBlock plain{};
    if (protect) plain = MakePlainBlock(NewGuidText());
    const std::string section = Section(store_);
    const std::size_t F = store_.fields_.size();
    const bool withNotes = !store_.notes_.empty();
    const std::size_t notesLength = std::min<std::size_t>(store_.notes_.size(), kMaxNotesLength);

    // The header, section and notes go out first; records follow in one pass.
    std::size_t headerBytes = header + section.size() + (withNotes ? 3 + notesLength : 0);
    Ensure(stream, start, headerBytes);
    uint8_t* base = stream.Memory() + start;
    StoreUnaligned<uint32_t>(base, 0);
    base[4] = protect ? kKindProtected : kKindPlain;
    std::size_t countAt = 5;
    if (protect) {
      TPasswordBlock written = EncipherBlock(plain, store_.password_);
      std::memcpy(base + 5, written.data(), written.size());
      countAt += kPasswordBlockSize;
    }
    StoreUnaligned<uint32_t>(base + countAt, 0);
    StoreUnaligned<uint32_t>(base + countAt + 4, static_cast<uint32_t>(F));
    StoreUnaligned<uint32_t>(base + countAt + 8, static_cast<uint32_t>(section.size()));
    std::memcpy(base + header, section.data(), section.size());
    std::size_t used = header + section.size();
    if (withNotes) {
      base[used] = kNotesMark;
      StoreUnaligned<int16_t>(base + used + 1, static_cast<int16_t>(notesLength));
      std::memcpy(base + used + 3, store_.notes_.data(), notesLength);
      used += 3 + notesLength;
    }

    uint32_t written = 0;
    const auto& records = store_.records_;
    const std::size_t entries = records.size();
    int lastPercent = -1;
    // A table without fields has no bytes per record, so none can be written.
    for (std::size_t i = 0; F > 0 && i < entries; ++i) {
      const TVelaRecord* r = records[i];
      if (r->Live()) {
        Ensure(stream, start, used + r->StoredSize);
        uint8_t* at = stream.Memory() + start + used;
        uint8_t* end = PutRecord(at, r->Data);
        // Without a notes block the reader takes a first byte "*" after the
        // section for one: the first record must not begin with that length.
        if (written == 0 && !withNotes && *at == kNotesMark)
          throw EDatabaseError(Format("The first record cannot be written: its field '%s' holds %d characters, "
                                      "which the reader would take for a notes block",
                                      store_.fields_[0]->Name.c_str(), kNotesMark));
        used = end - (stream.Memory() + start);
        ++written;
      }
      if (store_.OnProgress) {
        int p = Percent(i + 1, entries);
        if (p != lastPercent) store_.OnProgress(lastPercent = p);
      }
    }
    stream.SetSize(start + used);
    base = stream.Memory() + start;
    StoreUnaligned<uint32_t>(base + countAt, written);
    StoreUnaligned<uint32_t>(base, static_cast<uint32_t>(used));
    if (protect) {
      std::size_t body = header + section.size();
      TSapphire cipher;
      cipher.SetKey(KeyText(plain));
      cipher.EncryptBuffer(base + body, used - body);
      store_.passwordBlock_ = plain;
      store_.protected_ = true;
    } else {
      store_.protected_ = false;
    }
    stream.SetPosition(start + used);
    return static_cast<int64_t>(used);
  }

private:
  // Makes the stream at least start + bytes long, growing geometrically.
  static void Ensure(TMemoryStream& stream, int64_t start, std::size_t bytes) {
    int64_t need = start + static_cast<int64_t>(bytes);
    if (static_cast<int64_t>(stream.Capacity()) < need)
      stream.Reserve(std::max<std::size_t>(need, stream.Capacity() * 2));
    if (stream.Size() < need) stream.SetSize(need);
  }

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

int64_t TVelaCursor::WriteToStream(TMemoryStream& stream) { return TVelaTableWriter(*this).Write(stream); }

TFileIdentity TVelaCursor::SaveToFile(const std::string& path, TVelaSaveOptions options, bool caseInsensitive,
                             std::string_view indexFieldNames) {
  if (options & savAutoBackup) {
    if (FileExists(path)) CopyFileSafely(path, ChangeFileExt(path, ".~d"));
  }
  if (options & savSortOnIndex) SortBy(indexFieldNames, caseInsensitive);
  TMemoryStream buffer;
  buffer.Reserve(static_cast<std::size_t>(EstimateSize()));
  int64_t length = WriteToStream(buffer);
  return WriteFileSafely(path, buffer.Memory(), static_cast<std::size_t>(length));
}

}  // namespace notarra
