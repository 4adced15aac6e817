// What notarra-table refuses or takes care of so that no table is lost: output
// onto the table itself, rewrites that race, bytes a rewrite would drop,
// half-created folders, files that are no regular files, interrupted saves,
// protected and read-only tables, and messages that would garble a terminal.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tool_test_support.h"
#include "tools/utf8.h"

extern char** environ;

using namespace notarra;

namespace {

using namespace tooltest;
namespace fs = std::filesystem;

// Starts the real program with standard input from a file (or /dev/null) and
// its output discarded; returns the process id.
pid_t Spawn(const std::vector<std::string>& args, const std::string& input = "/dev/null") {
  std::vector<char*> argv;
  std::string exe = NOTARRA_TABLE_EXE;
  argv.push_back(exe.data());
  std::vector<std::string> copy = args;
  for (std::string& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

int Wait(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

std::vector<std::string> FolderNames(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A group table (SELECTED, CATEGORY, CKEY) with its eight sample groups.
std::string SampleGroups(const TempDir& dir) {
  EXPECT_EQ(RunTool({"init", (dir / "data"), "--sample"}).status, 0);
  return dir / "data/group.d";
}

std::string GroupCsv(int rows, const std::string& prefix) {
  std::string csv = "CATEGORY\r\n";
  for (int i = 0; i < rows; ++i) csv += prefix + std::to_string(i) + "\r\n";
  return csv;
}

int64_t Count(const std::string& table) { return std::stoll(RunTool({"count", table}).out); }

// ---- Output onto the table itself ---------------------------------------------

TEST(SelfOverwrite, ExportNeverWritesOntoTheTableItReads) {
  TempDir dir;
  const std::string table = SampleGroups(dir);
  const std::string before = ReadFile(table);
  fs::create_symlink(table, dir / "link.d");
  fs::create_hard_link(table, dir / "hard.d");
  const std::string sameThroughDot = (dir.Path() / "data" / "." / "group.d").string();
  for (const std::string& target : {table, sameThroughDot, dir / "link.d", dir / "hard.d"}) {
    SCOPED_TRACE(target);
    const RunResult r = RunTool({"export", table, "--csv", target});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("is the table being exported"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile(table), before);
  }
  // A CSV beside the table is fine.
  EXPECT_EQ(RunTool({"export", table, "--csv", dir / "groups.csv"}).status, 0);
  // Nor does import read the table as its own CSV.
  EXPECT_EQ(RunTool({"import", table, "--csv", dir / "link.d"}).status, 1);
  EXPECT_EQ(ReadFile(table), before);
}

// ---- Rewrites take turns --------------------------------------------------------

TEST(ConcurrentRewrites, TwoImportsIntoOneTableBothLand) {
  TempDir dir;
  const std::string table = SampleGroups(dir);
  WriteFile(dir / "a.csv", GroupCsv(20000, "a"));
  WriteFile(dir / "b.csv", GroupCsv(20000, "b"));
  int64_t expected = Count(table);
  for (int round = 0; round < 8; ++round) {
    SCOPED_TRACE(round);
    const pid_t a = Spawn({"import", table, "--csv", "-"}, dir / "a.csv");
    const pid_t b = Spawn({"import", table, "--csv", "-"}, dir / "b.csv");
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    const int sa = Wait(a), sb = Wait(b);
    ASSERT_TRUE(WIFEXITED(sa) && WEXITSTATUS(sa) == 0);
    ASSERT_TRUE(WIFEXITED(sb) && WEXITSTATUS(sb) == 0);
    expected += 40000;
    ASSERT_EQ(Count(table), expected);
  }
}

// ---- Bytes after the last counted record -----------------------------------------

// Two records in the file, a header that counts one.
std::string UndercountedTable() {
  Bytes records;
  records.U8(4).U32(1).U8(4).U32(2);
  return PlainTable({"XXX.N i"}, 1, records.Str());
}

TEST(TrailingBytes, InfoSaysThemAndRewritesRefuseUnlessForced) {
  TempDir dir;
  const std::string table = dir / "t.d";
  WriteFile(table, UndercountedTable());
  const std::string before = ReadFile(table);

  const RunResult info = RunTool({"info", table});
  ASSERT_EQ(info.status, 0) << info.err;
  EXPECT_NE(info.out.find("\"trailing_bytes\": 5"), std::string::npos) << info.out;

  const RunResult import = RunTool({"import", table, "--csv", "-"}, "N\r\n3\r\n");
  EXPECT_EQ(import.status, 1);
  EXPECT_NE(import.err.find("5 bytes after the last record"), std::string::npos) << import.err;
  EXPECT_EQ(ReadFile(table), before);

  const std::string dump = RunTool({"dump", table}).out;
  const RunResult write = RunTool({"write", table, "--from", "-"}, dump);
  EXPECT_EQ(write.status, 1);
  EXPECT_NE(write.err.find("--force"), std::string::npos);
  EXPECT_EQ(ReadFile(table), before);

  EXPECT_EQ(RunTool({"import", table, "--csv", "-", "--force"}, "N\r\n3\r\n").status, 0);
  EXPECT_EQ(Count(table), 2);
  EXPECT_EQ(RunTool({"info", table}).out.find("trailing_bytes"), std::string::npos);
}

// ---- init: all three tables or none ------------------------------------------------

TEST(InitAllOrNone, AFailedWriteLeavesNoTableBehind) {
  TempDir dir;
  // Sizes of the three tables, from a first init.
  ASSERT_EQ(RunTool({"init", dir / "probe", "--sample"}).status, 0);
  const auto user = fs::file_size(dir / "probe/User.d"), groups = fs::file_size(dir / "probe/group.d"),
             ideas = fs::file_size(dir / "probe/Blog_Ideas.d");
  ASSERT_LT(std::max(user, groups), ideas);

  // A file size limit that the small tables fit and the idea table does not:
  // writing it fails as on a full disk.
  struct rlimit old;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  auto previous = signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = std::max(user, groups) + 1;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const RunResult r = RunTool({"init", dir / "data", "--sample"});
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, previous);

  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Blog_Ideas.d"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir / "data")) << "the folder init made is removed too";

  // Every folder it made, when it made several.
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  previous = signal(SIGXFSZ, SIG_IGN);
  EXPECT_EQ(RunTool({"init", dir / "a/b/c", "--sample"}).status, 1);
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, previous);
  EXPECT_FALSE(fs::exists(dir / "a"));

  // In an existing folder, its other files stay.
  fs::create_directories(dir / "kept");
  WriteFile(dir / "kept/notes.txt", "mine");
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  previous = signal(SIGXFSZ, SIG_IGN);
  EXPECT_EQ(RunTool({"init", dir / "kept", "--sample"}).status, 1);
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, previous);
  EXPECT_EQ(FolderNames(dir / "kept"), std::vector<std::string>{"notes.txt"});

  // And init can simply be run again.
  EXPECT_EQ(RunTool({"init", dir / "kept", "--sample"}).status, 0);
  EXPECT_EQ(ReadFile(dir / "kept/group.d"), ReadFile(dir / "probe/group.d"));
}

// ---- Only regular files are read ---------------------------------------------------

TEST(RegularFilesOnly, ALinkToADeviceIsRefusedWithoutReading) {
  TempDir dir;
  fs::create_symlink("/dev/zero", dir / "zero.d");
  for (const char* command : {"info", "dump", "count", "export"}) {
    SCOPED_TRACE(command);
    std::vector<std::string> args = {command, dir / "zero.d"};
    if (std::string(command) == "export") args.insert(args.end(), {"--csv", "-"});
    const RunResult r = RunTool(args);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("is not a regular file"), std::string::npos) << r.err;
  }
  EXPECT_EQ(RunTool({"import", dir / "zero.d", "--csv", "-"}, "A\r\n1\r\n").status, 1);
  EXPECT_TRUE(fs::is_symlink(dir / "zero.d"));
}

// ---- Interrupted saves --------------------------------------------------------------

class InterruptedSave : public ::testing::TestWithParam<int> {};

// Kills an import the moment its temporary file appears, and checks that the
// table is as it was and nothing is left beside it. The import is large
// enough that writing it takes far longer than the kill needs to arrive.
TEST_P(InterruptedSave, LeavesTheOldTableAndNoTemporaryFile) {
  TempDir dir;
  const std::string table = SampleGroups(dir);
  const std::string before = ReadFile(table);
  const std::vector<std::string> names = FolderNames(dir / "data");
  bool killedInSave = false;
  for (int rows = 400000; rows <= 3200000 && !killedInSave; rows *= 2) {
    WriteFile(dir / "big.csv", GroupCsv(rows, "c"));
    const int watch = inotify_init1(IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, (dir / "data").c_str(), IN_CREATE), 0);
    const pid_t pid = Spawn({"import", table, "--csv", "-"}, dir / "big.csv");
    ASSERT_GT(pid, 0);
    // The only file created there is the temporary one.
    struct pollfd created = {watch, POLLIN, 0};
    int status = 0;
    pid_t ended = 0;
    while (poll(&created, 1, 100) == 0 && (ended = waitpid(pid, &status, WNOHANG)) == 0) {
    }
    if (ended == 0) {
      kill(pid, GetParam());
      status = Wait(pid);
    }
    close(watch);
    killedInSave = WIFSIGNALED(status) && WTERMSIG(status) == GetParam();
    if (!killedInSave) {
      // The save won the race: start again from the old table, with more to write.
      ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
      WriteFile(table, before);
    }
  }
  ASSERT_TRUE(killedInSave);
  EXPECT_EQ(ReadFile(table), before);
  EXPECT_EQ(FolderNames(dir / "data"), names);
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptedSave,
                         ::testing::Values(SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGUSR1, SIGALRM, SIGQUIT));

// Past the file-size limit the real program's write fails, as on a full
// disk, instead of the signal ending it with a temporary file left behind.
TEST(SignalsFromOutside, AFileSizeLimitFailsInitCleanly) {
  TempDir dir;
  struct rlimit old;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  struct rlimit small = old;
  small.rlim_cur = 4096;  // the small tables fit, the sample ideas do not
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const pid_t pid = Spawn({"init", dir / "data", "--sample"});
  setrlimit(RLIMIT_FSIZE, &old);
  ASSERT_GT(pid, 0);
  const int status = Wait(pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
  EXPECT_FALSE(fs::exists(dir / "data"));
  EXPECT_TRUE(FolderNames(dir.Path()).empty());
}

// A signal the caller ignores (nohup) does not stop a save.
TEST(SignalsFromOutside, AnIgnoredHangupLetsTheImportFinish) {
  TempDir dir;
  const std::string table = SampleGroups(dir);
  WriteFile(dir / "big.csv", GroupCsv(200000, "n"));
  auto previous = signal(SIGHUP, SIG_IGN);
  const pid_t pid = Spawn({"import", table, "--csv", "-"}, dir / "big.csv");
  signal(SIGHUP, previous);
  ASSERT_GT(pid, 0);
  kill(pid, SIGHUP);
  const int status = Wait(pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(Count(table), 8 + 200000);
}

// ---- Protected and read-only tables ---------------------------------------------------

TEST(ReplaceGuards, AProtectedTableNeedsItsPassword) {
  TempDir dir;
  const std::string table = dir / "p.d";
  const std::string json = RunTool({"dump", SampleGroups(dir)}).out;
  ASSERT_EQ(RunTool({"write", table, "--from", "-", "--password", "secret"}, json).status, 0);
  const std::string before = ReadFile(table);

  const RunResult without = RunTool({"write", table, "--from", "-"}, json);
  EXPECT_EQ(without.status, 1);
  EXPECT_NE(without.err.find("password-protected"), std::string::npos) << without.err;
  EXPECT_EQ(RunTool({"write", table, "--from", "-", "--password", "wrong"}, json).status, 1);
  EXPECT_EQ(ReadFile(table), before);

  EXPECT_EQ(RunTool({"write", table, "--from", "-", "--password", "secret"}, json).status, 0);
  EXPECT_EQ(RunTool({"count", table, "--password", "secret"}).out, "8\n");
  EXPECT_EQ(RunTool({"write", table, "--from", "-", "--force"}, json).status, 0);
  EXPECT_EQ(Count(table), 8);  // now a plain table
  // A file that is no table at all may still be replaced.
  WriteFile(dir / "junk.d", "not a table");
  EXPECT_EQ(RunTool({"write", dir / "junk.d", "--from", "-"}, json).status, 0);
}

TEST(ReplaceGuards, AReadOnlyTableIsNeverReplaced) {
  TempDir dir;
  const std::string table = SampleGroups(dir);
  const std::string json = RunTool({"dump", table}).out;
  const std::string before = ReadFile(table);
  fs::permissions(table, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  for (bool force : {false, true}) {
    SCOPED_TRACE(force);
    std::vector<std::string> write = {"write", table, "--from", "-"}, import = {"import", table, "--csv", "-"};
    if (force) write.push_back("--force"), import.push_back("--force");
    const RunResult w = RunTool(write, json);
    EXPECT_EQ(w.status, 1);
    EXPECT_NE(w.err.find("is read-only"), std::string::npos) << w.err;
    EXPECT_EQ(RunTool(import, "CATEGORY\r\nNew\r\n").status, 1);
    EXPECT_EQ(ReadFile(table), before);
  }
  EXPECT_EQ(fs::status(table).permissions() & fs::perms::owner_write, fs::perms::none);
}

// ---- Messages ---------------------------------------------------------------------------

TEST(Messages, AnOpenErrorIsNamedOnce) {
  TempDir dir;
  WriteFile(dir / "bad.d", "xxxx");
  for (const char* command : {"info", "count", "dump"}) {
    SCOPED_TRACE(command);
    std::vector<std::string> args = {command, dir / "bad.d"};
    if (std::string(command) == "dump") args.insert(args.end(), {"--index", "N"});
    EXPECT_EQ(RunTool(args).err, "notarra-table: cannot open table " + (dir / "bad.d") +
                                     ": Buffer structure corruption!\n");
  }
}

TEST(Messages, ADamagedFilesTextIsShownEscapedAndCut) {
  TempDir dir;
  // An error-kind file: everything after the kind byte is the message.
  std::string text = "\x1b[31mred\xff\x07";
  text += std::string(1 << 20, 'x');
  Bytes file;
  file.U32(static_cast<uint32_t>(5 + text.size())).U8('E').Text(text);
  WriteFile(dir / "e.d", file.Str());
  const RunResult r = RunTool({"count", dir / "e.d"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("\\x1B[31mred\\xFF\\x07xxx"), std::string::npos) << r.err.substr(0, 200);
  EXPECT_LT(r.err.size(), 2000u);
  EXPECT_NE(r.err.find("more bytes)"), std::string::npos);
  EXPECT_TRUE(utf8::IsValid(r.err));
  EXPECT_EQ(r.err.find('\x1b'), std::string::npos);
}

TEST(Messages, PrintableKeepsTextAndEscapesTheRest) {
  EXPECT_EQ(utf8::Printable("Caf\xC3\xA9 \xE2\x82\xAC"), "Caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(utf8::Printable("a\nb\tc\x7f"), "a\\x0Ab\\x09c\\x7F");
  EXPECT_EQ(utf8::Printable("\xC2\x9B" "1"), "\\xC2\\x9B1");  // a C1 control is a control too
  EXPECT_EQ(utf8::Printable("abcdef", 3), "abc... (3 more bytes)");
}

}  // namespace
