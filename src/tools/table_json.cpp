#include "tools/table_json.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/exceptions.h"
#include "tableengine/field_entry.h"
#include "tableengine/record_values.h"
#include "tools/field_values.h"
#include "tools/json.h"
#include "tools/record_data.h"
#include "tools/tool_error.h"

namespace notarra {

namespace {

// The reader refuses a field description section of 100000 bytes or more,
// and the notes block carries a 16-bit signed length.
constexpr std::size_t kMaxSectionLength = 99999;
constexpr std::size_t kMaxNotesLength = 32767;
constexpr std::size_t kFlushSize = 1 << 20;

void Flush(std::string& buf, std::ostream& out) {
  out.write(buf.data(), static_cast<std::streamsize>(buf.size()));
  buf.clear();
}

void AppendFieldJson(std::string& buf, const TVelaField& f) {
  buf += "{\"qualifier\": ";
  json::AppendString(buf, AnsiToUtf8(f.Qualifier));
  buf += ", \"name\": ";
  json::AppendString(buf, AnsiToUtf8(f.Name));
  buf += ", \"kind\": ";
  json::AppendString(buf, KindName(f.Kind));
  buf += ", \"size\": ";
  buf += std::to_string(f.Size);
  buf += ", \"default\": ";
  json::AppendString(buf, AnsiToUtf8(f.DefaultValue));
  buf += ", \"extra\": ";
  json::AppendString(buf, AnsiToUtf8(f.ExtraText));
  if (!f.Entry.empty()) {
    buf += ", \"entry\": ";
    json::AppendString(buf, AnsiToUtf8(f.Entry));
  }
  buf += '}';
}

void AppendRecordJson(std::string& buf, const TVelaCursor& cursor, const uint8_t* data,
                      const std::vector<std::string>& quotedNames, std::string& scratch) {
  buf += '{';
  for (int i = 0; i < cursor.FieldCount(); ++i) {
    if (i) buf += ", ";
    buf += quotedNames[i];
    buf += ": ";
    switch (FormatFieldValue(data, *cursor.FieldByIndex(i), scratch)) {
      case TValueForm::Null: buf += "null"; break;
      case TValueForm::Bare: buf += scratch; break;
      case TValueForm::Quoted: json::AppendString(buf, scratch); break;
    }
  }
  buf += '}';
}

// ---- Reading ---------------------------------------------------------------

std::string Quoted(std::string_view s) { return "'" + std::string(s) + "'"; }

std::string FieldLabel(int index, std::string_view name) {
  return "field " + std::to_string(index + 1) + (name.empty() ? "" : " (" + Quoted(name) + ")");
}

// UTF-8 description text to Windows-1252, refusing the bytes that would
// break a field description entry.
std::string DescriptionText(const json::Value& v, const std::string& where, const char* member,
                            std::string_view forbidden) {
  if (v.type != json::Type::String)
    throw TToolError(where + ": \"" + member + "\" must be a string, got " + json::TypeName(v.type));
  std::string ansi;
  if (!Utf8ToAnsi(v.text, ansi))
    throw TToolError(where + ": \"" + member + "\" holds a character that Windows-1252 cannot represent");
  for (char c : ansi) {
    if (c == '\x12' || forbidden.find(c) != std::string_view::npos) {
      std::string shown = c == ' ' ? "a blank" : c == '\x12' ? "the character 0x12" : Quoted(std::string(1, c));
      throw TToolError(where + ": \"" + member + "\" cannot hold " + shown + " (the table file uses it as a separator)");
    }
  }
  return ansi;
}

// A SmallStr's size is its type code: a base-36 digit for 0 to 35. Larger
// sizes come only from files whose code byte is some other character (its
// value minus 55); such a size can be written back when that byte is not
// the code of another kind or a separator.
bool SmallStrSizeStorable(int64_t size) {
  if (size >= 0 && size <= kMaxSmallStrSize) return true;
  if (size > 255 - 55) return false;
  const std::string code = KindTypeCode(TVelaFieldKind::SmallStr, static_cast<int>(size));
  return code.size() == 1 && std::string_view("abcdefgilmorstv").find(code[0]) == std::string_view::npos;
}

struct FieldDescription {
  std::string qualifier = "XXX", name, defaultValue, extra, entry;
  TVelaFieldKind kind = TVelaFieldKind::Unknown;
  int size = 0;
};

FieldDescription ReadFieldDescription(const json::Value& v, int index) {
  std::string where = FieldLabel(index, "");
  if (v.type != json::Type::Object) throw TToolError(where + ": expected an object, got " + json::TypeName(v.type));
  const json::Value* name = v.Find("name");
  if (!name) throw TToolError(where + ": \"name\" is missing");
  FieldDescription desc;
  desc.name = DescriptionText(*name, where, "name", "");
  where = FieldLabel(index, name->text);

  std::set<std::string> seen;
  const json::Value* kind = nullptr;
  const json::Value* size = nullptr;
  for (const json::Member& m : v.members) {
    if (!seen.insert(m.key).second) throw TToolError(where + ": \"" + m.key + "\" appears twice");
    if (m.key == "name") continue;
    if (m.key == "qualifier") desc.qualifier = DescriptionText(m.value, where, "qualifier", " .");
    else if (m.key == "default") desc.defaultValue = DescriptionText(m.value, where, "default", "~");
    else if (m.key == "extra") desc.extra = DescriptionText(m.value, where, "extra", "");
    else if (m.key == "entry") desc.entry = DescriptionText(m.value, where, "entry", "");
    else if (m.key == "kind") kind = &m.value;
    else if (m.key == "size") size = &m.value;
    else
      throw TToolError(where + ": unknown member \"" + m.key +
                       "\" (a field has qualifier, name, kind, size, default, extra and entry)");
  }

  if (!kind) throw TToolError(where + ": \"kind\" is missing");
  if (kind->type != json::Type::String)
    throw TToolError(where + ": \"kind\" must be a string, got " + json::TypeName(kind->type));
  if (!KindFromName(kind->text, desc.kind)) {
    std::string names;
    for (int k = 1; k <= static_cast<int>(TVelaFieldKind::Graphic); ++k)
      names += std::string(names.empty() ? "" : ", ") + KindName(static_cast<TVelaFieldKind>(k));
    throw TToolError(where + ": unknown kind " + Quoted(kind->text) + " (kinds: " + names + ")");
  }
  if (desc.kind == TVelaFieldKind::Unknown)
    throw TToolError(where + ": kind Unknown has no type code and cannot be stored in a table file");

  const bool sized = desc.kind == TVelaFieldKind::SmallStr || desc.kind == TVelaFieldKind::String;
  int64_t n = 0;
  if (size) {
    if (size->type != json::Type::Number || !json::ToInt64(size->text, n))
      throw TToolError(where + ": \"size\" must be a whole number");
  }
  if (sized) {
    if (!size) throw TToolError(where + ": \"size\" is missing (a " + kind->text + " field needs one)");
    const bool ok = desc.kind == TVelaFieldKind::SmallStr ? SmallStrSizeStorable(n) : n >= 0 && n <= INT16_MAX;
    if (!ok)
      throw TToolError(where + ": size " + std::to_string(n) + " cannot be stored for " + kind->text +
                       (desc.kind == TVelaFieldKind::SmallStr ? " (0 to 35, or a larger size whose code byte is no kind's letter; use String for longer texts)"
                                                              : " (0 to 32767)"));
    desc.size = static_cast<int>(n);
  } else if (n != 0) {
    throw TToolError(where + ": a " + kind->text + " field has no size (leave it out or give 0)");
  }
  return desc;
}

class TableJsonReader {
public:
  TableJsonReader(std::string_view text, TVelaCursor& cursor) : reader_(text), cursor_(cursor) {}

  void Run() {
    reader_.BeginObject();
    std::string key;
    std::set<std::string> seen;
    std::optional<json::Value> earlyRecords;
    std::optional<int64_t> declaredCount;
    while (reader_.NextMember(key)) {
      if (!seen.insert(key).second) reader_.Fail("\"" + key + "\" appears twice");
      if (key == "kind") {
        const json::Value v = reader_.ReadValue();
        if (v.type != json::Type::String) throw TToolError("\"kind\" must be a string");
        // A protected table is written when the caller gives the password.
        if (v.text == "protected" && cursor_.Password().empty())
          throw TToolError("a password-protected table needs --password");
        if (v.text != "plain" && v.text != "protected")
          throw TToolError("unknown table kind " + Quoted(v.text) + " (expected \"plain\" or \"protected\")");
      } else if (key == "record_count") {
        const json::Value v = reader_.ReadValue();
        int64_t n;
        if (v.type != json::Type::Number || !json::ToInt64(v.text, n) || n < 0)
          throw TToolError("\"record_count\" must be a whole number of 0 or more");
        declaredCount = n;
      } else if (key == "trailing_bytes") {
        reader_.ReadValue();  // says what the dumped file held; a written table has none
      } else if (key == "notes") {
        ReadNotes(reader_.ReadValue());
      } else if (key == "fields") {
        ReadFields(reader_.ReadValue());
        haveFields_ = true;
      } else if (key == "records") {
        // Records are turned into store entries as they are read, so a large
        // table never exists as a JSON tree; only records that come before
        // the fields have to wait.
        if (!haveFields_) {
          earlyRecords = reader_.ReadValue();
          if (earlyRecords->type != json::Type::Array)
            throw TToolError("\"records\" must be an array, got " + std::string(json::TypeName(earlyRecords->type)));
          continue;
        }
        if (reader_.PeekType() != json::Type::Array) reader_.Fail("\"records\" must be an array");
        reader_.BeginArray();
        TRecordData data(cursor_);
        while (reader_.NextItem()) AddRecord(reader_.ReadValue(), data);
      } else {
        reader_.Fail("unknown member \"" + key + "\" (a table has kind, record_count, notes, fields and records)");
      }
    }
    reader_.End();
    if (!haveFields_) throw TToolError("\"fields\" is missing");
    if (earlyRecords) {
      TRecordData data(cursor_);
      for (const json::Value& r : earlyRecords->items) AddRecord(r, data);
    }
    // Records are one length byte per field: a table without fields holds none.
    if (cursor_.FieldCount() == 0 && recordNumber_ > 0)
      throw TToolError("the table has no fields, so it cannot hold the " + std::to_string(recordNumber_) +
                       (recordNumber_ == 1 ? " record" : " records") + " given");
    // Without a notes block the reader takes a first byte "*" (42) after the
    // section for one: a first record must not begin with a length of 42.
    if (cursor_.Notes().empty() && recordNumber_ > 0) {
      const TVelaField& first = *cursor_.FieldByIndex(0);
      if (first.Kind == TVelaFieldKind::SmallStr &&
          record_values::GetText(cursor_.Records().front()->Data, first).size() == 42)
        throw TToolError("record 1, field " + Quoted(AnsiToUtf8(first.Name)) +
                         ": a first record whose first field holds 42 characters would read back as a notes "
                         "block; give the table notes, or another text");
    }
    if (declaredCount && *declaredCount != recordNumber_)
      throw TToolError("\"record_count\" is " + std::to_string(*declaredCount) + " but " +
                       std::to_string(recordNumber_) + " records are given");
  }

private:
  void ReadNotes(const json::Value& v) {
    if (v.type != json::Type::String) throw TToolError("\"notes\" must be a string");
    std::string ansi;
    std::size_t bad;
    if (!Utf8ToAnsi(v.text, ansi, &bad))
      throw TToolError("\"notes\" holds a character that Windows-1252 cannot represent (at byte " +
                       std::to_string(bad + 1) + ")");
    if (ansi.size() > kMaxNotesLength)
      throw TToolError("\"notes\" is " + std::to_string(ansi.size()) + " characters long; a table keeps at most " +
                       std::to_string(kMaxNotesLength));
    cursor_.SetNotes(std::move(ansi));
  }

  void ReadFields(const json::Value& v) {
    if (v.type != json::Type::Array) throw TToolError("\"fields\" must be an array");
    std::size_t section = 1;  // the closing 0x14
    for (std::size_t i = 0; i < v.items.size(); ++i) {
      const FieldDescription desc = ReadFieldDescription(v.items[i], static_cast<int>(i));
      const std::string where = FieldLabel(static_cast<int>(i), AnsiToUtf8(desc.name));
      // The program refuses to open a table whose fields share a name ("Duplicate field name").
      if (const TVelaField* same = cursor_.FindField(desc.name))
        throw TToolError(where + ": " + FieldLabel(same->Index, AnsiToUtf8(same->Name)) +
                         " has the same name (names are compared without regard to letter case)");
      TVelaField field;
      field.Qualifier = desc.qualifier;
      field.Name = desc.name;
      field.Kind = desc.kind;
      field.Size = static_cast<int16_t>(desc.size);
      field.DefaultValue = desc.defaultValue;
      field.ExtraText = desc.extra;
      field.Entry = desc.entry;
      try {
        section += WrittenFieldEntry(cursor_.AddDescriptor(field)).size() + 1;
      } catch (const EDatabaseError& e) {
        if (desc.entry.empty()) throw TToolError(where + ": " + e.Message());
        throw TToolError(where + ": \"entry\" " + Quoted(AnsiToUtf8(desc.entry)) +
                         " does not read back as this field's qualifier, name, kind, size, default and extra");
      }
    }
    if (section > kMaxSectionLength)
      throw TToolError("the field descriptions take " + std::to_string(section) +
                       " bytes; a table file allows at most " + std::to_string(kMaxSectionLength));
  }

  void AddRecord(const json::Value& v, TRecordData& data) {
    ++recordNumber_;
    const std::string where = "record " + std::to_string(recordNumber_);
    if (v.type != json::Type::Object) throw TToolError(where + ": expected an object, got " + json::TypeName(v.type));
    data.Reset();
    assigned_.assign(cursor_.FieldCount(), false);
    std::string ansiKey, error;
    for (std::size_t p = 0; p < v.members.size(); ++p) {
      const json::Member& m = v.members[p];
      const TVelaField* field = nullptr;
      bool nameKnown = false;
      // Records usually list their keys the same way each time: reuse the
      // match found for this position in an earlier record.
      if (p < keyCache_.size() && keyCache_[p].key == m.key && !assigned_[keyCache_[p].field->Index]) {
        field = keyCache_[p].field;
      } else if (Utf8ToAnsi(m.key, ansiKey)) {
        field = cursor_.FindField(ansiKey);
        nameKnown = field != nullptr;
        if (field && assigned_[field->Index]) field = nullptr;
      }
      if (!field)
        throw TToolError(where + ": " + (nameKnown ? "field " + Quoted(m.key) + " appears twice" : "unknown field " + Quoted(m.key)));
      if (p >= keyCache_.size()) keyCache_.resize(p + 1);
      keyCache_[p] = {m.key, field};
      assigned_[field->Index] = true;
      const std::string fieldWhere = where + ", field " + Quoted(m.key);
      TInputValue in;
      switch (m.value.type) {
        case json::Type::Null: in.type = TInputValue::Null; break;
        case json::Type::Boolean: in.type = TInputValue::Boolean, in.boolean = m.value.boolean; break;
        case json::Type::Number: in.type = TInputValue::Number, in.text = m.value.text; break;
        case json::Type::String: in.type = TInputValue::String, in.text = m.value.text; break;
        default: throw TToolError(fieldWhere + ": got " + json::TypeName(m.value.type) + ", a field holds one value");
      }
      if (!StoreFieldValue(in, *field, data.Get(), error)) throw TToolError(fieldWhere + ": " + error);
    }
    cursor_.AppendRecord(data.Get());
  }

  json::Reader reader_;
  TVelaCursor& cursor_;
  bool haveFields_ = false;
  int64_t recordNumber_ = 0;
  std::vector<bool> assigned_;
  struct KeyMatch {
    std::string key;
    const TVelaField* field = nullptr;
  };
  std::vector<KeyMatch> keyCache_;
};

}  // namespace

void WriteTableJson(const TVelaCursor& cursor, bool withRecords, std::ostream& out, const TVelaRecordList* order) {
  int64_t live = 0;
  for (const TVelaRecord* r : cursor.Records())
    if (r->Live()) ++live;

  std::string buf;
  buf += "{\n  \"kind\": ";
  buf += cursor.IsProtected() ? "\"protected\"" : "\"plain\"";
  buf += ",\n  \"record_count\": " + std::to_string(live);
  // Bytes past the last counted record, which the reader ignores: said so
  // that nobody rewrites such a file without knowing what it would drop.
  if (cursor.TrailingBytes() > 0) buf += ",\n  \"trailing_bytes\": " + std::to_string(cursor.TrailingBytes());
  buf += ",\n  \"notes\": ";
  json::AppendString(buf, AnsiToUtf8(cursor.Notes()));
  buf += ",\n  \"fields\": [";
  for (int i = 0; i < cursor.FieldCount(); ++i) {
    buf += i ? ",\n    " : "\n    ";
    AppendFieldJson(buf, *cursor.FieldByIndex(i));
  }
  buf += cursor.FieldCount() ? "\n  ]" : "]";
  if (withRecords) {
    std::vector<std::string> quotedNames;
    for (int i = 0; i < cursor.FieldCount(); ++i) {
      quotedNames.emplace_back();
      json::AppendString(quotedNames.back(), AnsiToUtf8(cursor.FieldByIndex(i)->Name));
    }
    buf += ",\n  \"records\": [";
    std::string scratch;
    bool first = true;
    for (const TVelaRecord* r : order ? *order : cursor.Records()) {
      if (!r->Live()) continue;
      buf += first ? "\n    " : ",\n    ";
      first = false;
      AppendRecordJson(buf, cursor, r->Data, quotedNames, scratch);
      if (buf.size() >= kFlushSize) Flush(buf, out);
    }
    buf += first ? "]" : "\n  ]";
  }
  buf += "\n}\n";
  Flush(buf, out);
}

void WriteRecordJson(const TVelaCursor& cursor, const uint8_t* data, std::ostream& out) {
  std::vector<std::string> quotedNames;
  for (int i = 0; i < cursor.FieldCount(); ++i) {
    quotedNames.emplace_back();
    json::AppendString(quotedNames.back(), AnsiToUtf8(cursor.FieldByIndex(i)->Name));
  }
  std::string buf, scratch;
  AppendRecordJson(buf, cursor, data, quotedNames, scratch);
  buf += '\n';
  Flush(buf, out);
}

void ReadTableJson(std::string_view json, TVelaCursor& cursor) {
  try {
    TableJsonReader(json, cursor).Run();
  } catch (const json::Error& e) {
    throw TToolError(e.what());
  }
}

}  // namespace notarra
