// Formatted text as this program keeps it in notes: paragraphs of runs, each
// run with bold, italic, underline, a font size and a colour; a paragraph may
// be a bullet-list item. ReadRtf takes the subset of RTF that word processors
// write for such text and passes over the rest; WriteRtf writes RTF that this
// reader, WordPad, Word and LibreOffice read. Neither uses Qt: the bridge to
// Qt's text documents lives in gui/.
//
// Texts in the model are UTF-8. In RTF, characters past ASCII are written as
// \'hh (Windows-1252) or, where that code page has none, as \uN with "?".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace notarra {

struct TRtfFormat {
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  int HalfPoints = 0;       // font size in half points; 0: the document's own
  int64_t Color = -1;       // 0xRRGGBB; -1: the document's own
  friend bool operator==(const TRtfFormat&, const TRtfFormat&) = default;
};

struct TRtfRun {
  std::string Text;  // UTF-8; a line break within the paragraph is "\n", a tab "\t"
  TRtfFormat Format;
  friend bool operator==(const TRtfRun&, const TRtfRun&) = default;
};

struct TRtfParagraph {
  std::vector<TRtfRun> Runs;
  bool Bullet = false;
  friend bool operator==(const TRtfParagraph&, const TRtfParagraph&) = default;
};

struct TRtfDocument {
  std::vector<TRtfParagraph> Paragraphs;
  friend bool operator==(const TRtfDocument&, const TRtfDocument&) = default;
  // The text alone: paragraphs joined by "\n".
  std::string PlainText() const;
  // Whether any run has a format other than the default, or any paragraph is a bullet.
  bool Formatted() const;
};

// Whether text is RTF (begins with "{\rtf", blanks before it allowed).
bool LooksLikeRtf(std::string_view text);

// Reads RTF. Never fails: unknown control words and destinations are passed
// over, and malformed input (unbalanced braces, a cut-off end, huge numbers,
// deep nesting) gives what could be read. Neighbouring runs of one format are
// joined, and a last empty paragraph is dropped.
TRtfDocument ReadRtf(std::string_view rtf);

// Appends the text the RTF reads as, in Windows-1252 ("?" for a character
// that code page lacks), a paragraph ended by "\n": what a search looks at.
// As fast as a scan: no document is made.
void AppendRtfPlainText(std::string_view rtf, std::string& out);

// Writes the document as RTF (7-bit ASCII bytes).
std::string WriteRtf(const TRtfDocument& document);

}  // namespace notarra
