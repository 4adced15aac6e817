#include "tableengine/sort_key.h"

#include <bit>
#include <cstring>

#include "platform/codepage.h"
#include "platform/unaligned.h"
#include "tableengine/data_area.h"

namespace notarra {

namespace sort_key {
namespace {

constexpr int kBytes = kWords * 8;

class Encoder {
public:
  bool Full() const { return n_ >= kBytes; }
  // Appends one byte; false once the key is full.
  bool Put(uint8_t b) {
    if (n_ >= kBytes) return false;
    bytes_[n_++] = b;
    return true;
  }
  template <typename U>
  bool PutBigEndian(U v) {
    for (int shift = sizeof(U) * 8 - 8; shift >= 0; shift -= 8)
      if (!Put(static_cast<uint8_t>(v >> shift))) return false;
    return true;
  }
  // Text: 0x00 and 0x01 escaped as 01 01 and 01 02, then a 00 terminator, so
  // that a shorter text comes first and no encoding is a prefix of another.
  bool PutText(const char* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
      auto c = static_cast<uint8_t>(p[i]);
      bool ok = c > 1 ? Put(c) : (Put(1) && Put(c + 1));
      if (!ok) return false;
    }
    return Put(0);
  }
  // Text without case: the code page's collation key, whole only when it
  // fitted and decides alone.
  bool PutCollated(std::string_view t) {
    bool whole = false;
    n_ += static_cast<int>(AnsiCollationKey(t, bytes_ + n_, kBytes - n_, whole));
    return whole;
  }
  void Finish(Keyed& k, bool descending) {
    for (int i = 0; i < kBytes; ++i) {
      uint8_t b = i < n_ ? bytes_[i] : 0;
      bytes_[i] = descending ? static_cast<uint8_t>(~b) : b;
    }
    for (int w = 0; w < kWords; ++w) {
      k.Word[w] = __builtin_bswap64(LoadUnaligned<uint64_t>(bytes_ + w * 8));
    }
  }

private:
  uint8_t bytes_[kBytes];
  int n_ = 0;
};

// Encodes one field; false when it did not fit whole or cannot be encoded,
// which ends the key.
bool PutField(Encoder& e, const uint8_t* data, const TVelaField& f, bool caseInsensitive) {
  using data_area::Load;
  switch (f.Kind) {
    case TVelaFieldKind::SmallInt: return e.PutBigEndian<uint16_t>(static_cast<uint16_t>(Load<int16_t>(data, f)) ^ 0x8000u);
    case TVelaFieldKind::Integer:
    case TVelaFieldKind::Date:
    case TVelaFieldKind::Time:
    case TVelaFieldKind::AutoInc:
      return e.PutBigEndian<uint32_t>(static_cast<uint32_t>(Load<int32_t>(data, f)) ^ 0x80000000u);
    case TVelaFieldKind::Int64:
      return e.PutBigEndian<uint64_t>(static_cast<uint64_t>(Load<int64_t>(data, f)) ^ 0x8000000000000000ull);
    case TVelaFieldKind::Boolean: return e.Put(Load<int16_t>(data, f) != 0 ? 0 : 1);  // true first
    case TVelaFieldKind::Double:
    case TVelaFieldKind::Currency:
    case TVelaFieldKind::DateTime: {
      double d = Load<double>(data, f);
      if (d != d) return false;  // NaN has no place in an order
      if (d == 0) d = 0;         // -0 and +0 compare equal
      uint64_t bits = std::bit_cast<uint64_t>(d);
      bits = (bits & 0x8000000000000000ull) ? ~bits : bits | 0x8000000000000000ull;
      return e.PutBigEndian<uint64_t>(bits);
    }
    case TVelaFieldKind::SmallStr: {
      std::string_view t = data_area::SmallText(data, f);
      if (f.RightAligned && !e.Put(static_cast<uint8_t>(t.size()))) return false;
      return caseInsensitive ? e.PutCollated(t) : e.PutText(t.data(), t.size());
    }
    case TVelaFieldKind::String: {
      // A missing text comes before any text (and a text is never empty).
      std::string_view t = data_area::Text(data, f);
      return caseInsensitive ? e.PutCollated(t) : e.PutText(t.data(), t.size());
    }
    case TVelaFieldKind::BLOB:
    case TVelaFieldKind::Graphic:
    case TVelaFieldKind::Unknown: return true;  // always equal: contributes nothing
    case TVelaFieldKind::Memo:
    case TVelaFieldKind::FmtMemo: return false;  // the length rule has no simple byte form
  }
  return false;
}

}  // namespace

Keyed Make(TVelaRecord* record, std::span<const TVelaField* const> fields, bool caseInsensitive, bool descending) {
  Keyed k;
  k.Record = record;
  Encoder e;
  k.Complete = true;
  for (const TVelaField* f : fields) {
    if (!PutField(e, record->Data, *f, caseInsensitive)) {
      k.Complete = false;
      break;
    }
  }
  e.Finish(k, descending);
  return k;
}

}  // namespace sort_key

}  // namespace notarra
