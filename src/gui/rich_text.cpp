#include "gui/rich_text.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <cmath>

namespace notarra {

namespace {

QTextCharFormat CharFormat(const TRtfFormat& f) {
  QTextCharFormat format;
  if (f.Bold) format.setFontWeight(QFont::Bold);
  if (f.Italic) format.setFontItalic(true);
  if (f.Underline) format.setFontUnderline(true);
  if (f.HalfPoints > 0) format.setFontPointSize(f.HalfPoints / 2.0);
  if (f.Color >= 0) format.setForeground(QColor::fromRgb(static_cast<QRgb>(f.Color)));
  return format;
}

TRtfFormat RtfFormat(const QTextCharFormat& format) {
  TRtfFormat f;
  f.Bold = format.hasProperty(QTextFormat::FontWeight) && format.fontWeight() >= QFont::DemiBold;
  f.Italic = format.fontItalic();
  f.Underline = format.fontUnderline();
  if (format.hasProperty(QTextFormat::FontPointSize))
    f.HalfPoints = static_cast<int>(std::lround(format.fontPointSize() * 2));
  if (format.hasProperty(QTextFormat::ForegroundBrush) && format.foreground().style() != Qt::NoBrush)
    f.Color = format.foreground().color().rgb() & 0xFFFFFF;
  return f;
}

}  // namespace

void ShowRtfDocument(const TRtfDocument& rtf, QTextDocument& document) {
  // A content shown afresh is nothing to undo (as with setPlainText).
  const bool undo = document.isUndoRedoEnabled();
  document.setUndoRedoEnabled(false);
  document.clear();
  QTextCursor cursor(&document);
  // One edit block: the document lays itself out once, not after every run.
  cursor.beginEditBlock();
  QTextList* list = nullptr;
  for (std::size_t p = 0; p < rtf.Paragraphs.size(); ++p) {
    const TRtfParagraph& paragraph = rtf.Paragraphs[p];
    if (p > 0) cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
    if (paragraph.Bullet) {
      if (list) list->add(cursor.block());
      else list = cursor.createList(QTextListFormat::ListDisc);
    } else {
      list = nullptr;
    }
    for (const TRtfRun& run : paragraph.Runs) {
      QString text = QString::fromUtf8(run.Text.data(), static_cast<qsizetype>(run.Text.size()));
      text.replace(QChar('\n'), QChar::LineSeparator);
      cursor.insertText(text, CharFormat(run.Format));
    }
  }
  cursor.endEditBlock();
  document.setUndoRedoEnabled(undo);
}

TRtfDocument RtfDocumentOf(const QTextDocument& document) {
  TRtfDocument rtf;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    TRtfParagraph paragraph;
    paragraph.Bullet = block.textList() != nullptr;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (!fragment.isValid()) continue;
      QString text = fragment.text();
      text.replace(QChar::LineSeparator, QChar('\n'));
      const TRtfFormat format = RtfFormat(fragment.charFormat());
      const QByteArray utf8 = text.toUtf8();
      if (!paragraph.Runs.empty() && paragraph.Runs.back().Format == format)
        paragraph.Runs.back().Text.append(utf8.constData(), static_cast<std::size_t>(utf8.size()));
      else
        paragraph.Runs.push_back({std::string(utf8.constData(), static_cast<std::size_t>(utf8.size())), format});
    }
    rtf.Paragraphs.push_back(std::move(paragraph));
  }
  // A document always has a block: an empty one is no paragraph.
  if (rtf.Paragraphs.size() == 1 && rtf.Paragraphs[0].Runs.empty() && !rtf.Paragraphs[0].Bullet) rtf.Paragraphs.clear();
  return rtf;
}

}  // namespace notarra
