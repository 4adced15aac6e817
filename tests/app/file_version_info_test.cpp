#include "app/file_version_info.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app_test_support.h"

using namespace notarra;

namespace {

using apptest::TempDir;
using apptest::WriteFile;

// Builds a version block byte by byte, as the layout documents it.
struct BlockBuilder {
  std::vector<std::pair<uint16_t, uint16_t>> translations;
  std::vector<std::pair<std::string, std::string>> strings;  // full query path -> value
  uint32_t fileVersionMS = 0x00020003, fileVersionLS = 0x00040005;

  static void U16(std::string& s, unsigned v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
  }
  static void U32(std::string& s, uint32_t v) {
    U16(s, v & 0xFFFF);
    U16(s, v >> 16);
  }
  std::string Bytes() const {
    std::string body;
    const uint32_t fixed[13] = {0xFEEF04BDu, 0x10000, fileVersionMS, fileVersionLS, fileVersionMS, fileVersionLS,
                                0x3F, 0, 0x40004, 1, 0, 0, 0};
    for (uint32_t v : fixed) U32(body, v);
    U32(body, static_cast<uint32_t>(translations.size()));
    for (const auto& [language, codePage] : translations) {
      U16(body, language);
      U16(body, codePage);
    }
    U32(body, static_cast<uint32_t>(strings.size()));
    for (const auto& [key, value] : strings) {
      body += key;
      body += '\0';
      body += value;
      body += '\0';
    }
    std::string block("NOTARRA-VERINFO\x01", 16);
    U32(block, static_cast<uint32_t>(16 + 4 + body.size()));
    return block + body;
  }
};

BlockBuilder TwoLanguageBlock() {
  BlockBuilder b;
  b.translations = {{0x0409, 1252}, {0x0407, 0x04B0}};
  b.strings = {{"\\StringFileInfo\\040904e4\\FileVersion", "2.3.4.5"},
               {"\\StringFileInfo\\040904e4\\CompanyName", "Example Ltd"},
               {"\\StringFileInfo\\040704b0\\FileVersion", "2.3.4.5 (de)"}};
  return b;
}

TEST(FileVersionInfo, ReadsFixedInfoTranslationsAndStrings) {
  TempDir dir;
  // Some bytes before the block, among them a bare signature with no valid
  // block behind it, as the reader's own constant looks in a program file.
  const std::string decoy = std::string("\x7f" "ELF junk ", 9) + std::string("NOTARRA-VERINFO\x01", 16) + "xx";
  WriteFile(dir / "prog", decoy + TwoLanguageBlock().Bytes() + std::string(100, '\0'));
  TFileVersionInfo info;
  info.SetFileName(dir / "prog");
  ASSERT_TRUE(info.HasInfo());
  EXPECT_EQ(info.TranslationCount(), 2);
  EXPECT_EQ(info.Translation(), 0);
  EXPECT_EQ(info.TranslationText(), "040904e4");
  EXPECT_EQ(info.StringInfoByIndex(3), "2.3.4.5");
  EXPECT_EQ(info.StringInfo("CompanyName"), "Example Ltd");
  EXPECT_EQ(info.StringInfo("ProductName"), "");
  // Bytes 8..11 of the fixed part: the high half of the file version.
  EXPECT_EQ(info.FixedFileInfo()[8], 0x03);
  EXPECT_EQ(info.FixedFileInfo()[10], 0x02);

  info.SetTranslation(1);
  EXPECT_EQ(info.TranslationText(), "040704b0");
  EXPECT_EQ(info.StringInfoByIndex(3), "2.3.4.5 (de)");
  EXPECT_EQ(info.StringInfo("CompanyName"), "");
  info.SetTranslation(2);
  EXPECT_EQ(info.Translation(), -1);
  EXPECT_EQ(info.TranslationText(), "");
  EXPECT_EQ(info.StringInfoByIndex(3), "");
  EXPECT_EQ(info.StringInfoByIndex(12), "");
}

TEST(FileVersionInfo, NoTranslationTableGivesAnEmptyVersion) {
  TempDir dir;
  BlockBuilder b = TwoLanguageBlock();
  b.translations.clear();
  WriteFile(dir / "prog", b.Bytes());
  TFileVersionInfo info;
  info.SetFileName(dir / "prog");
  EXPECT_TRUE(info.HasInfo());
  EXPECT_EQ(info.Translation(), -1);
  EXPECT_EQ(info.StringInfoByIndex(3), "");
}

TEST(FileVersionInfo, FilesWithoutAValidBlockGiveNothing) {
  TempDir dir;
  const std::string whole = TwoLanguageBlock().Bytes();
  WriteFile(dir / "plain", "just some bytes");
  WriteFile(dir / "truncated", whole.substr(0, whole.size() - 5));
  std::string badFixed = whole;
  badFixed[20] = 0;  // the fixed part's signature
  WriteFile(dir / "badfixed", badFixed);
  for (const char* name : {"plain", "truncated", "badfixed", "missing"}) {
    SCOPED_TRACE(name);
    TFileVersionInfo info;
    info.SetFileName(dir / name);
    EXPECT_FALSE(info.HasInfo());
    EXPECT_EQ(info.TranslationCount(), 0);
    EXPECT_EQ(info.StringInfoByIndex(3), "");
    EXPECT_EQ(info.FixedFileInfo()[0], 0);
  }
  // A second read resets what the first found.
  WriteFile(dir / "good", whole);
  TFileVersionInfo info;
  info.SetFileName(dir / "good");
  ASSERT_TRUE(info.HasInfo());
  info.SetFileName(dir / "plain");
  EXPECT_FALSE(info.HasInfo());
  EXPECT_EQ(info.TranslationText(), "");
}

TEST(FileVersionInfo, EmptyNameReadsTheRunningProgram) {
  TFileVersionInfo info;
  info.SetFileName("");
  ASSERT_TRUE(info.HasInfo());
  EXPECT_EQ(info.TranslationText(), "040904e4");
  EXPECT_EQ(info.StringInfo("FileVersion"), NOTARRA_EXPECTED_VERSION);
  EXPECT_EQ(info.StringInfo("ProductName"), "Notarra");
}

}  // namespace
