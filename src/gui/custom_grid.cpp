#include "gui/custom_grid.h"

#include <QPalette>
#include <QResizeEvent>
#include <QScrollBar>
#include <algorithm>

#include "gui/inplace_edit.h"
#include "gui/qt_text.h"

namespace notarra {

namespace {

[[noreturn]] void InvalidOp(const char* message) { throw EInvalidGridOperation(message); }

}  // namespace

TCustomGrid::TCustomGrid(QWidget* parent) : QAbstractScrollArea(parent) {
  fixedColor_ = palette().color(QPalette::Button);
  color_ = palette().color(QPalette::Base);
  colWidths_.assign(static_cast<size_t>(colCount_), defaultColWidth_);
  tabStops_.assign(static_cast<size_t>(colCount_), true);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setMouseTracking(true);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  verticalScrollBar()->setTracking(false);
  horizontalScrollBar()->setTracking(false);
  UpdateScrollBars();
}

TCustomGrid::~TCustomGrid() = default;

// ---- size -------------------------------------------------------------

void TCustomGrid::SetColCount(int value) {
  if (value < 1) value = 1;
  if (value <= fixedCols_) fixedCols_ = value - 1;
  ChangeSize(value, rowCount_);
}

void TCustomGrid::SetRowCount(int value) {
  if (value < 1) value = 1;
  if (value <= fixedRows_) fixedRows_ = value - 1;
  ChangeSize(colCount_, value);
}

void TCustomGrid::SetFixedCols(int value) {
  if (value < 0) InvalidOp("Grid index out of range");
  if (value >= colCount_) InvalidOp("Fixed column count must be less than column count");
  if (value == fixedCols_) return;
  fixedCols_ = value;
  ChangeSize(colCount_, rowCount_);
}

void TCustomGrid::SetFixedRows(int value) {
  if (value < 0) InvalidOp("Grid index out of range");
  if (value >= rowCount_) InvalidOp("Fixed row count must be less than row count");
  if (value == fixedRows_) return;
  fixedRows_ = value;
  ChangeSize(colCount_, rowCount_);
}

void TCustomGrid::ChangeSize(int newColCount, int newRowCount) {
  const int oldCols = colCount_;
  const int oldRows = rowCount_;
  colCount_ = newColCount;
  rowCount_ = newRowCount;
  colWidths_.resize(static_cast<size_t>(colCount_), defaultColWidth_);
  tabStops_.resize(static_cast<size_t>(colCount_), true);
  rowHeights_.erase(rowHeights_.lower_bound(rowCount_), rowHeights_.end());
  // Keep the current cell, anchor and top-left among the scrolling cells.
  auto clampCol = [this](int c) { return std::clamp(c, std::min(fixedCols_, colCount_ - 1), colCount_ - 1); };
  auto clampRow = [this](int r) { return std::clamp(r, std::min(fixedRows_, rowCount_ - 1), rowCount_ - 1); };
  col_ = clampCol(col_);
  row_ = clampRow(row_);
  anchorCol_ = clampCol(anchorCol_);
  anchorRow_ = clampRow(anchorRow_);
  topRow_ = std::clamp(topRow_, fixedRows_, std::max(fixedRows_, MaxTopRow()));
  leftCol_ = std::clamp(leftCol_, fixedCols_, std::max(fixedCols_, MaxLeftCol()));
  if (oldCols != colCount_ || oldRows != rowCount_) SizeChanged(oldCols, oldRows);
  UpdateScrollBars();
  if (editorMode_) UpdateEditor();
  viewport()->update();
}

void TCustomGrid::SizeChanged(int, int) {}

// ---- widths and heights -------------------------------------------------

int TCustomGrid::ColWidths(int col) const {
  if (col < 0 || col >= colCount_) return defaultColWidth_;
  return colWidths_[static_cast<size_t>(col)];
}

void TCustomGrid::SetColWidths(int col, int width) {
  if (col < 0 || col >= colCount_) InvalidOp("Grid index out of range");
  if (colWidths_[static_cast<size_t>(col)] == width) return;
  colWidths_[static_cast<size_t>(col)] = width;
  ColWidthsChanged();
  UpdateScrollBars();
  PlaceEditor();
  viewport()->update();
}

int TCustomGrid::RowHeights(int row) const {
  auto it = rowHeights_.find(row);
  return it == rowHeights_.end() ? defaultRowHeight_ : it->second;
}

void TCustomGrid::SetRowHeights(int row, int height) {
  if (row < 0 || row >= rowCount_) InvalidOp("Grid index out of range");
  if (RowHeights(row) == height) return;
  if (height == defaultRowHeight_)
    rowHeights_.erase(row);
  else
    rowHeights_[row] = height;
  RowHeightsChanged();
  UpdateScrollBars();
  PlaceEditor();
  viewport()->update();
}

void TCustomGrid::SetDefaultColWidth(int value) {
  defaultColWidth_ = value;
  colWidths_.assign(static_cast<size_t>(colCount_), value);
  ColWidthsChanged();
  UpdateScrollBars();
  PlaceEditor();
  viewport()->update();
}

void TCustomGrid::SetDefaultRowHeight(int value) {
  defaultRowHeight_ = value;
  rowHeights_.clear();
  RowHeightsChanged();
  UpdateScrollBars();
  PlaceEditor();
  viewport()->update();
}

bool TCustomGrid::TabStops(int col) const {
  if (col < 0 || col >= colCount_) return false;
  return tabStops_[static_cast<size_t>(col)];
}

void TCustomGrid::SetTabStops(int col, bool value) {
  if (col < 0 || col >= colCount_) InvalidOp("Grid index out of range");
  tabStops_[static_cast<size_t>(col)] = value;
}

void TCustomGrid::SetGridLineWidth(int value) {
  gridLineWidth_ = std::max(value, 0);
  UpdateScrollBars();
  PlaceEditor();
  viewport()->update();
}

void TCustomGrid::SetFixedColor(const QColor& value) {
  fixedColor_ = value;
  viewport()->update();
}

void TCustomGrid::SetColor(const QColor& value) {
  color_ = value;
  viewport()->update();
}

void TCustomGrid::SetDefaultDrawing(bool value) {
  defaultDrawing_ = value;
  viewport()->update();
}

void TCustomGrid::SetOptions(TGridOptions value) {
  if (value == options_) return;
  options_ = value;
  if (options_.Contains(goRowSelect)) {
    editorMode_ = false;
    if (editor_) editor_->hide();
  }
  verticalScrollBar()->setTracking(options_.Contains(goThumbTracking));
  horizontalScrollBar()->setTracking(options_.Contains(goThumbTracking));
  if (options_.Contains(goAlwaysShowEditor) && HasFocusHere()) ShowEditor();
  UpdateScrollBars();
  viewport()->update();
}

// ---- geometry -----------------------------------------------------------

int TCustomGrid::ColExtent(int col) const {
  const int w = ColWidths(col);
  if (w <= 0) return 0;
  const bool line = col < fixedCols_ ? options_.Contains(goFixedVertLine) : options_.Contains(goVertLine);
  return w + (line ? gridLineWidth_ : 0);
}

int TCustomGrid::RowExtent(int row) const {
  const int h = RowHeights(row);
  if (h <= 0) return 0;
  const bool line = row < fixedRows_ ? options_.Contains(goFixedHorzLine) : options_.Contains(goHorzLine);
  return h + (line ? gridLineWidth_ : 0);
}

int TCustomGrid::FixedColsWidth() const {
  int w = 0;
  for (int c = 0; c < fixedCols_; ++c) w += ColExtent(c);
  return w;
}

int TCustomGrid::FixedRowsHeight() const {
  int h = 0;
  for (int r = 0; r < fixedRows_; ++r) h += RowExtent(r);
  return h;
}

int TCustomGrid::ColumnX(int col) const {
  if (col < 0 || col >= colCount_) return -1;
  const int limit = viewport()->width();
  int x = 0;
  if (col < fixedCols_) {
    for (int c = 0; c < col; ++c) x += ColExtent(c);
    return x < limit ? x : -1;
  }
  if (col < leftCol_) return -1;
  x = FixedColsWidth();
  for (int c = leftCol_; c < col; ++c) {
    x += ColExtent(c);
    if (x >= limit) return -1;
  }
  return x < limit ? x : -1;
}

int TCustomGrid::RowY(int row) const {
  if (row < 0 || row >= rowCount_) return -1;
  const int limit = viewport()->height();
  int y = 0;
  if (row < fixedRows_) {
    for (int r = 0; r < row; ++r) y += RowExtent(r);
    return y < limit ? y : -1;
  }
  if (row < topRow_) return -1;
  y = FixedRowsHeight();
  for (int r = topRow_; r < row; ++r) {
    y += RowExtent(r);
    if (y >= limit) return -1;
  }
  return y < limit ? y : -1;
}

QRect TCustomGrid::CellRect(int col, int row) const {
  const int x = ColumnX(col);
  const int y = RowY(row);
  if (x < 0 || y < 0 || ColWidths(col) <= 0 || RowHeights(row) <= 0) return QRect();
  return QRect(x, y, ColWidths(col), RowHeights(row));
}

QRect TCustomGrid::BoxRect(int left, int top, int right, int bottom) const {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  QRect box;
  auto unite = [&](int c, int r) {
    const QRect cell = CellRect(c, r);
    if (!cell.isEmpty()) box = box.united(cell);
  };
  // Only the visible cells of the block count, so walk the visible ones.
  std::vector<int> cols, rows;
  for (int c = 0; c < fixedCols_ && c < colCount_; ++c)
    if (c >= left && c <= right) cols.push_back(c);
  for (int c = std::max(leftCol_, left); c <= right && ColumnX(c) >= 0; ++c) cols.push_back(c);
  for (int r = 0; r < fixedRows_ && r < rowCount_; ++r)
    if (r >= top && r <= bottom) rows.push_back(r);
  for (int r = std::max(topRow_, top); r <= bottom && RowY(r) >= 0; ++r) rows.push_back(r);
  if (cols.empty() || rows.empty()) return QRect();
  for (int c : {cols.front(), cols.back()})
    for (int r : {rows.front(), rows.back()}) unite(c, r);
  return box;
}

TGridCoord TCustomGrid::MouseCoord(int x, int y) const {
  TGridCoord result;
  if (x < 0 || y < 0) return result;
  auto find = [](int pos, int fixedCount, int first, int count, int limit, auto extent) {
    int edge = 0;
    for (int i = 0; i < fixedCount; ++i) {
      edge += extent(i);
      if (pos < edge) return i;
    }
    for (int i = first; i < count && edge < limit; ++i) {
      edge += extent(i);
      if (pos < edge) return i;
    }
    return -1;
  };
  result.X = find(x, fixedCols_, leftCol_, colCount_, viewport()->width(), [this](int c) { return ColExtent(c); });
  result.Y = find(y, fixedRows_, topRow_, rowCount_, viewport()->height(), [this](int r) { return RowExtent(r); });
  if (result.X < 0 || result.Y < 0) return TGridCoord{};
  return result;
}

int TCustomGrid::VisibleRowCount() const {
  const int available = viewport()->height() - FixedRowsHeight();
  int count = 0;
  int used = 0;
  for (int r = topRow_; r < rowCount_; ++r) {
    used += RowExtent(r);
    if (used > available) break;
    ++count;
  }
  if (count == 0 && topRow_ < rowCount_ && rowCount_ > fixedRows_) count = 1;
  return count;
}

int TCustomGrid::VisibleColCount() const {
  const int available = viewport()->width() - FixedColsWidth();
  int count = 0;
  int used = 0;
  for (int c = leftCol_; c < colCount_; ++c) {
    used += ColExtent(c);
    if (used > available) break;
    ++count;
  }
  if (count == 0 && leftCol_ < colCount_ && colCount_ > fixedCols_) count = 1;
  return count;
}

int TCustomGrid::MaxTopRow() const {
  const int available = viewport()->height() - FixedRowsHeight();
  int top = rowCount_ - 1;
  int used = RowExtent(top);
  while (top > fixedRows_ && used + RowExtent(top - 1) <= available) {
    --top;
    used += RowExtent(top);
  }
  return std::max(top, fixedRows_);
}

int TCustomGrid::MaxLeftCol() const {
  const int available = viewport()->width() - FixedColsWidth();
  int left = colCount_ - 1;
  int used = ColExtent(left);
  while (left > fixedCols_ && used + ColExtent(left - 1) <= available) {
    --left;
    used += ColExtent(left);
  }
  return std::max(left, fixedCols_);
}

// ---- scrolling ----------------------------------------------------------

void TCustomGrid::SetTopRow(int value) {
  value = std::clamp(value, fixedRows_, std::max(fixedRows_, MaxTopRow()));
  if (value == topRow_) return;
  topRow_ = value;
  UpdateScrollBars();
  PlaceEditor();
  viewport()->update();
  TopLeftChanged();
}

void TCustomGrid::SetLeftCol(int value) {
  value = std::clamp(value, fixedCols_, std::max(fixedCols_, MaxLeftCol()));
  if (value == leftCol_) return;
  leftCol_ = value;
  UpdateScrollBars();
  PlaceEditor();
  viewport()->update();
  TopLeftChanged();
}

void TCustomGrid::SetScrollBars(TScrollStyle value) {
  if (value == scrollBars_) return;
  scrollBars_ = value;
  const bool vertical = value == ssVertical || value == ssBoth;
  const bool horizontal = value == ssHorizontal || value == ssBoth;
  setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  UpdateScrollBars();
}

void TCustomGrid::UpdateScrollBars() {
  updatingScrollBars_ = true;
  if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) {
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, std::max(0, MaxTopRow() - fixedRows_));
    v->setPageStep(std::max(1, VisibleRowCount()));
    v->setSingleStep(1);
    v->setValue(topRow_ - fixedRows_);
  }
  if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) {
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, std::max(0, MaxLeftCol() - fixedCols_));
    h->setPageStep(std::max(1, VisibleColCount()));
    h->setSingleStep(1);
    h->setValue(leftCol_ - fixedCols_);
  }
  updatingScrollBars_ = false;
}

void TCustomGrid::scrollContentsBy(int, int) {
  if (updatingScrollBars_) return;
  if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) SetTopRow(verticalScrollBar()->value() + fixedRows_);
  if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) SetLeftCol(horizontalScrollBar()->value() + fixedCols_);
}

void TCustomGrid::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  topRow_ = std::clamp(topRow_, fixedRows_, std::max(fixedRows_, MaxTopRow()));
  leftCol_ = std::clamp(leftCol_, fixedCols_, std::max(fixedCols_, MaxLeftCol()));
  UpdateScrollBars();
  PlaceEditor();
}

void TCustomGrid::ClampInView(int col, int row) {
  // Rows: the cell's row becomes the first or the last wholly visible one.
  if (row >= fixedRows_) {
    if (row < topRow_) {
      SetTopRow(row);
    } else {
      const int available = viewport()->height() - FixedRowsHeight();
      int used = 0;
      for (int r = topRow_; r <= row; ++r) used += RowExtent(r);
      if (used > available) {
        int top = row;
        used = RowExtent(row);
        while (top > fixedRows_ && used + RowExtent(top - 1) <= available) used += RowExtent(--top);
        SetTopRow(top);
      }
    }
  }
  if (col >= fixedCols_ && !options_.Contains(goRowSelect)) {
    if (col < leftCol_) {
      SetLeftCol(col);
    } else {
      const int available = viewport()->width() - FixedColsWidth();
      int used = 0;
      for (int c = leftCol_; c <= col; ++c) used += ColExtent(c);
      if (used > available) {
        int left = col;
        used = ColExtent(col);
        while (left > fixedCols_ && used + ColExtent(left - 1) <= available) used += ColExtent(--left);
        SetLeftCol(left);
      }
    }
  }
}

// ---- current cell and selection ----------------------------------------

void TCustomGrid::SetCol(int value) { FocusCell(value, row_, true); }
void TCustomGrid::SetRow(int value) { FocusCell(col_, value, true); }
void TCustomGrid::FocusCell(int col, int row, bool moveAnchor) { MoveCurrent(col, row, moveAnchor, true); }
void TCustomGrid::MoveColRow(int col, int row, bool moveAnchor, bool show) { MoveCurrent(col, row, moveAnchor, show); }

TGridRect TCustomGrid::Selection() const {
  TGridRect r{std::min(col_, anchorCol_), std::min(row_, anchorRow_), std::max(col_, anchorCol_),
              std::max(row_, anchorRow_)};
  if (options_.Contains(goRowSelect)) {
    r.Left = fixedCols_;
    r.Right = colCount_ - 1;
  }
  return r;
}

bool TCustomGrid::SelectCell(int, int) { return true; }

void TCustomGrid::InvalidateSelection() {
  const TGridRect s = Selection();
  const QRect box = BoxRect(s.Left, s.Top, s.Right, s.Bottom);
  if (!box.isEmpty()) viewport()->update(box.adjusted(-gridLineWidth_, -gridLineWidth_, gridLineWidth_, gridLineWidth_));
}

void TCustomGrid::MoveCurrent(int col, int row, bool moveAnchor, bool show) {
  if (col < 0 || col >= colCount_ || row < 0 || row >= rowCount_) InvalidOp("Grid index out of range");
  if (col < fixedCols_ || row < fixedRows_) return;
  const bool moved = col != col_ || row != row_;
  if (moved) {
    if (!SelectCell(col, row)) return;
    if (editorMode_ && !options_.Contains(goAlwaysShowEditor)) HideEditor();
  }
  InvalidateSelection();
  col_ = col;
  row_ = row;
  if (moveAnchor || !options_.Contains(goRangeSelect)) {
    anchorCol_ = col;
    anchorRow_ = row;
  }
  InvalidateSelection();
  if (show) ClampInView(col, row);
  if (moved && editorMode_) UpdateEditor();
}

void TCustomGrid::InvalidateCell(int col, int row) {
  const QRect r = CellRect(col, row);
  if (!r.isEmpty()) viewport()->update(r.adjusted(-gridLineWidth_, -gridLineWidth_, gridLineWidth_, gridLineWidth_));
}

void TCustomGrid::InvalidateCol(int col) {
  const QRect r = BoxRect(col, 0, col, rowCount_ - 1);
  if (!r.isEmpty()) viewport()->update(r.adjusted(-gridLineWidth_, 0, gridLineWidth_, 0));
}

void TCustomGrid::InvalidateRow(int row) {
  const QRect r = BoxRect(0, row, colCount_ - 1, row);
  if (!r.isEmpty()) viewport()->update(r.adjusted(0, -gridLineWidth_, 0, gridLineWidth_));
}

void TCustomGrid::InvalidateGrid() { viewport()->update(); }

// ---- moving columns and rows ------------------------------------------

namespace {

template <typename T>
void MoveItem(std::vector<T>& v, int from, int to) {
  T item = v[static_cast<size_t>(from)];
  v.erase(v.begin() + from);
  v.insert(v.begin() + to, item);
}

}  // namespace

int TCustomGrid::MovedIndex(int i, int from, int to) {
  if (i == from) return to;
  if (from < to && i > from && i <= to) return i - 1;
  if (from > to && i >= to && i < from) return i + 1;
  return i;
}

void TCustomGrid::MoveColumn(int from, int to) {
  if (from < 0 || from >= colCount_ || to < 0 || to >= colCount_) InvalidOp("Grid index out of range");
  if (from == to) return;
  HideEditor();
  MoveItem(colWidths_, from, to);
  std::vector<char> stops(tabStops_.begin(), tabStops_.end());
  MoveItem(stops, from, to);
  tabStops_.assign(stops.begin(), stops.end());
  col_ = MovedIndex(col_, from, to);
  anchorCol_ = MovedIndex(anchorCol_, from, to);
  ColumnMoved(from, to);
  viewport()->update();
}

void TCustomGrid::MoveRow(int from, int to) {
  if (from < 0 || from >= rowCount_ || to < 0 || to >= rowCount_) InvalidOp("Grid index out of range");
  if (from == to) return;
  HideEditor();
  std::map<int, int> heights;
  for (auto [r, h] : rowHeights_) heights[MovedIndex(r, from, to)] = h;
  rowHeights_ = std::move(heights);
  row_ = MovedIndex(row_, from, to);
  anchorRow_ = MovedIndex(anchorRow_, from, to);
  RowMoved(from, to);
  viewport()->update();
}

void TCustomGrid::ColumnMoved(int, int) {}
void TCustomGrid::RowMoved(int, int) {}

// ---- in-place editor ----------------------------------------------------

TInplaceEdit* TCustomGrid::CreateEditor() { return new TInplaceEdit(this); }
std::string TCustomGrid::GetEditText(int, int) { return std::string(); }
void TCustomGrid::SetEditText(int, int, const std::string&) {}
std::string TCustomGrid::GetEditMask(int, int) { return std::string(); }
int TCustomGrid::GetEditLimit() { return 0; }
bool TCustomGrid::CanEditModify() { return true; }
bool TCustomGrid::CanEditAcceptKey(char) { return true; }

bool TCustomGrid::CanEditShow() {
  return options_.Contains(goEditing) && !options_.Contains(goRowSelect) && editorMode_;
}

void TCustomGrid::SetEditorMode(bool value) {
  if (value)
    ShowEditor();
  else
    HideEditor();
}

void TCustomGrid::ShowEditor() {
  editorMode_ = true;
  if (!CanEditShow()) {
    editorMode_ = false;
    return;
  }
  UpdateEditor();
}

void TCustomGrid::HideEditor() {
  editorMode_ = false;
  if (!editor_ || editor_->isHidden()) return;
  const bool hadFocus = editor_->hasFocus();
  editor_->hide();
  if (hadFocus) setFocus();
  InvalidateCell(col_, row_);
}

void TCustomGrid::UpdateEditor() {
  if (!editor_) editor_ = CreateEditor();
  if (editor_->Col() != col_ || editor_->Row() != row_ || editor_->isHidden()) editor_->UpdateContents();
  PlaceEditor();
  if (editor_->isVisible() && HasFocusHere()) editor_->setFocus();
}

void TCustomGrid::InvalidateEditor() {
  if (editor_ && editorMode_) editor_->UpdateContents();
}

void TCustomGrid::RestoreEditorText() {
  if (!editor_) return;
  if (editor_->text() != editor_->LoadedText()) {
    editor_->setText(editor_->LoadedText());
    SetEditText(editor_->Col(), editor_->Row(), FromQString(editor_->LoadedText()));
  }
  editor_->setModified(false);
  editor_->selectAll();
}

void TCustomGrid::PlaceEditor() {
  if (!editor_ || !editorMode_) return;
  const QRect r = CellRect(col_, row_);
  if (r.isEmpty()) {
    const bool hadFocus = editor_->hasFocus();
    editor_->hide();
    if (hadFocus) setFocus();
    return;
  }
  editor_->setGeometry(r);
  if (editor_->isHidden()) {
    editor_->show();
    if (HasFocusHere()) editor_->setFocus();
  }
}

bool TCustomGrid::HasFocusHere() const {
  return hasFocus() || (editor_ && editor_->hasFocus());
}

}  // namespace notarra
