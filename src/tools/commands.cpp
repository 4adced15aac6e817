// Command-line parsing and the nine commands of notarra-table: info, dump,
// write, import, export, init, generate, count and locate.
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>
#include <map>
#include <memory>
#include <new>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <system_error>
#include <type_traits>
#include <vector>

#include <unistd.h>

#include "platform/exceptions.h"
#include "platform/scope_guard.h"
#include "platform/file_io.h"
#include "platform/file_lock.h"
#include "platform/memory_stream.h"
#include "platform/output_path.h"
#include "filterexpr/parser.h"
#include "platform/codepage.h"
#include "platform/date_time.h"
#include "platform/conversions.h"
#include "tableengine/password_block.h"
#include "tableengine/record_store.h"
#include "tableengine/record_values.h"
#include "tableengine/vela_table.h"
#include "tools/criteria_option.h"
#include "tools/field_values.h"
#include "tools/idea_generator.h"
#include "tools/idea_schema.h"
#include "tools/notarra_table.h"
#include "tools/table_csv.h"
#include "tools/table_json.h"
#include "tools/table_sqlite.h"
#include "tools/tool_error.h"
#include "tools/utf8.h"

namespace notarra {

namespace {

const char kUsage[] =
    "Usage:\n"
    "  notarra-table info FILE                        fields and record count as JSON\n"
    "  notarra-table dump FILE [--format json|csv]    every record, in file order\n"
    "  notarra-table write FILE --from JSON|- [--force]\n"
    "                                                 replace FILE with the table a JSON document describes\n"
    "  notarra-table import FILE --csv CSV|- [--force]\n"
    "                                                 append the CSV's rows (header row names the fields)\n"
    "  notarra-table import FILE --sqlite DB --table NAME [--force]\n"
    "                                                 append the rows of a SQLite table (columns name the fields)\n"
    "  notarra-table export FILE --csv CSV|-          write every record as CSV\n"
    "  notarra-table export FILE --sqlite DB [--table NAME] [--force]\n"
    "                                                 write every record as a SQLite table (default NAME:\n"
    "                                                 the file's name without .d; --force replaces one)\n"
    "  notarra-table init DIR [--sample]              create Blog_Ideas.d, group.d and User.d in DIR\n"
    "  notarra-table generate FILE --records N [--seed S] [--force]\n"
    "                                                 an idea table with N synthetic ideas\n"
    "  notarra-table count FILE [--index F1;F2]       number of records the program would list\n"
    "  notarra-table locate FILE --key F1;F2 --values V1;V2 [--partial] [--case-insensitive]\n"
    "                                                 the first record with those values, as JSON\n"
    "  notarra-table --help | --version               (COMMAND --help: this text too)\n"
    "\n"
    "--index \"F1;F2\" (dump, export, count, locate) opens the table as the program does and lists\n"
    "its records in that order; --case-insensitive and --descending change the order.\n"
    "\n"
    "--filter TEXT (dump, export, count, locate) keeps only the records the filter text accepts, as a\n"
    "table's Filter does (\"Subject LIKE 'blog%' AND Flag = TRUE\"); --filter-case-insensitive\n"
    "compares text without regard to case. A filter error exits with status 1.\n"
    "\n"
    "--criteria JSON (dump, count) keeps the records the filter dialog's criteria accept, e.g.\n"
    "'[{\"field\":\"Subject\",\"match\":\"start\",\"value\":\"red or blue\"}]'; match is start, any,\n"
    "exact, end or range (with min and max); case_sensitive and non_matching are true or false.\n"
    "\n"
    "--key and --values (locate) name the key fields and their values in the same order, in the\n"
    "forms dump writes (2005-01-31, true, 12.5); --partial matches texts that begin with the value,\n"
    "--case-insensitive ignores case in texts, --index F1;F2 searches in that order. A record\n"
    "that is not found exits with status 1.\n"
    "\n"
    "--password PW (info, dump, write, import, export, count, locate) opens a protected table; with write\n"
    "it makes the written table protected.\n"
    "\n"
    "write and import wait while another notarra-table rewrites a table in the same folder. They refuse\n"
    "a table file that is read-only, and one with bytes after its last record (rewriting it would drop\n"
    "them); write also refuses to replace a protected table without its password (--password). --force\n"
    "rewrites or replaces the table anyway (a read-only file is still refused).\n"
    "\n"
    "generate, like init, refuses a file that exists; generate --force replaces it.\n"
    "\n"
    "\"-\" reads standard input (write, import) or writes standard output (export). An input holds\n"
    "at most 2 GiB. export --csv into a FIFO, a terminal or another stream (/dev/stdout, >(cmd))\n"
    "writes into it; a table or CSV file is only replaced where the path is a regular file.\n"
    "\"--\" ends the options: what follows is a file name even when it begins with \"-\".\n"
    "Exit status: 0 success, 1 bad input or failure (nothing written), 2 wrong command line. Once a\n"
    "table is written the status is 0: a summary that cannot be printed is reported on standard\n"
    "error only.\n";

struct CommandLine {
  std::string command;
  std::vector<std::string> positional;
  std::map<std::string, std::string> values;
  std::set<std::string> flags;

  bool Has(const std::string& name) const { return values.count(name) || flags.count(name); }
  const std::string& Value(const std::string& name) const { return values.at(name); }
};

// Options take their value as the next argument or after "=".
// "COMMAND --help" asks for the usage text, on standard output with status 0.
struct THelpRequest {};

CommandLine ParseCommandLine(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
                             const std::set<std::string>& flagOptions, std::size_t positionalCount) {
  CommandLine cl;
  cl.command = args[0];
  bool optionsEnded = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (optionsEnded) {
      cl.positional.push_back(a);
    } else if (a == "--") {
      optionsEnded = true;
    } else if (a == "--help" || a == "-h") {
      throw THelpRequest{};
    } else if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      const std::size_t eq = a.find('=');
      const std::string name = a.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
      if (cl.Has(name)) throw TUsageError("option --" + name + " given twice");
      if (valueOptions.count(name)) {
        if (eq != std::string::npos) {
          cl.values[name] = a.substr(eq + 1);
        } else if (i + 1 < args.size()) {
          cl.values[name] = args[++i];
        } else {
          throw TUsageError("option --" + name + " needs a value");
        }
      } else if (flagOptions.count(name) && eq == std::string::npos) {
        cl.flags.insert(name);
      } else if (flagOptions.count(name)) {
        throw TUsageError("option --" + name + " takes no value");
      } else {
        throw TUsageError("unknown option " + a.substr(0, eq) + " for " + cl.command);
      }
    } else if (a.size() > 1 && a[0] == '-') {
      throw TUsageError("unknown option " + a + " for " + cl.command);
    } else {
      cl.positional.push_back(a);
    }
  }
  if (cl.positional.size() != positionalCount) {
    throw TUsageError(cl.positional.empty() ? cl.command + " needs a file or folder name"
                                            : "too many arguments for " + cl.command);
  }
  // Passwords are table text, as the program's password box makes them: the
  // same "ä" opens a table whichever of the two protected it.
  if (auto password = cl.values.find("password"); password != cl.values.end()) {
    std::string ansi;
    std::size_t bad = 0;
    if (!Utf8ToAnsi(password->second, ansi, &bad))
      throw TUsageError("--password holds a character that Windows-1252 cannot represent (at byte " +
                        std::to_string(bad + 1) + "); a table's password is Windows-1252 text");
    password->second = std::move(ansi);
  }
  return cl;
}

void Require(const CommandLine& cl, const std::string& option) {
  if (!cl.Has(option)) throw TUsageError(cl.command + " needs --" + option);
}

void CheckTableFile(const std::string& path) {
  int error = 0;
  switch (PathKind(path, &error)) {
    case TPathKind::RegularFile: return;
    case TPathKind::Absent:
    case TPathKind::DanglingLink: throw TToolError("table file " + path + " does not exist");
    case TPathKind::Folder: throw TToolError(path + " is a folder, not a table file");
    // A folder the user may not search says so, rather than that nothing is there.
    case TPathKind::Unreachable: throw TToolError("cannot open table " + path + ": " + std::strerror(error));
    default: throw TToolError(path + " is not a regular file");
  }
}

// The password given with --password is the only one tried: a script must not stop at a prompt.
// Returns false with the reader's message instead of raising.
bool TryLoadTable(const std::string& path, TVelaCursor& cursor, bool keepFileOrder, const CommandLine& cl,
                  std::string& error) {
  const std::string password = cl.values.count("password") ? cl.Value("password") : std::string();
  cursor.SetPassword(password);
  cursor.OnCheckPassword = [](std::array<uint8_t, 40>& block, std::string& given) {
    return !given.empty() && TryPassword(block, given);
  };
  CheckTableFile(path);
  return cursor.LoadFromFile(path, error, keepFileOrder);
}

void LoadTable(const std::string& path, TVelaCursor& cursor, bool keepFileOrder, const CommandLine& cl) {
  std::string error;
  if (!TryLoadTable(path, cursor, keepFileOrder, cl, error))
    throw TToolError("cannot open table " + path + ": " + error);
}

// Checks before a table file is rewritten in place: it must be writable by
// its owner (not replaced through a writable folder), and, unless --force,
// hold nothing that writing the store back would drop.
void RefuseReadOnly(const std::string& path) {
  if (FileIsReadOnly(path)) throw TToolError(path + " is read-only; notarra-table does not replace it");
}

void RefuseDroppedBytes(const std::string& path, const TVelaCursor& cursor, const CommandLine& cl) {
  if (cursor.TrailingBytes() == 0 || cl.flags.count("force")) return;
  throw TToolError(path + " holds " + std::to_string(cursor.TrailingBytes()) +
                   " bytes after the last record its header counts; rewriting it would drop them "
                   "(give --force to rewrite it anyway)");
}

// Whether a filter literal reads as a value of the field's kind. The engine
// takes a literal that does not (a date it cannot read, "maybe" for a
// Boolean, 2147483648 for an Integer) as the empty value or false and gives
// a count without a word; the tool refuses such a filter instead.
bool LiteralReadsAs(const std::string& literal, const TVelaField& field) {
  TDateTime when = 0;
  switch (field.Kind) {
    case TVelaFieldKind::SmallInt: {
      int32_t v = 0;
      return TryStrToInt(literal, v) && v >= INT16_MIN && v <= INT16_MAX;
    }
    case TVelaFieldKind::Integer:
    case TVelaFieldKind::AutoInc: {
      int32_t v = 0;
      return TryStrToInt(literal, v);
    }
    case TVelaFieldKind::Int64: {
      int64_t v = 0;
      return TryStrToInt64(literal, v);
    }
    case TVelaFieldKind::Boolean: {
      const std::string up = AnsiUpperCase(literal);
      return up == "TRUE" || up == "FALSE" || up == "YES" || up == "NO" || up == "T" || up == "F" || up == "1" ||
             up == "0";
    }
    case TVelaFieldKind::Double:
    case TVelaFieldKind::Currency: {
      double v = 0;
      return TryStrToFloat(literal, v);
    }
    case TVelaFieldKind::Date: return TryStrToDate(literal, when);
    case TVelaFieldKind::Time: return TryStrToTime(literal, when);
    case TVelaFieldKind::DateTime: return TryStrToDateTime(literal, when);
    default: return true;  // text kinds take any text
  }
}

// Checks a --filter text against the table's fields before it is used: an
// unfinished expression ("Subject =", "Key > 5 AND Key"), which the engine
// would shorten without a word, and literals of the wrong type are refused.
void CheckFilterText(const std::string& text, const TVelaCursor& store) {
  TVelaParser parser;
  parser.Tokenize(text);
  TVelaCFieldList conditions;
  parser.BuildConditions(conditions, 0);
  std::size_t comparisons = 0, joins = 0;
  for (const TVelaToken& t : parser.Tokens()) {
    if (t.Kind == vtkCompare || (t.Kind == vtkKeyword && t.Text == "LIKE")) ++comparisons;
    if (t.Kind == vtkLogic && t.Text != "NOT") ++joins;
  }
  if (!parser.Tokens().empty() && (conditions.size() != comparisons || conditions.size() != joins + 1))
    throw TToolError("--filter \"" + AnsiToUtf8(text) + "\" is not a whole expression (a comparison is unfinished)");
  for (const TVelaCField& c : conditions) {
    const TVelaField* left = store.FindField(c.LeftName);
    if (!left || c.CompareOp == coLike) continue;  // the engine names a missing field itself
    const bool literal = c.RightKind == vtkNumber || c.RightKind == vtkTrue || c.RightKind == vtkFalse ||
                         (c.RightKind == vtkString && !store.FindField(c.RightText));
    if (literal && !LiteralReadsAs(c.RightText, *left))
      throw TToolError("--filter: '" + AnsiToUtf8(c.RightText) + "' is not a value of field '" +
                       AnsiToUtf8(left->Name) + "', which is " + KindName(left->Kind) +
                       (left->Kind == TVelaFieldKind::Date ? " (dates as in 12/31/2021)" : ""));
  }
}

// Opens FILE the way the program does, through a table ordered by --index
// (with --case-insensitive and --descending).
void OpenOrdered(const CommandLine& cl, TVelaTable& table) {
  const std::string& path = cl.positional[0];
  CheckTableFile(path);
  table.SetTableName(path);
  if (cl.values.count("password")) table.SetPassword(cl.Value("password"));
  if (cl.values.count("index")) table.SetIndexFieldNames(cl.Value("index"));
  TVelaSortOptions options;
  if (cl.flags.count("case-insensitive")) options.Include(vsoCaseInsensitive);
  if (cl.flags.count("descending")) options.Include(vsoDescendSort);
  table.SetSortOptions(options);
  const bool filter = cl.values.count("filter") > 0;
  // A text that does not parse fails here, before the file is read.
  if (filter) table.SetFilter(cl.Value("filter"));
  if (cl.flags.count("filter-case-insensitive")) table.SetFilterOptions({foCaseInsensitive});
  // Filtering comes after the open so that its errors keep the engine's own
  // message; the index comes last so that only the kept records are sorted.
  if (filter) table.SetIndexFieldNames("");
  try {
    table.Open();
  } catch (const EDatabaseError& e) {
    // The table's own wording already says what failed; the tool's names the file.
    std::string_view message = e.Message();
    constexpr std::string_view kOpening = "Error opening table: ";
    if (message.starts_with(kOpening)) message.remove_prefix(kOpening.size());
    throw TToolError("cannot open table " + path + ": " + std::string(message));
  }
  if (filter) {
    CheckFilterText(cl.Value("filter"), *table.Store());
    table.SetFiltered(true);
    if (cl.values.count("index")) table.SetIndexFieldNames(cl.Value("index"));
  }
}

// Inputs are read whole; past this size (or from an endless device such as
// /dev/zero) they are refused rather than filling the memory.
constexpr std::size_t kMaxInputBytes = std::size_t{2} << 30;

std::string ReadInput(const std::string& source, std::istream& in) {
  std::ifstream file;
  std::istream* stream = &in;
  if (source != "-") {
    std::error_code ec;
    if (!std::filesystem::exists(source, ec)) throw TToolError("input file " + source + " does not exist");
    if (std::filesystem::is_directory(source, ec)) throw TToolError("input " + source + " is a folder");
    // A regular file says its size at once; a stream is read up to the limit.
    if (std::filesystem::is_regular_file(source, ec) && std::filesystem::file_size(source, ec) > kMaxInputBytes)
      throw TToolError("input " + source + " is larger than 2 GiB; nothing was written");
    file.open(source, std::ios::binary);
    if (!file) throw TToolError("cannot open input file " + source);
    stream = &file;
  }
  std::string text;
  char buffer[1 << 16];
  while (*stream) {
    stream->read(buffer, sizeof buffer);
    text.append(buffer, static_cast<std::size_t>(stream->gcount()));
    if (text.size() > kMaxInputBytes)
      throw TToolError("input " + (source == "-" ? std::string("on standard input") : source) +
                       " is larger than 2 GiB; nothing was written");
  }
  if (stream->bad()) throw TToolError("cannot read input " + source);
  return text;
}

int64_t LiveRecords(const TVelaCursor& cursor) {
  int64_t n = 0;
  for (const TVelaRecord* r : cursor.Records())
    if (r->Live()) ++n;
  return n;
}

std::string Plural(int64_t n, const char* word) { return std::to_string(n) + " " + word + (n == 1 ? "" : "s"); }

// The summary of a command that wrote a table: once the table is written the
// command has succeeded, so a summary that cannot be printed (a closed pipe,
// a full disk) is only reported.
struct TSummaryLost {};
void PrintSummary(std::ostream& out, const std::string& text) {
  out << text << "\n";
  out.flush();
  if (!out) throw TSummaryLost{};
}

// ---- Commands ----------------------------------------------------------------

int Info(const CommandLine& cl, std::ostream& out) {
  TVelaCursor cursor;
  LoadTable(cl.positional[0], cursor, true, cl);
  WriteTableJson(cursor, false, out);
  return 0;
}

int Dump(const CommandLine& cl, std::ostream& out) {
  const std::string format = cl.values.count("format") ? cl.Value("format") : "json";
  if (format != "json" && format != "csv") throw TUsageError("--format must be json or csv");
  if (cl.values.count("index") || cl.values.count("filter") || cl.values.count("criteria")) {
    TVelaTable table;
    OpenOrdered(cl, table);
    std::unique_ptr<TCriteriaFilter> criteria;
    if (cl.values.count("criteria")) criteria = std::make_unique<TCriteriaFilter>(cl.Value("criteria"), table);
    if (format == "csv") WriteTableCsv(*table.Store(), out, &table.VisibleRecords());
    else WriteTableJson(*table.Store(), true, out, &table.VisibleRecords());
    return 0;
  }
  TVelaCursor cursor;
  LoadTable(cl.positional[0], cursor, true, cl);
  if (format == "csv") WriteTableCsv(cursor, out);
  else WriteTableJson(cursor, true, out);
  return 0;
}

// Replacing an existing table: what would be lost without a word is refused.
void CheckReplace(const std::string& path, const CommandLine& cl) {
  RefuseReadOnly(path);
  if (cl.flags.count("force")) return;
  TVelaCursor old;
  std::string error;
  if (TryLoadTable(path, old, true, cl, error)) {
    RefuseDroppedBytes(path, old, cl);
    return;
  }
  // A file that is no table (or a damaged one) may be replaced; a protected
  // table only by someone who knows its password.
  if (error == kInvalidPasswordMessage)
    throw TToolError(path + " is a password-protected table: give its password with --password to replace it "
                            "(or --force)");
}

int Write(const CommandLine& cl, std::istream& in, std::ostream& out) {
  Require(cl, "from");
  const std::string& path = cl.positional[0];
  const std::string text = ReadInput(cl.Value("from"), in);
  TVelaCursor cursor;
  if (cl.values.count("password")) {
    if (cl.Value("password").empty()) throw TUsageError("--password needs a non-empty password");
    cursor.SetPassword(cl.Value("password"));
  }
  ReadTableJson(text, cursor);
  TFolderLock lock(path);
  CheckReplaceable(path);
  if (PathKind(path) == TPathKind::RegularFile) CheckReplace(path, cl);
  cursor.SaveToFile(path, 0, false, "");
  PrintSummary(out, "Wrote " + Plural(LiveRecords(cursor), "record") + " to " + cl.positional[0]);
  return 0;
}

// --csv or --sqlite, one of them.
bool FromSqlite(const CommandLine& cl) {
  if (cl.Has("csv") == cl.Has("sqlite")) throw TUsageError(cl.command + " needs --csv or --sqlite (one of them)");
  if (cl.Has("sqlite") && cl.Value("sqlite").empty()) throw TUsageError("--sqlite needs a database file");
  return cl.Has("sqlite");
}

int Import(const CommandLine& cl, std::istream& in, std::ostream& out) {
  const bool sqlite = FromSqlite(cl);
  if (sqlite) Require(cl, "table");
  const std::string& path = cl.positional[0];
  const std::string& source = cl.Value(sqlite ? "sqlite" : "csv");
  if (source != "-" && SameFile(source, path))
    throw TToolError("--" + std::string(sqlite ? "sqlite " : "csv ") + source + " is the table itself");
  const std::string text = sqlite ? std::string() : ReadInput(source, in);
  // Held from the read to the rename, so that another import waits and then reads what this one wrote.
  TFolderLock lock(path);
  TVelaCursor cursor;
  // File order is kept so that the existing records stay as they are and the new ones follow.
  LoadTable(path, cursor, true, cl);
  RefuseReadOnly(path);
  RefuseDroppedBytes(path, cursor, cl);
  const int added = sqlite ? ImportTableSqlite(source, cl.Value("table"), cursor) : ImportTableCsv(text, cursor);
  cursor.SaveToFile(path, 0, false, "");
  PrintSummary(out, "Imported " + Plural(added, "record") + " into " + path + " (now " +
                        std::to_string(LiveRecords(cursor)) + ")");
  return 0;
}

int Export(const CommandLine& cl, std::ostream& out, std::ostream& err) {
  const bool sqlite = FromSqlite(cl);
  const std::string& target = cl.Value(sqlite ? "sqlite" : "csv");
  if (target != "-" && SameFile(target, cl.positional[0]))
    throw TToolError("--" + std::string(sqlite ? "sqlite " : "csv ") + target +
                     " is the table being exported; nothing was written");
  TVelaCursor cursor;
  TVelaTable table;
  const TVelaCursor* store = &cursor;
  const TVelaRecordList* order = nullptr;
  if (cl.values.count("index") || cl.values.count("filter")) {
    OpenOrdered(cl, table);
    store = table.Store();
    order = &table.VisibleRecords();
  } else {
    LoadTable(cl.positional[0], cursor, true, cl);
  }
  if (store->TrailingBytes() > 0)
    err << "notarra-table: warning: " << utf8::Printable(cl.positional[0]) << " holds " << store->TrailingBytes()
        << " bytes after the last record its header counts; they are not exported\n";
  if (sqlite) {
    std::string name = cl.Has("table") ? cl.Value("table") : std::filesystem::path(cl.positional[0]).stem().string();
    const int rows = ExportTableSqlite(*store, order, target, name, cl.Has("force"));
    PrintSummary(out, "Exported " + Plural(rows, "record") + " to table " + name + " of " + target);
    return 0;
  }
  if (target == "-") {
    WriteTableCsv(*store, out, order);
    return 0;
  }
  const std::string text = TableCsvText(*store, order);
  WriteOutput(target, text.data(), text.size());
  return 0;
}

int Count(const CommandLine& cl, std::ostream& out) {
  TVelaTable table;
  OpenOrdered(cl, table);
  std::unique_ptr<TCriteriaFilter> criteria;
  if (cl.values.count("criteria")) criteria = std::make_unique<TCriteriaFilter>(cl.Value("criteria"), table);
  out << table.RecordCount() << "\n";
  return 0;
}

// A key value in the tool's text form (as a CSV cell), made into the value
// the dataset reads from that field, so that every search compares like with like.
TVariant KeyValue(const TVelaCursor& store, const TVelaField& field, const std::string& text) {
  struct Area {
    const TVelaCursor& store;
    uint8_t* data;
    ~Area() { store.FreeRecordData(data); }
  } area{store, store.AllocRecordData()};
  std::string error;
  TInputValue value;
  value.type = TInputValue::Cell;
  value.text = text;
  if (!StoreFieldValue(value, field, area.data, error))
    throw TToolError("--values: field '" + AnsiToUtf8(field.Name) + "': " + error);
  switch (field.Kind) {
    case TVelaFieldKind::Memo:
    case TVelaFieldKind::FmtMemo:
    case TVelaFieldKind::BLOB:
    case TVelaFieldKind::Graphic:
    case TVelaFieldKind::Unknown: return text;  // the engine refuses these kinds as key fields
    default: return record_values::GetVariant(area.data, field);
  }
}

int Locate(const CommandLine& cl, std::ostream& out) {
  Require(cl, "key");
  Require(cl, "values");
  // --case-insensitive is a locate option here, not an order.
  CommandLine open = cl;
  open.flags.erase("case-insensitive");
  TVelaTable table;
  OpenOrdered(open, table);
  std::string keyFields;
  if (!Utf8ToAnsi(cl.Value("key"), keyFields)) throw TToolError("--key: a field name cannot be stored as table text");
  const std::vector<std::string> names = SplitFieldNames(keyFields);
  // A value may be empty, so the split keeps empty pieces.
  std::vector<std::string> texts;
  for (std::size_t start = 0;;) {
    const std::size_t semi = cl.Value("values").find(';', start);
    texts.push_back(cl.Value("values").substr(start, semi == std::string::npos ? std::string::npos : semi - start));
    if (semi == std::string::npos) break;
    start = semi + 1;
  }
  if (names.empty()) throw TUsageError("--key names no field");
  if (texts.size() != names.size())
    throw TUsageError("--values gives " + Plural(static_cast<int64_t>(texts.size()), "value") + " for " +
                      Plural(static_cast<int64_t>(names.size()), "key field"));
  std::vector<TVariant> values;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const TVelaField* field = table.Store()->FindField(names[i]);
    if (!field) throw TToolError("Field '" + AnsiToUtf8(names[i]) + "' not found");
    values.push_back(KeyValue(*table.Store(), *field, texts[i]));
  }
  TLocateOptions options;
  if (cl.flags.count("partial")) options.Include(loPartialKey);
  if (cl.flags.count("case-insensitive")) options.Include(loCaseInsensitive);
  const TVariant keyValues = values.size() == 1 ? values[0] : TVariant(values);
  if (!table.Locate(keyFields, keyValues, options)) throw TToolError("no record found");
  WriteRecordJson(*table.Store(), table.VisibleRecords()[static_cast<std::size_t>(table.RecNo() - 1)]->Data, out);
  return 0;
}

int Init(const CommandLine& cl, std::ostream& out) {
  const std::filesystem::path dir(cl.positional[0]);
  const TDataFolderCounts made = CreateDataFolder(dir, cl.flags.count("sample") > 0);
  PrintSummary(out, "Created " + (dir / kIdeaTableName).string() + " (" + Plural(made.Ideas, "record") + "), " +
                        (dir / kGroupTableName).string() + " (" + Plural(made.Groups, "record") + ") and " +
                        (dir / kUserTableName).string() + " (" + Plural(made.Users, "record") + ")");
  return 0;
}

template <typename T>
T ParseNumberOption(const CommandLine& cl, const std::string& name, T lo, T hi) {
  const std::string& s = cl.Value(name);
  T v{};
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  bool ok = !s.empty() && r.ec == std::errc() && r.ptr == s.data() + s.size() && v <= hi;
  if constexpr (std::is_signed_v<T>) ok = ok && v >= lo;
  if (!ok)
    throw TUsageError("--" + name + " must be a whole number from " + std::to_string(lo) + " to " + std::to_string(hi));
  return v;
}

// What one generated idea takes while the table is built and written
// (records, texts and the file's bytes), measured at a million ideas.
constexpr uint64_t kGeneratedIdeaBytes = 1400;

int Generate(const CommandLine& cl, std::ostream& out) {
  Require(cl, "records");
  const int32_t count = ParseNumberOption<int32_t>(cl, "records", 0, INT32_MAX);
  const uint64_t seed = cl.Has("seed") ? ParseNumberOption<uint64_t>(cl, "seed", 0, UINT64_MAX) : 1;
  const std::string& path = cl.positional[0];
  // About 1 KB an idea while it is built and written; refused before any work
  // when that is more memory than the machine has.
  const uint64_t memory = static_cast<uint64_t>(::sysconf(_SC_PHYS_PAGES)) * static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
  if (static_cast<uint64_t>(count) * kGeneratedIdeaBytes > memory)
    throw TToolError("--records " + std::to_string(count) + " would need about " +
                     std::to_string(static_cast<uint64_t>(count) * kGeneratedIdeaBytes >> 20) +
                     " MiB of memory; this machine has " + std::to_string(memory >> 20) + " MiB");
  const bool force = cl.flags.count("force") > 0;
  auto refuse = [&] {
    if (force) CheckReplaceable(path);
    else RefuseExistingTable(path);
  };
  refuse();
  TVelaCursor cursor;
  GenerateIdeas(cursor, count, seed);
  {
    // Checked again where no other notarra-table can come between the check and the write.
    TFolderLock lock(path);
    refuse();
    if (force && PathKind(path) == TPathKind::RegularFile) RefuseReadOnly(path);
    cursor.SaveToFile(path, 0, false, "");
  }
  PrintSummary(out, "Wrote " + Plural(count, "idea") + " to " + path + " (seed " + std::to_string(seed) + ")");
  return 0;
}

int Dispatch(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
  const std::string& c = args[0];
  if (c == "info") return Info(ParseCommandLine(args, {"password"}, {}, 1), out);
  const std::set<std::string> order = {"case-insensitive", "descending", "filter-case-insensitive"};
  if (c == "dump") return Dump(ParseCommandLine(args, {"format", "password", "index", "filter", "criteria"}, order, 1), out);
  if (c == "write") return Write(ParseCommandLine(args, {"from", "password"}, {"force"}, 1), in, out);
  if (c == "import") return Import(ParseCommandLine(args, {"csv", "sqlite", "table", "password"}, {"force"}, 1), in, out);
  if (c == "export") {
    std::set<std::string> flags = order;
    flags.insert("force");
    return Export(ParseCommandLine(args, {"csv", "sqlite", "table", "password", "index", "filter"}, flags, 1), out, err);
  }
  if (c == "count") return Count(ParseCommandLine(args, {"password", "index", "filter", "criteria"}, order, 1), out);
  if (c == "locate")
    return Locate(ParseCommandLine(args, {"key", "values", "password", "index", "filter"},
                                   {"partial", "case-insensitive", "descending"}, 1),
                  out);
  if (c == "init") return Init(ParseCommandLine(args, {}, {"sample"}, 1), out);
  if (c == "generate") return Generate(ParseCommandLine(args, {"records", "seed"}, {"force"}, 1), out);
  throw TUsageError("unknown command " + c);
}

}  // namespace

const char* NotarraTableUsage() { return kUsage; }

int RunNotarraTable(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << kUsage;
    return 2;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    out << kUsage;
    return 0;
  }
  if (args[0] == "--version") {
    out << "notarra-table " << NOTARRA_VERSION << "\n";
    return 0;
  }
  try {
    const int status = Dispatch(args, in, out, err);
    out.flush();
    if (!out) {
      err << "notarra-table: cannot write the output\n";
      return 1;
    }
    return status;
  } catch (const THelpRequest&) {
    out << kUsage;
    return 0;
  } catch (const TSummaryLost&) {
    err << "notarra-table: the table was written, but its summary could not be printed\n";
    return 0;
  } catch (const TUsageError& e) {
    err << "notarra-table: " << utf8::Printable(e.Message()) << "\n\n" << kUsage;
    return 2;
  } catch (const TToolError& e) {
    err << "notarra-table: " << utf8::Printable(e.Message()) << "\n";
  } catch (const Exception& e) {
    err << "notarra-table: " << utf8::Printable(e.Message()) << "\n";
  } catch (const std::bad_alloc&) {
    err << "notarra-table: out of memory\n";
  } catch (const std::exception& e) {
    err << "notarra-table: " << utf8::Printable(e.what()) << "\n";
  }
  return 1;
}

}  // namespace notarra
