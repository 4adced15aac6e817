#include "tableengine/field_entry.h"

namespace notarra {

bool ParseFieldEntry(std::string_view entry, TVelaField& field) {
  std::size_t blank = entry.find(' ');
  if (blank == std::string_view::npos || blank + 1 >= entry.size()) return false;
  std::string_view head = entry.substr(0, blank);
  std::size_t dot = head.find('.');
  if (dot == std::string_view::npos) {
    field.Qualifier = "XXX";
    field.Name = std::string(head);
  } else {
    field.Qualifier = std::string(head.substr(0, dot));
    field.Name = std::string(head.substr(dot + 1));
  }
  std::string_view rest = entry.substr(blank + 1);
  unsigned char code = static_cast<unsigned char>(rest[0]);
  std::size_t tilde = rest.find('~', 1);  // the code itself may be a "~"
  int size = 0;
  TVelaFieldKind kind;
  switch (code) {
    case 'l': kind = TVelaFieldKind::SmallInt; break;
    case 'i': kind = TVelaFieldKind::Integer; break;
    case 'e': kind = TVelaFieldKind::Int64; break;
    case 'b': kind = TVelaFieldKind::Boolean; break;
    case 'f': kind = TVelaFieldKind::Double; break;
    case 'c': kind = TVelaFieldKind::Currency; break;
    case 'd': kind = TVelaFieldKind::Date; break;
    case 'v': kind = TVelaFieldKind::Time; break;
    case 't': kind = TVelaFieldKind::DateTime; break;
    case 'a': kind = TVelaFieldKind::AutoInc; break;
    case 'o': kind = TVelaFieldKind::BLOB; break;
    case 'm': kind = TVelaFieldKind::Memo; break;
    case 'r': kind = TVelaFieldKind::FmtMemo; break;
    case 'g': kind = TVelaFieldKind::Graphic; break;
    case 's': {
      kind = TVelaFieldKind::String;
      std::string_view digits = rest.substr(1, tilde == std::string_view::npos ? std::string_view::npos : tilde - 1);
      if (digits.empty()) {
        size = 100;
      } else {
        for (char c : digits) {
          // A size must fit the descriptor's 16 bits.
          if (c < '0' || c > '9' || size > 3276) return false;
          size = size * 10 + (c - '0');
        }
        if (size > 32767) return false;
      }
      break;
    }
    default:
      kind = TVelaFieldKind::SmallStr;
      size = (code >= '0' && code <= '9') ? code - '0' : code - 55;
      // Bytes below "7" would give a negative size: no field can be laid out from that.
      if (size < 0) return false;
      break;
  }
  field.Kind = kind;
  field.Size = static_cast<int16_t>(size);
  field.RightAligned = KindRightAligned(kind);
  field.DefaultValue.clear();
  field.ExtraText.clear();
  if (tilde != std::string_view::npos) {
    std::string_view tail = rest.substr(tilde + 1);
    std::size_t second = tail.find('~');
    if (second != std::string_view::npos) {
      field.DefaultValue = std::string(tail.substr(0, second));
      field.ExtraText = std::string(tail.substr(second + 1));
    } else {
      field.ExtraText = std::string(tail);
    }
  }
  return true;
}

std::string BuiltFieldEntry(const TVelaField& f) {
  std::string s = f.Qualifier;
  s += '.';
  for (char c : f.Name) s += c == ' ' ? '_' : c;
  s += ' ';
  s += KindTypeCode(f.Kind, f.Size);
  if (!f.DefaultValue.empty() || !f.ExtraText.empty()) {
    s += '~';
    s += f.DefaultValue;
    s += '~';
    s += f.ExtraText;
  }
  return s;
}

std::string WrittenFieldEntry(const TVelaField& f) { return f.Entry.empty() ? BuiltFieldEntry(f) : f.Entry; }

bool SameEntryParts(const TVelaField& a, const TVelaField& b) {
  return a.Qualifier == b.Qualifier && a.Name == b.Name && a.Kind == b.Kind && a.Size == b.Size &&
         a.DefaultValue == b.DefaultValue && a.ExtraText == b.ExtraText;
}

}  // namespace notarra
