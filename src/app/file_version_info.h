// TFileVersionInfo reads the version block of a program file (see
// version_block.h for its layout): the fixed file information, the
// translation table and the strings of each translation.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/component.h"

namespace notarra {

struct TVersionTranslation {
  uint16_t language = 0;
  uint16_t codePage = 0;
};

class TFileVersionInfo : public TComponent {
public:
  explicit TFileVersionInfo(TComponent* owner = nullptr);

  // Setting it reads the file again; an empty name stands for the running
  // program's own file.
  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& name);

  bool HasInfo() const { return found_; }
  // The 52 bytes of fixed information, zero when none was found.
  const std::array<uint8_t, 52>& FixedFileInfo() const { return fixed_; }
  int TranslationCount() const { return static_cast<int>(translations_.size()); }
  const std::vector<TVersionTranslation>& Translations() const { return translations_; }
  int Translation() const { return translation_; }
  // An index outside the table selects no translation (-1).
  void SetTranslation(int index);

  // Language and code page of the current translation as eight lower-case
  // hexadecimal digits; empty without one.
  std::string TranslationText() const;
  std::string StringInfo(const std::string& name) const;
  // 0 Comments ... 11 SpecialBuild; other indexes give an empty text.
  std::string StringInfoByIndex(int index) const;

  static const std::array<const char*, 12>& StringInfoNames();

private:
  void ReadVersionInfo();
  bool ParseBlock(const std::string& file, std::size_t at);

  std::string fileName_;
  bool found_ = false;
  std::array<uint8_t, 52> fixed_{};
  std::vector<TVersionTranslation> translations_;
  int translation_ = -1;
  std::map<std::string, std::string> strings_;  // query path -> value
};

// The running program's file.
std::string ProgramFilePath();

}  // namespace notarra
