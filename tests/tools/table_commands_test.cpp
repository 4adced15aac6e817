// notarra-table's table commands, driven in-process on files whose bytes the
// tests build by hand.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "tool_test_support.h"

using namespace notarra;

namespace {

using namespace tooltest;

// ---- A table with every kind -------------------------------------------------

const std::vector<std::string> kAllKindsEntries = {
    "XXX.SI l",  "XXX.IN i~42~shown as 42", "XXX.I6 e", "XXX.BO b", "XXX.DB f", "XXX.CU c",
    "XXX.DA d",  "XXX.TI v",                "XXX.DT t", "XXX.AI a", "Q1.SS A",  "XXX.ST s40",
    "XXX.BL o",  "XXX.ME m",                "XXX.FM r", "XXX.GR g"};

std::string AllKindsRecords() {
  Bytes b;
  // Record 1: every field set.
  for (uint8_t len : {2, 4, 8, 2, 8, 8, 4, 4, 8, 4, 4, 4, 4, 4, 4, 4}) b.U8(len);
  b.U16(0xFFFE).U32(0x7FFFFFFF).I64(-(int64_t(1) << 40)).U16(0xFFFF).F64(3.14).F64(12.5);
  b.U32(730120).U32(45296789).F64(730120.0 * 86400000 + 3723004).U32(7).Text("Caf\xE9");
  b.Counted("say \"hi\"\n\x80").Counted(std::string("\x00\xFF\x10", 3)).Counted("line1\r\nline2");
  b.Counted("{\\rtf1 x}").Counted("\x89PNG");
  // Record 2: every field empty.
  for (int i = 0; i < 16; ++i) b.U8(0);
  // Record 3: extremes, and dates and times that no calendar text shows.
  for (uint8_t len : {2, 0, 8, 0, 8, 8, 4, 4, 8, 4, 10, 4, 0, 0, 0, 0}) b.U8(len);
  b.U16(0x8000).I64(INT64_MAX).F64(1e-300).F64(-0.01).U32(static_cast<uint32_t>(-5)).U32(90000000).F64(1.5);
  b.U32(3).Text("0123456789").Counted(std::string(40, 'x'));
  return b.Str();
}

std::string AllKindsTable() { return PlainTable(kAllKindsEntries, 3, AllKindsRecords(), "Kept notes \xE9"); }

const char kAllKindsInfo[] =
    "{\n"
    "  \"kind\": \"plain\",\n"
    "  \"record_count\": 3,\n"
    "  \"notes\": \"Kept notes \xC3\xA9\",\n"
    "  \"fields\": [\n"
    "    {\"qualifier\": \"XXX\", \"name\": \"SI\", \"kind\": \"SmallInt\", \"size\": 0, \"default\": \"\", \"extra\": \"\"},\n"
    "    {\"qualifier\": \"XXX\", \"name\": \"IN\", \"kind\": \"Integer\", \"size\": 0, \"default\": \"42\", \"extra\": \"shown as 42\"},\n"
    "    {\"qualifier\": \"XXX\", \"name\": \"I6\", \"kind\": \"Int64\", \"size\": 0, \"default\": \"\", \"extra\": \"\"},\n"
    "    {\"qualifier\": \"XXX\", \"name\": \"BO\", \"kind\": \"Boolean\", \"size\": 0, \"default\": \"\", \"extra\": \"\"},\n"
    "    {\"qualifier\": \"XXX\", \"name\": \"DB\", \"kind\": \"Double\", \"size\": 0, \"default\": \"\", \"extra\": \"\"},\n"
    "    {\"qualifier\": \"XXX\", \"name\": \"CU\", \"kind\": \"Currency\", \"size\": 0, \"default\": \"\", \"extra\": \"\"},\n"
    "    {\"qualifier\": \"XXX\", \"name\": \"DA\", \"kind\": \"Date\", \"size\": 0, \"default\": \"\", \"extra\": \"\"},\n"
    "    {\"qualifier\": \"XXX\", \"name\": \"TI\", \"kind\": \"Time\", \"size\": 0, \"default\": \"\", \"extra\": \"\"},\n"
    "    {\"qualifier\": \"XXX\", \"name\": \"DT\", \"kind\": \"DateTime\", \"size\": 0, \"default\": \"\", \"extra\": \"\"},\n"
    "    {\"qualifier\": \"XXX\", \"name\": \"AI\", \"kind\": \"AutoInc\", \"size\": 0, \"default\": \"\", \"extra\": \"\"},\n"
    "    {\"qualifier\": \"Q1\", \"name\": \"SS\", \"kind\": \"SmallStr\", \"size\": 10, \"default\": \"\", \"extra\": \"\"},\n"
    "    {\"qualifier\": \"XXX\", \"name\": \"ST\", \"kind\": \"String\", \"size\": 40, \"default\": \"\", \"extra\": \"\"},\n"
    "    {\"qualifier\": \"XXX\", \"name\": \"BL\", \"kind\": \"BLOB\", \"size\": 0, \"default\": \"\", \"extra\": \"\"},\n"
    "    {\"qualifier\": \"XXX\", \"name\": \"ME\", \"kind\": \"Memo\", \"size\": 0, \"default\": \"\", \"extra\": \"\"},\n"
    "    {\"qualifier\": \"XXX\", \"name\": \"FM\", \"kind\": \"FmtMemo\", \"size\": 0, \"default\": \"\", \"extra\": \"\"},\n"
    "    {\"qualifier\": \"XXX\", \"name\": \"GR\", \"kind\": \"Graphic\", \"size\": 0, \"default\": \"\", \"extra\": \"\"}\n"
    "  ]";

const char kAllKindsRecordsJson[] =
    ",\n  \"records\": [\n"
    "    {\"SI\": -2, \"IN\": 2147483647, \"I6\": -1099511627776, \"BO\": true, \"DB\": 3.14, \"CU\": 12.5, "
    "\"DA\": \"2000-01-01\", \"TI\": \"12:34:56.789\", \"DT\": \"2000-01-01T01:02:03.004\", \"AI\": 7, "
    "\"SS\": \"Caf\xC3\xA9\", \"ST\": \"say \\\"hi\\\"\\n\xE2\x82\xAC\", \"BL\": \"AP8Q\", \"ME\": \"line1\\r\\nline2\", "
    "\"FM\": \"{\\\\rtf1 x}\", \"GR\": \"iVBORw==\"},\n"
    "    {\"SI\": 0, \"IN\": 0, \"I6\": null, \"BO\": false, \"DB\": 0, \"CU\": 0, \"DA\": null, "
    "\"TI\": \"00:00:00.000\", \"DT\": null, \"AI\": 0, \"SS\": null, \"ST\": null, \"BL\": null, \"ME\": null, "
    "\"FM\": null, \"GR\": null},\n"
    "    {\"SI\": -32768, \"IN\": 0, \"I6\": 9223372036854775807, \"BO\": false, \"DB\": 1e-300, \"CU\": -0.01, "
    "\"DA\": -5, \"TI\": 90000000, \"DT\": 1.5, \"AI\": 3, \"SS\": \"0123456789\", "
    "\"ST\": \"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\", \"BL\": null, \"ME\": null, \"FM\": null, \"GR\": null}\n"
    "  ]";

const char kAllKindsCsv[] =
    "SI,IN,I6,BO,DB,CU,DA,TI,DT,AI,SS,ST,BL,ME,FM,GR\r\n"
    "-2,2147483647,-1099511627776,true,3.14,12.5,2000-01-01,12:34:56.789,2000-01-01T01:02:03.004,7,Caf\xC3\xA9,"
    "\"say \"\"hi\"\"\n\xE2\x82\xAC\",AP8Q,\"line1\r\nline2\",{\\rtf1 x},iVBORw==\r\n"
    "0,0,,false,0,0,,00:00:00.000,,0,,,,,,\r\n"
    "-32768,0,9223372036854775807,false,1e-300,-0.01,-5,90000000,1.5,3,0123456789,"
    "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx,,,,\r\n";

// ---- The empty group table of the format's worked example -----------------------

const std::vector<std::string> kGroupEntries = {"XXX.SELECTED b", "XXX.CATEGORY F", "XXX.CKEY a"};

std::string GroupRecord(bool selected, std::string_view category, uint32_t key) {
  Bytes b;
  b.U8(selected ? 2 : 0).U8(static_cast<uint8_t>(category.size())).U8(4);
  if (selected) b.U16(0xFFFF);
  b.Text(category).U32(key);
  return b.Str();
}

class TableCommands : public ::testing::Test {
protected:
  TempDir dir;
};

TEST_F(TableCommands, WorkedExampleTableHasTheDocumentedBytes) {
  const std::string empty = PlainTable(kGroupEntries, 0, "");
  ASSERT_EQ(empty.size(), 59u);
  EXPECT_EQ(empty.substr(0, 17), std::string("\x3B\0\0\0\x53\0\0\0\0\x03\0\0\0\x2A\0\0\0", 17));
  EXPECT_EQ(GroupRecord(false, "Tech", 1), std::string("\0\x04\x04Tech\x01\0\0\0", 11));
}

TEST_F(TableCommands, InfoAndDumpOfTheEmptyGroupTable) {
  WriteFile(dir / "group.d", PlainTable(kGroupEntries, 0, ""));
  const RunResult info = RunTool({"info", dir / "group.d"});
  ASSERT_EQ(info.status, 0) << info.err;
  const std::string fields =
      "{\n  \"kind\": \"plain\",\n  \"record_count\": 0,\n  \"notes\": \"\",\n  \"fields\": [\n"
      "    {\"qualifier\": \"XXX\", \"name\": \"SELECTED\", \"kind\": \"Boolean\", \"size\": 0, \"default\": \"\", \"extra\": \"\"},\n"
      "    {\"qualifier\": \"XXX\", \"name\": \"CATEGORY\", \"kind\": \"SmallStr\", \"size\": 15, \"default\": \"\", \"extra\": \"\"},\n"
      "    {\"qualifier\": \"XXX\", \"name\": \"CKEY\", \"kind\": \"AutoInc\", \"size\": 0, \"default\": \"\", \"extra\": \"\"}\n"
      "  ]";
  EXPECT_EQ(info.out, fields + "\n}\n");
  const RunResult dump = RunTool({"dump", dir / "group.d"});
  ASSERT_EQ(dump.status, 0) << dump.err;
  EXPECT_EQ(dump.out, fields + ",\n  \"records\": []\n}\n");
  EXPECT_EQ(RunTool({"dump", dir / "group.d", "--format", "csv"}).out, "SELECTED,CATEGORY,CKEY\r\n");
}

TEST_F(TableCommands, DumpShowsRecordsInFileOrder) {
  // Keys 5 then 2: a normal open would sort by the key.
  WriteFile(dir / "group.d",
            PlainTable(kGroupEntries, 2, GroupRecord(true, "Tech", 5) + GroupRecord(false, "Home", 2)));
  const RunResult r = RunTool({"dump", dir / "group.d", "--format=csv"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "SELECTED,CATEGORY,CKEY\r\ntrue,Tech,5\r\nfalse,Home,2\r\n");
}

TEST_F(TableCommands, DumpReportsEveryKindAsTheDatasetDoes) {
  WriteFile(dir / "all.d", AllKindsTable());
  const RunResult info = RunTool({"info", dir / "all.d"});
  ASSERT_EQ(info.status, 0) << info.err;
  EXPECT_EQ(info.out, std::string(kAllKindsInfo) + "\n}\n");
  const RunResult dump = RunTool({"dump", dir / "all.d"});
  ASSERT_EQ(dump.status, 0) << dump.err;
  EXPECT_EQ(dump.out, std::string(kAllKindsInfo) + kAllKindsRecordsJson + "\n}\n");
}

TEST_F(TableCommands, WriteGivesBackTheDumpedFileByteForByte) {
  const std::string original = AllKindsTable();
  WriteFile(dir / "all.d", original);
  const RunResult dump = RunTool({"dump", dir / "all.d"});
  ASSERT_EQ(dump.status, 0) << dump.err;
  WriteFile(dir / "all.json", dump.out);

  const RunResult fromFile = RunTool({"write", dir / "copy.d", "--from", dir / "all.json"});
  ASSERT_EQ(fromFile.status, 0) << fromFile.err;
  EXPECT_EQ(fromFile.out, "Wrote 3 records to " + (dir / "copy.d") + "\n");
  EXPECT_EQ(ReadFile(dir / "copy.d"), original);

  const RunResult fromStdin = RunTool({"write", dir / "copy2.d", "--from", "-"}, dump.out);
  ASSERT_EQ(fromStdin.status, 0) << fromStdin.err;
  EXPECT_EQ(ReadFile(dir / "copy2.d"), original);
}

TEST_F(TableCommands, PasswordWritesAndOpensAProtectedTable) {
  WriteFile(dir / "all.d", AllKindsTable());
  const RunResult dump = RunTool({"dump", dir / "all.d"});
  ASSERT_EQ(dump.status, 0) << dump.err;
  ASSERT_EQ(RunTool({"write", dir / "p.d", "--from", "-", "--password", "s3cret"}, dump.out).status, 0);
  EXPECT_EQ(ReadFile(dir / "p.d")[4], 'P');

  const RunResult none = RunTool({"dump", dir / "p.d"});
  EXPECT_EQ(none.status, 1);
  EXPECT_NE(none.err.find("Invalid password. Table cannot be open"), std::string::npos) << none.err;
  EXPECT_EQ(RunTool({"info", dir / "p.d", "--password", "S3cret"}).status, 1);

  // The same records come back, and the table says it is protected.
  const RunResult opened = RunTool({"dump", dir / "p.d", "--password", "s3cret"});
  ASSERT_EQ(opened.status, 0) << opened.err;
  const std::string plainKind = "\"kind\": \"plain\"";
  std::string expected = dump.out;
  expected.replace(expected.find(plainKind), plainKind.size(), "\"kind\": \"protected\"");
  EXPECT_EQ(opened.out, expected);

  // A protected dump written back with its password stays protected and keeps every value.
  ASSERT_EQ(RunTool({"write", dir / "p2.d", "--from", "-", "--password", "s3cret"}, opened.out).status, 0);
  EXPECT_EQ(RunTool({"dump", dir / "p2.d", "--password", "s3cret"}).out, opened.out);
  EXPECT_EQ(RunTool({"write", dir / "p3.d", "--from", "-"}, opened.out).status, 1);
}

TEST_F(TableCommands, IndexOrdersDumpExportAndCount) {
  // Keys 3, 1, 2 in the file; the groups decide the order asked for.
  WriteFile(dir / "group.d", PlainTable(kGroupEntries, 3,
                                        GroupRecord(false, "tech", 3) + GroupRecord(true, "Home", 1) +
                                            GroupRecord(false, "Books", 2)));
  const std::string header = "SELECTED,CATEGORY,CKEY\r\n";
  EXPECT_EQ(RunTool({"dump", dir / "group.d", "--format", "csv", "--index", "CATEGORY"}).out,
            header + "false,Books,2\r\ntrue,Home,1\r\nfalse,tech,3\r\n");
  EXPECT_EQ(RunTool({"dump", dir / "group.d", "--format", "csv", "--index", "category", "--descending"}).out,
            header + "false,tech,3\r\ntrue,Home,1\r\nfalse,Books,2\r\n");
  // Case-sensitive order puts upper case first; without it "tech" sorts among the words.
  WriteFile(dir / "group2.d", PlainTable(kGroupEntries, 2, GroupRecord(false, "apple", 1) + GroupRecord(false, "Zoo", 2)));
  EXPECT_EQ(RunTool({"export", dir / "group2.d", "--csv", "-", "--index", "CATEGORY"}).out,
            header + "false,Zoo,2\r\nfalse,apple,1\r\n");
  EXPECT_EQ(RunTool({"export", dir / "group2.d", "--csv", "-", "--index", "CATEGORY", "--case-insensitive"}).out,
            header + "false,apple,1\r\nfalse,Zoo,2\r\n");

  const RunResult count = RunTool({"count", dir / "group.d", "--index", "CATEGORY"});
  ASSERT_EQ(count.status, 0) << count.err;
  EXPECT_EQ(count.out, "3\n");
  const RunResult unknown = RunTool({"count", dir / "group.d", "--index", "NOPE"});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_NE(unknown.err.find("NOPE"), std::string::npos) << unknown.err;
  EXPECT_EQ(RunTool({"count", dir / "group.d", "--descending", "extra"}).status, 2);
}

TEST_F(TableCommands, FilterKeepsTheRecordsTheTextAccepts) {
  WriteFile(dir / "group.d", PlainTable(kGroupEntries, 4,
                                        GroupRecord(false, "tech", 3) + GroupRecord(true, "Home", 1) +
                                            GroupRecord(true, "Books", 2) + GroupRecord(false, "TECH", 4)));
  const std::string header = "SELECTED,CATEGORY,CKEY\r\n";
  EXPECT_EQ(RunTool({"count", dir / "group.d", "--filter", "SELECTED = TRUE"}).out, "2\n");
  EXPECT_EQ(RunTool({"dump", dir / "group.d", "--format", "csv", "--filter", "CKEY > 1", "--index", "CATEGORY"}).out,
            header + "true,Books,2\r\nfalse,TECH,4\r\nfalse,tech,3\r\n");
  EXPECT_EQ(RunTool({"export", dir / "group.d", "--csv", "-", "--filter", "CATEGORY LIKE 't%'"}).out,
            header + "false,tech,3\r\nfalse,TECH,4\r\n");
  // Text equality follows the case option; LIKE ignores case either way.
  EXPECT_EQ(RunTool({"count", dir / "group.d", "--filter", "CATEGORY = 'tech'"}).out, "1\n");
  EXPECT_EQ(RunTool({"count", dir / "group.d", "--filter", "CATEGORY = 'tech'", "--filter-case-insensitive"}).out,
            "2\n");
  // The file is only read.
  const std::string before = ReadFile(dir / "group.d");
  RunTool({"export", dir / "group.d", "--csv", dir / "out.csv", "--filter", "CKEY = 2"});
  EXPECT_EQ(ReadFile(dir / "out.csv"), header + "true,Books,2\r\n");
  EXPECT_EQ(ReadFile(dir / "group.d"), before);

  // Errors exit with 1 and the engine's message.
  const RunResult unknown = RunTool({"count", dir / "group.d", "--filter", "Nosuch = 1"});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_EQ(unknown.err, "notarra-table: Field Nosuch is not found\n");
  const RunResult quote = RunTool({"dump", dir / "group.d", "--filter", "CATEGORY = 'x"});
  EXPECT_EQ(quote.status, 1);
  EXPECT_EQ(quote.err, "notarra-table: Unmatched quote\n");
  EXPECT_EQ(quote.out, "");
  const RunResult kinds = RunTool({"export", dir / "group.d", "--csv", "-", "--filter", "CKEY = CATEGORY"});
  EXPECT_EQ(kinds.status, 1);
  EXPECT_EQ(kinds.err, "notarra-table: Types of compared fields are not equal\n");
  EXPECT_EQ(RunTool({"count", dir / "group.d", "--filter"}).status, 2);
}

TEST_F(TableCommands, EveryByteOfTextSurvivesJsonAndCsv) {
  // All 256 code page bytes, the five that Windows-1252 leaves undefined included.
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  Bytes rec;
  rec.U8(4).U8(4).U8(35).Counted(all.substr(1)).Counted(all).Text(all.substr(0x81, 35));
  const std::string original = PlainTable({"XXX.ST s300", "XXX.ME m", "XXX.SS Z"}, 1, rec.Str());
  WriteFile(dir / "bytes.d", original);

  const RunResult dump = RunTool({"dump", dir / "bytes.d"});
  ASSERT_EQ(dump.status, 0) << dump.err;
  ASSERT_EQ(RunTool({"write", dir / "json.d", "--from", "-"}, dump.out).status, 0);
  EXPECT_EQ(ReadFile(dir / "json.d"), original);

  const std::string csvText = RunTool({"export", dir / "bytes.d", "--csv", "-"}).out;
  WriteFile(dir / "csv.d", PlainTable({"XXX.ST s300", "XXX.ME m", "XXX.SS Z"}, 0, ""));
  const RunResult imported = RunTool({"import", dir / "csv.d", "--csv", "-"}, csvText);
  ASSERT_EQ(imported.status, 0) << imported.err;
  EXPECT_EQ(ReadFile(dir / "csv.d"), original);
}

TEST_F(TableCommands, WriteBuildsTheWorkedExampleFromAShortDescription) {
  // qualifier, default, extra and the size of unsized kinds left out.
  const std::string json = R"({"fields": [
      {"name": "SELECTED", "kind": "Boolean"},
      {"name": "CATEGORY", "kind": "SmallStr", "size": 15},
      {"name": "CKEY", "kind": "AutoInc"}],
    "records": [{"CATEGORY": "Tech", "CKEY": 1, "SELECTED": false}, {"SELECTED": true, "CKEY": 9}]})";
  const RunResult r = RunTool({"write", dir / "group.d", "--from", "-"}, json);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(dir / "group.d"),
            PlainTable(kGroupEntries, 2, GroupRecord(false, "Tech", 1) + GroupRecord(true, "", 9)));

  const RunResult empty = RunTool({"write", dir / "empty.d", "--from", "-"},
                              R"({"records": [], "fields": [{"name": "SELECTED", "kind": "Boolean"},
                                  {"name": "CATEGORY", "kind": "SmallStr", "size": 15},
                                  {"name": "CKEY", "kind": "AutoInc", "size": 0}]})");
  ASSERT_EQ(empty.status, 0) << empty.err;
  EXPECT_EQ(ReadFile(dir / "empty.d"), PlainTable(kGroupEntries, 0, ""));
}

TEST_F(TableCommands, WriteAcceptsCalendarValuesAsTextOrRawNumbers) {
  const std::string json = R"({"fields": [{"name": "D", "kind": "Date"}, {"name": "T", "kind": "Time"},
      {"name": "DT", "kind": "DateTime"}],
    "records": [{"D": "2000-01-01", "T": "00:00:01", "DT": "2000-01-01 00:00:01.5"},
                {"D": 730120, "T": 1000, "DT": 63082368001500}]})";
  ASSERT_EQ(RunTool({"write", dir / "cal.d", "--from", "-"}, json).status, 0);
  Bytes rec;
  rec.U8(4).U8(4).U8(8).U32(730120).U32(1000).F64(730120.0 * 86400000 + 1500);
  EXPECT_EQ(ReadFile(dir / "cal.d"),
            PlainTable({"XXX.D d", "XXX.T v", "XXX.DT t"}, 2, rec.Str() + rec.Str()));
}

TEST_F(TableCommands, WriteKeepsKindsSizesAndQualifiersAsGiven) {
  const std::string json = R"({"notes": "n", "fields": [
      {"qualifier": "", "name": "Ten", "kind": "String", "size": 10},
      {"name": "Wide", "kind": "SmallStr", "size": 49},
      {"name": "", "kind": "Integer"},
      {"name": "Zero", "kind": "String", "size": 0},
      {"name": "Three", "kind": "SmallStr", "size": 3, "entry": "Three :~"},
      {"name": "First Name", "kind": "Boolean"}],
    "records": [{"Ten": "more than ten characters", "Wide": "x", "": 5, "Zero": "text", "Three": "abc", "First Name": true},
                {"Wide": "hhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhh"}]})";
  const RunResult r = RunTool({"write", dir / "exact.d", "--from", "-"}, json);
  ASSERT_EQ(r.status, 0) << r.err;
  Bytes recs;
  recs.U8(4).U8(1).U8(4).U8(4).U8(3).U8(2).Counted("more than ten characters").Text("x").U32(5).Counted("text");
  recs.Text("abc").U16(0xFFFF);
  recs.U8(0).U8(42).U8(0).U8(0).U8(0).U8(0).Text(std::string(42, 'h'));
  EXPECT_EQ(ReadFile(dir / "exact.d"),
            PlainTable({".Ten s10", "XXX.Wide h", "XXX. i", "XXX.Zero s0", "Three :~", "XXX.First_Name b"}, 2, recs.Str(), "n"));
}

TEST_F(TableCommands, WriteTakesRecordKeysWithoutRegardToCase) {
  const std::string json = R"({"fields": [{"name": "Caf\u00e9", "kind": "Integer"}, {"name": "B", "kind": "Integer"}],
    "records": [{"CAF\u00c9": 1, "b": 2}, {"B": 3}]})";
  ASSERT_EQ(RunTool({"write", dir / "keys.d", "--from", "-"}, json).status, 0);
  EXPECT_EQ(RunTool({"dump", dir / "keys.d", "--format", "csv"}).out, "Caf\xC3\xA9,B\r\n1,2\r\n0,3\r\n");
  const RunResult three = RunTool({"write", dir / "dup2.d", "--from", "-"},
                              R"({"fields": [{"name": "A", "kind": "Integer"}], "records": [{"A": 1, "a": 2}]})");
  EXPECT_EQ(three.status, 1);
  EXPECT_NE(three.err.find("record 1: field 'a' appears twice"), std::string::npos) << three.err;
}

TEST_F(TableCommands, ExportWritesRfc4180Csv) {
  WriteFile(dir / "all.d", AllKindsTable());
  const RunResult toStdout = RunTool({"export", dir / "all.d", "--csv", "-"});
  ASSERT_EQ(toStdout.status, 0) << toStdout.err;
  EXPECT_EQ(toStdout.out, kAllKindsCsv);
  EXPECT_EQ(RunTool({"dump", dir / "all.d", "--format", "csv"}).out, kAllKindsCsv);
  ASSERT_EQ(RunTool({"export", dir / "all.d", "--csv", dir / "all.csv"}).status, 0);
  EXPECT_EQ(ReadFile(dir / "all.csv"), kAllKindsCsv);
}

TEST_F(TableCommands, ExportedCsvImportsBackWithFreshKeys) {
  WriteFile(dir / "all.d", AllKindsTable());
  const RunResult dump = RunTool({"dump", dir / "all.d"});
  // An empty table of the same fields: the dump without its records.
  std::string fieldsOnly = dump.out.substr(0, dump.out.find(",\n  \"records\""));
  fieldsOnly = std::regex_replace(fieldsOnly, std::regex("\"record_count\": 3"), "\"record_count\": 0") + "\n}\n";
  ASSERT_EQ(RunTool({"write", dir / "empty.d", "--from", "-"}, fieldsOnly).status, 0);

  const RunResult imported = RunTool({"import", dir / "empty.d", "--csv", "-"}, kAllKindsCsv);
  ASSERT_EQ(imported.status, 0) << imported.err;
  EXPECT_EQ(imported.out, "Imported 3 records into " + (dir / "empty.d") + " (now 3)\n");
  // Everything comes back but the autoincrement values, which the table hands out anew.
  const std::regex key("\"AI\": -?[0-9]+");
  const std::string expected = std::regex_replace(dump.out, key, "\"AI\": #");
  const std::string back = RunTool({"dump", dir / "empty.d"}).out;
  EXPECT_EQ(std::regex_replace(back, key, "\"AI\": #"), expected);
  EXPECT_NE(back.find("\"AI\": 1,"), std::string::npos);
  EXPECT_NE(back.find("\"AI\": 3,"), std::string::npos);
}

TEST_F(TableCommands, ImportAppendsAfterTheFileOrderWithFreshKeys) {
  const std::string before = PlainTable(kGroupEntries, 2, GroupRecord(false, "Tech", 5) + GroupRecord(false, "Home", 2));
  WriteFile(dir / "group.d", before);
  // Header in another order and letter case; the key column is left out.
  const RunResult r = RunTool({"import", dir / "group.d", "--csv", "-"}, "category,Selected\r\nTravel,true\r\nBooks,\r\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(dir / "group.d"),
            PlainTable(kGroupEntries, 4,
                       GroupRecord(false, "Tech", 5) + GroupRecord(false, "Home", 2) +
                           GroupRecord(true, "Travel", 6) + GroupRecord(false, "Books", 7)));
}

TEST_F(TableCommands, ImportIgnoresGivenKeysAndReadsCellForms) {
  WriteFile(dir / "group.d", PlainTable(kGroupEntries, 1, GroupRecord(false, "Tech", 1)));
  WriteFile(dir / "in.csv", "\xEF\xBB\xBFSELECTED,CATEGORY,CKEY\n1,\"Caf\xC3\xA9, \"\"Bar\"\"\",99\nFALSE,x,\n");
  const RunResult r = RunTool({"import", dir / "group.d", "--csv", dir / "in.csv"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(dir / "group.d"),
            PlainTable(kGroupEntries, 3,
                       GroupRecord(false, "Tech", 1) + GroupRecord(true, "Caf\xE9, \"Bar\"", 2) +
                           GroupRecord(false, "x", 3)));
}

// ---- Refusals: exit 1, a message naming what is wrong, nothing written ---------

struct Refusal {
  const char* name;
  std::string input;
  const char* message;  // part of the error text
};

class WriteRefusals : public TableCommands, public ::testing::WithParamInterface<Refusal> {};

TEST_P(WriteRefusals, LeaveTheTargetUntouched) {
  const std::string target = dir / "target.d";
  WriteFile(target, "ORIGINAL");
  const RunResult r = RunTool({"write", target, "--from", "-"}, GetParam().input);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(GetParam().message), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(target), "ORIGINAL");
  EXPECT_EQ(r.out, "");
}

#define FIELDS(f) "{\"fields\": [" f "], \"records\": "
const Refusal kWriteRefusals[] = {
    {"UnknownKind", FIELDS(R"({"name": "A", "kind": "Text"})") "[]}", "field 1 ('A'): unknown kind 'Text'"},
    {"KindUnknown", FIELDS(R"({"name": "A", "kind": "Unknown"})") "[]}", "field 1 ('A'): kind Unknown"},
    {"KindNameCase", FIELDS(R"({"name": "A", "kind": "smallint"})") "[]}", "unknown kind 'smallint'"},
    {"MissingSize", FIELDS(R"({"name": "A", "kind": "String"})") "[]}", "field 1 ('A'): \"size\" is missing"},
    {"SizeOnUnsized", FIELDS(R"({"name": "A", "kind": "Integer", "size": 4})") "[]}", "has no size"},
    {"SmallStrTooBig", FIELDS(R"({"name": "A", "kind": "SmallStr", "size": 300})") "[]}", "size 300 cannot be stored"},
    {"QualifierWithDot", FIELDS(R"({"name": "A", "kind": "Integer", "qualifier": "a.b"})") "[]}",
     "\"qualifier\" cannot hold '.'"},
    {"DefaultWithTilde", FIELDS(R"({"name": "A", "kind": "Integer", "default": "1~2"})") "[]}",
     "\"default\" cannot hold '~'"},
    {"UnknownFieldMember", FIELDS(R"({"name": "A", "kind": "Integer", "width": 3})") "[]}", "unknown member \"width\""},
    {"WrongTypeInteger", FIELDS(R"({"name": "N", "kind": "Integer"})") R"([{"N": 1}, {"N": "12"}]})",
     "record 2, field 'N': expected an integer, got \"12\""},
    {"FractionForInteger", FIELDS(R"({"name": "N", "kind": "Integer"})") R"([{"N": 1.5}]})",
     "record 1, field 'N': expected an integer"},
    {"SmallIntRange", FIELDS(R"({"name": "N", "kind": "SmallInt"})") R"([{"N": 40000}]})",
     "record 1, field 'N': value 40000 is out of range for SmallInt"},
    {"IntegerRange", FIELDS(R"({"name": "N", "kind": "AutoInc"})") R"([{"N": 2147483648}]})", "out of range"},
    {"WrongTypeBoolean", FIELDS(R"({"name": "B", "kind": "Boolean"})") R"([{"B": 1}]})",
     "record 1, field 'B': expected true or false"},
    {"WrongTypeText", FIELDS(R"({"name": "S", "kind": "SmallStr", "size": 5})") R"([{"S": 5}]})",
     "record 1, field 'S': expected a string"},
    {"TooLongSmallStr", FIELDS(R"({"name": "S", "kind": "SmallStr", "size": 3})") R"([{"S": "abc"}, {"S": "abcd"}]})",
     "record 2, field 'S': text of 4 characters is longer than the field (at most 3)"},
    {"TooLongString", FIELDS(R"({"name": "S", "kind": "String", "size": 32767})") "[{\"S\": \"" + std::string(8192, 'y') +
                                                                                  "\"}]}",
     "record 1, field 'S': text of 8192 characters is longer than the field (at most 8191)"},
    {"Unrepresentable", FIELDS(R"({"name": "S", "kind": "String", "size": 20})") R"([{"S": "ok \u4e2d"}])" "}",
     "record 1, field 'S': character U+4E2D"},
    {"UnrepresentableMemo", FIELDS(R"({"name": "M", "kind": "Memo"})") "[{\"M\": \"\xF0\x9F\x98\x80\"}]}",
     "record 1, field 'M': character U+1F600"},
    {"InvalidDate", FIELDS(R"({"name": "D", "kind": "Date"})") R"([{"D": "2023-02-29"}]})",
     "record 1, field 'D': expected a date"},
    {"InvalidTime", FIELDS(R"({"name": "T", "kind": "Time"})") R"([{"T": "25:00:00"}]})", "record 1, field 'T'"},
    {"BadBase64", FIELDS(R"({"name": "G", "kind": "Graphic"})") R"([{"G": "abc"}]})", "record 1, field 'G': base64"},
    {"UnknownField", FIELDS(R"({"name": "A", "kind": "Integer"})") R"([{"B": 1}]})", "record 1: unknown field 'B'"},
    {"ArrayValue", FIELDS(R"({"name": "A", "kind": "Integer"})") R"([{"A": [1]}]})", "record 1, field 'A': got an array"},
    {"RecordNotObject", FIELDS(R"({"name": "A", "kind": "Integer"})") R"([[1]]})", "record 1: expected an object"},
    {"CountMismatch", R"({"record_count": 2, "fields": [{"name": "A", "kind": "Integer"}], "records": [{}]})",
     "\"record_count\" is 2 but 1 records are given"},
    {"ProtectedKindWithoutPassword", R"({"kind": "protected", "fields": []})", "needs --password"},
    {"NoFields", R"({"records": []})", "\"fields\" is missing"},
    {"EntryOfAnotherField", FIELDS(R"({"name": "A", "kind": "SmallStr", "size": 3, "entry": "XXX.B :"})") "[]}",
     "field 1 ('A'): \"entry\" 'XXX.B :' does not read back as this field"},
    {"EntryOfAnotherSize", FIELDS(R"({"name": "A", "kind": "String", "size": 10, "entry": "XXX.A s"})") "[]}",
     "\"entry\" 'XXX.A s' does not read back"},
    {"SmallStrCodeOfAKind", FIELDS(R"({"name": "A", "kind": "SmallStr", "size": 43})") "[]}", "size 43 cannot be stored"},
    {"FirstRecordLooksLikeNotes", FIELDS(R"({"name": "H", "kind": "SmallStr", "size": 49})")
     "[{\"H\": \"" + std::string(42, 'h') + "\"}]}",
     "record 1, field 'H': a first record whose first field holds 42 characters would read back as a notes block"},
    {"RecordsWithoutFields", R"({"fields": [], "records": [{}, {}]})",
     "the table has no fields, so it cannot hold the 2 records given"},
    {"RecordsBeforeNoFields", R"({"records": [{}], "fields": []})", "cannot hold the 1 record given"},
    {"SameFieldName", FIELDS(R"({"name": "Caf\u00e9", "kind": "Integer"}, {"name": "CAF\u00c9", "kind": "Boolean"})") "[]}",
     "field 2 ('CAF\xC3\x89'): field 1 ('Caf\xC3\xA9') has the same name"},
    {"UnknownTopMember", R"({"fields": [], "rows": []})", "unknown member \"rows\""},
    {"NotesNotRepresentable", R"({"notes": "\u4e2d", "fields": []})", "\"notes\""},
    {"BadJson", "{\"fields\": [\n  {\"name\": \"A\", \"kind\": \"Integer\"},\n]}", "JSON error at line 3, column 1"},
    {"Empty", "", "JSON error at line 1, column 1"},
};
#undef FIELDS

INSTANTIATE_TEST_SUITE_P(Refused, WriteRefusals, ::testing::ValuesIn(kWriteRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

class ImportRefusals : public TableCommands, public ::testing::WithParamInterface<Refusal> {};

TEST_P(ImportRefusals, LeaveTheTableUntouched) {
  const std::string table = PlainTable(kGroupEntries, 1, GroupRecord(false, "Tech", 1));
  WriteFile(dir / "group.d", table);
  const RunResult r = RunTool({"import", dir / "group.d", "--csv", "-"}, GetParam().input);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(GetParam().message), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(dir / "group.d"), table);
}

const Refusal kImportRefusals[] = {
    {"UnknownHeaderField", "CATEGORY,COLOUR\r\nx,red\r\n", "CSV header, column 2: unknown field 'COLOUR'"},
    {"RepeatedHeaderField", "CATEGORY,category\r\n", "column 2: field 'category' appears twice"},
    {"WrongBoolean", "CATEGORY,SELECTED\r\nok,true\r\nx,maybe\r\n", "record 2 (line 3), field 'SELECTED': expected true or false"},
    {"TooLong", "CATEGORY\r\nabcdefghijklmnop\r\n", "record 1 (line 2), field 'CATEGORY': text of 16 characters"},
    {"Unrepresentable", "CATEGORY\r\n\xE4\xB8\xAD\r\n", "record 1 (line 2), field 'CATEGORY': character U+4E2D"},
    {"InvalidUtf8", "CATEGORY\r\n\xC3\r\n", "field 'CATEGORY': text is not valid UTF-8"},
    {"WrongKeyType", "CKEY\r\nseven\r\n", "field 'CKEY': expected an integer"},
    {"ShortRow", "CATEGORY,SELECTED\r\nx\r\n", "record 1 (line 2): 1 value, but the header names 2 fields"},
    {"BadQuoting", "CATEGORY\r\n\"x\r\n", "CSV error on line 2"},
    {"EmptyCsv", "", "the CSV is empty"},
};

INSTANTIATE_TEST_SUITE_P(Refused, ImportRefusals, ::testing::ValuesIn(kImportRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Tables that do not open ------------------------------------------------------

TEST_F(TableCommands, TablesThatFailToOpenGiveTheReadersMessage) {
  struct Case {
    const char* name;
    std::string bytes;
    const char* message;
  };
  std::string badKind = PlainTable(kGroupEntries, 0, "");
  badKind[4] = 'X';
  std::string minusOne = PlainTable(kGroupEntries, 1, GroupRecord(false, "Tech", 1));
  minusOne[5] = minusOne[6] = minusOne[7] = minusOne[8] = '\xFF';
  std::string hugeSection = PlainTable(kGroupEntries, 0, "");
  hugeSection[13] = '\xA0', hugeSection[14] = '\x86', hugeSection[15] = '\x01';  // 100000
  const Case cases[] = {
      {"kind byte", badKind, "Buffer structure corruption!"},
      {"header cut short", std::string("\x10\0\0\0S\0\0", 7), "Buffer structure corruption!"},
      {"section too long", hugeSection, "Buffer structure corruption!"},
      {"error text", std::string("\0\0\0\0ETable was never saved", 26), "Table was never saved"},
      {"record cut short", PlainTable(kGroupEntries, 1, GroupRecord(false, "Tech", 1).substr(0, 6)),
       "Unexpected end of buffer"},
      {"missing record", PlainTable(kGroupEntries, 2, GroupRecord(false, "Tech", 1)),
       "Number of records read (1) does not match declared record count (2)"},
      {"count of -1", minusOne, "Number of records read (1) does not match declared record count (-1)"},
  };
  for (const Case& c : cases) {
    WriteFile(dir / "bad.d", c.bytes);
    for (const char* command : {"info", "dump"}) {
      const RunResult r = RunTool({command, dir / "bad.d"});
      EXPECT_EQ(r.status, 1) << c.name;
      EXPECT_EQ(r.err, "notarra-table: cannot open table " + (dir / "bad.d") + ": " + c.message + "\n") << c.name;
      EXPECT_EQ(r.out, "") << c.name;
    }
    const RunResult imp = RunTool({"import", dir / "bad.d", "--csv", "-"}, "CATEGORY\r\nx\r\n");
    EXPECT_EQ(imp.status, 1) << c.name;
    EXPECT_EQ(ReadFile(dir / "bad.d"), c.bytes) << c.name;
  }
}

TEST_F(TableCommands, MissingFilesAreClearErrors) {
  const RunResult info = RunTool({"info", dir / "nope.d"});
  EXPECT_EQ(info.status, 1);
  EXPECT_EQ(info.err, "notarra-table: table file " + (dir / "nope.d") + " does not exist\n");
  const RunResult write = RunTool({"write", dir / "t.d", "--from", dir / "nope.json"});
  EXPECT_EQ(write.status, 1);
  EXPECT_NE(write.err.find("does not exist"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir / "t.d"));
  const RunResult folder = RunTool({"dump", dir.Path().string()});
  EXPECT_EQ(folder.status, 1);
  EXPECT_NE(folder.err.find("is a folder"), std::string::npos);
}

// ---- locate ------------------------------------------------------------------------

std::string GroupJson(bool selected, const std::string& category, int key) {
  return std::string("{\"SELECTED\": ") + (selected ? "true" : "false") + ", \"CATEGORY\": \"" + category +
         "\", \"CKEY\": " + std::to_string(key) + "}\n";
}

TEST_F(TableCommands, LocatePrintsTheFirstMatchingRecordInTheOrderAskedFor) {
  WriteFile(dir / "group.d", PlainTable(kGroupEntries, 4,
                                        GroupRecord(false, "tech", 3) + GroupRecord(true, "Home", 1) +
                                            GroupRecord(false, "Books", 2) + GroupRecord(true, "TECH", 4)));
  const std::string file = dir / "group.d";
  const RunResult home = RunTool({"locate", file, "--key", "CATEGORY", "--values", "Home"});
  ASSERT_EQ(home.status, 0) << home.err;
  EXPECT_EQ(home.out, GroupJson(true, "Home", 1));
  EXPECT_EQ(RunTool({"locate", file, "--key", "category", "--values", "TECH"}).out, GroupJson(true, "TECH", 4));
  // Without regard to case the first match wins: by key, or by the index given.
  EXPECT_EQ(RunTool({"locate", file, "--key", "CATEGORY", "--values", "TECH", "--case-insensitive"}).out,
            GroupJson(false, "tech", 3));
  EXPECT_EQ(RunTool({"locate", file, "--key", "CATEGORY", "--values", "tech", "--case-insensitive", "--index",
                     "CATEGORY"}).out,
            GroupJson(true, "TECH", 4));
  EXPECT_EQ(RunTool({"locate", file, "--key", "CATEGORY", "--values", "Bo", "--partial"}).out,
            GroupJson(false, "Books", 2));
  EXPECT_EQ(RunTool({"locate", file, "--key", "CATEGORY", "--values", "h", "--partial", "--case-insensitive"}).out,
            GroupJson(true, "Home", 1));
  // Several fields; a Boolean index lists true first, so the search runs over an ordered list.
  EXPECT_EQ(RunTool({"locate", file, "--key", "SELECTED;CATEGORY", "--values", "true;TECH"}).out,
            GroupJson(true, "TECH", 4));
  EXPECT_EQ(RunTool({"locate", file, "--key", "SELECTED", "--values", "false", "--index", "SELECTED;CATEGORY"}).out,
            GroupJson(false, "Books", 2));
  EXPECT_EQ(RunTool({"locate", file, "--key", "CKEY", "--values", "2"}).out, GroupJson(false, "Books", 2));

  const RunResult none = RunTool({"locate", file, "--key", "CATEGORY", "--values", "bo", "--partial"});
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.out, "");
  EXPECT_EQ(none.err, "notarra-table: no record found\n");
}

TEST_F(TableCommands, LocateReadsValuesInTheDumpForms) {
  WriteFile(dir / "all.d", AllKindsTable());
  const std::string file = dir / "all.d";
  for (const std::vector<std::string>& extra : {std::vector<std::string>{}, std::vector<std::string>{"--partial"}}) {
    std::vector<std::string> args = {"locate", file, "--key", "DA;BO;ST", "--values", "2000-01-01;true;say \"hi\"\n\u20ac"};
    args.insert(args.end(), extra.begin(), extra.end());
    const RunResult r = RunTool(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"AI\": 7"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1);  // one line
  }
  EXPECT_NE(RunTool({"locate", file, "--key", "DB", "--values", "1e-300"}).out.find("\"AI\": 3"), std::string::npos);
}

TEST_F(TableCommands, LocateRefusesWrongKeysAndValues) {
  WriteFile(dir / "group.d", PlainTable(kGroupEntries, 1, GroupRecord(false, "tech", 1)));
  const std::string file = dir / "group.d";
  const RunResult type = RunTool({"locate", file, "--key", "CKEY", "--values", "x"});
  EXPECT_EQ(type.status, 1);
  EXPECT_NE(type.err.find("field 'CKEY'"), std::string::npos) << type.err;
  const RunResult unknown = RunTool({"locate", file, "--key", "NOPE", "--values", "x"});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_EQ(unknown.err, "notarra-table: Field 'NOPE' not found\n");
  EXPECT_EQ(RunTool({"locate", file, "--key", "CKEY;CATEGORY", "--values", "1"}).status, 2);
  EXPECT_EQ(RunTool({"locate", file, "--key", "CKEY"}).status, 2);
  EXPECT_EQ(RunTool({"locate", file, "--values", "1"}).status, 2);
  EXPECT_EQ(RunTool({"locate", dir / "nope.d", "--key", "CKEY", "--values", "1"}).status, 1);
}

// ---- Usage ---------------------------------------------------------------------------

TEST(Usage, WrongCommandLinesExitWithStatus2) {
  const std::vector<std::vector<std::string>> wrong = {
      {},
      {"frobnicate"},
      {"info"},
      {"info", "a.d", "b.d"},
      {"info", "a.d", "--format", "csv"},
      {"dump", "a.d", "--format", "xml"},
      {"dump", "a.d", "--format"},
      {"dump", "a.d", "-x"},
      {"write", "a.d"},
      {"write", "a.d", "--from", "x", "--from", "y"},
      {"import", "a.d"},
      {"export", "a.d"},
      {"init"},
      {"init", "d", "--sample=yes"},
      {"generate", "a.d"},
      {"generate", "a.d", "--records", "many"},
      {"generate", "a.d", "--records", "-1"},
      {"generate", "a.d", "--records", "10", "--seed", "-3"},
  };
  for (const auto& args : wrong) {
    const RunResult r = RunTool(args);
    std::string joined;
    for (const auto& a : args) joined += a + " ";
    EXPECT_EQ(r.status, 2) << joined;
    EXPECT_NE(r.err.find("Usage:"), std::string::npos) << joined;
    EXPECT_EQ(r.out, "") << joined;
  }
}

TEST(Usage, HelpGoesToStandardOutput) {
  for (const char* h : {"--help", "-h", "help"}) {
    const RunResult r = RunTool({h});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, NotarraTableUsage());
    EXPECT_EQ(r.err, "");
  }
}

}  // namespace
