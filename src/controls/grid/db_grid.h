// TVelaCustomDBGrid: the data grid. It shows the records of a dataset as
// rows and chosen fields as columns (grid_columns.h), on the grid base
// TCustomGrid. The grid only ever holds the rows it shows: its data link's
// window of records (as many as fit), so a table of a million records
// paints and pages as cheaply as one of ten, and the vertical scroll bar is
// placed from the dataset's record number, not by walking the table.
//
// Cells are edited in place (TVelaDBGridInplaceEdit, with a pick list,
// lookup list or calendar drop-down per column); check-box columns toggle
// on a click or Space; Insert inserts, Down on the last row appends,
// Ctrl+Delete deletes after asking, Escape cancels. With dgMultiSelect rows
// are selected with Ctrl+click and Shift+Up/Down (SelectedRows).
//
// TVelaDBGrid publishes it; it is also the plain data grid of the forms.
#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "controls/grid/bookmark_list.h"
#include "controls/grid/grid_columns.h"
#include "controls/grid/grid_data_link.h"
#include "gui/custom_grid.h"
#include "platform/events.h"
#include "platform/set.h"

class QScrollBar;

namespace notarra {

class TDataSource;
class TDataSet;
class TField;
class TVelaCustomDBGrid;
class TVelaDBGridInplaceEdit;

enum TVelaDBGridOption {
  dgEditing,
  dgAlwaysShowEditor,
  dgTitles,
  dgIndicator,
  dgColumnResize,
  dgColLines,
  dgRowLines,
  dgTabs,
  dgRowSelect,
  dgAlwaysShowSelection,
  dgConfirmDelete,
  dgCancelOnExit,
  dgMultiSelect,
  dgDragOutRows,
  dgEnterToTab,
};
using TVelaDBGridOptions = TSet<TVelaDBGridOption>;

using TGridNotifyEvent = TEvent<TVelaCustomDBGrid*>;
using TVelaDBGridClickEvent = TEvent<TVelaCustomDBGrid*, TVelaColumn*>;
using TVelaDBGridCloseUpEvent = TEvent<TVelaCustomDBGrid*, TVelaColumn*, bool>;
using TMovedEvent = TEvent<TVelaCustomDBGrid*, int, int>;
// Column, the cell's font (set for this cell), its background colour.
using TDrawCellAttrEvent = TEvent<TVelaCustomDBGrid*, TVelaColumn*, TFont&, QColor&, TGridDrawState>;
using TDrawTitleAttrEvent = TEvent<TVelaCustomDBGrid*, TVelaColumn*, TFont&, QColor&>;
using TDrawColumnCellEvent = TEvent<TVelaCustomDBGrid*, const QRect&, int, TVelaColumn*, TGridDrawState>;
using TDrawDataCellEvent = TEvent<TVelaCustomDBGrid*, const QRect&, TField*, TGridDrawState>;
// Column, the key (set it to 0 to drop it), the editor's text.
using TVelaSpecialKeyDownEvent = TEvent<TVelaCustomDBGrid*, TVelaColumn*, int&, const std::string&>;
using TCalcFieldEditedEvent = TEvent<TVelaCustomDBGrid*, TField*, const std::string&>;
// The key and the modifiers; set the key to 0 to stop the grid's handling.
using TGridKeyEvent = TEvent<TVelaCustomDBGrid*, int&, Qt::KeyboardModifiers>;

class TVelaCustomDBGrid : public TCustomGrid {
  Q_OBJECT

public:
  // The images of the indicator column and of the title sort marks.
  enum Glyph { kGlyphArrow, kGlyphEdit, kGlyphInsert, kGlyphMultiDot, kGlyphMultiArrow, kGlyphSortDown, kGlyphSortUp };
  static constexpr TVelaDBGridOptions kDefaultOptions{dgEditing,     dgTitles,   dgIndicator,     dgColumnResize,
                                                       dgColLines,    dgRowLines, dgTabs,          dgConfirmDelete,
                                                       dgCancelOnExit};

  explicit TVelaCustomDBGrid(QWidget* parent = nullptr);
  ~TVelaCustomDBGrid() override;

  // --- data ---
  TDataSource* DataSource() const { return dataLink_->DataSource(); }
  void SetDataSource(TDataSource* value);
  TGridDataLink* DataLink() const { return dataLink_.get(); }
  TVelaDBGridColumns& Columns() { return *columns_; }
  const TVelaDBGridColumns& Columns() const { return *columns_; }
  void SetColumns(const TVelaDBGridColumns& value) { columns_->Assign(value); }
  TBookmarkList& SelectedRows() { return *bookmarks_; }
  // The column of the current cell (-1 on the indicator) and its field.
  int SelectedIndex() const { return GridColToColumnIndex(Col()); }
  void SetSelectedIndex(int value);
  TField* SelectedField() const;
  TVelaColumn* CurrentColumn() const;
  int ColumnIndexToGridCol(int index) const { return index + indicatorCols_; }
  int GridColToColumnIndex(int col) const { return col - indicatorCols_; }
  int TitleRows() const { return titleRows_; }
  int IndicatorCols() const { return indicatorCols_; }

  // --- layout and painting ---
  TVelaDBGridOptions Options() const { return options_; }
  void SetOptions(TVelaDBGridOptions value);
  bool DefaultDrawing() const { return defaultDrawing_; }
  void SetDefaultDrawing(bool value);
  int FixedCols() const { return userFixedCols_; }
  void SetFixedCols(int value);
  int RowsHeight() const { return rowsHeight_; }
  void SetRowsHeight(int value);
  int TitleHeight() const { return titleHeight_; }
  void SetTitleHeight(int value);
  const TFont& TitleFont() const { return titleFont_; }
  void SetTitleFont(const TFont& value);
  // The cells' font (Qt's font of the widget, with a colour).
  TFont Font() const;
  void SetFont(const TFont& value);
  QColor HighlightColor() const { return highlightColor_; }
  void SetHighlightColor(const QColor& value);
  QColor HighlightTextColor() const { return highlightTextColor_; }
  void SetHighlightTextColor(const QColor& value);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  bool AllowInsert() const { return allowInsert_; }
  void SetAllowInsert(bool value);
  bool AllowDelete() const { return allowDelete_; }
  void SetAllowDelete(bool value);
  // One of the indicator / sort-mark images, for the screen's density.
  QPixmap GlyphImage(Glyph glyph, qreal devicePixelRatio) const;

  // --- layout operations ---
  void RequestLayout();
  void LockLayout();
  void UnlockLayout();
  void PostLayout();
  int PaintLock() const { return paintLock_; }
  int LayoutHold() const { return layoutHold_; }
  void SyncRowCount();
  void SyncScrollBar();
  void SyncCurrentRow();
  // Repaints the title band.
  void InvalidateTitles();

  // --- editing ---
  // The editor's text waiting to be written into the current field.
  const std::string& EditBuffer() const { return editBuffer_; }
  // Posts the editor's pending text into the current field (the link's UpdateData).
  void UpdateData();
  bool CanEditModify() override;

  // --- navigation ---
  void GoToColumn(int gridCol, int direction);
  // Whether a column's lookup settings are complete (lookup dataset open, names given).
  static bool LookupComplete(const TVelaColumn* column);
  // The text a cell of the column shows for the dataset's active record.
  std::string CellText(const TVelaColumn* column) const;
  // The grid row of the link's active record.
  int CurrentGridRow() const;
  // Whether the data row (0 = first shown record) is multi-selected.
  bool RowSelected(int dataRow);
  // The text of a data cell, for readers of the grid (accessibility).
  std::string DataCellText(int columnIndex, int dataRow);

  // --- events ---
  TVelaDBGridClickEvent OnTitleClick;
  TVelaDBGridClickEvent OnCellClick;
  TVelaDBGridClickEvent OnColumnResized;
  TMovedEvent OnColumnMoved;
  TDrawCellAttrEvent OnDrawCellAttr;
  TDrawTitleAttrEvent OnDrawTitleAttr;
  TDrawColumnCellEvent OnDrawColumnCell;
  TDrawDataCellEvent OnDrawDataCell;
  TGridNotifyEvent OnColEnter;
  TGridNotifyEvent OnColExit;
  TGridNotifyEvent OnMultiSelectChanged;
  TGridNotifyEvent OnDblClick;
  // The focus went from the grid (and its editor) to another control.
  TGridNotifyEvent OnExit;
  TGridKeyEvent OnKeyDown;
  TVelaDBGridClickEvent BeforeDropDown;
  TVelaDBGridCloseUpEvent AfterCloseUp;
  TVelaDBGridClickEvent OnEditButtonClick;
  TVelaSpecialKeyDownEvent OnSpecialKeyDown;
  TCalcFieldEditedEvent OnCalcFieldEdited;

  // The edit-button action of an ellipsis cell.
  void EditButtonClick();
  // Tells assistive technology which cell is current now.
  void NotifyAccessibleFocus();

protected:
  // Base grid hooks.
  void DrawCell(QPainter& painter, int col, int row, const QRect& rect, TGridDrawState state) override;
  void ColWidthsChanged() override;
  void ColumnMoved(int from, int to) override;
  TInplaceEdit* CreateEditor() override;
  std::string GetEditText(int col, int row) override;
  void SetEditText(int col, int row, const std::string& value) override;
  std::string GetEditMask(int col, int row) override;
  int GetEditLimit() override;
  bool CanEditAcceptKey(char key) override;
  bool CanEditShow() override;

  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool event(QEvent* event) override;

private:
  friend class TGridDataLink;
  friend class TVelaColumn;
  friend class TVelaColumnTitle;
  friend class TVelaDBGridColumns;
  friend class TBookmarkList;
  friend class TVelaDBGridInplaceEdit;

  // Layout (db_grid_layout.cpp).
  void RebuildLayout();
  void DropLayoutLock();
  void BuildFieldMap();
  void ReconcileColumns();
  void ComputeHeights();
  void ApplyColumnAttributes();
  bool ColumnHasTabStop(const TVelaColumn* column) const;
  void ColumnChanged(TVelaColumn* column);
  void LinkActive(bool value);
  void DataChanged();
  void Scroll(int distance);
  void RecordChanged(TField* field);
  void EditingChanged();
  void FocusControl(TField** field);
  void FieldRemoved(TField* field);
  // The write-back of the editor's text into the current field.
  void WriteEditBuffer();
  // Focus went from the grid or its editor to another control.
  void FocusLeft(QFocusEvent* event);
  bool sizingColumn_ = false;
  bool passingChar_ = false;
  bool pressedOnBase_ = false;
  int TextHeight(const QFont& font) const;

  // Painting (db_grid_painting.cpp).
  void DrawIndicatorCell(QPainter& painter, const QRect& rect, int dataRow, bool multiSelected, int frameOffset);
  void DrawTitleCell(QPainter& painter, TVelaColumn* column, QRect rect, TGridDrawState& state, int frameOffset);
  void DrawDataCell(QPainter& painter, TVelaColumn* column, int columnIndex, int dataRow, const QRect& rect,
                    TGridDrawState state, bool multiSelected);
  void WriteText(QPainter& painter, const QRect& rect, int dx, int dy, const std::string& text, TAlignment alignment,
                 bool wordWrap, const TFont& font, const QColor& background);
  void DrawCheckBox(QPainter& painter, const QRect& rect, bool checked, const QColor& background);
  void DrawEdges(QPainter& painter, const QRect& rect, bool sunken);

  // Keys, mouse and selection (db_grid_input.cpp).
  void KeyDown(QKeyEvent* event);
  void MouseDown(QMouseEvent* event);
  void MouseUp(QMouseEvent* event);
  void ClearSelection();
  void MoveWithSelection(int direction, bool select, bool shift);
  // -1, 0 or 1: the current row before, at or after the selection anchor.
  int SideOfAnchor() const;
  void NextRow(bool select, bool shift);
  void PriorRow(bool select, bool shift);
  void TabStep(bool forward);
  bool DeletePrompt();
  void ToggleCheckBox();
  void ScrollBarAction(int action);
  void ScrollBarReleased();
  void ColumnExit();
  void ColumnEnter();
  bool LeavingGrid(QFocusEvent* event) const;

  std::unique_ptr<TGridDataLink> dataLink_;
  std::unique_ptr<TVelaDBGridColumns> columns_;
  std::unique_ptr<TBookmarkList> bookmarks_;
  TFont titleFont_;
  QColor fontColor_{Qt::black};
  QColor highlightColor_;
  QColor highlightTextColor_;
  TVelaDBGridOptions options_;
  std::string editBuffer_;
  std::array<QIcon, 7> glyphs_;
  TBookmark selectionAnchor_;
  int anchorRecNo_ = -1;
  int titleRows_ = 0;
  int indicatorCols_ = 0;
  int paintLock_ = 0;
  int layoutHold_ = 0;
  int selRow_ = -1;
  int userFixedCols_ = 0;
  int titleHeight_ = 0;
  int rowsHeight_ = 0;
  int pressedColumn_ = -1;
  int wheelRemainder_ = 0;
  bool readOnly_ = false;
  bool layoutFromLink_ = false;
  bool inColExit_ = false;
  bool defaultDrawing_ = true;
  bool anchoring_ = false;
  bool allowInsert_ = true;
  bool allowDelete_ = true;
  bool layoutPosted_ = false;
  bool inLayout_ = false;
  bool selfChangingTitleFont_ = false;
};

class TVelaDBGrid : public TVelaCustomDBGrid {
  Q_OBJECT

public:
  explicit TVelaDBGrid(QWidget* parent = nullptr) : TVelaCustomDBGrid(parent) {}
};

}  // namespace notarra
