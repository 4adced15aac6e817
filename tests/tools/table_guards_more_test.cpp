// The tool's second round of guards: files it must not replace, outputs
// that are streams, what the exit status says once a table is written,
// passwords as table text, messages that hide nothing, and the command line.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <thread>

#include "platform/file_stream.h"
#include "tableengine/record_store.h"
#include "tableengine/vela_table.h"
#include "tool_test_support.h"
#include "tools/utf8.h"

using namespace notarra;

namespace {

using namespace tooltest;
namespace fs = std::filesystem;

std::string WriteAndGet(const std::string& path) {
  WriteFile(path, "");
  return path;
}

std::string Sample(const TempDir& dir) {
  EXPECT_EQ(RunTool({"init", dir / "data", "--sample"}).status, 0);
  return dir / "data/group.d";
}

TEST(FilesNotReplaced, GenerateRefusesAnExistingFileUnlessForced) {
  TempDir dir;
  WriteFile(dir / "mine.d", "precious");
  RunResult r = RunTool({"generate", dir / "mine.d", "--records", "3"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("already exists"), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(dir / "mine.d"), "precious");
  EXPECT_EQ(RunTool({"generate", dir / "mine.d", "--records", "3", "--force"}).status, 0);
  EXPECT_EQ(RunTool({"count", dir / "mine.d"}).out, "3\n");
  // More ideas than the machine has memory for are refused before any work.
  r = RunTool({"generate", dir / "huge.d", "--records", "2147483647"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("of memory"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir / "huge.d"));
}

TEST(FilesNotReplaced, StreamsAreWrittenIntoAndLinksToNothingAreRefused) {
  TempDir dir;
  const std::string table = Sample(dir);
  // A FIFO: the CSV flows into it and the FIFO stays one.
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = ReadFile(dir / "pipe"); });
  const RunResult r = RunTool({"export", table, "--csv", dir / "pipe"});
  reader.join();
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(received, RunTool({"export", table, "--csv", "-"}).out);
  EXPECT_TRUE(fs::is_fifo(dir / "pipe"));

  // A character device of our own (the null device's numbers) stays a device.
  const bool device = ::mknod((dir / "null").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
  if (device) {
    EXPECT_EQ(RunTool({"export", table, "--csv", dir / "null"}).status, 0);
    EXPECT_TRUE(fs::is_character_file(dir / "null"));
    fs::create_symlink(dir / "null", dir / "link.d");
    const RunResult w = RunTool({"write", dir / "link.d", "--from", "-", "--force"}, R"({"fields": []})");
    EXPECT_EQ(w.status, 1);
    EXPECT_NE(w.err.find("not a regular file"), std::string::npos) << w.err;
    EXPECT_TRUE(fs::is_character_file(dir / "null"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.d"));
  }

  fs::create_symlink(dir / "nowhere.d", dir / "dangling.d");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"write", dir / "dangling.d", "--from", "-"},
        std::vector<std::string>{"generate", dir / "dangling.d", "--records", "1"}}) {
    const RunResult w = RunTool(args, R"({"fields": []})");
    EXPECT_EQ(w.status, 1) << args[0];
  }
  EXPECT_TRUE(fs::is_symlink(dir / "dangling.d"));
  EXPECT_FALSE(fs::exists(dir / "nowhere.d"));
}

TEST(ExitStatus, OnceTheTableIsWrittenTheCommandSucceeded) {
  TempDir dir;
  const std::string table = Sample(dir);
  std::istringstream in("CATEGORY\r\nTravel\r\n");
  std::ostringstream out, err;
  out.setstate(std::ios::badbit);  // a closed pipe, a full disk
  EXPECT_EQ(RunNotarraTable({"import", table, "--csv", "-"}, in, out, err), 0);
  EXPECT_NE(err.str().find("the table was written, but its summary could not be printed"), std::string::npos);
  EXPECT_EQ(RunTool({"count", table}).out, "9\n");
}

TEST(Passwords, ANonAsciiPasswordIsTableTextBothWays) {
  TempDir dir;
  const std::string made = dir / "by-tool.d";
  ASSERT_EQ(RunTool({"write", made, "--from", "-", "--password", "K\xC3\xA4se"},
                    R"({"fields": [{"name": "A", "kind": "Integer"}], "records": [{"A": 7}]})")
                .status,
            0);
  // The program's password box gives Windows-1252 text.
  TVelaTable table;
  table.SetTableName(made);
  table.SetPassword("K\xE4se");
  table.Open();
  EXPECT_EQ(table.FieldByName("A")->AsInteger(), 7);
  table.Close();

  TVelaCursor byProgram;
  byProgram.AddField("A", TVelaFieldKind::Integer);
  byProgram.SetPassword("K\xE4se");
  byProgram.SaveToFile(dir / "by-program.d", 0, false, "");
  EXPECT_EQ(RunTool({"count", dir / "by-program.d", "--password", "K\xC3\xA4se"}).status, 0);

  const RunResult r = RunTool({"count", made, "--password", "\xE2\x82\xAC\xE4\xB8\xAD"});  // "€中"
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("Windows-1252"), std::string::npos) << r.err;
}

// A path that cannot be looked at says why (a folder the user may not search
// gives "Permission denied"; a name too long to look up stands in for it here,
// since the tests may run as root).
TEST(Messages, APathThatCannotBeLookedAtSaysWhy) {
  const RunResult r = RunTool({"count", "/tmp/" + std::string(300, 'n') + ".d"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("File name too long"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("does not exist"), std::string::npos) << r.err;
}

TEST(Messages, NothingIsHiddenInAMessage) {
  TempDir dir;
  Bytes file;
  const std::string text("before\0after \xE2\x80\xAE" "txt.exe \xE2\x80\x8B", 27);
  file.U32(static_cast<uint32_t>(5 + text.size())).U8('E').Text(text);
  WriteFile(dir / "e.d", file.Str());
  const RunResult r = RunTool({"count", dir / "e.d"});
  EXPECT_NE(r.err.find("before\\x00after \\xE2\\x80\\xAEtxt.exe \\xE2\\x80\\x8B"), std::string::npos) << r.err;
}

TEST(CommandLine, HelpVersionAndTheEndOfOptions) {
  const RunResult help = RunTool({"import", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("(dump, export, count, locate)"), std::string::npos);
  const RunResult version = RunTool({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("notarra-table ", 0), 0u);

  TempDir dir;
  const std::string table = Sample(dir);
  fs::copy_file(table, dir / "-odd.d");
  const std::string here = fs::current_path().string();
  fs::current_path(dir.Path());
  const RunResult count = RunTool({"count", "--", "-odd.d"});
  fs::current_path(here);
  EXPECT_EQ(count.status, 0) << count.err;
  EXPECT_EQ(count.out, "8\n");
}

TEST(Csv, BlankLinesAddNoRecordAndTrailingBytesAreNamedOnExport) {
  TempDir dir;
  const std::string table = Sample(dir);
  EXPECT_EQ(RunTool({"import", table, "--csv", "-"}, "CATEGORY,SELECTED\r\nTravel,true\r\n\r\n").status, 0);
  EXPECT_EQ(RunTool({"count", table}).out, "9\n");
  // A number, flag or date cell of blanks alone is empty; text keeps its blanks.
  ASSERT_EQ(RunTool({"init", dir / "ideas"}).status, 0);
  const RunResult blanks =
      RunTool({"import", dir / "ideas/Blog_Ideas.d", "--csv", "-"}, "Subject,Key,PubDate,Flag\r\n  A ,   ,  ,  \r\n");
  EXPECT_EQ(blanks.status, 0) << blanks.err;
  EXPECT_NE(RunTool({"dump", dir / "ideas/Blog_Ideas.d", "--format", "csv"}).out.find("false,  A ,,,,,,,1,,"),
            std::string::npos);
  std::string bytes = ReadFile(table);
  WriteFile(table, bytes + "xyz");
  const RunResult r = RunTool({"export", table, "--csv", "-"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.err.find("holds 3 bytes after the last record"), std::string::npos) << r.err;
}

}  // namespace

namespace {

TEST(FilterCheck, UnfinishedExpressionsAndLiteralsOfTheWrongTypeAreRefused) {
  TempDir dir;
  ASSERT_EQ(RunTool({"init", dir / "data", "--sample"}).status, 0);
  const std::string ideas = dir / "data/Blog_Ideas.d";
  for (const char* filter : {"Subject =", "Key > 5 AND Key", "Key > 5 AND", "Subject"}) {
    const RunResult r = RunTool({"count", ideas, "--filter", filter});
    EXPECT_EQ(r.status, 1) << filter;
    EXPECT_NE(r.err.find("is not a whole expression"), std::string::npos) << r.err;
  }
  const struct {
    const char* filter;
    const char* says;
  } wrong[] = {
      {"PubDate = '2001-04-04'", "'2001-04-04' is not a value of field 'PubDate', which is Date"},
      {"Flag = 'maybe'", "'maybe' is not a value of field 'Flag', which is Boolean"},
      {"Key > 2147483648", "'2147483648' is not a value of field 'Key', which is AutoInc"},
  };
  for (const auto& w : wrong) {
    for (const char* command : {"count", "dump", "export"}) {
      std::vector<std::string> args = {command, ideas, "--filter", w.filter};
      if (std::string(command) == "export") args.insert(args.end(), {"--csv", "-"});
      const RunResult r = RunTool(args);
      EXPECT_EQ(r.status, 1) << w.filter;
      EXPECT_NE(r.err.find(w.says), std::string::npos) << r.err;
      EXPECT_EQ(r.out, "");
    }
  }
  // What reads as its type still filters.
  EXPECT_EQ(RunTool({"count", ideas, "--filter", "Key > 5 AND Flag = TRUE"}).status, 0);
  EXPECT_EQ(RunTool({"count", ideas, "--filter", "PubDate > '1/1/2000'"}).status, 0);
}

}  // namespace

namespace {

TEST(BoundedInput, AnInputOverTheLimitIsRefusedBeforeItIsRead) {
  TempDir dir;
  std::filesystem::resize_file(WriteAndGet(dir / "huge.json"), std::uintmax_t{3} << 30);  // sparse: no disk used
  const RunResult r = RunTool({"write", dir / "t.d", "--from", dir / "huge.json"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("is larger than 2 GiB"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir / "t.d"));
}

}  // namespace

namespace {

// Values at the ends of every kind's stored range go through every command:
// under the sanitizers an overflow in any conversion fails the run, and the
// ends keep their order (the lowest day number once counted as a late date).
TEST(Extremes, EveryCommandTakesTheEndsOfEveryKind) {
  TempDir dir;
  const std::string table = dir / "x.d";
  const std::string json = R"({"fields": [
      {"name": "N", "kind": "Integer"}, {"name": "S", "kind": "SmallInt"}, {"name": "I", "kind": "Int64"},
      {"name": "D", "kind": "Date"}, {"name": "T", "kind": "Time"}, {"name": "F", "kind": "Double"},
      {"name": "C", "kind": "Currency"}, {"name": "W", "kind": "DateTime"}, {"name": "B", "kind": "Boolean"}],
    "records": [
      {"N": 1, "S": -32768, "I": -9223372036854775808, "D": -2147483648, "T": -2147483648, "F": "-Infinity",
       "C": -1.7976931348623157e308, "W": "-Infinity", "B": false},
      {"N": 2, "S": 32767, "I": 9223372036854775807, "D": 2147483647, "T": 2147483647, "F": "Infinity",
       "C": 1.7976931348623157e308, "W": "NaN", "B": true},
      {"N": 3, "S": 0, "I": 1, "D": "2000-06-15", "T": "12:00:00.000", "F": -0.0, "C": 5e-324,
       "W": "2000-06-15T12:00:00.000", "B": true}]})";
  ASSERT_EQ(RunTool({"write", table, "--from", "-"}, json).status, 0);
  const std::string dumped = RunTool({"dump", table}).out;
  ASSERT_EQ(RunTool({"write", dir / "again.d", "--from", "-"}, dumped).status, 0);
  EXPECT_EQ(ReadFile(dir / "again.d"), ReadFile(table));
  for (const char* field : {"S", "I", "D", "T", "F", "C", "W", "B"}) {
    EXPECT_EQ(RunTool({"count", table, "--index", field}).out, "3\n") << field;
    EXPECT_EQ(RunTool({"dump", table, "--index", field, "--format", "csv"}).status, 0) << field;
  }
  // Only the dated idea lies in a range from 1/1/2000; the lowest day number is not "late".
  EXPECT_EQ(RunTool({"count", table, "--criteria",
                     R"([{"field": "D", "match": "range", "min": "1/1/2000", "max": "12/31/2100"}])"})
                .out,
            "1\n");
  EXPECT_EQ(RunTool({"count", table, "--filter", "D > '1/1/2000'"}).out, "2\n");  // 2147483647 and 2000-06-15
  EXPECT_EQ(RunTool({"locate", table, "--key", "D", "--values", "2000-06-15"}).status, 0);
  EXPECT_EQ(RunTool({"export", table, "--csv", dir / "x.csv"}).status, 0);
  ASSERT_EQ(RunTool({"write", dir / "empty.d", "--from", "-"},
                    std::string(R"({"fields": )") + dumped.substr(dumped.find("["), dumped.find("]") - dumped.find("[") + 1) +
                        "}")
                .status,
            0);
  const RunResult imported = RunTool({"import", dir / "empty.d", "--csv", dir / "x.csv"});
  EXPECT_EQ(imported.status, 0) << imported.err;
  EXPECT_EQ(RunTool({"dump", dir / "empty.d"}).out, dumped);
}

}  // namespace

namespace {

// The engine's writer refuses what would not read back, whatever the path.
TEST(WriterRefusals, ImportAndWriteNeverMakeATableNobodyCanRead) {
  TempDir dir;
  const std::string table = dir / "h.d";
  ASSERT_EQ(RunTool({"write", table, "--from", "-"}, R"({"fields": [{"name": "H", "kind": "SmallStr", "size": 49}]})")
                .status,
            0);
  const std::string before = ReadFile(table);
  const RunResult r = RunTool({"import", table, "--csv", "-"}, "H\r\n*" + std::string(41, 'h') + "\r\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("notes block"), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(table), before);

  const RunResult w = RunTool({"write", dir / "ab.d", "--from", "-"},
                              R"({"fields": [{"name": "A b", "kind": "Integer"}, {"name": "A_b", "kind": "Integer"}]})");
  EXPECT_EQ(w.status, 1);
  EXPECT_NE(w.err.find("would both be written as 'A_b'"), std::string::npos) << w.err;
  EXPECT_FALSE(std::filesystem::exists(dir / "ab.d"));
}

}  // namespace
