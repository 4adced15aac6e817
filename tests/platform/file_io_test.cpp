#include "platform/file_io.h"

#include <dirent.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <set>
#include <sstream>

#include "expect_message.h"
#include "platform/exceptions.h"
#include "platform/file_stream.h"

using namespace notarra;

namespace {

class FileIo : public ::testing::Test {
protected:
  void SetUp() override {
    char tmpl[] = "/tmp/notarra-io-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override {
    chmod(dir_.c_str(), 0755);
    std::filesystem::remove_all(dir_);
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  // Files are put and got with the standard streams, independently of the code under test.
  static void Put(const std::string& path, const std::string& content) { std::ofstream(path, std::ios::binary) << content; }
  static std::string Get(const std::string& path) {
    std::stringstream ss;
    ss << std::ifstream(path, std::ios::binary).rdbuf();
    return ss.str();
  }
  static mode_t Mode(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
  }
  std::set<std::string> Entries() const {
    std::set<std::string> names;
    DIR* d = opendir(dir_.c_str());
    while (dirent* e = readdir(d))
      if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) names.insert(e->d_name);
    closedir(d);
    return names;
  }
  static std::string Reason(int err) { return std::string(": ") + std::strerror(err); }

  std::string dir_;
};

TEST_F(FileIo, SafeWriteReplacesAndKeepsPermissions) {
  std::string path = Path("a.d");
  WriteFileSafely(path, "first", 5);
  EXPECT_EQ(Get(path), "first");
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  std::string second(100000, 'x');
  second[500] = '\0';
  WriteFileSafely(path, second.data(), second.size());
  EXPECT_EQ(Get(path), second);
  EXPECT_EQ(Mode(path), 0640u);
  WriteFileSafely(path, nullptr, 0);
  EXPECT_EQ(Get(path), "");

  mode_t mask = umask(022);
  WriteFileSafely(Path("fresh.d"), "x", 1);
  umask(mask);
  EXPECT_EQ(Mode(Path("fresh.d")), 0644u);
  EXPECT_EQ(Entries(), (std::set<std::string>{"a.d", "fresh.d"}));  // no temporary file left behind
}

TEST_F(FileIo, SafeWriteThroughALinkKeepsTheLink) {
  std::string target = Path("real.d"), link = Path("link.d");
  Put(target, "old");
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  WriteFileSafely(link, "new", 3);
  struct stat st {};
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(Get(target), "new");
}

TEST_F(FileIo, SafeWriteFailuresNameTheFileAndLeaveNothingBehind) {
  std::string missing = Path("no/such/folder/a.d");
  ExpectMessage<EInOutError>([&] { WriteFileSafely(missing, "x", 1); }, "Cannot write file " + missing + Reason(ENOENT));
  ASSERT_EQ(mkdir(Path("sub").c_str(), 0755), 0);
  EXPECT_THROW(WriteFileSafely(Path("sub"), "x", 1), EInOutError);
  EXPECT_EQ(Entries(), std::set<std::string>{"sub"});
}

TEST_F(FileIo, SafeWriteInAReadOnlyFolderLeavesTheOldFile) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  std::string path = Path("a.d");
  Put(path, "old");
  ASSERT_EQ(chmod(dir_.c_str(), 0555), 0);
  ExpectMessage<EInOutError>([&] { WriteFileSafely(path, "new", 3); }, "Cannot write file " + path + Reason(EACCES));
  EXPECT_EQ(Get(path), "old");
}

TEST_F(FileIo, FailureHalfwayLeavesTheOldFileAndNoTemporary) {
  // A file size limit makes the write fail once the temporary file exists,
  // for the superuser too.
  std::string path = Path("a.d");
  Put(path, "old contents");
  struct rlimit saved {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct rlimit limited = saved;
  limited.rlim_cur = 4096;
  auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  std::string big(100000, 'n');
  ExpectMessage<EInOutError>([&] { WriteFileSafely(path, big.data(), big.size()); },
                             "Cannot write file " + path + Reason(EFBIG));
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(Get(path), "old contents");
  EXPECT_EQ(Entries(), std::set<std::string>{"a.d"});
}

TEST_F(FileIo, ReadsWholeFiles) {
  std::string content;
  for (int i = 0; i < 3000000; ++i) content += static_cast<char>(i % 251);
  Put(Path("big.d"), content);
  std::string out = "previous";
  ReadWholeFile(Path("big.d"), out);
  EXPECT_EQ(out, content);
  Put(Path("empty.d"), "");
  ReadWholeFile(Path("empty.d"), out);
  EXPECT_EQ(out, "");
  ReadWholeFile("/proc/self/status", out);  // reports no size
  EXPECT_NE(out.find("Name:"), std::string::npos);

  out = "keep";
  std::string missing = Path("missing.d");
  ExpectMessage<EInOutError>([&] { ReadWholeFile(missing, out); }, "Cannot open file " + missing + Reason(ENOENT));
  EXPECT_THROW(ReadWholeFile(dir_, out), EInOutError);
  EXPECT_EQ(out, "keep");
}

TEST_F(FileIo, CopiesSafely) {
  std::string from = Path("from.d"), to = Path("to.~d");
  Put(from, "table bytes");
  ASSERT_EQ(chmod(from.c_str(), 0600), 0);
  CopyFileSafely(from, to);
  EXPECT_EQ(Get(to), "table bytes");
  EXPECT_EQ(Mode(to), 0600u);  // a new copy takes the source's permissions
  ASSERT_EQ(chmod(to.c_str(), 0644), 0);
  Put(from, "newer");
  CopyFileSafely(from, to);
  EXPECT_EQ(Get(to), "newer");
  EXPECT_EQ(Mode(to), 0644u);  // an existing one keeps its own

  std::string missing = Path("missing.d"), target = Path("t.d");
  ExpectMessage<EInOutError>([&] { CopyFileSafely(missing, target); }, "Cannot open file " + missing + Reason(ENOENT));
  EXPECT_EQ(Entries(), (std::set<std::string>{"from.d", "to.~d"}));
}

TEST_F(FileIo, NamesAndFolders) {
  Put(Path("a.d"), "x");
  EXPECT_TRUE(FileExists(Path("a.d")));
  EXPECT_FALSE(FileExists(Path("b.d")));
  EXPECT_FALSE(FileExists(dir_));
  EXPECT_EQ(ChangeFileExt("dir/name.d", ".~d"), "dir/name.~d");
  EXPECT_EQ(ChangeFileExt("name", ".~d"), "name.~d");
  EXPECT_EQ(ChangeFileExt("dir.x/name", ".~d"), "dir.x/name.~d");
  EXPECT_EQ(ChangeFileExt("a.b.c", ".~d"), "a.b.~d");
  std::string saved = GetCurrentDir();
  ASSERT_EQ(chdir(dir_.c_str()), 0);
  std::string here = GetCurrentDir();
  ASSERT_EQ(chdir(saved.c_str()), 0);
  char* real = realpath(dir_.c_str(), nullptr);
  EXPECT_EQ(here, real);
  std::free(real);
}

// ---- File identity -------------------------------------------------------------

// Sets the modification time to the nanosecond, independently of the code under test.
void SetModified(const std::string& path, time_t seconds, long nanoseconds) {
  const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

TEST_F(FileIo, IdentityIsTheFileItsSizeAndItsTime) {
  const std::string path = Path("a.d");
  Put(path, "12345");
  SetModified(path, 1700000000, 123456789);
  const TFileIdentity id = FileIdentity(path);
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_TRUE(id.Exists);
  EXPECT_EQ(id.Device, static_cast<uint64_t>(st.st_dev));
  EXPECT_EQ(id.Inode, static_cast<uint64_t>(st.st_ino));
  EXPECT_EQ(id.Size, 5);
  EXPECT_EQ(id.ModifiedSeconds, 1700000000);
  EXPECT_EQ(id.ModifiedNanoseconds, 123456789);
  EXPECT_EQ(FileIdentity(path), id);

  // A nanosecond later is another version.
  SetModified(path, 1700000000, 123456790);
  EXPECT_NE(FileIdentity(path), id);
  // Another size within the same tick is too.
  Put(path, "123456");
  SetModified(path, 1700000000, 123456789);
  EXPECT_NE(FileIdentity(path), id);
  // So is another file put in its place with the same size and time.
  Put(Path("b.d"), "54321");
  SetModified(Path("b.d"), 1700000000, 123456789);
  ASSERT_EQ(rename(Path("b.d").c_str(), path.c_str()), 0);
  const TFileIdentity replaced = FileIdentity(path);
  EXPECT_EQ(replaced.Size, id.Size);
  EXPECT_EQ(replaced.ModifiedNanoseconds, id.ModifiedNanoseconds);
  EXPECT_NE(replaced, id);

  ASSERT_EQ(unlink(path.c_str()), 0);
  EXPECT_FALSE(FileIdentity(path).Exists);
  EXPECT_EQ(FileIdentity(path), TFileIdentity{});
}

TEST_F(FileIo, SafeWriteReturnsTheIdentityOfTheFileNowInPlace) {
  const std::string path = Path("a.d");
  Put(path, "old");
  const TFileIdentity before = FileIdentity(path);
  const TFileIdentity written = WriteFileSafely(path, "newer", 5);
  EXPECT_TRUE(written.Exists);
  EXPECT_EQ(written.Size, 5);
  EXPECT_EQ(written, FileIdentity(path));
  EXPECT_NE(written.Inode, before.Inode);

  // Through a link: the identity of the file the link names.
  const std::string link = Path("link.d");
  ASSERT_EQ(symlink(path.c_str(), link.c_str()), 0);
  const TFileIdentity throughLink = WriteFileSafely(link, "newest", 6);
  EXPECT_EQ(throughLink, FileIdentity(path));
  EXPECT_EQ(throughLink, FileIdentity(link));
  EXPECT_EQ(throughLink.Size, 6);
}

TEST_F(FileIo, AStreamKnowsTheFileItOpened) {
  const std::string path = Path("a.d");
  Put(path, "first");
  const TFileIdentity atOpen = FileIdentity(path);
  TFileStream stream(path);
  EXPECT_EQ(stream.Identity(), atOpen);
  // Someone else writes the path while it is open: the stream still names
  // the file it reads.
  WriteFileSafely(path, "second!", 7);
  EXPECT_EQ(stream.Identity(), atOpen);
  EXPECT_NE(FileIdentity(path), atOpen);
}

}  // namespace
