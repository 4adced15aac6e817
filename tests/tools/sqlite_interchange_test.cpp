// export --sqlite and import --sqlite, checked through Debian's sqlite3
// command: the ideas go out with SQL types, are changed with SQL, and come
// back; what SQLite cannot hold as such (NaN, bytes, odd dates) survives;
// bad rows and tables are refused with the table file left as it was.
#include <cstdio>
#include <memory>

#include "tool_test_support.h"

using namespace tooltest;

namespace {

// What the sqlite3 command prints for sql on db (rows as "a|b" lines). The
// SQL goes in on standard input, so that it needs no quoting for the shell.
std::string Sql(const std::string& db, const std::string& sql) {
  const std::string script = db + ".sql";
  WriteFile(script, sql + ";\n");
  const std::string command = "sqlite3 '" + db + "' < '" + script + "' 2>&1";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::string out;
  char buf[4096];
  for (std::size_t n; pipe && (n = fread(buf, 1, sizeof buf, pipe.get())) > 0;) out.append(buf, n);
  return out;
}

std::string CsvOf(const std::string& table) {
  const RunResult r = RunTool({"export", table, "--csv", "-"});
  EXPECT_EQ(r.status, 0) << r.err;
  return r.out;
}

class SqliteInterchange : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_EQ(RunTool({"init", dir / "from", "--sample"}).status, 0);
    ASSERT_EQ(RunTool({"init", dir / "to"}).status, 0);
  }
  std::string From() const { return dir / "from/Blog_Ideas.d"; }
  std::string To() const { return dir / "to/Blog_Ideas.d"; }
  std::string Db() const { return dir / "ideas.db"; }
  TempDir dir;
};

TEST_F(SqliteInterchange, IdeasGoOutWithSqlTypesAreChangedInSqlAndComeBack) {
  const RunResult out = RunTool({"export", From(), "--sqlite", Db()});
  ASSERT_EQ(out.status, 0) << out.err;
  EXPECT_EQ(out.out, "Exported 36 records to table Blog_Ideas of " + Db() + "\n");
  EXPECT_EQ(Sql(Db(), "SELECT count(*) FROM Blog_Ideas"), "36\n");
  // The key is the row id; flags are 0 or 1, dates ISO text, notes text.
  EXPECT_EQ(Sql(Db(), "SELECT name FROM pragma_table_info('Blog_Ideas') WHERE pk = 1"), "Key\n");
  EXPECT_EQ(Sql(Db(), "SELECT DISTINCT typeof(Flag), typeof(Key), typeof(Subject), typeof(Notes) FROM Blog_Ideas"),
            "integer|integer|text|text\n");
  EXPECT_EQ(Sql(Db(), "SELECT count(*) FROM Blog_Ideas WHERE Flag NOT IN (0, 1)"), "0\n");
  EXPECT_EQ(Sql(Db(), "SELECT count(*) FROM Blog_Ideas WHERE PubDate IS NOT NULL AND date(PubDate) IS NOT PubDate"),
            "0\n");
  // Accented letters arrive as UTF-8.
  EXPECT_NE(Sql(Db(), "SELECT Subject FROM Blog_Ideas WHERE Subject LIKE 'Cr%me%'").find("Cr\xC3\xA8me"),
            std::string::npos);

  // Changed with SQL, then brought into the empty table of another folder.
  const std::string subject = Sql(Db(), "SELECT Subject FROM Blog_Ideas WHERE Key = 3");
  ASSERT_GT(subject.size(), 1u);
  ASSERT_EQ(subject.find_first_of(",\""), std::string::npos);
  Sql(Db(), "UPDATE Blog_Ideas SET Subject = Subject || ' (SQL)' WHERE Key = 3");
  const RunResult in = RunTool({"import", To(), "--sqlite", Db(), "--table", "Blog_Ideas"});
  ASSERT_EQ(in.status, 0) << in.err;
  EXPECT_EQ(in.out, "Imported 36 records into " + To() + " (now 36)\n");
  std::string expected = CsvOf(From());
  const std::string was = subject.substr(0, subject.size() - 1);
  expected.replace(expected.find("," + was + ","), was.size() + 2, "," + was + " (SQL),");
  EXPECT_EQ(CsvOf(To()), expected);
}

TEST_F(SqliteInterchange, OddValuesSurviveTheRoundTrip) {
  const std::string fields = R"("fields": [{"name": "N", "kind": "Double"}, {"name": "B", "kind": "BLOB"},
      {"name": "Yes", "kind": "Boolean"}, {"name": "D", "kind": "Date"}, {"name": "T", "kind": "Time"},
      {"name": "DT", "kind": "DateTime"}, {"name": "S", "kind": "String", "size": 40}])";
  ASSERT_EQ(RunTool({"write", dir / "odd.d", "--from", "-"},
                    "{" + fields + R"(, "records": [
      {"N": "NaN", "B": "AAEC/w==", "Yes": true, "D": "0001-01-01", "T": "23:59:59.999", "DT": "2000-01-01 00:00:01.5",
       "S": "say \"hi\"; DROP TABLE x"},
      {"N": "-Infinity", "Yes": false, "D": -5, "S": "\u00e9"},
      {"N": 1.5e-300}]})")
                .status,
            0);
  ASSERT_EQ(RunTool({"write", dir / "back.d", "--from", "-"}, "{" + fields + R"(, "records": []})").status, 0);
  ASSERT_EQ(RunTool({"export", dir / "odd.d", "--sqlite", Db(), "--table", "odd \"one\""}).status, 0);
  EXPECT_EQ(Sql(Db(), "SELECT hex(B) FROM \"odd \"\"one\"\"\" WHERE B IS NOT NULL"), "000102FF\n");
  const RunResult in = RunTool({"import", dir / "back.d", "--sqlite", Db(), "--table", "odd \"one\""});
  ASSERT_EQ(in.status, 0) << in.err;
  EXPECT_EQ(CsvOf(dir / "back.d"), CsvOf(dir / "odd.d"));
}

TEST_F(SqliteInterchange, RefusalsLeaveTheDatabaseAndTheTableAsTheyWere) {
  ASSERT_EQ(RunTool({"export", From(), "--sqlite", Db()}).status, 0);
  Sql(Db(), "DELETE FROM Blog_Ideas WHERE Key > 10");
  // A table of that name stays unless --force.
  const RunResult again = RunTool({"export", From(), "--sqlite", Db()});
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.err.find("already holds a table Blog_Ideas"), std::string::npos) << again.err;
  EXPECT_EQ(Sql(Db(), "SELECT count(*) FROM Blog_Ideas"), "10\n");
  ASSERT_EQ(RunTool({"export", From(), "--sqlite", Db(), "--force"}).status, 0);
  EXPECT_EQ(Sql(Db(), "SELECT count(*) FROM Blog_Ideas"), "36\n");

  // A key twice, which a primary key cannot take: the export fails as a
  // whole, in the middle, and the database is as it was.
  ASSERT_EQ(RunTool({"write", dir / "twice.d", "--from", "-"},
                    R"({"fields": [{"name": "CKEY", "kind": "AutoInc"}, {"name": "C", "kind": "SmallStr", "size": 9}],
                        "records": [{"CKEY": 1, "C": "a"}, {"CKEY": 1, "C": "b"}]})")
                .status,
            0);
  const std::string before = ReadFile(Db());
  const RunResult twice = RunTool({"export", dir / "twice.d", "--sqlite", Db(), "--table", "Blog_Ideas", "--force"});
  EXPECT_EQ(twice.status, 1);
  EXPECT_NE(twice.err.find("record 2: UNIQUE constraint failed"), std::string::npos) << twice.err;
  EXPECT_EQ(ReadFile(Db()), before);
  EXPECT_EQ(Sql(Db(), "SELECT count(*) FROM Blog_Ideas"), "36\n");

  const std::string table = ReadFile(To());
  Sql(Db(), "CREATE TABLE bad (Subject TEXT, PubDate TEXT); INSERT INTO bad VALUES ('fine', '2020-02-02'), "
            "('x', 'not a date'); CREATE TABLE odd (Nope TEXT)");
  const RunResult bad = RunTool({"import", To(), "--sqlite", Db(), "--table", "bad"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("record 2 (row 2 of table bad), field 'PubDate'"), std::string::npos) << bad.err;
  const RunResult odd = RunTool({"import", To(), "--sqlite", Db(), "--table", "odd"});
  EXPECT_NE(odd.err.find("table odd header, column 1: unknown field 'Nope'"), std::string::npos) << odd.err;
  const RunResult none = RunTool({"import", To(), "--sqlite", Db(), "--table", "absent"});
  EXPECT_NE(none.err.find("holds no table absent"), std::string::npos) << none.err;
  EXPECT_EQ(ReadFile(To()), table);
  EXPECT_EQ(RunTool({"import", To(), "--sqlite", Db()}).status, 2);  // no --table
  EXPECT_EQ(RunTool({"export", To(), "--sqlite", Db(), "--csv", "-"}).status, 2);

  // A database the export made goes again when the export fails.
  const RunResult bare = RunTool({"export", dir / "from/group.d", "--sqlite", dir / "missing/sub.db"});
  EXPECT_EQ(bare.status, 1);
  EXPECT_FALSE(std::filesystem::exists(dir / "missing/sub.db"));
}

}  // namespace
