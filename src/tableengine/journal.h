// The recovery journal of one table file: every change posted since the file
// was last read or written, appended (and flushed to the disk) before the
// post returns, so that a crash, a kill or a power cut loses none of them.
// Saving the table removes it. The byte format is docs/journal-format.md.
//
// A journal records which table file it belongs to (the file's size and
// modification time when the journal began, and a checksum of its field
// descriptions): replayed over any other file it would put records in the
// wrong places, so such a journal is never applied.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/append_file.h"

namespace notarra {

enum class TVelaJournalKind : uint8_t { Insert = 1, Edit = 2, Delete = 3 };

struct TVelaJournalEntry {
  TVelaJournalKind Kind = TVelaJournalKind::Edit;
  // The record's ordinal (TVelaRecord::Ordinal): for an insert, the one it got.
  uint32_t Ordinal = 0;
  int64_t Time = 0;    // milliseconds since 1970-01-01 UTC
  std::string Record;  // the record's bytes as the table file holds them; empty for a delete
};

// The table file a journal belongs to.
struct TVelaJournalStamp {
  uint32_t FieldsCrc = 0;  // checksum of the field description section
  int64_t TableSize = 0;
  int64_t TableSeconds = 0, TableNanoseconds = 0;  // modification time
  bool operator==(const TVelaJournalStamp&) const = default;
};

// A journal as read from the disk. Problem is empty when every byte of it
// checked out; otherwise it says what is wrong and Entries holds nothing.
struct TVelaJournalContents {
  TVelaJournalStamp Stamp;
  std::vector<TVelaJournalEntry> Entries;
  std::string Problem;
  int64_t LastTime() const { return Entries.empty() ? 0 : Entries.back().Time; }
};

// "dir/Blog_Ideas.d" -> "dir/Blog_Ideas.d.journal".
std::string JournalPathFor(const std::string& tablePath);

// Reads and checks a whole journal; a file that cannot be read is a Problem too.
TVelaJournalContents ReadJournal(const std::string& path);

// Moves a journal that will not be applied out of the way, keeping it for
// whoever wants to look: "X.journal" becomes "X.journal.kept" (or
// "X.journal.kept-2", ...). Returns the new path; EInOutError on failure.
std::string SetJournalAside(const std::string& path);

// Appends entries to a new journal. The file is made on the first Append, so
// a table that is opened and closed without changes leaves nothing behind.
class TVelaJournalWriter {
public:
  // The journal at path, for the table file that stamp describes. A file
  // already at path is a journal nobody has decided on: it is set aside
  // when the first entry is written, never appended to.
  void Begin(std::string path, TVelaJournalStamp stamp);
  // Writes the entry (and, first, the journal's header). EInOutError when
  // it cannot be written.
  void Append(const TVelaJournalEntry& entry);
  // Goes on appending to the journal already at the path (one whose entries
  // were just replayed over the same table file). EInOutError on failure.
  void Adopt();
  // Closes the file and leaves it where it is (the program ends with changes
  // unsaved, and the next start offers them back).
  void Close() { file_.Close(); }
  // Closes and deletes the file: the changes are saved or given up.
  void Remove();
  bool Started() const { return file_.IsOpen(); }
  const std::string& Path() const { return path_; }

private:
  TAppendFile file_;
  std::string path_;
  TVelaJournalStamp stamp_;
};

}  // namespace notarra
