// The RTF reader: one pass over the bytes with a stack of group states (no
// recursion, so nesting depth costs memory only up to a bound).
#include <algorithm>
#include <array>
#include <string>

#include "platform/codepage.h"
#include "rtf/rtf_document.h"

namespace notarra {

namespace {

constexpr std::size_t kMaxDepth = 512;     // deeper groups are read as part of the deepest
constexpr int kMaxParameter = 1 << 24;     // larger numbers are cut to it

struct TGroupState {
  TRtfFormat Format;
  int SkipAfterUnicode = 1;  // \ucN: characters that stand in for each \u
  bool Skip = false;         // a destination whose text is not ours
  bool ColorTable = false;
};

// Destinations that hold no text of the document.
bool IsSkippedDestination(std::string_view word) {
  static constexpr std::string_view kSkipped[] = {
      "fonttbl",  "stylesheet", "info",       "pict",      "object",      "header",  "headerl", "headerr",
      "headerf",  "footer",     "footerl",    "footerr",   "footerf",     "footnote", "xmlnstbl", "listtable",
      "listoverridetable", "rsidtbl", "generator", "themedata", "colorschememapping", "latentstyles",
      "datastore", "fldinst",   "pn",         "filetbl",   "revtbl",      "userprops", "bkmkstart", "bkmkend"};
  return std::find(std::begin(kSkipped), std::end(kSkipped), word) != std::end(kSkipped);
}

class TReader {
public:
  // With plain, the text alone goes there in Windows-1252 and no document is made.
  explicit TReader(std::string_view in, std::string* plain = nullptr) : in_(in), plain_(plain) {}

  TRtfDocument Read() {
    while (pos_ < in_.size()) {
      const char c = in_[pos_++];
      if (c == '{') {
        OpenGroup();
      } else if (c == '}') {
        CloseGroup();
      } else if (c == '\\') {
        Control();
      } else if (c == '\r' || c == '\n') {
        // Line ends in RTF source mean nothing.
      } else if (state_.ColorTable && c == ';') {
        colors_.push_back(color_);
        color_ = -1;
      } else {
        Character(static_cast<unsigned char>(c));
      }
    }
    EndParagraph(false);
    return std::move(doc_);
  }

private:
  void OpenGroup() {
    if (stack_.size() >= kMaxDepth) {
      ++overflow_;
      return;
    }
    stack_.push_back(state_);
    groupStart_ = true;
  }

  void CloseGroup() {
    if (overflow_ > 0) {
      --overflow_;
      return;
    }
    if (stack_.empty()) return;  // a stray brace
    state_ = stack_.back();
    stack_.pop_back();
  }

  void Control() {
    if (pos_ >= in_.size()) return;
    const char c = in_[pos_];
    if (!IsLetter(c)) {
      ++pos_;
      Symbol(c);
      return;
    }
    const std::size_t start = pos_;
    while (pos_ < in_.size() && IsLetter(in_[pos_]) && pos_ - start < 32) ++pos_;
    const std::string_view word = in_.substr(start, pos_ - start);
    bool negative = false, hasParameter = false;
    int parameter = 0;
    if (pos_ < in_.size() && in_[pos_] == '-' && pos_ + 1 < in_.size() && IsDigit(in_[pos_ + 1])) {
      negative = true;
      ++pos_;
    }
    while (pos_ < in_.size() && IsDigit(in_[pos_])) {
      hasParameter = true;
      parameter = std::min(kMaxParameter, parameter * 10 + (in_[pos_] - '0'));
      ++pos_;
    }
    if (negative) parameter = -parameter;
    if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;  // the delimiter
    Word(word, hasParameter, parameter);
  }

  void Symbol(char c) {
    switch (c) {
      case '\\':
      case '{':
      case '}': Character(static_cast<unsigned char>(c)); break;
      case '\'': {
        if (pos_ + 2 > in_.size()) {  // cut off
          pos_ = in_.size();
          return;
        }
        const int hi = HexValue(in_[pos_]), lo = HexValue(in_[pos_ + 1]);
        pos_ += 2;
        if (hi >= 0 && lo >= 0) Character(static_cast<unsigned char>(hi * 16 + lo));
        break;
      }
      case '*':
        // An ignorable destination: one we do not know is passed over whole.
        if (groupStart_) ignorable_ = true;
        break;
      case '~': Text("\u00A0"); break;
      case '_': Text("-"); break;
      case '\r':
      case '\n': Word("par", false, 0); break;
      default: break;  // \- (optional hyphen), \| and others
    }
  }

  void Word(std::string_view word, bool hasParameter, int parameter) {
    const bool starts = groupStart_;
    const bool ignorable = ignorable_;
    groupStart_ = false;
    ignorable_ = false;
    if (word == "bin") {  // raw bytes, never text
      pos_ = std::min(in_.size(), pos_ + static_cast<std::size_t>(std::max(0, parameter)));
      return;
    }
    if (state_.Skip) {
      if (word == "pnlvlblt") bullet_ = true;  // WordPad's bullet, inside its {\*\pn ...}
      return;
    }
    if (word == "pntext" || word == "listtext") {
      // The bullet as drawn for readers without lists: ours draw their own.
      bullet_ = true;
      state_.Skip = true;
      return;
    }
    if (word == "colortbl") {
      state_.ColorTable = true;
      return;
    }
    // {\*\pn ...} describes WordPad's bullet: only its kind is read (above).
    if (IsSkippedDestination(word) || (starts && ignorable)) {
      state_.Skip = true;
      return;
    }
    TRtfFormat& f = state_.Format;
    const bool on = !hasParameter || parameter != 0;
    if (state_.ColorTable) {
      const int v = std::clamp(parameter, 0, 255);
      if (color_ < 0) color_ = 0;
      if (word == "red") color_ = (color_ & 0x00FFFF) | (v << 16);
      else if (word == "green") color_ = (color_ & 0xFF00FF) | (v << 8);
      else if (word == "blue") color_ = (color_ & 0xFFFF00) | v;
      return;
    }
    if (word == "par" || word == "page") EndParagraph(true);
    else if (word == "line") Text("\n");
    else if (word == "tab") Text("\t");
    else if (word == "pard") bullet_ = false;
    else if (word == "ls") bullet_ = bullet_ || parameter > 0;
    else if (word == "plain") f = TRtfFormat{};
    else if (word == "b") f.Bold = on;
    else if (word == "i") f.Italic = on;
    else if (word == "ul" || word == "uld" || word == "uldb" || word == "ulw" || word == "uldash") f.Underline = on;
    else if (word == "ulnone") f.Underline = false;
    else if (word == "fs") f.HalfPoints = hasParameter ? std::clamp(parameter, 0, 3276) : 0;
    else if (word == "cf")
      f.Color = parameter >= 0 && static_cast<std::size_t>(parameter) < colors_.size() ? colors_[parameter] : -1;
    else if (word == "uc") state_.SkipAfterUnicode = std::clamp(parameter, 0, 16);
    else if (word == "u") Unicode(parameter);
    else if (word == "bullet") Text("\u2022");
    else if (word == "endash") Text("\u2013");
    else if (word == "emdash") Text("\u2014");
    else if (word == "lquote") Text("\u2018");
    else if (word == "rquote") Text("\u2019");
    else if (word == "ldblquote") Text("\u201C");
    else if (word == "rdblquote") Text("\u201D");
  }

  void Unicode(int parameter) {
    uint32_t cp = static_cast<uint32_t>(parameter < 0 ? parameter + 65536 : parameter) & 0xFFFF;
    skip_ = state_.SkipAfterUnicode;
    if (cp >= 0xD800 && cp <= 0xDBFF) {
      high_ = cp;
      return;
    }
    if (cp >= 0xDC00 && cp <= 0xDFFF) {
      if (high_ == 0) return;
      cp = 0x10000 + ((high_ - 0xD800) << 10) + (cp - 0xDC00);
    }
    high_ = 0;
    if (cp < 0x20) return;  // control characters are no text
    std::string utf8;
    AppendUtf8(utf8, cp);
    Text(utf8);
  }

  void Character(unsigned char c) {
    groupStart_ = false;
    if (skip_ > 0) {  // the stand-in after \u
      --skip_;
      return;
    }
    if (state_.Skip || state_.ColorTable || c < 0x20) return;
    if (plain_) {
      *plain_ += static_cast<char>(c);
      return;
    }
    static const auto utf8 = [] {
      std::array<std::string, 256> table;
      for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        table[b] = AnsiToUtf8(std::string_view(&byte, 1));
      }
      return table;
    }();
    Text(utf8[c]);
  }

  void Text(std::string_view utf8) {
    if (state_.Skip || state_.ColorTable) return;
    if (plain_) {
      std::string ansi;
      for (std::size_t i = 0; i < utf8.size();) {
        uint32_t cp = 0;
        const std::size_t n = std::max<std::size_t>(1, DecodeUtf8(utf8, i, cp));
        *plain_ += cp < 0x80 ? std::string(1, static_cast<char>(cp))
                             : (Utf8ToAnsi(utf8.substr(i, n), ansi) ? ansi : std::string("?"));
        i += n;
      }
      return;
    }
    std::vector<TRtfRun>& runs = paragraph_.Runs;
    if (runs.empty() || runs.back().Format != state_.Format) runs.push_back({std::string(), state_.Format});
    runs.back().Text += utf8;
  }

  void EndParagraph(bool explicitEnd) {
    skip_ = 0;
    if (plain_) {
      if (explicitEnd) *plain_ += '\n';
      return;
    }
    if (!explicitEnd && paragraph_.Runs.empty()) return;  // no last empty paragraph
    paragraph_.Bullet = bullet_;
    doc_.Paragraphs.push_back(std::move(paragraph_));
    paragraph_ = {};
  }

  static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
  static int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  std::string_view in_;
  std::string* plain_;
  std::size_t pos_ = 0;
  std::vector<TGroupState> stack_;
  TGroupState state_;
  std::size_t overflow_ = 0;
  bool groupStart_ = false;
  bool ignorable_ = false;
  bool bullet_ = false;
  int skip_ = 0;
  uint32_t high_ = 0;
  std::vector<int64_t> colors_;
  int64_t color_ = -1;
  TRtfParagraph paragraph_;
  TRtfDocument doc_;
};

}  // namespace

TRtfDocument ReadRtf(std::string_view rtf) { return TReader(rtf).Read(); }

void AppendRtfPlainText(std::string_view rtf, std::string& out) { TReader(rtf, &out).Read(); }

}  // namespace notarra
