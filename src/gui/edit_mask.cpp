#include "gui/edit_mask.h"

#include <algorithm>

#include "platform/codepage.h"
#include "platform/format_settings.h"

namespace notarra {

bool IsAnsiLetter(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
  if (c >= 0xC0) return c != 0xD7 && c != 0xF7;
  switch (c) {
    case 0x83: case 0x8A: case 0x8C: case 0x8E: case 0x9A: case 0x9C: case 0x9E: case 0x9F: case 0xAA: case 0xB5:
    case 0xBA:
      return true;
    default:
      return false;
  }
}

TEditMask::TEditMask(const std::string& mask) {
  // Split off the fields after the mask proper; a ';' escaped with '\' stays in the mask.
  std::string body;
  std::vector<std::string> fields;
  size_t i = 0;
  for (; i < mask.size(); ++i) {
    if (mask[i] == '\\' && i + 1 < mask.size()) {
      body += mask[i];
      body += mask[++i];
      continue;
    }
    if (mask[i] == ';') break;
    body += mask[i];
  }
  if (i < mask.size()) {
    std::string field;
    for (++i; i <= mask.size(); ++i) {
      if (i == mask.size() || mask[i] == ';') {
        fields.push_back(field);
        field.clear();
      } else {
        field += mask[i];
      }
    }
  }
  if (!fields.empty() && !fields[0].empty()) saveLiterals_ = fields[0][0] != '0';
  if (fields.size() > 1 && !fields[1].empty()) blank_ = fields[1][0];

  Case caseMode = Case::None;
  for (size_t k = 0; k < body.size(); ++k) {
    const char c = body[k];
    Position p;
    switch (c) {
      case '!':
        leadingBlanks_ = true;
        continue;
      case '>':
        if (k + 1 < body.size() && body[k + 1] == '<') {
          caseMode = Case::None;
          ++k;
        } else {
          caseMode = Case::Upper;
        }
        continue;
      case '<':
        caseMode = Case::Lower;
        continue;
      case '\\':
        if (k + 1 >= body.size()) continue;
        p.literal = true;
        p.ch = body[++k];
        break;
      case 'L': case 'A': case 'C': case '0':
        p.ch = c;
        p.required = true;
        break;
      case 'l': case 'a': case 'c': case '9': case '#':
        p.ch = c;
        break;
      case ':':
        p.literal = true;
        p.ch = FormatSettings().TimeSeparator;
        break;
      case '/':
        p.literal = true;
        p.ch = FormatSettings().DateSeparator;
        break;
      case '_':
        p.literal = true;
        p.ch = ' ';
        break;
      default:
        p.literal = true;
        p.ch = c;
        break;
    }
    p.caseMode = caseMode;
    positions_.push_back(p);
  }
}

bool TEditMask::Accepts(int i, char c, char& converted) const {
  if (i < 0 || i >= Length()) return false;
  const Position& p = At(i);
  if (p.literal) return false;
  const auto u = static_cast<unsigned char>(c);
  bool ok = false;
  switch (p.ch) {
    case 'L': case 'l': ok = IsAnsiLetter(u); break;
    case 'A': case 'a': ok = IsAnsiLetter(u) || (c >= '0' && c <= '9'); break;
    case 'C': case 'c': ok = u >= 32; break;
    case '0': case '9': ok = c >= '0' && c <= '9'; break;
    case '#': ok = (c >= '0' && c <= '9') || c == '+' || c == '-'; break;
    default: break;
  }
  if (!ok) return false;
  converted = c;
  if (p.caseMode == Case::Upper) converted = static_cast<char>(AnsiUpperChar(u));
  if (p.caseMode == Case::Lower) converted = static_cast<char>(AnsiLowerChar(u));
  return true;
}

std::string TEditMask::Format(const std::string& value) const {
  std::string out(static_cast<size_t>(Length()), blank_);
  int inputs = 0;
  for (const Position& p : positions_)
    if (!p.literal) ++inputs;
  // Without saved literals a short value fills the input positions from the
  // end when optional blanks lead ("!").
  size_t v = 0;
  int skip = 0;
  if (!saveLiterals_ && leadingBlanks_ && static_cast<int>(value.size()) < inputs)
    skip = inputs - static_cast<int>(value.size());
  for (int i = 0; i < Length(); ++i) {
    const Position& p = At(i);
    if (p.literal) {
      out[static_cast<size_t>(i)] = p.ch;
      if (saveLiterals_ && v < value.size()) ++v;
      continue;
    }
    if (skip > 0) {
      --skip;
      continue;
    }
    if (v < value.size()) {
      const char c = value[v++];
      char converted = c;
      out[static_cast<size_t>(i)] = (c == ' ' || c == blank_ || !Accepts(i, c, converted)) ? blank_ : converted;
    }
  }
  return out;
}

std::string TEditMask::Unformat(const std::string& editText) const {
  std::string out;
  for (int i = 0; i < Length(); ++i) {
    const Position& p = At(i);
    const char c = static_cast<size_t>(i) < editText.size() ? editText[static_cast<size_t>(i)] : blank_;
    if (p.literal) {
      if (saveLiterals_) out += p.ch;
    } else {
      out += c == blank_ ? ' ' : c;
    }
  }
  return out;
}

int TEditMask::FirstInvalid(const std::string& editText) const {
  for (int i = 0; i < Length(); ++i) {
    const Position& p = At(i);
    if (p.literal) continue;
    const char c = static_cast<size_t>(i) < editText.size() ? editText[static_cast<size_t>(i)] : blank_;
    if (c == blank_ || c == ' ') {
      if (p.required) return i;
      continue;
    }
    char converted = c;
    if (!Accepts(i, c, converted)) return i;
  }
  return -1;
}

int TEditMask::NextInput(int i) const {
  for (int k = std::max(i, 0); k < Length(); ++k)
    if (!At(k).literal) return k;
  return -1;
}

int TEditMask::PriorInput(int i) const {
  for (int k = std::min(i, Length()) - 1; k >= 0; --k)
    if (!At(k).literal) return k;
  return -1;
}

}  // namespace notarra
