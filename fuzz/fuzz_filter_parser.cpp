// libFuzzer target for the filter-text parser. Any text must either parse or
// fail with one of the parser's own database errors; what parses must be
// well-formed conditions, and a stop at "GROUP BY" must point at the "BY".
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "filterexpr/parser.h"
#include "platform/format_settings.h"

using namespace notarra;

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "fuzz_filter_parser: %s: %s\n", what, detail.c_str());
  std::abort();
}

bool KnownMessage(const std::string& m) {
  auto startsWith = [&](std::string_view p) { return m.compare(0, p.size(), p) == 0; };
  auto endsWith = [&](std::string_view s) { return m.size() >= s.size() && m.compare(m.size() - s.size(), s.size(), s) == 0; };
  return m == "Unmatched quote" || m == "Invalid symbol in parameter/identificator/reserved word" ||
         m == "Unmatched parentheses" || m == "Error in comparison expression" ||
         (startsWith("Parameter ") && endsWith(" is not valid identifier")) ||
         (startsWith("Unsupported function ") && endsWith(" in query")) ||
         (startsWith("Symbol ") && endsWith(" is not supported in aggregate function argument"));
}

void CheckTokens(const TVelaParser& parser) {
  for (const TVelaToken& t : parser.Tokens()) {
    switch (t.Kind) {
      case vtkIdent: case vtkString: case vtkComma: case vtkDot: case vtkKeyword: case vtkNumber:
      case vtkAsterisk: case vtkArith: case vtkLogic: case vtkCompare: case vtkOpen: case vtkClose:
      case vtkNull: case vtkCount: case vtkSum: case vtkMax: case vtkMin: case vtkAvg: case vtkTrue:
      case vtkFalse: break;
      default: Fail("token kind", std::to_string(t.Kind));
    }
    if (t.Kind != vtkString && t.Text.empty()) Fail("empty token", std::to_string(t.Kind));
    std::string word = t.Text;
    bool reserved = TVelaParser::IsReservedWord(word);
    if (t.Kind == vtkIdent && reserved) Fail("reserved word as identifier", t.Text);
    if ((t.Kind == vtkKeyword || t.Kind == vtkLogic) && (!reserved || word != t.Text)) Fail("keyword", t.Text);
  }
}

void CheckConditions(const TVelaCFieldList& list) {
  for (const TVelaCField& c : list) {
    if (c.LeftKind != vtkIdent && c.LeftKind != vtkString) Fail("left kind", std::to_string(c.LeftKind));
    switch (c.RightKind) {
      case vtkIdent: case vtkString: case vtkNumber: case vtkNull: case vtkTrue: case vtkFalse: break;
      default: Fail("right kind", std::to_string(c.RightKind));
    }
    if (c.CompareOp < coEqual || c.CompareOp > coStarEqual) Fail("operator", std::to_string(c.CompareOp));
    if (!c.Literal.empty() || c.Mask) Fail("resolved by the parser", c.LeftName);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  // The first byte picks the decimal separator, which changes what a number is.
  if (size == 0) return 0;
  FormatSettings().DecimalSeparator = (data[0] & 1) ? ',' : '.';
  std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  TVelaParser parser;
  TVelaCFieldList list;
  try {
    parser.Tokenize(text);
    CheckTokens(parser);
    int result = parser.BuildConditions(list, 0);
    if (result != 0) {
      const auto& tokens = parser.Tokens();
      if (result < 1 || static_cast<std::size_t>(result) >= tokens.size() || tokens[result].Text != "BY" ||
          tokens[result - 1].Text != "GROUP")
        Fail("GROUP BY index", std::to_string(result));
    }
  } catch (const EDatabaseError& e) {
    if (!KnownMessage(e.Message())) Fail("unexpected message", e.Message());
  }
  CheckConditions(list);
  return 0;
}
