#include "tools/table_csv.h"

#include <optional>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/text.h"
#include "tools/csv.h"
#include "tools/field_values.h"
#include "tools/record_data.h"
#include "tools/tool_error.h"

namespace notarra {

namespace {
constexpr std::size_t kFlushSize = 1 << 20;
}

namespace {

// Builds the CSV into buf; flush (when given) takes the text so far whenever buf grows large.
void BuildCsv(const TVelaCursor& cursor, const TVelaRecordList* order, std::string& buf,
              const std::function<void(std::string&)>& flush) {
  const int n = cursor.FieldCount();
  std::vector<std::string> cells(n);
  for (int i = 0; i < n; ++i) cells[i] = AnsiToUtf8(cursor.FieldByIndex(i)->Name);
  csv::AppendRecord(buf, cells);
  for (const TVelaRecord* r : order ? *order : cursor.Records()) {
    if (!r->Live()) continue;
    for (int i = 0; i < n; ++i)
      if (FormatFieldValue(r->Data, *cursor.FieldByIndex(i), cells[i]) == TValueForm::Null) cells[i].clear();
    csv::AppendRecord(buf, cells);
    if (flush && buf.size() >= kFlushSize) flush(buf);
  }
}

}  // namespace

void WriteTableCsv(const TVelaCursor& cursor, std::ostream& out, const TVelaRecordList* order) {
  std::string buf;
  const auto flush = [&out](std::string& b) {
    out.write(b.data(), static_cast<std::streamsize>(b.size()));
    b.clear();
  };
  BuildCsv(cursor, order, buf, flush);
  flush(buf);
}

std::string TableCsvText(const TVelaCursor& cursor, const TVelaRecordList* order) {
  std::string text;
  BuildCsv(cursor, order, text, nullptr);
  return text;
}

int ImportTableRows(TVelaCursor& cursor, const std::string& source, const std::vector<std::string>& header,
                    const TNextRow& next) {
  std::vector<const TVelaField*> columns;
  std::vector<bool> named(cursor.FieldCount(), false);
  for (std::size_t c = 0; c < header.size(); ++c) {
    std::string ansi;
    const TVelaField* f = Utf8ToAnsi(header[c], ansi) ? cursor.FindField(ansi) : nullptr;
    const std::string column = source + " header, column " + std::to_string(c + 1);
    if (!f) throw TToolError(column + ": unknown field '" + header[c] + "'");
    if (named[f->Index]) throw TToolError(column + ": field '" + header[c] + "' appears twice");
    named[f->Index] = true;
    columns.push_back(f);
  }

  TRecordData data(cursor);
  std::string error;
  std::vector<std::optional<std::string>> row;
  std::string where;
  int added = 0;
  while (next(row, where)) {
    where = "record " + std::to_string(added + 1) + where;
    if (row.size() != columns.size())
      throw TToolError(where + ": " + std::to_string(row.size()) + (row.size() == 1 ? " value" : " values") +
                       ", but the header names " + std::to_string(columns.size()) + " fields");
    data.Reset();
    for (std::size_t c = 0; c < columns.size(); ++c) {
      TInputValue in;
      // Blanks around a number, a flag or a date are passed over, so a cell of
      // blanks alone is empty there; text keeps what it is given.
      const TVelaFieldKind kind = columns[c]->Kind;
      const bool text = kind == TVelaFieldKind::SmallStr || kind == TVelaFieldKind::String ||
                        kind == TVelaFieldKind::Memo || kind == TVelaFieldKind::FmtMemo;
      const bool null = !row[c] || row[c]->empty() || (!text && Trim(*row[c]).empty());
      in.type = null ? TInputValue::Null : TInputValue::Cell;
      if (!null) in.text = *row[c];
      if (!StoreFieldValue(in, *columns[c], data.Get(), error))
        throw TToolError(where + ", field '" + AnsiToUtf8(columns[c]->Name) + "': " + error);
    }
    if (!cursor.WriteRecord(data.Get(), nullptr, error)) throw TToolError(where + ": " + error);
    ++added;
  }
  return added;
}

int ImportTableCsv(std::string_view text, TVelaCursor& cursor) {
  try {
    csv::Reader reader(text);
    std::vector<std::string> cells;
    if (!reader.ReadRecord(cells)) throw TToolError("the CSV is empty (it needs a header row of field names)");
    const std::vector<std::string> header = cells;
    return ImportTableRows(cursor, "CSV", header, [&](std::vector<std::optional<std::string>>& row, std::string& where) {
      if (!reader.ReadRecord(cells)) return false;
      row.assign(cells.begin(), cells.end());
      where = " (line " + std::to_string(reader.RecordLine()) + ")";
      return true;
    });
  } catch (const csv::Error& e) {
    throw TToolError(e.what());
  }
}

}  // namespace notarra
