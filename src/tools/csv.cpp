#include "tools/csv.h"

namespace notarra {

namespace csv {

void AppendField(std::string& out, std::string_view field) {
  if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
    out += field;
    return;
  }
  out += '"';
  for (char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void AppendRecord(std::string& out, const std::vector<std::string>& fields) {
  if (fields.size() == 1 && fields[0].empty()) {
    out += "\"\"\r\n";
    return;
  }
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) out += ',';
    AppendField(out, fields[i]);
  }
  out += "\r\n";
}

Reader::Reader(std::string_view text) : text_(text) {
  if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
}

void Reader::Fail(const std::string& message) const {
  throw Error("CSV error on line " + std::to_string(line_) + ": " + message);
}

bool Reader::AtLineEnd() const { return pos_ < text_.size() && (text_[pos_] == '\r' || text_[pos_] == '\n'); }

void Reader::SkipLineEnd() {
  if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
  ++pos_;
  ++line_;
}

bool Reader::ReadRecord(std::vector<std::string>& fields) {
  fields.clear();
  // Blank lines hold no record, as most CSV readers take them (a record of
  // one empty field is written as "").
  while (pos_ < text_.size() && AtLineEnd()) SkipLineEnd();
  if (pos_ >= text_.size()) return false;
  recordLine_ = line_;
  while (true) {
    std::string field;
    if (pos_ < text_.size() && text_[pos_] == '"') {
      const int startLine = line_;
      ++pos_;
      while (true) {
        if (pos_ >= text_.size()) {
          line_ = startLine;
          Fail("quoted field is not closed");
        }
        const char c = text_[pos_];
        if (c == '"') {
          if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '"') {
            field += '"';
            pos_ += 2;
            continue;
          }
          ++pos_;
          break;
        }
        if (c == '\n' || (c == '\r' && !(pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n'))) ++line_;
        field += c;
        ++pos_;
      }
      if (pos_ < text_.size() && text_[pos_] != ',' && !AtLineEnd())
        Fail("unexpected character after a closing quote (a quote inside a field must be doubled)");
    } else {
      const std::size_t start = pos_;
      while (pos_ < text_.size() && text_[pos_] != ',' && !AtLineEnd()) {
        if (text_[pos_] == '"') Fail("quote inside an unquoted field (enclose the field in quotes and double it)");
        ++pos_;
      }
      field.assign(text_.substr(start, pos_ - start));
    }
    fields.push_back(std::move(field));
    if (pos_ >= text_.size()) return true;
    if (text_[pos_] == ',') {
      ++pos_;
      continue;
    }
    SkipLineEnd();
    return true;
  }
}

}  // namespace csv

}  // namespace notarra
