// TDBMemo: the plain data memo. A multi-line editor that shows one field of
// the data source's current record; a BLOB field (memo, formatted memo) is
// read and written whole through the dataset's BLOB stream, other fields
// through their text. Line breaks are stored as CR LF. Typing puts the
// dataset into edit (when the data source allows it); Escape throws the
// change away; leaving the memo writes it into the field. Tab moves on to
// the next control. A content that could not be read stays read-only, so
// that it is never replaced by what the memo happens to show.
//
// With FormattedText on, content that is RTF shows formatted and is written
// back as RTF; plain content stays plain text until the person formats it
// (ToggleBold and the others, Ctrl+B, Ctrl+I, Ctrl+U).
#pragma once

#include <QTextEdit>
#include <functional>
#include <string>

#include "gui/field_data_control.h"

namespace notarra {

class TDBMemo : public QTextEdit, public TFieldDataControl {
  Q_OBJECT

public:
  explicit TDBMemo(QWidget* parent = nullptr);
  ~TDBMemo() override;

  // The shown content in Windows-1252 with CR LF line breaks, or as RTF
  // while it is formatted.
  std::string Text() const;
  void SetText(const std::string& value);
  // Whether the field's content was read (false after a read failure).
  bool MemoLoaded() const { return loaded_; }

  bool FormattedText() const { return formattedText_; }
  void SetFormattedText(bool value);
  // Whether the content is kept as RTF (it was, or has been formatted).
  bool Formatted() const;
  // Formatting of the selection (or of what is typed next) and of the
  // paragraphs it touches; each puts the dataset into edit first.
  void ToggleBold();
  void ToggleItalic();
  void ToggleUnderline();
  void ToggleBulletList();

protected:
  void DataChange() override;
  void UpdateData() override;
  void EditingChange() override;

  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool canInsertFromMimeData(const QMimeData* source) const override;
  void insertFromMimeData(const QMimeData* source) override;

private:
  std::string ReadField() const;
  void WriteField(const std::string& content);
  // Applies a formatting change as the person's edit.
  void Format(const std::function<void()>& change);

  bool loaded_ = false;
  bool loading_ = false;
  bool formattedText_ = false;
  bool loadedRtf_ = false;   // the content shown came from RTF
  std::string shownContent_;  // the field content last shown
};

}  // namespace notarra
