// init and generate: the program's three tables, sample content and
// synthetic ideas; and one run of the real executable.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include <sys/wait.h>

#include "platform/date_time.h"
#include "platform/memory_stream.h"
#include "rtf/rtf_document.h"
#include "tableengine/record_values.h"
#include "tableengine/record_store.h"
#include "tool_test_support.h"
#include "tools/idea_generator.h"

using namespace notarra;

namespace {

using namespace tooltest;

struct Expected {
  const char* name;
  TVelaFieldKind kind;
  int size;
};

// Loads a table file the way the program opens it.
void Load(const std::string& path, TVelaCursor& cursor) {
  TMemoryStream s;
  s.LoadFromFile(path);
  s.SetPosition(0);
  std::string error;
  ASSERT_TRUE(cursor.LoadFromStream(s, error, true)) << path << ": " << error;
}

void ExpectSchema(const TVelaCursor& c, const std::vector<Expected>& fields) {
  ASSERT_EQ(c.FieldCount(), static_cast<int>(fields.size()));
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const TVelaField* f = c.FieldByIndex(static_cast<int>(i));
    EXPECT_EQ(f->Name, fields[i].name);
    EXPECT_EQ(f->Kind, fields[i].kind) << f->Name;
    EXPECT_EQ(f->Size, fields[i].size) << f->Name;
    EXPECT_EQ(f->Qualifier, "XXX") << f->Name;
  }
}

const std::vector<Expected> kIdeaSchema = {
    {"Flag", TVelaFieldKind::Boolean, 0},     {"Subject", TVelaFieldKind::String, 256},
    {"Group", TVelaFieldKind::SmallStr, 20},  {"Title", TVelaFieldKind::String, 256},
    {"Keywords", TVelaFieldKind::String, 256}, {"Notes", TVelaFieldKind::FmtMemo, 0},
    {"Published", TVelaFieldKind::String, 50}, {"PubDate", TVelaFieldKind::Date, 0},
    {"Key", TVelaFieldKind::AutoInc, 0},      {"UserField1", TVelaFieldKind::SmallStr, 20},
    {"UserField2", TVelaFieldKind::SmallStr, 20}};
const std::vector<Expected> kGroupSchema = {{"SELECTED", TVelaFieldKind::Boolean, 0},
                                            {"CATEGORY", TVelaFieldKind::SmallStr, 15},
                                            {"CKEY", TVelaFieldKind::AutoInc, 0}};
const std::vector<Expected> kUserSchema = {{"DataFile", TVelaFieldKind::SmallStr, 20},
                                           {"Fldname1", TVelaFieldKind::SmallStr, 20},
                                           {"Fldname2", TVelaFieldKind::SmallStr, 20}};

TEST(Init, CreatesTheThreeEmptyTables) {
  TempDir dir;
  const RunResult r = RunTool({"init", dir / "data"});
  ASSERT_EQ(r.status, 0) << r.err;
  // The empty group table is byte for byte the format's worked example.
  const std::string group = ReadFile(dir / "data/group.d");
  ASSERT_EQ(group.size(), 59u);
  EXPECT_EQ(group.substr(17), std::string("XXX.SELECTED b\x12XXX.CATEGORY F\x12XXX.CKEY a\x12\x14"));
  TVelaCursor ideas, groups, user;
  Load(dir / "data/Blog_Ideas.d", ideas);
  Load(dir / "data/group.d", groups);
  Load(dir / "data/User.d", user);
  ExpectSchema(ideas, kIdeaSchema);
  ExpectSchema(groups, kGroupSchema);
  ExpectSchema(user, kUserSchema);
  EXPECT_EQ(ideas.RecordCount() + groups.RecordCount() + user.RecordCount(), 0);
  // The idea table's entries, as the program's field objects expect them.
  const std::string ideaFile = ReadFile(dir / "data/Blog_Ideas.d");
  EXPECT_NE(ideaFile.find("XXX.Flag b\x12XXX.Subject s256\x12XXX.Group K\x12XXX.Title s256\x12XXX.Keywords s256\x12"
                          "XXX.Notes r\x12XXX.Published s50\x12XXX.PubDate d\x12XXX.Key a\x12XXX.UserField1 K\x12"
                          "XXX.UserField2 K\x12\x14"),
            std::string::npos);
}

TEST(Init, SampleDataIsConsistent) {
  TempDir dir;
  ASSERT_EQ(RunTool({"init", dir.Path().string(), "--sample"}).status, 0);
  TVelaCursor ideas, groups, user;
  Load(dir / "Blog_Ideas.d", ideas);
  Load(dir / "group.d", groups);
  Load(dir / "User.d", user);
  ExpectSchema(ideas, kIdeaSchema);

  std::set<std::string> categories;
  for (const TVelaRecord* r : groups.Records())
    categories.insert(std::string(record_values::GetText(r->Data, *groups.FindField("CATEGORY"))));
  EXPECT_GE(categories.size(), 6u);

  ASSERT_GE(ideas.RecordCount(), 24);
  const TVelaField& group = *ideas.FindField("Group");
  const TVelaField& key = *ideas.FindField("Key");
  const TVelaField& notes = *ideas.FindField("Notes");
  const TVelaField& pubDate = *ideas.FindField("PubDate");
  int flagged = 0, before2000 = 0, after2000 = 0, expectedKey = 0, formatted = 0;
  for (const TVelaRecord* r : ideas.Records()) {
    const std::string g(record_values::GetText(r->Data, group));
    // Every group an idea names is offered by the group table.
    if (!g.empty()) {
      EXPECT_TRUE(categories.count(g)) << g;
    }
    EXPECT_EQ(record_values::GetInteger(r->Data, key), ++expectedKey);
    // Notes are plain text, or RTF (a few, to show formatted notes) that
    // reads as formatted text.
    const std::string_view text = record_values::GetText(r->Data, notes);
    EXPECT_FALSE(text.empty());
    if (LooksLikeRtf(text)) {
      ++formatted;
      EXPECT_TRUE(ReadRtf(text).Formatted()) << text;
    } else {
      EXPECT_EQ(text.find('{'), std::string_view::npos) << text;
    }
    if (record_values::GetBoolean(r->Data, *ideas.FindField("Flag"))) ++flagged;
    const int32_t day = record_values::GetInteger(r->Data, pubDate);
    if (day && day < 730120) ++before2000;
    if (day >= 730120) ++after2000;
  }
  EXPECT_GT(flagged, 0);
  EXPECT_GT(formatted, 0);
  EXPECT_GT(before2000, 0);
  EXPECT_GT(after2000, 0);

  ASSERT_EQ(user.RecordCount(), 1);
  EXPECT_EQ(record_values::GetText(user.Records()[0]->Data, *user.FindField("DataFile")), "Blog_Ideas.d");
  EXPECT_FALSE(record_values::GetText(user.Records()[0]->Data, *user.FindField("Fldname1")).empty());

  // The sample texts survive the trip through JSON.
  const RunResult dump = RunTool({"dump", dir / "Blog_Ideas.d"});
  ASSERT_EQ(dump.status, 0);
  ASSERT_EQ(RunTool({"write", dir / "copy.d", "--from", "-"}, dump.out).status, 0);
  EXPECT_EQ(ReadFile(dir / "copy.d"), ReadFile(dir / "Blog_Ideas.d"));
}

TEST(Init, NeverOverwritesATable) {
  TempDir dir;
  WriteFile(dir / "group.d", "MINE");
  const RunResult r = RunTool({"init", dir.Path().string(), "--sample"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("group.d already exists"), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(dir / "group.d"), "MINE");
  EXPECT_FALSE(std::filesystem::exists(dir / "Blog_Ideas.d"));
  EXPECT_FALSE(std::filesystem::exists(dir / "User.d"));

  WriteFile(dir / "file", "x");
  EXPECT_EQ(RunTool({"init", dir / "file"}).status, 1);
}

TEST(Generate, SameSeedSameTableOtherSeedOtherTable) {
  TempDir dir;
  ASSERT_EQ(RunTool({"generate", dir / "a.d", "--records", "300", "--seed", "42"}).status, 0);
  ASSERT_EQ(RunTool({"generate", dir / "b.d", "--records", "300", "--seed", "42"}).status, 0);
  ASSERT_EQ(RunTool({"generate", dir / "c.d", "--records", "300", "--seed", "43"}).status, 0);
  EXPECT_EQ(ReadFile(dir / "a.d"), ReadFile(dir / "b.d"));
  EXPECT_NE(ReadFile(dir / "a.d"), ReadFile(dir / "c.d"));
  // The library call gives the same table as the command.
  TVelaCursor direct;
  GenerateIdeas(direct, 300, 42);
  TMemoryStream s;
  direct.WriteToStream(s);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size())),
            ReadFile(dir / "a.d"));
}

TEST(Generate, IdeasAreVariedAndFitTheirFields) {
  TVelaCursor c;
  GenerateIdeas(c, 2000, 7);
  ExpectSchema(c, kIdeaSchema);
  ASSERT_EQ(c.RecordCount(), 2000);
  const auto& f = [&](const char* name) -> const TVelaField& { return *c.FindField(name); };
  int32_t first = 0, last = 0;
  TryEncodeDayNumber(1995, 1, 1, first);
  TryEncodeDayNumber(2026, 12, 31, last);
  std::set<std::string> groups, subjects;
  int published = 0, emptyGroup = 0, flagged = 0;
  int32_t expectedKey = 0;
  for (const TVelaRecord* r : c.Records()) {
    const uint8_t* d = r->Data;
    EXPECT_EQ(record_values::GetInteger(d, f("Key")), ++expectedKey);
    const std::string_view subject = record_values::GetText(d, f("Subject"));
    EXPECT_GE(subject.size(), 10u);
    EXPECT_LE(subject.size(), 70u);
    subjects.insert(std::string(subject));
    const std::string_view title = record_values::GetText(d, f("Title"));
    EXPECT_GE(title.size(), 20u);
    EXPECT_LE(title.size(), 100u);
    EXPECT_LE(record_values::GetText(d, f("Keywords")).size(), 50u);
    const std::string_view notes = record_values::GetText(d, f("Notes"));
    EXPECT_GE(notes.size(), 100u);
    EXPECT_LE(notes.size(), 450u);
    const std::string g(record_values::GetText(d, f("Group")));
    if (g.empty()) {
      ++emptyGroup;
    } else {
      groups.insert(g);
    }
    const int32_t day = record_values::GetInteger(d, f("PubDate"));
    if (day) {
      ++published;
      EXPECT_GE(day, first);
      EXPECT_LE(day, last);
      EXPECT_FALSE(record_values::GetText(d, f("Published")).empty());
    }
    if (record_values::GetBoolean(d, f("Flag"))) ++flagged;
  }
  EXPECT_GE(groups.size(), 10u);
  EXPECT_GT(emptyGroup, 0);
  EXPECT_GT(flagged, 0);
  EXPECT_GT(published, 400);
  EXPECT_LT(published, 1600);
  EXPECT_GT(subjects.size(), 500u);
}

TEST(Generate, RefusesToReplaceAFile) {
  TempDir dir;
  WriteFile(dir / "ideas.d", "MINE");
  const RunResult r = RunTool({"generate", dir / "ideas.d", "--records", "5"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(ReadFile(dir / "ideas.d"), "MINE");
  ASSERT_EQ(RunTool({"generate", dir / "zero.d", "--records", "0"}).status, 0);
  TVelaCursor c;
  Load(dir / "zero.d", c);
  EXPECT_EQ(c.RecordCount(), 0);
}

// main() forwards its arguments and the standard streams to the tool.
TEST(Executable, RunsFromTheCommandLine) {
  TempDir dir;
  ASSERT_EQ(RunTool({"init", dir.Path().string(), "--sample"}).status, 0);
  const std::string command = std::string("'") + NOTARRA_TABLE_EXE + "' export '" + (dir / "group.d") + "' --csv -";
  FILE* p = ::popen(command.c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string out;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  const int status = ::pclose(p);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(out, RunTool({"export", dir / "group.d", "--csv", "-"}).out);
  EXPECT_EQ(out.substr(0, 24), "SELECTED,CATEGORY,CKEY\r\n");

  const std::string bad = std::string("'") + NOTARRA_TABLE_EXE + "' dump '" + (dir / "nope.d") + "' 2>/dev/null";
  const int badStatus = std::system(bad.c_str());
  ASSERT_TRUE(WIFEXITED(badStatus));
  EXPECT_EQ(WEXITSTATUS(badStatus), 1);
  const int usage = std::system((std::string("'") + NOTARRA_TABLE_EXE + "' 2>/dev/null").c_str());
  EXPECT_EQ(WEXITSTATUS(usage), 2);
}

}  // namespace
