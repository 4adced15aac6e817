#include "tools/table_sqlite.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "platform/codepage.h"
#include "platform/scope_guard.h"
#include "tableengine/record_values.h"
#include "tools/base64.h"
#include "tools/field_values.h"
#include "tools/table_csv.h"
#include "tools/tool_error.h"

namespace notarra {

namespace {

struct CloseDb {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct FinalizeStatement {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using TDb = std::unique_ptr<sqlite3, CloseDb>;
using TStatement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

TDb OpenDb(const std::string& path, int flags) {
  sqlite3* db = nullptr;
  const int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
  TDb owned(db);
  if (rc != SQLITE_OK)
    throw TToolError("cannot open SQLite database " + path + ": " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
  sqlite3_extended_result_codes(db, 1);
  return owned;
}

[[noreturn]] void Fail(sqlite3* db, const std::string& what) { throw TToolError(what + ": " + sqlite3_errmsg(db)); }

void Execute(sqlite3* db, const std::string& sql, const std::string& what) {
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) Fail(db, what);
}

TStatement Prepare(sqlite3* db, const std::string& sql, const std::string& what) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) Fail(db, what);
  return TStatement(statement);
}

// "name" with its double quotes doubled: any text is a safe identifier.
std::string Quoted(std::string_view name) {
  std::string out = "\"";
  for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

bool IsWholeNumber(TVelaFieldKind kind) {
  return kind == TVelaFieldKind::SmallInt || kind == TVelaFieldKind::Integer || kind == TVelaFieldKind::Int64 ||
         kind == TVelaFieldKind::AutoInc;
}
bool IsBytes(TVelaFieldKind kind) { return kind == TVelaFieldKind::BLOB || kind == TVelaFieldKind::Graphic; }

const char* ColumnType(TVelaFieldKind kind) {
  if (IsWholeNumber(kind) || kind == TVelaFieldKind::Boolean) return "INTEGER";
  if (kind == TVelaFieldKind::Double || kind == TVelaFieldKind::Currency) return "REAL";
  if (IsBytes(kind)) return "BLOB";
  return "TEXT";
}

bool TableExists(sqlite3* db, const std::string& name) {
  TStatement s = Prepare(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1", "cannot read the schema");
  sqlite3_bind_text(s.get(), 1, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
  return sqlite3_step(s.get()) == SQLITE_ROW;
}

// Binds field's value of the record to parameter p.
int BindValue(sqlite3_stmt* s, int p, const uint8_t* data, const TVelaField& field, std::string& text) {
  if (FormatFieldValue(data, field, text) == TValueForm::Null) return sqlite3_bind_null(s, p);
  const TVelaFieldKind kind = field.Kind;
  if (IsWholeNumber(kind)) return sqlite3_bind_int64(s, p, record_values::GetInteger(data, field));
  if (kind == TVelaFieldKind::Boolean) return sqlite3_bind_int(s, p, record_values::GetBoolean(data, field));
  if (kind == TVelaFieldKind::Double || kind == TVelaFieldKind::Currency) {
    const double d = record_values::GetFloat(data, field);
    // SQLite has no NaN: that one goes as the tool's text, which comes back.
    if (!std::isnan(d)) return sqlite3_bind_double(s, p, d);
  }
  if (IsBytes(kind)) {
    const std::string_view bytes = record_values::GetText(data, field);
    return sqlite3_bind_blob64(s, p, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
  }
  return sqlite3_bind_text64(s, p, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

// A column's value as the text a CSV cell for field would hold.
std::optional<std::string> CellText(sqlite3_stmt* s, int c, const TVelaField* field) {
  const TVelaFieldKind kind = field ? field->Kind : TVelaFieldKind::Unknown;
  switch (sqlite3_column_type(s, c)) {
    case SQLITE_NULL: return std::nullopt;
    case SQLITE_INTEGER: {
      const sqlite3_int64 n = sqlite3_column_int64(s, c);
      if (kind == TVelaFieldKind::Boolean && (n == 0 || n == 1)) return n ? "true" : "false";
      return std::to_string(n);
    }
    case SQLITE_FLOAT: {
      char buf[32];
      std::snprintf(buf, sizeof buf, "%.17g", sqlite3_column_double(s, c));
      return std::string(buf);
    }
    default: {
      const auto* bytes = static_cast<const char*>(sqlite3_column_blob(s, c));
      std::string value(bytes ? bytes : "", static_cast<std::size_t>(sqlite3_column_bytes(s, c)));
      if (IsBytes(kind)) return base64::Encode(value);
      return value;
    }
  }
}

}  // namespace

int ExportTableSqlite(const TVelaCursor& cursor, const TVelaRecordList* order, const std::string& path,
                      const std::string& name, bool replace) {
  // A database this export made goes again when the export fails.
  std::error_code ignored;
  const bool existed = std::filesystem::exists(path, ignored);
  ScopeFail removeMade([&] {
    if (!existed) std::filesystem::remove(path, ignored);
  });
  TDb db = OpenDb(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  Execute(db.get(), "BEGIN IMMEDIATE", "cannot write to " + path);
  ScopeFail rollback([&] { sqlite3_exec(db.get(), "ROLLBACK", nullptr, nullptr, nullptr); });
  if (TableExists(db.get(), name)) {
    if (!replace) throw TToolError(path + " already holds a table " + name + " (--force replaces it)");
    Execute(db.get(), "DROP TABLE " + Quoted(name), "cannot drop table " + name);
  }
  std::string create = "CREATE TABLE " + Quoted(name) + " (";
  std::string insert = "INSERT INTO " + Quoted(name) + " VALUES (";
  bool keyChosen = false;
  for (int i = 0; i < cursor.FieldCount(); ++i) {
    const TVelaField& f = *cursor.FieldByIndex(i);
    create += (i ? ", " : "") + Quoted(AnsiToUtf8(f.Name)) + " " + ColumnType(f.Kind);
    if (f.Kind == TVelaFieldKind::AutoInc && !keyChosen) {
      create += " PRIMARY KEY";
      keyChosen = true;
    }
    insert += i ? ", ?" : "?";
  }
  Execute(db.get(), create + ")", "cannot create table " + name);
  TStatement statement = Prepare(db.get(), insert + ")", "cannot write table " + name);
  std::string text;
  int written = 0;
  for (const TVelaRecord* r : order ? *order : cursor.Records()) {
    if (!r->Live()) continue;
    sqlite3_reset(statement.get());
    for (int i = 0; i < cursor.FieldCount(); ++i)
      if (BindValue(statement.get(), i + 1, r->Data, *cursor.FieldByIndex(i), text) != SQLITE_OK)
        Fail(db.get(), "record " + std::to_string(written + 1));
    if (sqlite3_step(statement.get()) != SQLITE_DONE) Fail(db.get(), "record " + std::to_string(written + 1));
    ++written;
  }
  statement.reset();
  Execute(db.get(), "COMMIT", "cannot write to " + path);
  return written;
}

int ImportTableSqlite(const std::string& path, const std::string& name, TVelaCursor& cursor) {
  TDb db = OpenDb(path, SQLITE_OPEN_READONLY);
  if (!TableExists(db.get(), name)) throw TToolError(path + " holds no table " + name);
  TStatement select = Prepare(db.get(), "SELECT * FROM " + Quoted(name), "cannot read table " + name);
  const int n = sqlite3_column_count(select.get());
  std::vector<std::string> header;
  std::vector<const TVelaField*> fields;
  for (int c = 0; c < n; ++c) {
    header.emplace_back(sqlite3_column_name(select.get(), c));
    std::string ansi;
    fields.push_back(Utf8ToAnsi(header.back(), ansi) ? cursor.FindField(ansi) : nullptr);
  }
  int row = 0;
  return ImportTableRows(cursor, "table " + name, header,
                         [&](std::vector<std::optional<std::string>>& cells, std::string& where) {
                           const int rc = sqlite3_step(select.get());
                           if (rc == SQLITE_DONE) return false;
                           if (rc != SQLITE_ROW) Fail(db.get(), "cannot read table " + name);
                           cells.clear();
                           for (int c = 0; c < n; ++c) cells.push_back(CellText(select.get(), c, fields[c]));
                           where = " (row " + std::to_string(++row) + " of table " + name + ")";
                           return true;
                         });
}

}  // namespace notarra
