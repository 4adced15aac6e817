#include "gui/db_memo.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTimer>
#include <exception>
#include <memory>

#include "dataset/dataset.h"
#include "dataset/field.h"
#include "gui/exception_guard.h"
#include "gui/key_input.h"
#include "gui/qt_text.h"
#include "gui/rich_text.h"
#include "platform/memory_stream.h"

namespace notarra {

namespace {

// CR LF and lone CR become the editor's line feed.
QString StoredToShown(const std::string& stored) {
  std::string text;
  text.reserve(stored.size());
  for (std::size_t i = 0; i < stored.size(); ++i) {
    if (stored[i] == '\r') {
      text += '\n';
      if (i + 1 < stored.size() && stored[i + 1] == '\n') ++i;
    } else {
      text += stored[i];
    }
  }
  return ToQString(text);
}

}  // namespace

TDBMemo::TDBMemo(QWidget* parent) : QTextEdit(parent), TFieldDataControl(this) {
  setTabChangesFocus(true);
  setReadOnly(true);
  // Pasted text arrives plain (see insertFromMimeData).
  setAcceptRichText(false);
  connect(this, &QTextEdit::textChanged, this, [this] {
    if (!loading_) RunGuarded([this] { ContentChanged(); });
  });
}

TDBMemo::~TDBMemo() = default;

void TDBMemo::SetFormattedText(bool value) {
  if (formattedText_ == value) return;
  formattedText_ = value;
  const std::string content = shownContent_;
  shownContent_.clear();
  SetText(content);
}

bool TDBMemo::Formatted() const { return loadedRtf_ || RtfDocumentOf(*document()).Formatted(); }

std::string TDBMemo::Text() const {
  if (formattedText_ && Formatted()) {
    std::string rtf = WriteRtf(RtfDocumentOf(*document()));
    // The table's memos end lines with CR LF, RTF source included.
    std::string stored;
    for (char c : rtf) c == '\n' ? stored += "\r\n" : stored += c;
    return stored;
  }
  // The raw text keeps non-breaking spaces; its block and line separators
  // are the stored line breaks.
  QString raw = document()->toRawText();
  raw.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
  raw.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
  return FromQString(raw);
}

void TDBMemo::SetText(const std::string& value) {
  const bool rtf = formattedText_ && LooksLikeRtf(value);
  // Reloading the same content keeps the cursor and the scroll position; a
  // content the person changed (if only in format) is shown afresh.
  const bool same = rtf ? value == shownContent_ && loadedRtf_
                        : !loadedRtf_ && StoredToShown(value) == document()->toRawText().replace(
                                                                     QChar::ParagraphSeparator, QChar('\n'));
  if (same && !(formattedText_ && document()->isModified())) return;
  loading_ = true;
  if (rtf) {
    ShowRtfDocument(ReadRtf(value), *document());
    moveCursor(QTextCursor::Start);  // as a plain text starts
  } else {
    setCurrentCharFormat(QTextCharFormat());
    setPlainText(StoredToShown(value));
  }
  loadedRtf_ = rtf;
  shownContent_ = value;
  loading_ = false;
}

void TDBMemo::Format(const std::function<void()>& change) {
  if (isReadOnly() || !formattedText_) return;
  bool allowed = false;
  RunGuarded([&] { allowed = EditForChange(); });
  if (!allowed) return;
  change();
  // A change of format alone may not count as a change of text.
  RunGuarded([this] { ContentChanged(); });
}

void TDBMemo::ToggleBold() {
  Format([this] { setFontWeight(fontWeight() >= QFont::DemiBold ? QFont::Normal : QFont::Bold); });
}

void TDBMemo::ToggleItalic() {
  Format([this] { setFontItalic(!fontItalic()); });
}

void TDBMemo::ToggleUnderline() {
  Format([this] { setFontUnderline(!fontUnderline()); });
}

void TDBMemo::ToggleBulletList() {
  Format([this] {
    QTextCursor cursor = textCursor();
    if (QTextList* list = cursor.currentList()) {
      // Out of the list: each touched paragraph becomes plain again.
      const QTextBlock last = document()->findBlock(cursor.selectionEnd());
      for (QTextBlock b = document()->findBlock(cursor.selectionStart()); b.isValid(); b = b.next()) {
        list->remove(b);
        QTextCursor c(b);
        QTextBlockFormat plain = b.blockFormat();
        plain.setIndent(0);
        c.setBlockFormat(plain);
        if (b == last) break;
      }
    } else {
      cursor.createList(QTextListFormat::ListDisc);
    }
  });
}

std::string TDBMemo::ReadField() const {
  TField* field = Field();
  if (!field->IsBlob()) return Focused() && CanModify() ? field->Text() : field->DisplayText();
  TDataSet* dataSet = field->DataSet();
  if (dataSet->State() == dsBrowse && dataSet->IsEmpty()) return std::string();
  std::unique_ptr<TStream> stream = dataSet->CreateBlobStream(field, bmRead);
  std::string content(static_cast<std::size_t>(stream->Size()), '\0');
  stream->SetPosition(0);
  if (!content.empty()) stream->ReadBuffer(content.data(), content.size());
  return content;
}

void TDBMemo::WriteField(const std::string& content) {
  TField* field = Field();
  if (!field->IsBlob()) {
    field->SetText(content);
    return;
  }
  std::unique_ptr<TStream> stream = field->DataSet()->CreateBlobStream(field, bmWrite);
  // Truncating counts as writing, so an emptied memo empties the field.
  stream->SetSize(0);
  if (!content.empty()) stream->WriteBuffer(content.data(), content.size());
  // Releasing the stream stores its content in the record.
  stream.reset();
}

void TDBMemo::DataChange() {
  std::string content;
  std::exception_ptr error;
  if (Field() != nullptr) {
    try {
      content = ReadField();
    } catch (...) {
      error = std::current_exception();
    }
  }
  loaded_ = Field() != nullptr && !error;
  SetText(content);
  document()->setModified(false);
  EditingChange();
  // Told after the dataset's operation is over, which a failed display does not stop.
  if (error) QTimer::singleShot(0, this, [error] { RunGuarded([&] { std::rethrow_exception(error); }); });
}

void TDBMemo::UpdateData() { WriteField(Text()); }

void TDBMemo::EditingChange() { setReadOnly(!CanModify() || !loaded_); }

void TDBMemo::keyPressEvent(QKeyEvent* event) {
  if (formattedText_ && event->modifiers() == Qt::ControlModifier) {
    void (TDBMemo::*toggle)() = nullptr;
    switch (event->key()) {
      case Qt::Key_B: toggle = &TDBMemo::ToggleBold; break;
      case Qt::Key_I: toggle = &TDBMemo::ToggleItalic; break;
      case Qt::Key_U: toggle = &TDBMemo::ToggleUnderline; break;
      default: break;
    }
    if (toggle) {
      (this->*toggle)();
      event->accept();
      return;
    }
  }
  if (event->key() == Qt::Key_Escape) {
    if (DataLink().IsModified()) {
      RunGuarded([this] { ResetContent(); });
      event->accept();
      return;
    }
    QTextEdit::keyPressEvent(event);
    return;
  }
  const bool lineBreak = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (!isReadOnly() && (IsModifyingKey(event) || lineBreak)) {
    char c = 0;
    if (TypesForeignChar(event) || (TypedChar(event, c) && Field() != nullptr && !Field()->IsValidChar(c))) {
      QApplication::beep();
      event->accept();
      return;
    }
    bool allowed = false;
    RunGuarded([&] { allowed = EditForChange(); });
    if (!allowed) {
      event->accept();
      return;
    }
  }
  QTextEdit::keyPressEvent(event);
}

void TDBMemo::focusInEvent(QFocusEvent* event) {
  RunGuarded([&] { HandleFocusIn(event); });
  QTextEdit::focusInEvent(event);
}

void TDBMemo::focusOutEvent(QFocusEvent* event) {
  QTextEdit::focusOutEvent(event);
  RunGuarded([&] { HandleFocusOut(event); });
}

bool TDBMemo::canInsertFromMimeData(const QMimeData* source) const { return !isReadOnly() && source->hasText(); }

void TDBMemo::insertFromMimeData(const QMimeData* source) {
  if (isReadOnly() || !source->hasText()) return;
  bool allowed = false;
  RunGuarded([&] { allowed = EditForChange(); });
  // Pasted text holds only what the field's code page can.
  if (allowed) insertPlainText(ToQString(FromQString(source->text())));
}

}  // namespace notarra
