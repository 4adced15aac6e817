// Reading a whole table from a memory buffer. Every length taken from the
// file is checked against the bytes that remain before anything is allocated
// for it, so a damaged or hostile file fails cleanly.
#include <algorithm>
#include <bit>

#include "platform/exceptions.h"
#include "platform/unaligned.h"
#include "tableengine/data_area.h"
#include "tableengine/password_block.h"
#include "tableengine/sapphire.h"
#include "tableengine/session.h"
#include "tableengine/record_store.h"
#include "tableengine/table_file_format.h"

namespace notarra {

static_assert(std::endian::native == std::endian::little, "the table file format is read with little-endian loads");

using namespace table_file;

class TVelaTableReader {
public:
  TVelaTableReader(TVelaCursor& store, const uint8_t* begin, const uint8_t* end)
      : store_(store), begin_(begin), pos_(begin), end_(end) {}

  bool Load(std::string& error, bool keepFileOrder);

private:
  std::size_t Remaining() const { return static_cast<std::size_t>(end_ - pos_); }
  // Header reads: past the end they yield zero and mark the header as truncated.
  template <typename T>
  T HeaderValue() {
    if (Remaining() < sizeof(T)) {
      pos_ = end_;
      headerTruncated_ = true;
      return T{};
    }
    T v = LoadUnaligned<T>(pos_);
    pos_ += sizeof(T);
    return v;
  }
  bool ParseSection(const uint8_t* section, std::size_t length, uint32_t fieldCount, std::string& error);
  bool ParseEntry(std::string_view entry, TVelaField& field);
  bool ReadRecord(std::string& error);

  TVelaCursor& store_;
  const uint8_t* begin_;
  const uint8_t* pos_;
  const uint8_t* end_;
  bool headerTruncated_ = false;
  uint32_t recordsRead_ = 0;
};

bool TVelaCursor::LoadFromStream(TMemoryStream& stream, std::string& error, bool keepFileOrder) {
  int64_t start = std::clamp<int64_t>(stream.Position(), 0, stream.Size());
  const uint8_t* begin = stream.Memory() ? stream.Memory() + start : nullptr;
  const uint8_t* end = stream.Memory() ? stream.Memory() + stream.Size() : nullptr;
  TVelaTableReader reader(*this, begin, end);
  bool ok = reader.Load(error, keepFileOrder);
  stream.SetPosition(stream.Size());
  return ok;
}

bool TVelaTableReader::Load(std::string& error, bool keepFileOrder) {
  // The password given before the load is the first one tried on a protected table.
  std::string password = std::move(store_.password_);
  store_.Clear(true);
  error.clear();
  const std::string kCorrupt = "Buffer structure corruption!";

  HeaderValue<uint32_t>();  // total length: written for other readers, not needed here
  if (Remaining() < 1) {
    error = kCorrupt;
    store_.Clear(true);
    return false;
  }
  uint8_t kind = *pos_++;
  if (kind == kKindError) {
    error.assign(reinterpret_cast<const char*>(pos_), Remaining());
    store_.Clear(true);
    return false;
  }
  if (kind != kKindPlain && kind != kKindProtected) {
    error = kCorrupt;
    store_.Clear(true);
    return false;
  }
  if (kind == kKindProtected) {
    if (Remaining() < kPasswordBlockSize) {
      error = kCorrupt;
      store_.Clear(true);
      return false;
    }
    TPasswordBlock block;
    std::memcpy(block.data(), pos_, block.size());
    pos_ += block.size();
    bool opened = store_.OnCheckPassword ? store_.OnCheckPassword(block, password)
                                         : VelaSession().CheckPassword(block, password);
    if (!opened) {
      error = "Invalid password. Table cannot be open";
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
  std::size_t available = std::min<std::size_t>(sectionLength, Remaining());
  if (available < sectionLength) headerTruncated_ = true;
  const uint8_t* section = pos_;
  pos_ += available;
  if (headerTruncated_) {
    error = kCorrupt;
    if (!store_.partialOpen_) {
      store_.Clear(true);
      return false;
    }
  }

  std::string sectionError;
  if (!ParseSection(section, available, fieldCount, sectionError)) {
    error = sectionError;
    store_.Clear(true);
    return false;
  }
  store_.declaredFieldCount_ = static_cast<int>(std::min<uint32_t>(fieldCount, store_.fields_.size()));

  if (store_.protected_) {
    // Notes and records are enciphered with the key text; deciphered in place.
    TSapphire cipher;
    cipher.SetKey(KeyText(store_.passwordBlock_));
    cipher.DecryptBuffer(const_cast<uint8_t*>(pos_), Remaining());
  }

  const std::size_t F = store_.fields_.size();
  // Notes block, when enough bytes follow to tell it from a record.
  std::size_t need = recordCount != 0 ? F : 3;
  if (error.empty() && Remaining() >= need && Remaining() >= 1 && *pos_ == kNotesMark) {
    if (Remaining() < 3) {
      error = "Unexpected end of buffer";
    } else {
      int16_t n = LoadUnaligned<int16_t>(pos_ + 1);
      if (n < 0 || Remaining() - 3 < static_cast<std::size_t>(n)) {
        error = "Unexpected end of buffer";
      } else {
        store_.notes_.assign(reinterpret_cast<const char*>(pos_ + 3), n);
        pos_ += 3 + n;
      }
    }
  }

  // A table without fields has no bytes per record, so it can hold none.
  if (F > 0 && error.empty()) {
    // Each record takes at least F bytes: never reserve more than the rest could hold.
    std::size_t fit = Remaining() / F;
    store_.ReserveEntries(std::min<std::size_t>(recordCount, fit));
    int lastPercent = -1;
    while (Remaining() >= F && recordsRead_ < recordCount && error.empty()) {
      if (!ReadRecord(error)) break;
      if (store_.OnProgress) {
        int p = Percent(recordsRead_, recordCount);
        if (p != lastPercent) store_.OnProgress(lastPercent = p);
      }
    }
  }
  if (error.empty() && recordsRead_ != recordCount)
    error = Format("Number of records read (%u) does not match declared record count (%u)", recordsRead_,
                   recordCount);

  if (!error.empty() && !store_.partialOpen_) {
    store_.Clear(true);
    return false;
  }
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
    if (entry.empty() || !ParseEntry(entry, field)) {
      error = kSectionError;
      return false;
    }
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

bool TVelaTableReader::ParseEntry(std::string_view entry, TVelaField& field) {
  std::size_t blank = entry.find(' ');
  if (blank == std::string_view::npos || blank + 1 >= entry.size()) return false;
  std::string_view head = entry.substr(0, blank);
  std::size_t dot = head.find('.');
  if (dot == std::string_view::npos) {
    field.Qualifier = "XXX";
    field.Name = std::string(head);
  } else {
    field.Qualifier = std::string(head.substr(0, dot));
    field.Name = std::string(head.substr(dot + 1));
  }
  std::string_view rest = entry.substr(blank + 1);
  unsigned char code = static_cast<unsigned char>(rest[0]);
  std::size_t tilde = rest.find('~', 1);  // the code itself may be a "~"
  int size = 0;
  TVelaFieldKind kind;
  switch (code) {
    case 'l': kind = TVelaFieldKind::SmallInt; break;
    case 'i': kind = TVelaFieldKind::Integer; break;
    case 'e': kind = TVelaFieldKind::Int64; break;
    case 'b': kind = TVelaFieldKind::Boolean; break;
    case 'f': kind = TVelaFieldKind::Double; break;
    case 'c': kind = TVelaFieldKind::Currency; break;
    case 'd': kind = TVelaFieldKind::Date; break;
    case 'v': kind = TVelaFieldKind::Time; break;
    case 't': kind = TVelaFieldKind::DateTime; break;
    case 'a': kind = TVelaFieldKind::AutoInc; break;
    case 'o': kind = TVelaFieldKind::BLOB; break;
    case 'm': kind = TVelaFieldKind::Memo; break;
    case 'r': kind = TVelaFieldKind::FmtMemo; break;
    case 'g': kind = TVelaFieldKind::Graphic; break;
    case 's': {
      kind = TVelaFieldKind::String;
      std::string_view digits = rest.substr(1, tilde == std::string_view::npos ? std::string_view::npos : tilde - 1);
      if (digits.empty()) {
        size = 100;
      } else {
        for (char c : digits) {
          // A size must fit the descriptor's 16 bits.
          if (c < '0' || c > '9' || size > 3276) return false;
          size = size * 10 + (c - '0');
        }
        if (size > 32767) return false;
      }
      break;
    }
    default:
      kind = TVelaFieldKind::SmallStr;
      size = (code >= '0' && code <= '9') ? code - '0' : code - 55;
      // Bytes below "7" would give a negative size: no field can be laid out from that.
      if (size < 0) return false;
      break;
  }
  field.Kind = kind;
  field.Size = static_cast<int16_t>(size);
  field.RightAligned = KindRightAligned(kind);
  if (tilde != std::string_view::npos) {
    std::string_view tail = rest.substr(tilde + 1);
    std::size_t second = tail.find('~');
    if (second != std::string_view::npos) {
      field.DefaultValue = std::string(tail.substr(0, second));
      field.ExtraText = std::string(tail.substr(second + 1));
    } else {
      field.ExtraText = std::string(tail);
    }
  }
  return true;
}

bool TVelaTableReader::ReadRecord(std::string& error) {
  const std::size_t F = store_.fields_.size();
  const uint8_t* lengths = pos_;
  if (Remaining() < F) {
    error = "Unexpected end of buffer";
    return false;
  }
  pos_ += F;
  TVelaRecord* record = store_.NewEntry();
  uint8_t* data = record->Data;
  const int recordNo = static_cast<int>(recordsRead_) + 1;
  auto fail = [&](std::string message) {
    // The partly read record is discarded.
    store_.PurgeRecord(record);
    store_.records_.pop_back();
    error = std::move(message);
    return false;
  };
  for (std::size_t i = 0; i < F; ++i) {
    const TVelaField& f = *store_.fields_[i];
    const uint8_t b = lengths[i];
    const bool referenced = f.Kind == TVelaFieldKind::String || IsBlobKind(f.Kind);
    if (referenced ? (b != 0 && b != 4) : (b > f.DataSize))
      return fail(Format("Field '%s' has wrong length %d in record %d", f.Name.c_str(), b, recordNo));
    if (b == 0 || f.Kind == TVelaFieldKind::Unknown) continue;
    if (Remaining() < b) return fail("Unexpected end of buffer");
    if (!referenced) {
      std::memcpy(data + f.Offset, pos_, b);
      pos_ += b;
      continue;
    }
    int32_t n = LoadUnaligned<int32_t>(pos_);
    pos_ += 4;
    if (f.Kind == TVelaFieldKind::String) {
      if (n < 0 || n > kMaxStringLength)
        return fail(Format("String field '%s' has wrong length %d in record %d", f.Name.c_str(), n, recordNo));
      if (Remaining() < static_cast<std::size_t>(n)) return fail("Unexpected end of buffer");
      if (n > 0)
        data_area::Store<const char*>(
            data, f, store_.NewArenaText({reinterpret_cast<const char*>(pos_), static_cast<std::size_t>(n)}));
    } else {
      if (n < 0 || n > kMaxBlobLength)
        return fail(Format("BLOB field '%s' has wrong length %d in record %d", f.Name.c_str(), n, recordNo));
      if (Remaining() < static_cast<std::size_t>(n)) return fail("Unexpected end of buffer");
      if (n > 0) {
        data_area::Store<uint8_t*>(data, f, data_area::NewBlock({reinterpret_cast<const char*>(pos_),
                                                                  static_cast<std::size_t>(n)}));
        data_area::SetBlobLength(data, f, static_cast<uint32_t>(n));
      }
    }
    pos_ += n;
  }
  record->Status = rsUnmodified;
  record->StoredSize = store_.StoredSize(data);
  ++recordsRead_;
  return true;
}

}  // namespace notarra
