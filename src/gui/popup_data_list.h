// TPopupDataList: the data-aware lookup list that drops down under an
// editor. It shows RowCount rows of the dataset behind ListSource, one
// column per list field (ListField names them, separated by ";"), and keeps
// KeyValue: the value of KeyField in the chosen row. ListFieldIndex picks
// the list field that is searched and whose text is the chosen item.
//
// The list is a window onto the dataset's cursor: it reads only the rows it
// shows (its data link's record buffers), so it costs the same on a
// hundred rows as on a hundred thousand. Moving the selection moves the
// dataset's cursor.
//
// How an owner uses it: create it with the owner (an editor) and leave it
// hidden; set the list source, fields, row count, width, colour and font;
// SetKeyValue with the current value, which locates it; show it with the
// popup behaviour (ShowBelow); pass it the keys typed in the owner
// (ForwardKey); read KeyValue and SelectedItem after a choice. Its mouse
// release goes to OnMouseUp when that is assigned (the owner then decides
// whether the choice is taken); without it a left release inside the list
// closes it accepting.
//
// Keys: Up, Down, Page Up, Page Down, Ctrl+Home and Ctrl+End move the
// selection; a typed character extends the search text and selects the
// first row whose list field starts with it, ignoring case (a character
// that matches nothing is dropped); Backspace shortens the search text; the
// text starts over after a pause of two seconds and when the list is shown.
#pragma once

#include <QColor>
#include <memory>
#include <string>
#include <vector>

#include "dataset/variant.h"
#include "gui/incremental_search.h"
#include "gui/popup_behavior.h"
#include "gui/popup_window.h"

class QScrollBar;

namespace notarra {

class TDataSet;
class TDataSource;
class TField;

class TPopupDataList : public TPopupWindow {
  Q_OBJECT

public:
  static constexpr int kSearchExpireMs = 2000;

  explicit TPopupDataList(QWidget* owner);
  ~TPopupDataList() override;

  TDataSource* ListSource() const;
  void SetListSource(TDataSource* source);
  // The dataset behind the list source; null when there is none.
  TDataSet* ListDataSet() const;
  // Whether the list source has an open dataset.
  bool ListActive() const;
  const std::string& ListField() const { return listFieldNames_; }
  void SetListField(const std::string& names);
  const std::string& KeyField() const { return keyFieldName_; }
  void SetKeyField(const std::string& name);
  int ListFieldIndex() const { return listFieldIndex_; }
  void SetListFieldIndex(int value);
  // The list fields found in the dataset, in the order named; the key
  // field (null when missing); the searched and shown one (null when none).
  const std::vector<TField*>& ListFields() const { return listFields_; }
  TField* KeyFieldObject() const { return keyField_; }
  TField* DisplayField() const;

  int RowCount() const { return rowCount_; }
  // At least 1. The height follows: RowCount rows and the frame.
  void SetRowCount(int value);
  int RowHeight() const;
  QColor Color() const { return color_; }
  void SetColor(const QColor& value);

  // The chosen row's key: read after a choice, set before showing (which
  // moves the dataset to that row when it holds it).
  TVariant KeyValue() const { return keyValue_; }
  void SetKeyValue(const TVariant& value);
  // The chosen row's list field text; empty when no shown row is chosen.
  std::string SelectedItem() const;
  // Whether the dataset's current row is the chosen one.
  bool HasSelection() const { return activeChosen_; }

  const std::string& SearchText() const { return search_.Text(); }
  void ClearSearch() { search_.Clear(); }

  // The row of the data link's window under a point of the list (-1: none).
  int RowAt(const QPoint& pos) const;
  // The text of the list field at column in the window's row (for tests and
  // for owners that paint the choice themselves).
  std::string RowText(int row, int column) const;
  // Rows of the window that hold a record.
  int FilledRows() const;
  // The window row of the dataset's current record.
  int ActiveRow() const;

  bool ForwardKey(QKeyEvent* event) override;

  TPopupMouseEvent OnMouseUp;

protected:
  // Makes the dataset's current row the chosen one (its key becomes KeyValue).
  void ChooseActiveRow();
  // Moves the cursor by distance rows and chooses the row it lands on.
  void MoveSelection(int distance);
  // The incremental search for one typed character; true when it was used.
  virtual bool SearchChar(char c);

  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

private:
  class TListLink;
  friend class TListLink;

  void LinkActiveChanged();
  void LinkDataChanged();
  void ResolveFields();
  void UpdateChosen();
  void UpdateHeight();
  void SyncScrollBar();
  void ScrollBarMoved(int value);
  void SelectRowAt(const QPoint& pos);
  QRect RowsRect() const;

  std::unique_ptr<TListLink> link_;
  std::string listFieldNames_;
  std::string keyFieldName_;
  int listFieldIndex_ = 0;
  std::vector<TField*> listFields_;
  TField* keyField_ = nullptr;
  int rowCount_ = 7;
  QColor color_;
  TVariant keyValue_;
  bool activeChosen_ = false;
  TIncrementalSearch search_{kSearchExpireMs};
  QScrollBar* scrollBar_ = nullptr;
  bool syncingScrollBar_ = false;
};

}  // namespace notarra
