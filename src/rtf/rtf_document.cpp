#include "rtf/rtf_document.h"

namespace notarra {

std::string TRtfDocument::PlainText() const {
  std::string text;
  for (std::size_t p = 0; p < Paragraphs.size(); ++p) {
    if (p > 0) text += '\n';
    for (const TRtfRun& run : Paragraphs[p].Runs) text += run.Text;
  }
  return text;
}

bool TRtfDocument::Formatted() const {
  for (const TRtfParagraph& p : Paragraphs) {
    if (p.Bullet) return true;
    for (const TRtfRun& run : p.Runs)
      if (run.Format != TRtfFormat{}) return true;
  }
  return false;
}

bool LooksLikeRtf(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
  return text.substr(i, 5) == "{\\rtf";
}

}  // namespace notarra
