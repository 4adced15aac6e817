// TDBMemo: the plain data memo. A multi-line editor that shows one field of
// the data source's current record; a BLOB field (memo, formatted memo) is
// read and written whole through the dataset's BLOB stream, other fields
// through their text. Line breaks are stored as CR LF. Typing puts the
// dataset into edit (when the data source allows it); Escape throws the
// change away; leaving the memo writes it into the field. Tab moves on to
// the next control. A content that could not be read stays read-only, so
// that it is never replaced by what the memo happens to show.
#pragma once

#include <QPlainTextEdit>
#include <string>

#include "gui/field_data_control.h"

namespace notarra {

class TDBMemo : public QPlainTextEdit, public TFieldDataControl {
  Q_OBJECT

public:
  explicit TDBMemo(QWidget* parent = nullptr);
  ~TDBMemo() override;

  // The shown content in Windows-1252 with CR LF line breaks.
  std::string Text() const;
  void SetText(const std::string& value);
  // Whether the field's content was read (false after a read failure).
  bool MemoLoaded() const { return loaded_; }

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

  bool loaded_ = false;
  bool loading_ = false;
};

}  // namespace notarra
