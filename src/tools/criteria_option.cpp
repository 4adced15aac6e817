#include "tools/criteria_option.h"

#include "platform/codepage.h"
#include "platform/exceptions.h"
#include "tableengine/vela_table.h"
#include "tools/json.h"
#include "tools/tool_error.h"

namespace notarra {

namespace {

[[noreturn]] void Bad(const std::string& message) { throw TUsageError("--criteria: " + message); }

std::string AnsiText(const json::Value& v, const char* key) {
  if (v.type != json::Type::String) Bad(std::string("\"") + key + "\" must be a string");
  std::string out;
  if (!Utf8ToAnsi(v.text, out)) Bad(std::string("\"") + key + "\" has a character outside Windows-1252");
  return out;
}

bool Flag(const json::Value& object, const char* key) {
  const json::Value* v = object.Find(key);
  if (v == nullptr) return false;
  if (v->type != json::Type::Boolean) Bad(std::string("\"") + key + "\" must be true or false");
  return v->boolean;
}

TsfFilterMatchType MatchOf(const std::string& word) {
  if (word == "start") return fdMatchStart;
  if (word == "any") return fdMatchAny;
  if (word == "exact") return fdMatchExact;
  if (word == "end") return fdMatchEnd;
  if (word == "range") return fdMatchRange;
  Bad("\"match\" must be start, any, exact, end or range, not \"" + word + "\"");
}

}  // namespace

TCriteriaFilter::TCriteriaFilter(const std::string& text, TVelaTable& table) {
  json::Value list;
  try {
    list = json::Parse(text);
  } catch (const json::Error& e) {
    Bad(e.what());
  }
  if (list.type != json::Type::Array) Bad("expected a list of criteria");
  for (const json::Value& item : list.items) {
    if (item.type != json::Type::Object) Bad("each criterion must be an object");
    for (const json::Member& m : item.members)
      if (m.key != "field" && m.key != "match" && m.key != "value" && m.key != "min" && m.key != "max" &&
          m.key != "case_sensitive" && m.key != "non_matching")
        Bad("unknown key \"" + m.key + "\"");
    auto info = std::make_unique<TsfFieldInfo>();
    const json::Value* field = item.Find("field");
    if (field == nullptr) Bad("a criterion needs \"field\"");
    info->FieldName = AnsiText(*field, "field");
    // A criterion on a field the table lacks would reject every record.
    if (table.FindField(info->FieldName) == nullptr) Bad("the table has no field \"" + info->FieldName + "\"");
    info->DisplayName = table.FindField(info->FieldName)->DisplayLabel();
    const json::Value* match = item.Find("match");
    info->MatchType = match == nullptr ? fdMatchStart : MatchOf(AnsiText(*match, "match"));
    // A range reads only its bounds and a value criterion only its value:
    // given to the other kind they would be ignored without a word.
    const bool range = info->MatchType == fdMatchRange;
    if (range && item.Find("value")) Bad("a range criterion takes \"min\" and \"max\", not \"value\"");
    if (!range && (item.Find("min") || item.Find("max")))
      Bad("\"min\" and \"max\" belong to a range criterion (\"match\": \"range\")");
    if (const json::Value* v = item.Find("value")) {
      // null is the dialog's own word for an empty field.
      info->FilterValue = v->type == json::Type::Null ? dialog_.FieldOperators().NullChar() : AnsiText(*v, "value");
    }
    if (const json::Value* v = item.Find("min")) info->MinValue = AnsiText(*v, "min");
    if (const json::Value* v = item.Find("max")) info->MaxValue = AnsiText(*v, "max");
    info->CaseSensitive = Flag(item, "case_sensitive");
    info->NonMatching = Flag(item, "non_matching");
    dialog_.FieldInfo().push_back(std::move(info));
  }
  source_.SetDataSet(&table);
  dialog_.SetDataSource(&source_);
  try {
    dialog_.ApplyFilter();
  } catch (const Exception& e) {
    throw TToolError("--criteria: " + e.Message());
  }
}

}  // namespace notarra
