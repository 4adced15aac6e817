// TFormatBar: the small row of buttons over a formatted memo: bold, italic,
// underline and bullet list. Each button shows the state at the memo's
// cursor and toggles it there (the memo puts its dataset into edit first).
// The buttons take no focus, so the memo keeps its cursor and selection.
#pragma once

#include <QWidget>

class QToolButton;

namespace notarra {

class TDBMemo;

class TFormatBar : public QWidget {
  Q_OBJECT

public:
  TFormatBar(TDBMemo* memo, QWidget* parent = nullptr);
  QToolButton* BoldButton() const { return bold_; }
  QToolButton* ItalicButton() const { return italic_; }
  QToolButton* UnderlineButton() const { return underline_; }
  QToolButton* ListButton() const { return list_; }

private:
  void ShowState();
  TDBMemo* memo_;
  QToolButton* bold_;
  QToolButton* italic_;
  QToolButton* underline_;
  QToolButton* list_;
};

}  // namespace notarra
