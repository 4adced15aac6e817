// TVelaDBGridInplaceEdit: the data grid's cell editor. By the column's
// button style it shows a button at its right edge that opens a drop-down
// (pick list, lookup list over another dataset, calendar) or raises the
// grid's edit-button action (ellipsis). While a drop-down is open the
// editor keeps the focus and passes the typed keys to it; Enter or a click
// in it accepts, Escape or leaving closes it without writing.
#pragma once

#include <memory>

#include "gui/inplace_edit.h"

namespace notarra {

class TDataSource;
class TPopupDataList;
class TPopupListbox;
class TVelaColumn;
class TVelaCustomDBGrid;
class TVelaPopupCalendar;

class TVelaDBGridInplaceEdit : public TInplaceEdit {
  Q_OBJECT

public:
  enum TEditStyle { esSimple = 0, esEllipsis = 1, esPickList = 2, esDataList = 3, esCalendar = 4 };

  explicit TVelaDBGridInplaceEdit(TVelaCustomDBGrid* grid);
  ~TVelaDBGridInplaceEdit() override;

  TVelaCustomDBGrid* DBGrid() const { return dbGrid_; }
  TEditStyle EditStyle() const { return style_; }
  bool ListVisible() const { return listVisible_; }
  // The open or openable drop-down (null for the simple and ellipsis styles).
  QWidget* ActiveList() const { return activeList_; }
  TPopupListbox* PickList() const { return pickList_; }
  TPopupDataList* DataList() const { return dataList_; }
  TVelaPopupCalendar* Calendar() const { return calendar_; }
  int ButtonWidth() const { return buttonWidth_; }
  QRect ButtonRect() const;

  void OpenList();
  void CloseList(bool accept);
  void UpdateContents() override;

protected:
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

private:
  void KeyDown(QKeyEvent* event);
  void SetEditStyle(TEditStyle style);
  TEditStyle StyleForColumn(const TVelaColumn* column) const;
  void ListMouseUp(QWidget* list, const QPoint& pos, Qt::MouseButton button);

  TVelaCustomDBGrid* dbGrid_;
  int buttonWidth_;
  TPopupDataList* dataList_ = nullptr;
  TPopupListbox* pickList_ = nullptr;
  TVelaPopupCalendar* calendar_ = nullptr;
  QWidget* activeList_ = nullptr;
  TEditStyle style_ = esSimple;
  bool listVisible_ = false;
  std::unique_ptr<TDataSource> lookupSource_;
  bool buttonTracking_ = false;
  bool buttonDown_ = false;
};

}  // namespace notarra
