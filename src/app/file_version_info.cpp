#include "app/file_version_info.h"

#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "app/version_block.h"

namespace notarra {

namespace {

const std::string kStringPrefix = "\\StringFileInfo\\";

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// Reads little-endian integers and zero-terminated texts within [pos, end).
struct Reader {
  const std::string& s;
  std::size_t pos, end;
  bool U32(uint32_t& v) {
    if (end - pos < 4) return false;
    v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[pos + i]);
    pos += 4;
    return true;
  }
  bool U16(uint16_t& v) {
    if (end - pos < 2) return false;
    v = static_cast<uint16_t>(static_cast<unsigned char>(s[pos]) | static_cast<unsigned char>(s[pos + 1]) << 8);
    pos += 2;
    return true;
  }
  bool Text(std::string& out) {
    const std::size_t zero = s.find('\0', pos);
    if (zero == std::string::npos || zero >= end) return false;
    out.assign(s, pos, zero - pos);
    pos = zero + 1;
    return true;
  }
};

}  // namespace

std::string ProgramFilePath() {
  // File names are the file system's bytes, not Windows-1252 text.
  if (QCoreApplication::instance()) return QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();
  std::error_code ec;
  return std::filesystem::read_symlink("/proc/self/exe", ec).string();
}

TFileVersionInfo::TFileVersionInfo(TComponent* owner) : TComponent(owner) {}

const std::array<const char*, 12>& TFileVersionInfo::StringInfoNames() {
  static const std::array<const char*, 12> names = {
      "Comments",      "CompanyName",      "FileDescription", "FileVersion", "InternalName",   "LegalCopyright",
      "LegalTrademarks", "OriginalFileName", "PrivateBuild",    "ProductName", "ProductVersion", "SpecialBuild"};
  return names;
}

void TFileVersionInfo::SetFileName(const std::string& name) {
  fileName_ = name;
  ReadVersionInfo();
}

void TFileVersionInfo::ReadVersionInfo() {
  found_ = false;
  fixed_.fill(0);
  translations_.clear();
  translation_ = -1;
  strings_.clear();
  const std::string path = fileName_.empty() ? ProgramFilePath() : fileName_;
  std::string bytes;
  if (path.empty() || !ReadWholeFile(path, bytes)) return;
  const std::string_view signature(kVersionBlockSignature, 16);
  const std::boyer_moore_horspool_searcher searcher(signature.begin(), signature.end());
  // The signature text may also occur outside a block (the reader's own
  // constant in the program file): keep looking until a whole block parses.
  auto from = bytes.cbegin();
  while (true) {
    const auto hit = std::search(from, bytes.cend(), searcher);
    if (hit == bytes.cend()) return;
    if (ParseBlock(bytes, static_cast<std::size_t>(hit - bytes.cbegin()))) break;
    from = hit + 1;
  }
  found_ = true;
  SetTranslation(0);
}

bool TFileVersionInfo::ParseBlock(const std::string& s, std::size_t at) {
  Reader r{s, at + 16, s.size()};
  uint32_t length = 0;
  if (!r.U32(length) || length < 16 + 4 + kFixedFileInfoSize + 8 || length > s.size() - at) return false;
  r.end = at + length;
  std::array<uint8_t, 52> fixed{};
  std::memcpy(fixed.data(), s.data() + r.pos, fixed.size());
  uint32_t fixedSignature = 0;
  if (!r.U32(fixedSignature) || fixedSignature != kFixedFileInfoSignature) return false;
  r.pos = at + 20 + kFixedFileInfoSize;
  uint32_t count = 0;
  if (!r.U32(count) || count > (r.end - r.pos) / 4) return false;
  std::vector<TVersionTranslation> translations(count);
  for (auto& t : translations) {
    if (!r.U16(t.language) || !r.U16(t.codePage)) return false;
  }
  uint32_t stringCount = 0;
  if (!r.U32(stringCount) || stringCount > (r.end - r.pos) / 2) return false;
  std::map<std::string, std::string> strings;
  for (uint32_t i = 0; i < stringCount; ++i) {
    std::string key, value;
    if (!r.Text(key) || !r.Text(value)) return false;
    strings[key] = value;
  }
  fixed_ = fixed;
  translations_ = std::move(translations);
  strings_ = std::move(strings);
  return true;
}

void TFileVersionInfo::SetTranslation(int index) {
  translation_ = index >= 0 && index < TranslationCount() ? index : -1;
}

std::string TFileVersionInfo::TranslationText() const {
  if (!found_ || translation_ < 0) return {};
  const TVersionTranslation& t = translations_[static_cast<std::size_t>(translation_)];
  char text[16];
  std::snprintf(text, sizeof text, "%4.4x%4.4x", static_cast<unsigned>(t.language), static_cast<unsigned>(t.codePage));
  return text;
}

std::string TFileVersionInfo::StringInfo(const std::string& name) const {
  if (!found_) return {};
  const auto it = strings_.find(kStringPrefix + TranslationText() + "\\" + name);
  return it == strings_.end() ? std::string() : it->second;
}

std::string TFileVersionInfo::StringInfoByIndex(int index) const {
  if (index < 0 || index >= static_cast<int>(StringInfoNames().size())) return {};
  return StringInfo(StringInfoNames()[static_cast<std::size_t>(index)]);
}

}  // namespace notarra
