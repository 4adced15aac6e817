#include "tableengine/journal.h"

#include <chrono>
#include <cstdio>
#include <cstring>

#include "platform/crc32.h"
#include "platform/exceptions.h"
#include "platform/file_io.h"
#include "platform/unaligned.h"

namespace notarra {

namespace {

constexpr char kMagic[16] = {'N', 'O', 'T', 'A', 'R', 'R', 'A', ' ', 'J', 'O', 'U', 'R', 'N', 'A', 'L', '\n'};
constexpr uint32_t kVersion = 1;
constexpr std::size_t kHeaderSize = 52;      // magic, version, stamp, checksum
constexpr std::size_t kEntryHead = 8;        // body length, body checksum
constexpr std::size_t kBodyFixed = 1 + 4 + 8;  // kind, ordinal, time

std::string Header(const TVelaJournalStamp& stamp) {
  std::string h(kHeaderSize, '\0');
  auto* p = reinterpret_cast<uint8_t*>(h.data());
  std::memcpy(p, kMagic, sizeof kMagic);
  StoreUnaligned<uint32_t>(p + 16, kVersion);
  StoreUnaligned<uint32_t>(p + 20, stamp.FieldsCrc);
  StoreUnaligned<int64_t>(p + 24, stamp.TableSize);
  StoreUnaligned<int64_t>(p + 32, stamp.TableSeconds);
  StoreUnaligned<int64_t>(p + 40, stamp.TableNanoseconds);
  StoreUnaligned<uint32_t>(p + 48, Crc32(p, 48));
  return h;
}

TVelaJournalContents Damaged(std::string problem) {
  TVelaJournalContents c;
  c.Problem = std::move(problem);
  return c;
}

}  // namespace

std::string JournalPathFor(const std::string& tablePath) { return tablePath + ".journal"; }

TVelaJournalContents ReadJournal(const std::string& path) {
  std::string bytes;
  try {
    ReadWholeFile(path, bytes);
  } catch (const Exception& e) {
    return Damaged(e.Message());
  }
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  if (bytes.size() < kHeaderSize || std::memcmp(p, kMagic, sizeof kMagic) != 0)
    return Damaged("it is not a journal of this program");
  if (LoadUnaligned<uint32_t>(p + 16) != kVersion) return Damaged("it was written by another version of the program");
  if (LoadUnaligned<uint32_t>(p + 48) != Crc32(p, 48)) return Damaged("its header is damaged");
  TVelaJournalContents c;
  c.Stamp.FieldsCrc = LoadUnaligned<uint32_t>(p + 20);
  c.Stamp.TableSize = LoadUnaligned<int64_t>(p + 24);
  c.Stamp.TableSeconds = LoadUnaligned<int64_t>(p + 32);
  c.Stamp.TableNanoseconds = LoadUnaligned<int64_t>(p + 40);
  std::size_t at = kHeaderSize;
  while (at < bytes.size()) {
    const std::size_t number = c.Entries.size() + 1;
    if (bytes.size() - at < kEntryHead) return Damaged(Format("change %zu is cut short", number));
    const uint32_t length = LoadUnaligned<uint32_t>(p + at);
    const uint32_t crc = LoadUnaligned<uint32_t>(p + at + 4);
    at += kEntryHead;
    if (length < kBodyFixed || length > bytes.size() - at) return Damaged(Format("change %zu is cut short", number));
    const uint8_t* body = p + at;
    if (Crc32(body, length) != crc) return Damaged(Format("change %zu is damaged", number));
    TVelaJournalEntry e;
    if (body[0] < 1 || body[0] > 3) return Damaged(Format("change %zu is of an unknown kind", number));
    e.Kind = static_cast<TVelaJournalKind>(body[0]);
    e.Ordinal = LoadUnaligned<uint32_t>(body + 1);
    e.Time = LoadUnaligned<int64_t>(body + 5);
    e.Record.assign(reinterpret_cast<const char*>(body + kBodyFixed), length - kBodyFixed);
    if ((e.Kind == TVelaJournalKind::Delete) != e.Record.empty())
      return Damaged(Format("change %zu is damaged", number));
    c.Entries.push_back(std::move(e));
    at += length;
  }
  return c;
}

std::string SetJournalAside(const std::string& path) {
  std::string target = path + ".kept";
  for (int n = 2; FileExists(target); ++n) target = path + ".kept-" + std::to_string(n);
  if (std::rename(path.c_str(), target.c_str()) != 0)
    throw EInOutError(Format("Cannot rename file %s: %s", path.c_str(), std::strerror(errno)));
  return target;
}

void TVelaJournalWriter::Begin(std::string path, TVelaJournalStamp stamp) {
  file_.Close();
  path_ = std::move(path);
  stamp_ = stamp;
}

void TVelaJournalWriter::Append(const TVelaJournalEntry& entry) {
  if (!file_.IsOpen()) {
    if (FileExists(path_)) SetJournalAside(path_);
    file_.Create(path_);
    const std::string header = Header(stamp_);
    file_.Append(header.data(), header.size());
  }
  const std::size_t length = kBodyFixed + entry.Record.size();
  std::string bytes(kEntryHead + length, '\0');
  auto* p = reinterpret_cast<uint8_t*>(bytes.data());
  StoreUnaligned<uint32_t>(p, static_cast<uint32_t>(length));
  uint8_t* body = p + kEntryHead;
  body[0] = static_cast<uint8_t>(entry.Kind);
  StoreUnaligned<uint32_t>(body + 1, entry.Ordinal);
  StoreUnaligned<int64_t>(body + 5, entry.Time);
  std::memcpy(body + kBodyFixed, entry.Record.data(), entry.Record.size());
  StoreUnaligned<uint32_t>(p + 4, Crc32(body, length));
  file_.Append(bytes.data(), bytes.size());
}

void TVelaJournalWriter::Adopt() {
  file_.Open(path_);
}

void TVelaJournalWriter::Remove() {
  // Only a journal of this writer's: one left by an earlier run is decided on apart.
  if (!file_.IsOpen()) return;
  file_.Close();
  std::remove(path_.c_str());
}

}  // namespace notarra
