// CSV as RFC 4180 writes it: fields separated by commas, records ended by
// CRLF, a field that holds a comma, a double quote, CR or LF enclosed in
// double quotes with its quotes doubled.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace notarra {

namespace csv {

class Error : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Appends one field, quoted when it needs to be.
void AppendField(std::string& out, std::string_view field);
// Appends a whole record and its CRLF. A record of one empty field is
// written as "" so that it does not read back as a blank line.
void AppendRecord(std::string& out, const std::vector<std::string>& fields);

// Reads records one by one. Line ends may be CRLF, LF or CR; a final line
// end before the end of the input does not start another record. A UTF-8
// byte order mark at the start is skipped. Malformed quoting raises Error
// naming the line.
class Reader {
public:
  explicit Reader(std::string_view text);
  // The next record into fields; false at the end of the input. Blank
  // lines are passed over.
  bool ReadRecord(std::vector<std::string>& fields);
  // The line on which the record last read began (1-based).
  int RecordLine() const { return recordLine_; }

private:
  [[noreturn]] void Fail(const std::string& message) const;
  bool AtLineEnd() const;
  void SkipLineEnd();

  std::string_view text_;
  std::size_t pos_ = 0;
  int line_ = 1;
  int recordLine_ = 0;
};

}  // namespace csv

}  // namespace notarra
