// Reading table files through a window smaller than the pieces of the file:
// smaller than one record, one field entry, one text or one BLOB, with damage
// that falls where the window is refilled, from a protected table, and from a
// file that is shortened while it is open.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/exceptions.h"
#include "platform/file_stream.h"
#include "table_bytes.h"

using namespace notarra;
using namespace tt;

namespace {

// Window sizes from one byte up to past the whole test file.
const std::vector<std::size_t> kWindows = {1, 2, 3, 4, 5, 7, 11, 16, 29, 64, 250, 1 << 20};

LoadResult LoadThrough(TVelaCursor& c, const std::string& bytes, std::size_t window, bool partialOpen = false) {
  TMemoryStream s;
  if (!bytes.empty()) s.Write(bytes.data(), bytes.size());
  s.SetPosition(0);
  c.SetPartialOpen(partialOpen);
  LoadResult r;
  r.ok = c.LoadFromStream(s, r.error, false, window);
  return r;
}

std::string Memo(std::size_t n) {
  std::string m;
  for (std::size_t i = 0; i < n; ++i) m.push_back(static_cast<char>('a' + i % 26));
  return m;
}

// Flag b, Code 8 (SmallStr), Title s200 with a default and extra text, Notes
// m (memo), Key a. The Title entry alone is longer than most windows.
std::string IdeaSection() {
  return Section({"XXX.Flag b", "XXX.Code 8", "XXX.Title s200~untitled~shown in the list", "XXX.Notes m",
                  "XXX.Key a"});
}

std::string IdeaRecord(bool flag, std::string_view code, std::string_view title, std::string_view memo, int key) {
  Bytes b;
  b.u8(flag ? 2 : 0).u8(static_cast<uint8_t>(code.size())).u8(title.empty() ? 0 : 4).u8(memo.empty() ? 0 : 4).u8(4);
  if (flag) b.i16(-1);
  b.text(code);
  if (!title.empty()) b.counted(title);
  if (!memo.empty()) b.counted(memo);
  b.i32(key);
  return b.str();
}

std::string IdeaBody() {
  return Bytes().u8('*').i16(5).text("notes").str() + IdeaRecord(true, "AB12", "First idea", Memo(300), 1) +
         IdeaRecord(false, "", "", "", 2) + IdeaRecord(false, "Z", std::string(120, 'T'), "m", 3);
}

TEST(StreamedReader, EveryWindowReadsTheSameTable) {
  const std::string file = Table(3, 5, IdeaSection(), IdeaBody());
  for (std::size_t w : kWindows) {
    SCOPED_TRACE("window " + std::to_string(w));
    TVelaCursor c;
    auto r = LoadThrough(c, file, w);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.error, "");
    ASSERT_EQ(c.FieldCount(), 5);
    const TVelaField* title = c.FindField("Title");
    EXPECT_EQ(title->Size, 200);
    EXPECT_EQ(title->DefaultValue, "untitled");
    EXPECT_EQ(title->ExtraText, "shown in the list");
    EXPECT_EQ(c.Notes(), "notes");
    ASSERT_EQ(c.RecordCount(), 3);
    const uint8_t* first = c.Records()[0]->Data;
    EXPECT_EQ(Get<int16_t>(c, first, "Flag"), -1);
    EXPECT_EQ(Str(c, first, "Code"), "AB12");
    EXPECT_EQ(Str(c, first, "Title"), "First idea");
    EXPECT_EQ(Str(c, first, "Notes"), Memo(300));
    EXPECT_EQ(Get<int32_t>(c, first, "Key"), 1);
    const uint8_t* second = c.Records()[1]->Data;
    EXPECT_EQ(Str(c, second, "Title"), "");
    EXPECT_EQ(Str(c, second, "Notes"), "");
    const uint8_t* third = c.Records()[2]->Data;
    EXPECT_EQ(Str(c, third, "Title"), std::string(120, 'T'));
    EXPECT_EQ(Str(c, third, "Notes"), "m");
    EXPECT_EQ(c.AutoIncCounter(), 3);
    // What loaded writes back to the very bytes that were read.
    EXPECT_EQ(Hex(Write(c)), Hex(file));
  }
}

TEST(StreamedReader, ReadingLeavesTheCallersStreamUnchangedAndAtItsEnd) {
  TVelaCursor source;
  source.AddField("Title", TVelaFieldKind::String, 100);
  source.AddField("Key", TVelaFieldKind::AutoInc);
  source.SetNotes("private notes");
  for (int i = 0; i < 20; ++i) {
    Area a(source);
    a.text("Title", "Secret idea " + std::to_string(i));
    std::string error;
    ASSERT_TRUE(source.WriteRecord(a, nullptr, error)) << error;
  }
  source.SetPassword("pw");
  const std::string file = Write(source);
  ASSERT_EQ(file[4], 'P');
  for (std::size_t w : {std::size_t{1}, std::size_t{3}, std::size_t{40}, std::size_t{57}, std::size_t{1000}}) {
    SCOPED_TRACE("window " + std::to_string(w));
    TMemoryStream s;
    s.Write(file.data(), file.size());
    s.SetPosition(0);
    TVelaCursor c;
    c.SetPassword("pw");
    std::string error;
    ASSERT_TRUE(c.LoadFromStream(s, error, false, w)) << error;
    EXPECT_EQ(s.Position(), s.Size());
    // Deciphering works on the reader's own copy of the bytes.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.Memory()), s.Size()), file);
    EXPECT_EQ(c.Notes(), "private notes");
    ASSERT_EQ(c.RecordCount(), 20);
    for (int i = 0; i < 20; ++i)
      EXPECT_EQ(c.ValueToText(c.Records()[i]->Data, *c.FindField("Title")), "Secret idea " + std::to_string(i));
  }
}

// Every cut of the file, through every window: the reader says what it says
// for the whole bytes, whichever piece of the file the window boundary splits.
TEST(StreamedReader, CutsAtEveryByteGiveTheSameMessageThroughEveryWindow) {
  const std::string file = Table(3, 5, IdeaSection(), IdeaBody());
  const std::size_t bodyStart = 17 + IdeaSection().size();
  for (std::size_t cut = 0; cut < file.size(); ++cut) {
    const std::string part = file.substr(0, cut);
    TVelaCursor whole;
    auto expected = LoadThrough(whole, part, 1 << 20);
    ASSERT_FALSE(expected.ok) << cut;
    // The messages themselves, for where the cut falls.
    if (cut < 17 + IdeaSection().size()) {
      EXPECT_TRUE(expected.error == "Buffer structure corruption!" ||
                  expected.error == "Error in buffer structure (field description section)")
          << cut << ": " << expected.error;
    } else if (cut > bodyStart + 8) {
      EXPECT_TRUE(expected.error == "Unexpected end of buffer" ||
                  expected.error.starts_with("Number of records read ("))
          << cut << ": " << expected.error;
    }
    for (std::size_t w : kWindows) {
      TVelaCursor c;
      auto r = LoadThrough(c, part, w);
      EXPECT_FALSE(r.ok) << "cut " << cut << " window " << w;
      EXPECT_EQ(r.error, expected.error) << "cut " << cut << " window " << w;
      EXPECT_EQ(c.RecordCount(), 0);
      EXPECT_EQ(c.FieldCount(), 0);
    }
  }
}

TEST(StreamedReader, DamagedLengthsAtWindowBoundaries) {
  const std::string section = IdeaSection();
  const std::string first = IdeaRecord(true, "AB12", "First idea", Memo(300), 1);
  auto withSecond = [&](const std::string& second) {
    std::string body = first + second;
    Bytes b;
    b.u32(static_cast<uint32_t>(17 + section.size() + body.size())).text("S").u32(2).u32(5)
        .u32(static_cast<uint32_t>(section.size())).text(section).text(body);
    return b.str();
  };
  struct Damage {
    std::string second;
    std::string message;
  };
  const std::vector<Damage> damages = {
      // A String length over the limit.
      {Bytes().raw({0, 0, 4, 0, 4}).u32(8192).text("x").i32(2), "String field 'Title' has wrong length 8192 in record 2"},
      // A BLOB longer than what follows.
      {Bytes().raw({0, 0, 0, 4, 4}).u32(5000).text("short").i32(2), "Unexpected end of buffer"},
      // A negative BLOB length.
      {Bytes().raw({0, 0, 0, 4, 4}).i32(-1).i32(2), "BLOB field 'Notes' has wrong length -1 in record 2"},
      // A length byte that no field of its kind takes.
      {Bytes().raw({0, 0, 3, 0, 4}).text("abc").i32(2), "Field 'Title' has wrong length 3 in record 2"},
      // A SmallStr longer than its width.
      {Bytes().raw({0, 10, 0, 0, 4}).text("1234567890").i32(2), "Field 'Code' has wrong length 10 in record 2"},
  };
  for (const Damage& d : damages) {
    const std::string file = withSecond(d.second);
    // Windows that end on each byte of the damaged record and its neighbours.
    for (std::size_t w = 1; w <= file.size() + 1; ++w) {
      TVelaCursor c;
      auto r = LoadThrough(c, file, w);
      EXPECT_FALSE(r.ok);
      ASSERT_EQ(r.error, d.message) << "window " << w;
      EXPECT_EQ(c.RecordCount(), 0);
      // With PartialOpen the first record stays, whole.
      TVelaCursor p;
      auto pr = LoadThrough(p, file, w, true);
      EXPECT_TRUE(pr.ok);
      EXPECT_EQ(pr.error, d.message);
      ASSERT_EQ(p.RecordCount(), 1) << "window " << w;
      EXPECT_EQ(Str(p, p.Records()[0]->Data, "Notes"), Memo(300));
    }
  }
}

class StreamedFile : public ::testing::Test {
protected:
  void SetUp() override {
    char tmpl[] = "/tmp/notarra-stream-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    path_ = dir_ + "/ideas.d";
  }
  void TearDown() override {
    std::remove(path_.c_str());
    rmdir(dir_.c_str());
  }
  void WriteFile(const std::string& bytes) {
    FILE* f = std::fopen(path_.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    std::fclose(f);
  }
  std::string dir_, path_;
};

TEST_F(StreamedFile, ATableFileReadsThroughASmallWindow) {
  const std::string file = Table(3, 5, IdeaSection(), IdeaBody());
  WriteFile(file);
  TFileStream s(path_);
  EXPECT_EQ(s.Size(), static_cast<int64_t>(file.size()));
  TVelaCursor c;
  std::string error;
  ASSERT_TRUE(c.LoadFromStream(s, error, false, 7)) << error;
  EXPECT_EQ(c.RecordCount(), 3);
  EXPECT_EQ(Hex(Write(c)), Hex(file));
}

// Another program may shorten the file after it was opened: the reader finds
// the end early and fails as for any cut file, without reading past it.
TEST_F(StreamedFile, AFileShortenedWhileOpenFailsCleanly) {
  const std::string file = Table(3, 5, IdeaSection(), IdeaBody());
  WriteFile(file);
  const std::size_t keep = 17 + IdeaSection().size() + 8 + IdeaRecord(true, "AB12", "First idea", Memo(300), 1).size();
  {
    TFileStream s(path_);
    ASSERT_EQ(truncate(path_.c_str(), static_cast<off_t>(keep)), 0);
    TVelaCursor c;
    std::string error;
    EXPECT_FALSE(c.LoadFromStream(s, error, false, 16));
    EXPECT_EQ(error, "Unexpected end of buffer");
    EXPECT_EQ(c.RecordCount(), 0);
    EXPECT_EQ(c.FieldCount(), 0);
  }
  {
    WriteFile(file);
    TFileStream s(path_);
    ASSERT_EQ(truncate(path_.c_str(), static_cast<off_t>(keep)), 0);
    TVelaCursor c;
    c.SetPartialOpen(true);
    std::string error;
    EXPECT_TRUE(c.LoadFromStream(s, error, false, 16));
    EXPECT_EQ(error, "Unexpected end of buffer");
    ASSERT_EQ(c.RecordCount(), 1);
    EXPECT_EQ(Str(c, c.Records()[0]->Data, "Title"), "First idea");
  }
}

TEST_F(StreamedFile, OpeningAMissingFileOrAFolderNamesIt) {
  try {
    TFileStream s(dir_ + "/missing.d");
    ADD_FAILURE() << "opened a missing file";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.Message(), "Cannot open file " + dir_ + "/missing.d: No such file or directory");
  }
  try {
    TFileStream s(dir_);
    ADD_FAILURE() << "opened a folder";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.Message(), "Cannot open file " + dir_ + ": Is a directory");
  }
}

// Devices and pipes have no size to stop at: /dev/zero would be read until
// memory ran out, and the program's own table opens go through the same stream.
TEST_F(StreamedFile, OnlyRegularFilesOpen) {
  const std::string link = dir_ + "/zero.d";
  ASSERT_EQ(symlink("/dev/zero", link.c_str()), 0);
  for (const std::string& path : {link, std::string("/dev/null")}) {
    try {
      TFileStream s(path);
      ADD_FAILURE() << "opened " << path;
    } catch (const EInOutError& e) {
      EXPECT_EQ(e.Message(), "Cannot open file " + path + ": it is not a regular file");
    }
  }
}

// What another program appends after the open is not read: the reader sized
// everything by the size it saw.
TEST_F(StreamedFile, BytesAppendedAfterTheOpenAreNotRead) {
  const std::string file = Table(3, 5, IdeaSection(), IdeaBody());
  WriteFile(file);
  TFileStream s(path_);
  {
    FILE* f = std::fopen(path_.c_str(), "ab");
    ASSERT_NE(f, nullptr);
    std::fputs("appended later", f);
    std::fclose(f);
  }
  std::string all(file.size() + 100, '\0');
  EXPECT_EQ(s.Read(all.data(), all.size()), file.size());
  EXPECT_EQ(s.Read(all.data(), 1), 0u);
  TVelaCursor c;
  std::string error;
  s.SetPosition(0);
  ASSERT_TRUE(c.LoadFromStream(s, error)) << error;
  EXPECT_EQ(c.TrailingBytes(), 0u);
}

// The reader says how much followed the last record the header counts.
TEST_F(StreamedFile, TrailingBytesAreCounted) {
  const std::string file = Table(3, 5, IdeaSection(), IdeaBody());
  WriteFile(file + "tail");
  TFileStream s(path_);
  TVelaCursor c;
  std::string error;
  ASSERT_TRUE(c.LoadFromStream(s, error, false, 7)) << error;
  EXPECT_EQ(c.TrailingBytes(), 4u);
  c.Clear(true);
  EXPECT_EQ(c.TrailingBytes(), 0u);
}

}  // namespace
