#include <algorithm>
#include <array>
#include <cstdio>
#include <unordered_map>

#include "platform/codepage.h"
#include "rtf/rtf_document.h"

namespace notarra {

namespace {

// Code point -> Windows-1252 byte, for the characters past ASCII.
const std::unordered_map<uint32_t, unsigned char>& CodePage() {
  static const auto table = [] {
    std::unordered_map<uint32_t, unsigned char> t;
    for (int b = 0x80; b < 0x100; ++b) {
      const char byte = static_cast<char>(b);
      const std::string utf8 = AnsiToUtf8(std::string_view(&byte, 1));
      uint32_t cp = 0;
      if (DecodeUtf8(utf8, 0, cp) == utf8.size()) t.emplace(cp, static_cast<unsigned char>(b));
    }
    return t;
  }();
  return table;
}

void AppendEscaped(std::string& out, std::string_view utf8) {
  char buf[16];
  for (std::size_t i = 0; i < utf8.size();) {
    uint32_t cp = 0;
    std::size_t n = DecodeUtf8(utf8, i, cp);
    if (n == 0) {  // not UTF-8: the byte as Windows-1252 would have it
      cp = static_cast<unsigned char>(utf8[i]);
      n = 1;
    }
    i += n;
    if (cp == '\\' || cp == '{' || cp == '}') {
      out += '\\';
      out += static_cast<char>(cp);
    } else if (cp == '\n') {
      out += "\\line ";
    } else if (cp == '\t') {
      out += "\\tab ";
    } else if (cp >= 0x20 && cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (auto at = CodePage().find(cp); at != CodePage().end()) {
      std::snprintf(buf, sizeof buf, "\\'%02x", at->second);
      out += buf;
    } else if (cp < 0x20) {
      // Other control characters have no place in text.
    } else if (cp < 0x10000) {
      std::snprintf(buf, sizeof buf, "\\u%d?", static_cast<int>(static_cast<int16_t>(cp)));
      out += buf;
    } else {
      const uint32_t v = cp - 0x10000;
      for (uint32_t half : {0xD800 + (v >> 10), 0xDC00 + (v & 0x3FF)}) {
        std::snprintf(buf, sizeof buf, "\\u%d?", static_cast<int>(static_cast<int16_t>(half)));
        out += buf;
      }
    }
  }
}

}  // namespace

std::string WriteRtf(const TRtfDocument& document) {
  std::vector<int64_t> colors;
  for (const TRtfParagraph& p : document.Paragraphs)
    for (const TRtfRun& r : p.Runs)
      if (r.Format.Color >= 0 && std::find(colors.begin(), colors.end(), r.Format.Color) == colors.end())
        colors.push_back(r.Format.Color);

  std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fnil\\fcharset2 Symbol;}}\n";
  if (!colors.empty()) {
    out += "{\\colortbl ;";
    for (int64_t c : colors)
      out += "\\red" + std::to_string((c >> 16) & 0xFF) + "\\green" + std::to_string((c >> 8) & 0xFF) + "\\blue" +
             std::to_string(c & 0xFF) + ";";
    out += "}\n";
  }
  for (const TRtfParagraph& p : document.Paragraphs) {
    out += "\\pard";
    // WordPad's way of a bullet, which Word and LibreOffice read too.
    if (p.Bullet) out += "{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'b7}}\\fi-360\\li360";
    out += ' ';
    for (const TRtfRun& r : p.Runs) {
      if (r.Text.empty()) continue;
      const TRtfFormat& f = r.Format;
      std::string words;
      if (f.Bold) words += "\\b";
      if (f.Italic) words += "\\i";
      if (f.Underline) words += "\\ul";
      if (f.HalfPoints > 0) words += "\\fs" + std::to_string(f.HalfPoints);
      if (f.Color >= 0)
        words += "\\cf" + std::to_string(std::find(colors.begin(), colors.end(), f.Color) - colors.begin() + 1);
      if (words.empty()) {
        AppendEscaped(out, r.Text);
      } else {
        out += "{" + words + " ";
        AppendEscaped(out, r.Text);
        out += "}";
      }
    }
    out += "\\par\n";
  }
  out += "}";
  return out;
}

}  // namespace notarra
