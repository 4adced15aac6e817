// TCustomGrid: a grid of cells on a scroll area. Fixed rows and columns stay
// put at the top and left; the other cells scroll by whole rows and columns,
// so the vertical scroll bar counts rows and a grid of a million rows is as
// cheap to paint as one of ten: only the cells inside the viewport are ever
// visited. Derived grids paint through the DrawCell hook and answer the
// in-place editor's questions (GetEditText, SetEditText, ...).
//
// Texts exchanged with derived grids are Windows-1252 std::strings, like
// every text below the GUI.
#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QRect>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "platform/exceptions.h"
#include "platform/set.h"

class QPainter;

namespace notarra {
class TInplaceEdit;


enum TGridOption {
  goFixedVertLine,
  goFixedHorzLine,
  goVertLine,
  goHorzLine,
  goRangeSelect,
  goDrawFocusSelected,
  goRowSizing,
  goColSizing,
  goRowMoving,
  goColMoving,
  goEditing,
  goTabs,
  goRowSelect,
  goAlwaysShowEditor,
  goThumbTracking,
};
using TGridOptions = TSet<TGridOption>;

// Which scroll bars the grid keeps in step with TopRow and LeftCol. A bar
// left out is switched off here; a derived grid may show and drive it itself.
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

enum TGridDrawStateItem { gdSelected, gdFocused, gdFixed };
using TGridDrawState = TSet<TGridDrawStateItem>;

struct TGridCoord {
  int X = -1;
  int Y = -1;
  friend bool operator==(const TGridCoord&, const TGridCoord&) = default;
};

struct TGridRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  friend bool operator==(const TGridRect&, const TGridRect&) = default;
};

// Wrong use of the grid (indexes out of range, fixed counts too large).
class EInvalidGridOperation : public Exception {
public:
  using Exception::Exception;
};

class TCustomGrid : public QAbstractScrollArea {
  Q_OBJECT

public:
  explicit TCustomGrid(QWidget* parent = nullptr);
  ~TCustomGrid() override;

  // Size. Shrinking ColCount/RowCount to the fixed count or below lowers the
  // fixed count; setting a fixed count at or above the count raises.
  int ColCount() const { return colCount_; }
  void SetColCount(int value);
  int RowCount() const { return rowCount_; }
  void SetRowCount(int value);
  int FixedCols() const { return fixedCols_; }
  void SetFixedCols(int value);
  int FixedRows() const { return fixedRows_; }
  void SetFixedRows(int value);

  // A width of 0 or less hides the column (no cell, no grid line).
  int ColWidths(int col) const;
  void SetColWidths(int col, int width);
  int RowHeights(int row) const;
  void SetRowHeights(int row, int height);
  // Setting a default resets every column width / row height to it.
  int DefaultColWidth() const { return defaultColWidth_; }
  void SetDefaultColWidth(int value);
  int DefaultRowHeight() const { return defaultRowHeight_; }
  void SetDefaultRowHeight(int value);
  bool TabStops(int col) const;
  void SetTabStops(int col, bool value);

  // The first scrolling row and column shown.
  int TopRow() const { return topRow_; }
  void SetTopRow(int value);
  int LeftCol() const { return leftCol_; }
  void SetLeftCol(int value);

  // The current cell. Setting it asks SelectCell, moves the selection anchor
  // and scrolls the cell into view.
  int Col() const { return col_; }
  void SetCol(int value);
  int Row() const { return row_; }
  void SetRow(int value);
  void FocusCell(int col, int row, bool moveAnchor);
  // The current cell without scrolling (show false) or without moving the
  // anchor of a range selection (moveAnchor false).
  void MoveColRow(int col, int row, bool moveAnchor, bool show);
  TGridRect Selection() const;

  // Scrolling rows / columns that fit wholly into the viewport (at least 1
  // when there is any scrolling row / column).
  int VisibleRowCount() const;
  int VisibleColCount() const;

  int GridLineWidth() const { return gridLineWidth_; }
  void SetGridLineWidth(int value);
  QColor FixedColor() const { return fixedColor_; }
  void SetFixedColor(const QColor& value);
  QColor Color() const { return color_; }
  void SetColor(const QColor& value);
  TGridOptions Options() const { return options_; }
  void SetOptions(TGridOptions value);
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle value);
  // When on, the grid fills each cell's background (and draws the focus
  // rectangle) around DrawCell.
  bool DefaultDrawing() const { return defaultDrawing_; }
  void SetDefaultDrawing(bool value);

  // Geometry in viewport coordinates. A cell out of view has an empty rect.
  QRect CellRect(int col, int row) const;
  // The visible part of a block of cells.
  QRect BoxRect(int left, int top, int right, int bottom) const;
  // The cell under a viewport point; X or Y is -1 where there is none.
  TGridCoord MouseCoord(int x, int y) const;

  void InvalidateCell(int col, int row);
  void InvalidateCol(int col);
  void InvalidateRow(int row);
  void InvalidateGrid();

  // Moves a column or row with everything that belongs to it (width, tab
  // stop, height), keeping the current cell on the moved data.
  void MoveColumn(int from, int to);
  void MoveRow(int from, int to);

  // The in-place editor.
  bool EditorMode() const { return editorMode_; }
  void SetEditorMode(bool value);
  void ShowEditor();
  void HideEditor();
  TInplaceEdit* InplaceEditor() const { return editor_; }

protected:
  // Where index i ends up when the item at from moves to to.
  static int MovedIndex(int i, int from, int to);

  // Paints one visible cell; the painter is clipped to the cell, whose
  // rect excludes the grid lines. The base paints nothing.
  virtual void DrawCell(QPainter& painter, int col, int row, const QRect& rect, TGridDrawState state);
  // Asked before a cell becomes current; false refuses.
  virtual bool SelectCell(int col, int row);
  virtual void ColWidthsChanged() {}
  virtual void RowHeightsChanged() {}
  virtual void ColumnMoved(int from, int to);
  virtual void RowMoved(int from, int to);
  virtual void TopLeftChanged() {}
  virtual void SizeChanged(int oldColCount, int oldRowCount);

  // Questions of the in-place editor.
  virtual TInplaceEdit* CreateEditor();
  virtual std::string GetEditText(int col, int row);
  virtual void SetEditText(int col, int row, const std::string& value);
  virtual std::string GetEditMask(int col, int row);
  virtual int GetEditLimit();
  virtual bool CanEditModify();
  virtual bool CanEditAcceptKey(char key);
  virtual bool CanEditShow();
  // Whether a left press at this viewport point would start sizing a
  // column (goColSizing, on the fixed rows, at a column's right border).
  bool IsColSizingPoint(int x, int y) const;
  // Puts the editor's text back to what it was when it was loaded.
  void RestoreEditorText();
  // Reloads the editor's text from GetEditText.
  void InvalidateEditor();

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  bool event(QEvent* event) override;

private:
  friend class TInplaceEdit;
  // The unguarded bodies of the event handlers.
  void KeyDown(QKeyEvent* event);
  void MouseDown(QMouseEvent* event);
  void MouseMove(QMouseEvent* event);
  void MouseUp(QMouseEvent* event);
  void Paint(QPaintEvent* event);
  enum class GridState { Normal, Selecting, ColSizing, RowSizing, ColMoving, RowMoving };

  int ColExtent(int col) const;
  int RowExtent(int row) const;
  int FixedColsWidth() const;
  int FixedRowsHeight() const;
  int ColumnX(int col) const;  // -1 when not in view
  int RowY(int row) const;     // -1 when not in view
  int MaxTopRow() const;
  int MaxLeftCol() const;
  void ChangeSize(int newColCount, int newRowCount);
  void ClampInView(int col, int row);
  void UpdateScrollBars();
  void MoveCurrent(int col, int row, bool moveAnchor, bool show);
  void InvalidateSelection();
  void UpdateEditor();
  void PlaceEditor();
  bool HasFocusHere() const;
  bool IsHiddenCol(int col) const { return ColWidths(col) <= 0; }
  int StepCol(int from, int direction) const;
  void TabToNextCell(bool forward);
  void PaintCells(QPainter& painter, const QRect& clip);
  void PaintLines(QPainter& painter);
  void PaintDragFeedback(QPainter& painter);
  bool BorderHit(int x, int y, bool cols, int& index, int& origin) const;

  int colCount_ = 5;
  int rowCount_ = 5;
  int fixedCols_ = 1;
  int fixedRows_ = 1;
  int defaultColWidth_ = 64;
  int defaultRowHeight_ = 24;
  std::vector<int> colWidths_;
  std::vector<bool> tabStops_;
  std::map<int, int> rowHeights_;  // only rows whose height differs from the default
  int topRow_ = 1;
  int leftCol_ = 1;
  int col_ = 1;
  int row_ = 1;
  int anchorCol_ = 1;
  int anchorRow_ = 1;
  int gridLineWidth_ = 1;
  QColor fixedColor_;
  QColor color_;
  TGridOptions options_{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
  bool defaultDrawing_ = true;
  TScrollStyle scrollBars_ = ssBoth;
  bool updatingScrollBars_ = false;

  GridState state_ = GridState::Normal;
  int dragIndex_ = -1;   // column/row being sized or moved
  int dragOrigin_ = 0;   // left/top pixel of the sized column/row
  int dragPos_ = 0;      // mouse position (sizing) or target index (moving)
  bool dragMoved_ = false;
  int wheelRemainder_ = 0;

  TInplaceEdit* editor_ = nullptr;
  bool editorMode_ = false;
};

}  // namespace notarra
