// Writing table files: byte-exact files for tables built in memory, round
// trips, the size estimate, progress, and saving to disk.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/exceptions.h"
#include "table_bytes.h"

using namespace notarra;

using namespace tt;
namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
void WriteFile(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary);
  out << bytes;
}

// Every kind once; the entries the writer must produce for them.
void AddEveryKind(TVelaCursor& c) {
  c.AddField("SI", TVelaFieldKind::SmallInt);
  c.AddField("IN", TVelaFieldKind::Integer);
  c.AddField("BI", TVelaFieldKind::Int64);
  c.AddField("BO", TVelaFieldKind::Boolean);
  c.AddField("DB", TVelaFieldKind::Double);
  c.AddField("CU", TVelaFieldKind::Currency);
  c.AddField("DA", TVelaFieldKind::Date);
  c.AddField("TI", TVelaFieldKind::Time);
  c.AddField("DT", TVelaFieldKind::DateTime);
  c.AddField("AI", TVelaFieldKind::AutoInc);
  c.AddField("SS", TVelaFieldKind::SmallStr, 5);
  c.AddField("ST", TVelaFieldKind::String, 40);
  c.AddField("BL", TVelaFieldKind::BLOB);
  c.AddField("ME", TVelaFieldKind::Memo);
  c.AddField("FM", TVelaFieldKind::FmtMemo);
  c.AddField("GR", TVelaFieldKind::Graphic);
}
std::string EveryKindSection() {
  return Section({"XXX.SI l", "XXX.IN i", "XXX.BI e", "XXX.BO b", "XXX.DB f", "XXX.CU c", "XXX.DA d", "XXX.TI v",
                  "XXX.DT t", "XXX.AI a", "XXX.SS 5", "XXX.ST s40", "XXX.BL o", "XXX.ME m", "XXX.FM r",
                  "XXX.GR g"});
}

const double kDateTime = 730120.0 * 86400000.0 + 1000.0;
const std::string kBinary("\0\1\2", 3);

void AppendFullRecord(TVelaCursor& c) {
  Area a(c);
  a.set<int16_t>("SI", -2)
      .set<int32_t>("IN", 100000)
      .set<int64_t>("BI", 5)
      .set<int16_t>("BO", -1)
      .set<double>("DB", 2.5)
      .set<double>("CU", -1.25)
      .set<int32_t>("DA", 730120)
      .set<int32_t>("TI", 3600000)
      .set<double>("DT", kDateTime)
      .set<int32_t>("AI", 7)
      .text("SS", "abcde")
      .text("ST", "hello")
      .blob("BL", kBinary)
      .blob("ME", "memo")
      .blob("FM", "{\\rtf}")
      .blob("GR", "\x89PNG");
  c.AppendRecord(a);
}
std::string FullRecordBytes() {
  Bytes b;
  b.raw({2, 4, 8, 2, 8, 8, 4, 4, 8, 4, 5, 4, 4, 4, 4, 4});
  b.raw({0xFE, 0xFF}).raw({0xA0, 0x86, 0x01, 0x00}).raw({5, 0, 0, 0, 0, 0, 0, 0}).raw({0xFF, 0xFF});
  b.f64(2.5).f64(-1.25).i32(730120).i32(3600000).f64(kDateTime).i32(7).text("abcde");
  b.counted("hello").counted(kBinary).counted("memo").counted("{\\rtf}").counted("\x89PNG");
  return b;
}

class TableWriter : public ::testing::Test {
protected:
  TVelaCursor c;
};

TEST_F(TableWriter, EmptyGroupTableIsTheDocumentedBytes) {
  c.AddField("SELECTED", TVelaFieldKind::Boolean);
  c.AddField("CATEGORY", TVelaFieldKind::SmallStr, 15);
  c.AddField("CKEY", TVelaFieldKind::AutoInc);
  std::string expected = Bytes()
                             .raw({0x3B, 0, 0, 0, 0x53, 0, 0, 0, 0, 3, 0, 0, 0, 0x2A, 0, 0, 0})
                             .text("XXX.SELECTED b\x12XXX.CATEGORY F\x12XXX.CKEY a\x12\x14");
  ASSERT_EQ(expected.size(), 59u);
  EXPECT_EQ(Hex(Write(c)), Hex(expected));

  Area a(c);
  a.text("CATEGORY", "abcd").set<int32_t>("CKEY", 1);
  c.AppendRecord(a);
  std::string withRecord = Bytes()
                               .raw({70, 0, 0, 0, 0x53, 1, 0, 0, 0, 3, 0, 0, 0, 0x2A, 0, 0, 0})
                               .text("XXX.SELECTED b\x12XXX.CATEGORY F\x12XXX.CKEY a\x12\x14")
                               .raw({0x00, 0x04, 0x04})
                               .text("abcd")
                               .raw({0x01, 0x00, 0x00, 0x00});
  EXPECT_EQ(Hex(Write(c)), Hex(withRecord));
}

TEST_F(TableWriter, EveryKindByteExact) {
  AddEveryKind(c);
  AppendFullRecord(c);
  {
    Area empty(c);  // every field empty: F zero bytes
    c.AppendRecord(empty);
  }
  {
    // Any non-zero Boolean is true and written as FFFF; Int64 keeps all bytes.
    Area a(c);
    a.set<int16_t>("BO", 1).set<int64_t>("BI", 0x0123456789ABCDEFLL).set<int32_t>("AI", 9);
    c.AppendRecord(a);
  }
  Bytes third;
  third.raw({0, 0, 8, 2, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0}).i64(0x0123456789ABCDEFLL).raw({0xFF, 0xFF}).i32(9);

  std::string body = FullRecordBytes() + std::string(16, '\0') + third.str();
  std::string expected = Table(3, 16, EveryKindSection(), body);
  std::string written = Write(c);
  EXPECT_EQ(Hex(written), Hex(expected));
  EXPECT_GE(c.EstimateSize(), static_cast<int64_t>(written.size()));
}

TEST_F(TableWriter, EmptyValuesWrittenAsLengthZero) {
  c.AddField("BO", TVelaFieldKind::Boolean);
  c.AddField("IN", TVelaFieldKind::Integer);
  c.AddField("DB", TVelaFieldKind::Double);
  c.AddField("DT", TVelaFieldKind::DateTime);
  c.AddField("SS", TVelaFieldKind::SmallStr, 10);
  c.AddField("ST", TVelaFieldKind::String, 50);
  c.AddField("ME", TVelaFieldKind::Memo);
  Area a(c);
  a.set<int16_t>("BO", 0).set<int32_t>("IN", 0).set<double>("DB", 0.0).set<double>("DT", 0.0);
  a.text("SS", "").text("ST", "").blob("ME", "");
  c.AppendRecord(a);
  std::string section = Section({"XXX.BO b", "XXX.IN i", "XXX.DB f", "XXX.DT t", "XXX.SS A", "XXX.ST s50", "XXX.ME m"});
  EXPECT_EQ(Hex(Write(c)), Hex(Table(1, 7, section, std::string(7, '\0'))));
}

TEST_F(TableWriter, SmallStrOfExactlyItsSize) {
  c.AddField("G", TVelaFieldKind::SmallStr, 20);
  Area a(c);
  a.text("G", "12345678901234567890");
  c.AppendRecord(a);
  std::string expected = Table(1, 1, Section({"XXX.G K"}), Bytes().u8(20).text("12345678901234567890"));
  EXPECT_EQ(Hex(Write(c)), Hex(expected));

  TVelaCursor back;
  ASSERT_TRUE(Load(back, expected).ok);
  EXPECT_EQ(Str(back, back.Records()[0]->Data, "G"), "12345678901234567890");
}

TEST_F(TableWriter, EntriesQualifiersDefaultsAndBlanks) {
  c.AddField("First Name", TVelaFieldKind::SmallStr, 35);
  c.AddField("Plain", TVelaFieldKind::Integer, 0, "ABC");
  c.AddField("Def", TVelaFieldKind::SmallStr, 10, "XXX", "d", "");
  c.AddField("Ext", TVelaFieldKind::String, 36, "XXX", "", "e");
  c.AddField("Both", TVelaFieldKind::Date, 0, "XXX", "1/1/2000", "x y");
  std::string section = Section({"XXX.First_Name Z", "ABC.Plain i", "XXX.Def A~d~", "XXX.Ext s36~~e",
                                 "XXX.Both d~1/1/2000~x y"});
  std::string expected = Table(0, 5, section);
  EXPECT_EQ(Hex(Write(c)), Hex(expected));

  // The underscore comes back as written.
  TVelaCursor back;
  ASSERT_TRUE(Load(back, expected).ok);
  EXPECT_EQ(back.FieldByIndex(0)->Name, "First_Name");
  EXPECT_EQ(back.FieldByIndex(1)->Qualifier, "ABC");
  EXPECT_EQ(back.FieldByIndex(3)->ExtraText, "e");
}

TEST_F(TableWriter, NotesBlock) {
  c.AddField("N", TVelaFieldKind::Integer);
  c.SetNotes("about this table");
  Area a(c);
  a.set<int32_t>("N", 1);
  c.AppendRecord(a);
  Bytes body;
  body.text("*").i16(16).text("about this table").u8(4).i32(1);
  std::string expected = Table(1, 1, Section({"XXX.N i"}), body);
  EXPECT_EQ(Hex(Write(c)), Hex(expected));

  TVelaCursor back;
  ASSERT_TRUE(Load(back, expected).ok);
  EXPECT_EQ(back.Notes(), "about this table");
}

TEST_F(TableWriter, DeletedAndPurgedRecordsAreLeftOut) {
  std::string body = GroupRecord("a", 1) + GroupRecord("b", 2) + GroupRecord("c", 3);
  ASSERT_TRUE(Load(c, Table(3, 3, GroupSection(), body)).ok);
  std::string error;
  ASSERT_TRUE(c.DeleteRecord(c.Records()[1], error)) << error;
  Area fresh(c);
  fresh.text("CATEGORY", "gone");
  TVelaRecord* created = nullptr;
  ASSERT_TRUE(c.WriteRecord(fresh, nullptr, error, &created)) << error;
  ASSERT_TRUE(c.DeleteRecord(created, error)) << error;
  ASSERT_EQ(created->Status, rsPurged);

  std::string expected = Table(2, 3, GroupSection(), GroupRecord("a", 1) + GroupRecord("c", 3));
  EXPECT_EQ(Hex(Write(c)), Hex(expected));
  EXPECT_EQ(c.RecordCount(), 4);  // writing changes nothing in the store
}

TEST_F(TableWriter, InsertedRecordsFollowInPostingOrder) {
  ASSERT_TRUE(Load(c, Table(1, 3, GroupSection(), GroupRecord("a", 1))).ok);
  std::string error;
  for (const char* name : {"x", "y"}) {
    Area a(c);
    a.text("CATEGORY", name);
    ASSERT_TRUE(c.WriteRecord(a, nullptr, error)) << error;
  }
  std::string expected = Table(3, 3, GroupSection(), GroupRecord("a", 1) + GroupRecord("x", 2) + GroupRecord("y", 3));
  EXPECT_EQ(Hex(Write(c)), Hex(expected));
}

TEST_F(TableWriter, RoundTripIsIdentical) {
  std::string section = Section({"Q.Key a", "XXX.Name s400~N/A~", "R.Amount c", "XXX.When t", "XXX.Tiny 3~~kept",
                                 "XXX.Blob o", "XXX.Flag b", "XXX.Big e"});
  Bytes body;
  body.text("*").i16(3).text(std::string("n\0t", 3));
  body.raw({4, 4, 8, 0, 3, 0, 2, 0}).i32(1).counted("alpha").f64(9.99).text("abc").raw({0xFF, 0xFF});
  body.raw({4, 0, 0, 8, 0, 4, 0, 8}).i32(2).f64(kDateTime).counted(kBinary).i64(-1);
  body.raw({4, 4, 0, 0, 1, 0, 0, 0}).i32(5).counted(std::string(300, 'z')).text("q");
  std::string file = Table(3, 8, section, body);
  ASSERT_TRUE(Load(c, file).ok);
  std::string written = Write(c);
  EXPECT_EQ(Hex(written), Hex(file));
  EXPECT_GE(c.EstimateSize(), static_cast<int64_t>(written.size()));
  // Each record's stored size is its bytes in the file.
  EXPECT_EQ(c.Records()[0]->StoredSize, 8u + 4 + 9 + 8 + 3 + 2);
  EXPECT_EQ(c.Records()[1]->StoredSize, 8u + 4 + 8 + 7 + 8);
  EXPECT_EQ(c.Records()[2]->StoredSize, 8u + 4 + 304 + 1);
}

TEST_F(TableWriter, EntriesComeBackAsTheyWereRead) {
  // Read by the usual rules (no qualifier is "XXX", "s" alone is 100
  // characters, ":" is a SmallStr of 3), but written back byte for byte.
  const std::string file = Table(0, 9, Section({"Count i", "XXX.Text s", "XXX.Pad s0040", "XXX.Three :", "XXX.Junk bjunk",
                                                 "XXX.Lone i~", "XXX.LoneExtra i~x", "XXX.Tildes i~~", "XXX.Kept f~d~e"}));
  ASSERT_TRUE(Load(c, file).ok);
  EXPECT_EQ(c.FieldByIndex(0)->Qualifier, "XXX");
  EXPECT_EQ(c.FieldByIndex(1)->Size, 100);
  EXPECT_EQ(c.FieldByIndex(2)->Size, 40);
  EXPECT_EQ(c.FieldByIndex(3)->Kind, TVelaFieldKind::SmallStr);
  EXPECT_EQ(c.FieldByIndex(3)->Size, 3);
  EXPECT_EQ(c.FieldByIndex(4)->Kind, TVelaFieldKind::Boolean);
  EXPECT_EQ(c.FieldByIndex(6)->ExtraText, "x");
  EXPECT_EQ(Hex(Write(c)), Hex(file));
  // An entry the writer would build the same way is not kept twice.
  EXPECT_EQ(c.FieldByIndex(8)->Entry, "");
  EXPECT_EQ(c.FieldByIndex(0)->Entry, "Count i");
}

TEST_F(TableWriter, NegativeZeroIsWrittenWithItsSign) {
  c.AddField("DB", TVelaFieldKind::Double);
  c.AddField("CU", TVelaFieldKind::Currency);
  c.AddField("DT", TVelaFieldKind::DateTime);
  Area a(c);
  a.set<double>("DB", -0.0).set<double>("CU", 0.0).set<double>("DT", -0.0);
  c.AppendRecord(a);
  Bytes body;
  body.raw({8, 0, 8}).raw({0, 0, 0, 0, 0, 0, 0, 0x80}).raw({0, 0, 0, 0, 0, 0, 0, 0x80});
  EXPECT_EQ(Hex(Write(c)), Hex(Table(1, 3, Section({"XXX.DB f", "XXX.CU c", "XXX.DT t"}), body)));
}

// Sizing and writing agree on -0.0: records sized without its 8 bytes
// overran the buffer (a heap overflow under the sanitizers) and shifted
// the texts after it.
TEST_F(TableWriter, NegativeZeroIsSizedAsItIsWritten) {
  c.AddField("DB", TVelaFieldKind::Double);
  c.AddField("ST", TVelaFieldKind::String, 256);
  for (int i = 0; i < 2000; ++i) {
    Area a(c);
    a.set<double>("DB", -0.0).text("ST", "yyyyy");
    c.AppendRecord(a);
  }
  EXPECT_EQ(c.Records()[0]->StoredSize, 2u + 8 + 4 + 5);
  const std::string bytes = Write(c);
  EXPECT_EQ(static_cast<int64_t>(bytes.size()), c.EstimateSize());
  TVelaCursor back;
  auto r = Load(back, bytes);
  ASSERT_TRUE(r.ok) << r.error;
  ASSERT_EQ(back.RecordCount(), 2000);
  for (const TVelaRecord* rec : back.Records()) {
    ASSERT_EQ(Str(back, rec->Data, "ST"), "yyyyy");
    ASSERT_TRUE(std::signbit(data_area::Load<double>(rec->Data, *back.FindField("DB"))));
  }
}

// What the reader would not give back is refused before anything is written.
TEST_F(TableWriter, RefusesFirstRecordsThatReadAsNotesAndNamesThatBecomeOne) {
  TVelaField wide;  // as a file can hold it: a SmallStr wider than AddField makes
  wide.Qualifier = "XXX";
  wide.Name = "Name";
  wide.Kind = TVelaFieldKind::SmallStr;
  wide.Size = 49;
  c.AddDescriptor(wide);
  Area a(c);
  a.text("Name", std::string(42, 'x'));
  c.AppendRecord(a);
  try {
    Write(c);
    ADD_FAILURE() << "written";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("would take for a notes block"), std::string::npos) << e.what();
  }
  c.SetNotes("notes");  // with a notes block before it, the record reads as a record
  TVelaCursor back;
  ASSERT_TRUE(Load(back, Write(c)).ok);
  EXPECT_EQ(Str(back, back.Records()[0]->Data, "Name"), std::string(42, 'x'));

  TVelaCursor twins;
  twins.AddField("A b", TVelaFieldKind::Integer);
  twins.AddField("A_b", TVelaFieldKind::Integer);
  EXPECT_THROW(Write(twins), EDatabaseError);
}

// The counter never wraps around to a key already given.
TEST_F(TableWriter, AutoIncRefusesAKeyPastTheLargest) {
  c.AddField("Key", TVelaFieldKind::AutoInc);
  for (int32_t key : {std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min()}) {
    Area a(c);
    a.set<int32_t>("Key", key);
    c.AppendRecord(a);
  }
  Area fresh(c);
  std::string error;
  EXPECT_FALSE(c.WriteRecord(fresh, nullptr, error));
  EXPECT_EQ(error, "Field 'Key' has given out its last key (2147483647)");
  EXPECT_EQ(c.RecordCount(), 2);
}

TEST_F(TableWriter, ProgressCountsEveryEntry) {
  c.AddField("N", TVelaFieldKind::Integer);
  for (int i = 0; i < 8; ++i) {
    Area a(c);
    a.set<int32_t>("N", i + 1);
    c.AppendRecord(a);
  }
  std::string error;
  ASSERT_TRUE(c.DeleteRecord(c.Records()[3], error)) << error;
  ASSERT_TRUE(c.DeleteRecord(c.Records()[7], error)) << error;
  std::vector<int> seen;
  c.OnProgress = [&](int p) { seen.push_back(p); };
  Write(c);
  // (position + 1) * 100 / 8 with halves to even: the written entries' values
  // appear in rising order, and the run ends at 100 even though the last
  // entry is not written. (Whether a skipped entry reports is left open.)
  for (int expected : {12, 25, 38, 62, 75, 88})
    EXPECT_NE(std::find(seen.begin(), seen.end(), expected), seen.end()) << expected;
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  EXPECT_EQ(std::adjacent_find(seen.begin(), seen.end()), seen.end());
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), 100);
  const std::vector<int> possible{12, 25, 38, 50, 62, 75, 88, 100};
  for (int p : seen) EXPECT_NE(std::find(possible.begin(), possible.end(), p), possible.end()) << p;
}

TEST_F(TableWriter, EstimateCoversNotesAndTexts) {
  AddEveryKind(c);
  c.SetNotes(std::string(1000, 'n'));
  for (int i = 0; i < 20; ++i) AppendFullRecord(c);
  int64_t estimate = c.EstimateSize();
  EXPECT_GE(estimate, static_cast<int64_t>(Write(c).size()));
}

// ---- Saving to a file -----------------------------------------------------

class SaveToFileTest : public ::testing::Test {
protected:
  void SetUp() override {
    char tmpl[] = "/tmp/notarra-engine-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
    c.AddField("Name", TVelaFieldKind::SmallStr, 10);
    c.AddField("Id", TVelaFieldKind::AutoInc);
    for (const char* n : {"b", "C", "a"}) {
      Area a(c);
      a.text("Name", n);
      std::string error;
      ASSERT_TRUE(c.WriteRecord(a, nullptr, error)) << error;
    }
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string Expected(std::initializer_list<std::pair<const char*, int>> rows) {
    std::string body;
    for (auto [n, id] : rows) body += Bytes().u8(1).u8(4).text(n).i32(id).str();
    return Table(static_cast<uint32_t>(rows.size()), 2, Section({"XXX.Name A", "XXX.Id a"}), body);
  }

  fs::path dir;
  TVelaCursor c;
};

TEST_F(SaveToFileTest, WritesStoreOrder) {
  fs::path p = dir / "t.d";
  c.SaveToFile(p.string(), 0, false, "");
  EXPECT_EQ(Hex(ReadFile(p)), Hex(Expected({{"b", 1}, {"C", 2}, {"a", 3}})));
  EXPECT_FALSE(fs::exists(dir / "t.~d"));
}

TEST_F(SaveToFileTest, SortOnIndex) {
  fs::path p = dir / "t.d";
  c.SaveToFile(p.string(), savSortOnIndex, false, "Name");
  EXPECT_EQ(Hex(ReadFile(p)), Hex(Expected({{"C", 2}, {"a", 3}, {"b", 1}})));
  c.SaveToFile(p.string(), savSortOnIndex | savSlowMode, true, "name");
  EXPECT_EQ(Hex(ReadFile(p)), Hex(Expected({{"a", 3}, {"b", 1}, {"C", 2}})));
}

TEST_F(SaveToFileTest, AutoBackupKeepsThePreviousFile) {
  fs::path p = dir / "t.d";
  c.SaveToFile(p.string(), savAutoBackup, false, "");  // no previous file: no error, no backup
  EXPECT_FALSE(fs::exists(dir / "t.~d"));
  std::string first = ReadFile(p);

  std::string error;
  ASSERT_TRUE(c.DeleteRecord(c.Records()[0], error)) << error;
  c.SaveToFile(p.string(), savAutoBackup, false, "");
  EXPECT_EQ(ReadFile(dir / "t.~d"), first);
  EXPECT_EQ(Hex(ReadFile(p)), Hex(Expected({{"C", 2}, {"a", 3}})));

  // A second backup replaces the first.
  ASSERT_TRUE(c.DeleteRecord(c.Records()[1], error)) << error;
  std::string second = ReadFile(p);
  c.SaveToFile(p.string(), savAutoBackup, false, "");
  EXPECT_EQ(ReadFile(dir / "t.~d"), second);
}

TEST_F(SaveToFileTest, MissingFolderRaisesNamingTheFile) {
  std::string p = (dir / "no-such-folder" / "t.d").string();
  try {
    c.SaveToFile(p, 0, false, "");
    FAIL() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_NE(e.Message().find(p), std::string::npos) << e.Message();
  }
}

TEST_F(SaveToFileTest, FailedWriteLeavesOldFileUntouched) {
  fs::path p = dir / "t.d";
  const std::string old = "previous contents of the table file";
  WriteFile(p, old);
  // Make the new file too big to write (root ignores permissions, not this).
  for (int i = 0; i < 200; ++i) {
    Area a(c);
    a.text("Name", "xxxxxxxxxx");
    std::string error;
    ASSERT_TRUE(c.WriteRecord(a, nullptr, error)) << error;
  }
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small{saved};
  small.rlim_cur = 1024;
  setrlimit(RLIMIT_FSIZE, &small);
  bool raised = false;
  try {
    c.SaveToFile(p.string(), 0, false, "");
  } catch (const EInOutError& e) {
    raised = true;
    EXPECT_NE(e.Message().find(p.string()), std::string::npos) << e.Message();
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_TRUE(raised);
  EXPECT_EQ(ReadFile(p), old);
  // No temporary file left behind.
  int files = 0;
  for (auto& e : fs::directory_iterator(dir)) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(files, 1);
}

// A table refused part-way through (its header is in the temporary file by
// then) leaves the old file as it was and nothing beside it.
TEST_F(SaveToFileTest, ARefusalPartWayLeavesTheOldFileAndNoTemporaryFile) {
  const fs::path p = dir / "t.d";
  WriteFile(p, "previous contents");
  TVelaField wide;
  wide.Qualifier = "XXX";
  wide.Name = "Name";
  wide.Kind = TVelaFieldKind::SmallStr;
  wide.Size = 49;
  TVelaCursor refused;
  refused.AddDescriptor(wide);
  Area a(refused);
  a.text("Name", std::string(42, 'x'));
  refused.AppendRecord(a);
  EXPECT_THROW(refused.SaveToFile(p.string(), 0, false, ""), EDatabaseError);
  EXPECT_EQ(ReadFile(p), "previous contents");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

}  // namespace
