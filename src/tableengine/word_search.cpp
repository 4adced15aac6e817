#include "tableengine/word_search.h"

#include <algorithm>
#include <array>
#include <thread>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/codepage.h"
#include "platform/exceptions.h"
#include "rtf/rtf_document.h"
#include "platform/conversions.h"
#include "tableengine/data_area.h"
#include "tableengine/record_values.h"

namespace notarra {

namespace {

// Windows-1252 folding, and for each folded byte the (at most two) bytes
// that fold to it, so that a scan can look for both at once.
struct TFolding {
  std::array<unsigned char, 256> Lower{};
  std::array<std::array<unsigned char, 2>, 256> Variants{};
  TFolding() {
    for (int c = 0; c < 256; ++c) {
      Lower[c] = AnsiLowerChar(static_cast<unsigned char>(c));
      Variants[c] = {static_cast<unsigned char>(c), static_cast<unsigned char>(c)};
    }
    std::array<int, 256> seen{};
    for (int c = 0; c < 256; ++c) {
      const unsigned char to = Lower[c];
      if (c != to) Variants[to][1] = static_cast<unsigned char>(c);
      ++seen[to];
    }
    // The code page has no third spelling of a letter; the scan relies on it.
    for (int n : seen)
      if (n > 2) throw Exception("Case folding with more than two spellings of one letter");
  }
};

const TFolding& Folding() {
  static const TFolding folding;
  return folding;
}

bool IsTextKind(TVelaFieldKind kind) {
  switch (kind) {
    case TVelaFieldKind::SmallStr:
    case TVelaFieldKind::String:
    case TVelaFieldKind::Memo:
    case TVelaFieldKind::FmtMemo: return true;
    default: return false;
  }
}

// Slices smaller than this are not worth a thread.
constexpr std::size_t kRecordsPerThread = 8192;

}  // namespace

TVelaWordSearch::TVelaWordSearch(std::string_view text) {
  const auto& lower = Folding().Lower;
  std::string word;
  auto flush = [&] {
    if (!word.empty() && std::find(words_.begin(), words_.end(), word) == words_.end()) words_.push_back(word);
    word.clear();
  };
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') flush();
    else word.push_back(static_cast<char>(lower[static_cast<unsigned char>(c)]));
  }
  flush();
  // Longest first: a long word rules a record out soonest.
  std::stable_sort(words_.begin(), words_.end(), [](const auto& a, const auto& b) { return a.size() > b.size(); });
}

void TVelaWordSearch::Resolve(const TVelaCursor& store, std::string_view fieldNames, const TComponent* owner) {
  fields_.clear();
  for (const std::string& name : SplitFieldNames(fieldNames)) {
    const TVelaField* field = store.FindField(name);
    if (!field) DatabaseError(Format("Field %s is not found", name.c_str()), owner);
    // Numbers and dates are not typed as words; the filter finds those.
    if (IsTextKind(field->Kind)) fields_.push_back(field);
  }
}

namespace {

bool IsAscii(std::string_view word) {
  return std::all_of(word.begin(), word.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Whether the field's text holds the word. Notes written as RTF are matched
// on what they read as, not on their markup ("par", "arial"). Reading the
// markup is the slow part, so an ASCII word is first looked for in the raw
// bytes, where it stands as typed unless formatting changes inside it; a
// word with other letters may stand there as \'hh escapes and is always read.
bool FieldContains(const TVelaField& field, std::string_view text, std::string_view word) {
  const bool memo = field.Kind == TVelaFieldKind::Memo || field.Kind == TVelaFieldKind::FmtMemo;
  const bool rtf = memo && LooksLikeRtf(text);
  if ((!rtf || IsAscii(word)) && !TVelaWordSearch::Contains(text, word)) return false;
  if (!rtf) return true;
  thread_local std::string plain;
  plain.clear();
  AppendRtfPlainText(text, plain);
  return TVelaWordSearch::Contains(plain, word);
}

}  // namespace

bool TVelaWordSearch::Matches(const TVelaRecord& record) const {
  if (words_.empty()) return true;
  if (!record.Data) return false;
  for (const std::string& word : words_) {
    bool found = false;
    for (const TVelaField* field : fields_)
      if ((found = FieldContains(*field, record_values::GetText(record.Data, *field), word))) break;
    if (!found) return false;
  }
  return true;
}

void TVelaWordSearch::Prefetch(const TVelaRecord& record) const {
  if (!record.Data) return;
  for (const TVelaField* field : fields_) {
    const bool blob = field->Kind == TVelaFieldKind::Memo || field->Kind == TVelaFieldKind::FmtMemo;
    if (field->Kind == TVelaFieldKind::SmallStr) continue;  // inside the data area
    __builtin_prefetch(blob ? static_cast<const void*>(data_area::BlobRef(record.Data, *field))
                            : static_cast<const void*>(data_area::TextRef(record.Data, *field) - sizeof(uint32_t)));
  }
}

bool TVelaWordSearch::Contains(std::string_view text, std::string_view word) {
  const std::size_t m = word.size(), n = text.size();
  if (m == 0) return true;
  if (n < m) return false;
  const TFolding& folding = Folding();
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* w = reinterpret_cast<const unsigned char*>(word.data());
  auto equalAt = [&](std::size_t i) {
    for (std::size_t k = 1; k < m; ++k)
      if (folding.Lower[p[i + k]] != w[k]) return false;
    return true;
  };
  std::size_t i = 0;
#if defined(__SSE2__)
  // Sixteen places at a time: where the first and the last letter of the
  // word both fit, in either case, the rest is compared.
  const auto& first = folding.Variants[w[0]];
  const auto& last = folding.Variants[w[m - 1]];
  const __m128i f0 = _mm_set1_epi8(static_cast<char>(first[0])), f1 = _mm_set1_epi8(static_cast<char>(first[1]));
  const __m128i l0 = _mm_set1_epi8(static_cast<char>(last[0])), l1 = _mm_set1_epi8(static_cast<char>(last[1]));
  for (; i + m - 1 + 16 <= n; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + m - 1));
    const __m128i hit = _mm_and_si128(_mm_or_si128(_mm_cmpeq_epi8(a, f0), _mm_cmpeq_epi8(a, f1)),
                                      _mm_or_si128(_mm_cmpeq_epi8(b, l0), _mm_cmpeq_epi8(b, l1)));
    for (unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hit)); mask != 0; mask &= mask - 1)
      if (equalAt(i + static_cast<std::size_t>(__builtin_ctz(mask)))) return true;
  }
#endif
  for (; i + m <= n; ++i)
    if (folding.Lower[p[i]] == w[0] && equalAt(i)) return true;
  return false;
}

void TVelaWordNarrowing::Start(const TVelaWordSearch& search, const TVelaRecordList& list,
                               const TVelaCursor& store) {
  search_ = &search;
  store_ = &store;
  list_ = list;
  // A few records of a large store are cheaper to visit where they lie.
  inStoreOrder_ = list_.size() * 4 >= store.Records().size();
  if (inStoreOrder_) store.ClaimMarks(this);
  else matches_.assign(list_.size(), 0);
  next_ = 0;
}

bool TVelaWordNarrowing::Step(std::size_t count) {
  if (!search_) return true;
  const TVelaRecordList& tested = Tested();
  const std::size_t end = next_ + std::min(count, tested.size() - next_);
  auto test = [this, &tested](std::size_t from, std::size_t to) {
    // Each record's texts are asked for a few records ahead, so that the
    // waits for memory overlap.
    constexpr std::size_t kAhead = 8;
    for (std::size_t i = from; i < to; ++i) {
      if (i + kAhead < to) search_->Prefetch(*tested[i + kAhead]);
      TVelaRecord& record = *tested[i];
      const bool match = record.Live() && search_->Matches(record);
      if (inStoreOrder_) record.Mark = match;
      else matches_[i] = match;
    }
  };
  const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t parts = std::clamp<std::size_t>((end - next_) / kRecordsPerThread, 1, cores);
  const std::size_t share = (end - next_ + parts - 1) / parts;
  std::vector<std::jthread> helpers;
  for (std::size_t part = 1; part < parts; ++part)
    helpers.emplace_back(test, next_ + part * share, std::min(end, next_ + (part + 1) * share));
  test(next_, std::min(end, next_ + share));
  helpers.clear();  // joins
  next_ = end;
  return next_ == tested.size();
}

TVelaRecordList TVelaWordNarrowing::TakeResult() {
  TVelaRecordList result;
  if (inStoreOrder_ && !store_->MarksHeldBy(this)) {
    // Another pass over the same store wrote its marks meanwhile: test again.
    store_->ClaimMarks(this);
    next_ = 0;
    Step(SIZE_MAX);
  }
  for (std::size_t i = 0; i < list_.size(); ++i)
    if (inStoreOrder_ ? list_[i]->Mark : matches_[i]) result.push_back(list_[i]);
  Stop();
  return result;
}

void TVelaWordNarrowing::Stop() {
  if (search_ && inStoreOrder_ && store_->MarksHeldBy(this)) store_->ClaimMarks(nullptr);
  search_ = nullptr;
  store_ = nullptr;
  list_ = {};
  matches_ = {};
  next_ = 0;
}

}  // namespace notarra
