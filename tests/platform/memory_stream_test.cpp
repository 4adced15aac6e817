#include "platform/memory_stream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "expect_message.h"
#include "platform/exceptions.h"
#include "platform/file_io.h"

using namespace notarra;

namespace {

std::string Contents(const TMemoryStream& s) {
  return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

TEST(MemoryStream, ReadsWritesAndSeeks) {
  TMemoryStream s;
  EXPECT_EQ(s.Write("hello", 5), 5u);
  EXPECT_EQ(s.Write(" world", 6), 6u);
  EXPECT_EQ(s.Size(), 11);
  EXPECT_EQ(s.Position(), 11);
  s.SetPosition(0);
  char buf[32] = {};
  EXPECT_EQ(s.Read(buf, 5), 5u);
  EXPECT_STREQ(buf, "hello");
  EXPECT_EQ(s.Read(buf, sizeof buf), 6u);  // what there is
  EXPECT_EQ(s.Read(buf, 1), 0u);
  EXPECT_EQ(s.Seek(3, TSeekOrigin::soBeginning), 3);
  EXPECT_EQ(s.Seek(2, TSeekOrigin::soCurrent), 5);
  EXPECT_EQ(s.Seek(-1, TSeekOrigin::soEnd), 10);
  EXPECT_EQ(s.Seek(-100, TSeekOrigin::soCurrent), 0);
  s.Seek(4, TSeekOrigin::soBeginning);
  s.WriteBuffer("ab", 2);  // overwrites in place
  EXPECT_EQ(Contents(s), "hellabworld");
  s.Seek(14, TSeekOrigin::soBeginning);
  s.WriteBuffer("z", 1);  // a gap past the end reads as zeros
  EXPECT_EQ(Contents(s), std::string("hellabworld\0\0\0z", 15));
}

TEST(MemoryStream, GrowsReservesAndResizes) {
  TMemoryStream s;
  std::string expected;
  for (int i = 0; i < 100000; ++i) {
    std::string piece = std::to_string(i) + ",";
    s.WriteBuffer(piece.data(), piece.size());
    expected += piece;
  }
  EXPECT_EQ(Contents(s), expected);

  s.Reserve(s.Capacity() + (1 << 20));
  EXPECT_EQ(Contents(s), expected);  // the size stays
  const uint8_t* before = s.Memory();
  std::vector<char> block(100000, 'x');
  s.WriteBuffer(block.data(), block.size());
  EXPECT_EQ(s.Memory(), before);  // no reallocation within the reserve

  s.SetSize(2);
  EXPECT_EQ(s.Position(), 2);  // the position follows the end back
  s.SetSize(5000);
  EXPECT_EQ(s.Size(), 5000);
  EXPECT_EQ(std::memcmp(s.Memory(), "0,", 2), 0);
  TMemoryStream moved(std::move(s));
  EXPECT_EQ(moved.Size(), 5000);
  moved.Clear();
  EXPECT_EQ(moved.Size() + moved.Position() + static_cast<int64_t>(moved.Capacity()), 0);
}

// Takes at most four bytes at a time, to see the base class notice.
class TinyStream : public TStream {
public:
  std::size_t Read(void*, std::size_t) override { return 0; }
  std::size_t Write(const void*, std::size_t count) override { return count < 4 ? count : 4; }
  int64_t Seek(int64_t, TSeekOrigin) override { return 0; }
  int64_t Size() const override { return 0; }
  void SetSize(int64_t) override {}
};

TEST(MemoryStream, ShortReadsAndWritesRaise) {
  TMemoryStream s;
  s.WriteBuffer("abc", 3);
  s.SetPosition(1);
  char buf[8];
  ExpectMessage<EInOutError>([&] { s.ReadBuffer(buf, 3); }, "Stream read error");
  s.ReadBuffer(buf, 0);
  TinyStream tiny;
  tiny.WriteBuffer("abcd", 4);
  ExpectMessage<EInOutError>([&] { tiny.WriteBuffer("abcde", 5); }, "Stream write error");
}

TEST(MemoryStream, SavesAndLoadsFiles) {
  char tmpl[] = "/tmp/notarra-ms-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  std::string dir = tmpl, path = dir + "/t.d";
  std::string bytes;
  for (int i = 0; i < 70000; ++i) bytes += static_cast<char>(i * 7);
  TMemoryStream s;
  s.WriteBuffer(bytes.data(), bytes.size());
  s.SaveToFile(path);
  std::string onDisk;
  ReadWholeFile(path, onDisk);
  EXPECT_EQ(onDisk, bytes);

  TMemoryStream loaded;
  loaded.WriteBuffer("junk", 4);
  loaded.LoadFromFile(path);
  EXPECT_EQ(Contents(loaded), bytes);
  EXPECT_EQ(loaded.Position(), 0);
  // A failed load names the file and keeps what the stream held.
  std::string missing = dir + "/missing.d";
  ExpectMessage<EInOutError>([&] { loaded.LoadFromFile(missing); },
                             "Cannot open file " + missing + ": " + std::strerror(ENOENT));
  EXPECT_EQ(Contents(loaded), bytes);
  TMemoryStream().SaveToFile(path);
  loaded.LoadFromFile(path);
  EXPECT_EQ(loaded.Size(), 0);
  std::filesystem::remove_all(dir);
}

}  // namespace
