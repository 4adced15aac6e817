#include "gui/db_memo.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextDocument>
#include <QTimer>
#include <exception>
#include <memory>

#include "dataset/dataset.h"
#include "dataset/field.h"
#include "gui/exception_guard.h"
#include "gui/key_input.h"
#include "gui/qt_text.h"
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

TDBMemo::TDBMemo(QWidget* parent) : QPlainTextEdit(parent), TFieldDataControl(this) {
  setTabChangesFocus(true);
  setReadOnly(true);
  connect(this, &QPlainTextEdit::textChanged, this, [this] {
    if (!loading_) RunGuarded([this] { ContentChanged(); });
  });
}

TDBMemo::~TDBMemo() = default;

std::string TDBMemo::Text() const {
  // The raw text keeps non-breaking spaces; its block and line separators
  // are the stored line breaks.
  QString raw = document()->toRawText();
  raw.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
  raw.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
  return FromQString(raw);
}

void TDBMemo::SetText(const std::string& value) {
  const QString shown = StoredToShown(value);
  // Reloading the same content keeps the cursor and the scroll position.
  if (shown == document()->toRawText().replace(QChar::ParagraphSeparator, QChar('\n'))) return;
  loading_ = true;
  setPlainText(shown);
  loading_ = false;
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
  if (event->key() == Qt::Key_Escape) {
    if (DataLink().IsModified()) {
      RunGuarded([this] { ResetContent(); });
      event->accept();
      return;
    }
    QPlainTextEdit::keyPressEvent(event);
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
  QPlainTextEdit::keyPressEvent(event);
}

void TDBMemo::focusInEvent(QFocusEvent* event) {
  RunGuarded([&] { HandleFocusIn(event); });
  QPlainTextEdit::focusInEvent(event);
}

void TDBMemo::focusOutEvent(QFocusEvent* event) {
  QPlainTextEdit::focusOutEvent(event);
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
