// A table read in place from its file while other programs change that file:
// cut it short, write over it, replace it, delete it. The records must stay
// what was read, the process must live, and a save must write them whole.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/exceptions.h"
#include "platform/file_io.h"
#include "platform/mapped_file.h"
#include "platform/memory_stream.h"
#include "table_bytes.h"
#include "tableengine/data_area.h"
#include "tableengine/record_store.h"

using namespace notarra;

namespace {

namespace fs = std::filesystem;

// Every value of every record as text, in store order.
std::vector<std::string> Values(const TVelaCursor& store) {
  std::vector<std::string> values;
  for (const TVelaRecord* r : store.Records())
    for (int i = 0; i < store.FieldCount(); ++i) values.push_back(store.ValueToText(r->Data, *store.FieldByIndex(i)));
  return values;
}

std::string Quoted(const fs::path& p) { return "'" + p.string() + "'"; }

class OutsideChange : public ::testing::TestWithParam<const char*> {
protected:
  void SetUp() override {
    char tmpl[] = "/tmp/notarra-outside-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
    file = dir / "ideas.d";
    // Long notes spread the records over many pages, so that a cut file
    // leaves records both before and past the cut.
    TVelaCursor c;
    c.AddField("Subject", TVelaFieldKind::String, 256);
    c.AddField("Group", TVelaFieldKind::SmallStr, 20);
    c.AddField("Notes", TVelaFieldKind::Memo);
    c.AddField("Key", TVelaFieldKind::AutoInc);
    std::vector<uint8_t> data(c.RecordDataSize());
    for (int i = 0; i < 3000; ++i) {
      std::fill(data.begin(), data.end(), 0);
      c.TextToValue("Idea number " + std::to_string(i), *c.FieldByIndex(0), data.data());
      c.TextToValue(i % 2 ? "Tech" : "Books", *c.FieldByIndex(1), data.data());
      data_area::SetBlob(data.data(), *c.FieldByIndex(2), std::string(200 + i % 500, static_cast<char>('a' + i % 26)));
      c.AppendRecord(data.data());
      c.ReleaseRecordData(data.data());
    }
    c.SaveToFile(file, 0, false, "");
  }
  void TearDown() override { fs::remove_all(dir); }

  fs::path dir, file;
};

// What another program does to the file, with the tools a person would use.
// truncate opens the file without waiting (O_NONBLOCK), and such an open of a
// leased file fails (EAGAIN) until the lease has been given up: like a person
// it tries again.
std::string Command(const std::string& change, const fs::path& file) {
  if (change == "truncate")
    return "i=0; until truncate -s 100 " + Quoted(file) + " 2>/dev/null; do i=$((i + 1)); [ $i -lt 100 ] || exit 1; "
           "sleep 0.02; done";
  if (change == "empty") return ": > " + Quoted(file);
  if (change == "overwrite")
    return "dd if=/dev/urandom of=" + Quoted(file) + " bs=4096 count=64 conv=notrunc status=none";
  if (change == "replace") return "printf 'other' > " + Quoted(file.string() + ".new") + " && mv " +
                                  Quoted(file.string() + ".new") + " " + Quoted(file);
  return "rm " + Quoted(file);
}

TEST_P(OutsideChange, LeavesTheRecordsAsReadAndASaveWritesThemWhole) {
  const std::string change = GetParam();
  TVelaCursor store;
  std::string error;
  ASSERT_TRUE(store.LoadFromFile(file, error)) << error;
  ASSERT_NE(store.MappedFile(), nullptr);
  ASSERT_TRUE(store.MappedFile()->Shared()) << "the file should be read in place under a lease";
  const std::vector<std::string> before = Values(store);
  ASSERT_EQ(store.RecordCount(), 3000);

  ASSERT_EQ(std::system(Command(change, file).c_str()), 0) << change;

  EXPECT_EQ(Values(store), before);
  // Writing the file made the bytes a private copy; a rename or a deletion
  // leaves the old file's bytes where they were.
  const bool written = change == "truncate" || change == "empty" || change == "overwrite";
  EXPECT_EQ(store.MappedFile()->Shared(), !written);

  store.SaveToFile(file, 0, false, "");
  TVelaCursor again;
  ASSERT_TRUE(again.LoadFromFile(file, error)) << error;
  EXPECT_EQ(Values(again), before);
}

INSTANTIATE_TEST_SUITE_P(Programs, OutsideChange,
                         ::testing::Values("truncate", "empty", "overwrite", "replace", "delete"));

TEST_F(OutsideChange, ACutByThisVeryProcessAlsoLeavesTheRecords) {
  TVelaCursor store;
  std::string error;
  ASSERT_TRUE(store.LoadFromFile(file, error)) << error;
  const std::vector<std::string> before = Values(store);
  ASSERT_EQ(::truncate(file.c_str(), 0), 0);
  EXPECT_EQ(Values(store), before);
  EXPECT_FALSE(store.MappedFile()->Shared());
}

TEST_F(OutsideChange, AFileAlreadyOpenForWritingIsCopiedAtOnce) {
  // Someone who has the file open for writing can change it at any time,
  // unannounced: no lease can be had, so the bytes are read into memory.
  const int writer = ::open(file.c_str(), O_WRONLY);
  ASSERT_GE(writer, 0);
  TVelaCursor store;
  std::string error;
  ASSERT_TRUE(store.LoadFromFile(file, error)) << error;
  const std::vector<std::string> before = Values(store);
  ASSERT_NE(store.MappedFile(), nullptr);
  EXPECT_FALSE(store.MappedFile()->Shared());
  ASSERT_EQ(::ftruncate(writer, 0), 0);
  ::close(writer);
  EXPECT_EQ(Values(store), before);
}

TEST_F(OutsideChange, ChangesMadeInMemoryOutliveTheCutAndAreSaved) {
  TVelaCursor store;
  std::string error;
  ASSERT_TRUE(store.LoadFromFile(file, error)) << error;
  TVelaRecord* first = store.Records()[0];
  std::vector<uint8_t> data(store.RecordDataSize());
  store.CopyRecordData(first->Data, data.data());
  store.TextToValue("Changed here", *store.FindField("Subject"), data.data());
  ASSERT_TRUE(store.WriteRecord(data.data(), first, error)) << error;
  store.ReleaseRecordData(data.data());
  const std::vector<std::string> before = Values(store);

  ASSERT_EQ(std::system(Command("truncate", file).c_str()), 0);
  store.SaveToFile(file, 0, false, "");
  TVelaCursor again;
  ASSERT_TRUE(again.LoadFromFile(file, error)) << error;
  EXPECT_EQ(Values(again), before);
  EXPECT_EQ(again.ValueToText(again.Records()[0]->Data, *again.FindField("Subject")), "Changed here");
}

// ---- Saving what was read in place ----

std::string FileBytes(const fs::path& p) {
  std::string s;
  ReadWholeFile(p, s);
  return s;
}

// The same table loaded through a stream (every record built afresh) and
// written to memory: what a save must write, whichever way it was read.
std::string WrittenAfterStreamLoad(const std::string& bytes, const std::function<void(TVelaCursor&)>& change) {
  TMemoryStream in, out;
  in.Write(bytes.data(), bytes.size());
  in.SetPosition(0);
  TVelaCursor store;
  std::string error;
  EXPECT_TRUE(store.LoadFromStream(in, error)) << error;
  change(store);
  store.WriteToStream(out);
  return std::string(reinterpret_cast<const char*>(out.Memory()), static_cast<std::size_t>(out.Size()));
}

void ChangeSubject(TVelaCursor& store, int index, const std::string& subject) {
  TVelaRecord* r = store.Records()[static_cast<std::size_t>(index)];
  std::vector<uint8_t> data(store.RecordDataSize());
  store.CopyRecordData(r->Data, data.data());
  store.TextToValue(subject, *store.FindField("Subject"), data.data());
  std::string error;
  ASSERT_TRUE(store.WriteRecord(data.data(), r, error)) << error;
  store.ReleaseRecordData(data.data());
}

TEST_F(OutsideChange, ASaveCopiesUnchangedRecordsAndWritesTheChangedOnes) {
  const std::string original = FileBytes(file);
  auto change = [](TVelaCursor& store) {
    ChangeSubject(store, 1500, "A subject changed in the middle");
    std::string error;
    ASSERT_TRUE(store.DeleteRecord(store.Records()[10], error)) << error;
  };
  TVelaCursor store;
  std::string error;
  ASSERT_TRUE(store.LoadFromFile(file, error)) << error;
  change(store);
  store.SaveToFile(file, 0, false, "");
  EXPECT_EQ(FileBytes(file), WrittenAfterStreamLoad(original, change));
  // And once more from the same mapping, now that the file is another.
  ChangeSubject(store, 0, "First");
  store.SaveToFile(file, 0, false, "");
  EXPECT_EQ(FileBytes(file), WrittenAfterStreamLoad(original, [&](TVelaCursor& s) {
              change(s);
              ChangeSubject(s, 0, "First");
            }));
}

// Unchanged records are copied from the file inside the kernel; another
// program that overwrites the file while the save is under way must not get
// its bytes into the saved table.
TEST_F(OutsideChange, AFileOverwrittenDuringASaveDoesNotGetIntoIt) {
  const std::string original = FileBytes(file);
  TVelaCursor store;
  std::string error;
  ASSERT_TRUE(store.LoadFromFile(file, error)) << error;
  ChangeSubject(store, 2999, "The last one changed");
  bool overwritten = false;
  store.OnProgress = [&](int percent) {
    if (percent < 50 || overwritten) return;
    overwritten = true;
    ASSERT_EQ(std::system(Command("overwrite", file).c_str()), 0);
  };
  store.SaveToFile(file, 0, false, "");
  EXPECT_TRUE(overwritten);
  EXPECT_EQ(FileBytes(file), WrittenAfterStreamLoad(original, [](TVelaCursor& s) {
              ChangeSubject(s, 2999, "The last one changed");
            }));
}

// Files can hold values in forms the writer never makes: true as 1, a zero
// kept with its bytes, a text cut at a zero byte, an empty text with its
// length word. Such records are written as the writer makes them, not copied.
TEST_F(OutsideChange, RecordsInFormsTheWriterNeverMakesAreWrittenAfresh) {
  using tt::Bytes;
  const std::string section = tt::Section({"XXX.Flag b", "XXX.Count i", "XXX.Code 5", "XXX.Subject s20"});
  std::string body;
  body += Bytes().raw({2, 4, 3, 4}).i16(1).i32(7).text("abc").counted("one").str();      // true as 1
  body += Bytes().raw({2, 4, 3, 4}).i16(-1).i32(0).text("abc").counted("two").str();     // a zero with its bytes
  body += Bytes().raw({2, 4, 3, 4}).i16(-1).i32(7).raw({'a', 0, 'c'}).counted("3").str(); // cut at a zero byte
  body += Bytes().raw({2, 4, 3, 4}).i16(-1).i32(7).text("abc").counted("").str();         // an empty text
  body += Bytes().raw({2, 4, 3, 4}).i16(-1).i32(7).text("abc").counted("as written").str();
  const std::string bytes = tt::Table(5, 4, section, body);
  const fs::path odd = dir / "odd.d";
  {
    std::FILE* f = std::fopen(odd.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  TVelaCursor store;
  std::string error;
  ASSERT_TRUE(store.LoadFromFile(odd, error, true)) << error;
  ASSERT_EQ(store.RecordCount(), 5);
  int copied = 0;
  for (const TVelaRecord* r : store.Records()) copied += r->Source != 0;
  EXPECT_EQ(copied, 1);
  store.SaveToFile(odd, 0, false, "");
  EXPECT_EQ(FileBytes(odd), WrittenAfterStreamLoad(bytes, [](TVelaCursor&) {}));
}

// ---- The mapped file itself ----

TEST_F(OutsideChange, MappedBytesAreTheFileAndStayWhenTheFileIsRewritten) {
  const std::string original = [&] {
    std::string s;
    ReadWholeFile(file, s);
    return s;
  }();
  auto mapped = TMappedFile::Open(file);
  ASSERT_EQ(mapped->Size(), original.size());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(mapped->Data()), mapped->Size()), original);
  EXPECT_EQ(mapped->Identity(), FileIdentity(file));
  ASSERT_EQ(std::system(Command("overwrite", file).c_str()), 0);
  EXPECT_FALSE(mapped->Shared());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(mapped->Data()), mapped->Size()), original);
}

TEST_F(OutsideChange, WhatCannotBeMappedIsRefusedOrEmpty) {
  EXPECT_THROW(TMappedFile::Open((dir / "missing.d").string()), EInOutError);
  EXPECT_THROW(TMappedFile::Open(dir.string()), EInOutError);
  EXPECT_THROW(TMappedFile::Open("/dev/zero"), EInOutError);
  const fs::path empty = dir / "empty.d";
  std::fclose(std::fopen(empty.c_str(), "w"));
  auto mapped = TMappedFile::Open(empty);
  EXPECT_EQ(mapped->Size(), 0u);
  EXPECT_FALSE(mapped->Shared());
}

// With no memory left for the copy when the lease breaks, the mapping stays
// the file's, and a cut file's pages are gone: reading them must not end the
// process (they read as zeros).
TEST_F(OutsideChange, WithoutMemoryForTheCopyACutFileReadsAsZerosInsteadOfKilling) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    auto mapped = TMappedFile::Open(file);
    if (mapped->Size() < 200000) ::_exit(3);
    if (!mapped->Shared()) ::_exit(7);
    long pages = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
      if (std::fscanf(f, "%ld", &pages) != 1) pages = 0;
      std::fclose(f);
    }
    // No further memory to be had: the copy fails.
    const rlimit tight{static_cast<rlim_t>(pages * sysconf(_SC_PAGESIZE) + 65536), RLIM_INFINITY};
    if (pages == 0 || setrlimit(RLIMIT_AS, &tight) != 0) ::_exit(4);
    if (::truncate(file.c_str(), 0) != 0) ::_exit(5);
    const volatile uint8_t past = mapped->Data()[150000];
    ::_exit(past == 0 ? 0 : 6);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(OutsideChange, ASigioSentByHandStillEndsTheProcessAsBefore) {
  // The lease signal is SIGIO; one sent with kill is not a lease break and
  // does what it did before the handler came (by default, end the process).
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    auto mapped = TMappedFile::Open(file);
    ::kill(::getpid(), SIGIO);
    ::_exit(mapped->Size() > 0 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGIO);
}

}  // namespace
