// Mouse handling of TCustomGrid: selecting cells, sizing and moving columns
// (on the fixed rows) and rows (on the fixed columns), the wheel.
#include <QMouseEvent>
#include <QWheelEvent>

#include "gui/custom_grid.h"
#include "gui/exception_guard.h"
#include "gui/inplace_edit.h"

namespace notarra {

namespace {
constexpr int kBorderGrip = 3;  // pixels either side of a border that grab it
constexpr int kMinSize = 1;
}  // namespace

bool TCustomGrid::IsColSizingPoint(int x, int y) const {
  int index = -1;
  int origin = 0;
  return options_.Contains(goColSizing) && BorderHit(x, y, true, index, origin);
}

void TCustomGrid::mousePressEvent(QMouseEvent* event) {
  RunGuarded([&] { MouseDown(event); });
}

void TCustomGrid::mouseMoveEvent(QMouseEvent* event) {
  RunGuarded([&] { MouseMove(event); });
}

void TCustomGrid::mouseReleaseEvent(QMouseEvent* event) {
  RunGuarded([&] { MouseUp(event); });
}

bool TCustomGrid::BorderHit(int x, int y, bool cols, int& index, int& origin) const {
  // Sizing grips only on the fixed band across the other axis.
  if (cols ? y >= FixedRowsHeight() : x >= FixedColsWidth()) return false;
  const int pos = cols ? x : y;
  const int limit = cols ? viewport()->width() : viewport()->height();
  const int fixedCount = cols ? fixedCols_ : fixedRows_;
  const int first = cols ? leftCol_ : topRow_;
  const int count = cols ? colCount_ : rowCount_;
  int edge = 0;
  auto test = [&](int i) {
    const int size = cols ? ColWidths(i) : RowHeights(i);
    const int extent = cols ? ColExtent(i) : RowExtent(i);
    if (size <= 0) return false;
    const int border = edge + size;
    if (pos >= border - kBorderGrip && pos <= border + kBorderGrip) {
      index = i;
      origin = edge;
      return true;
    }
    edge += extent;
    return false;
  };
  for (int i = 0; i < fixedCount; ++i)
    if (test(i)) return true;
  for (int i = first; i < count && edge < limit; ++i)
    if (test(i)) return true;
  return false;
}

void TCustomGrid::MouseDown(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QAbstractScrollArea::mousePressEvent(event);
    return;
  }
  if (focusPolicy() != Qt::NoFocus && !HasFocusHere()) setFocus(Qt::MouseFocusReason);
  const QPoint p = event->position().toPoint();
  int index = -1;
  int origin = 0;
  if (options_.Contains(goColSizing) && BorderHit(p.x(), p.y(), true, index, origin)) {
    state_ = GridState::ColSizing;
    dragIndex_ = index;
    dragOrigin_ = origin;
    dragPos_ = p.x();
    viewport()->update();
    return;
  }
  if (options_.Contains(goRowSizing) && BorderHit(p.x(), p.y(), false, index, origin)) {
    state_ = GridState::RowSizing;
    dragIndex_ = index;
    dragOrigin_ = origin;
    dragPos_ = p.y();
    viewport()->update();
    return;
  }
  const TGridCoord cell = MouseCoord(p.x(), p.y());
  if (cell.X < 0) return;
  if (cell.Y < fixedRows_ && cell.X >= fixedCols_) {
    if (options_.Contains(goColMoving)) {
      state_ = GridState::ColMoving;
      dragIndex_ = dragPos_ = cell.X;
      dragMoved_ = false;
    }
    return;
  }
  if (cell.X < fixedCols_ && cell.Y >= fixedRows_) {
    if (options_.Contains(goRowMoving)) {
      state_ = GridState::RowMoving;
      dragIndex_ = dragPos_ = cell.Y;
      dragMoved_ = false;
    }
    return;
  }
  if (cell.X < fixedCols_ || cell.Y < fixedRows_) return;
  const bool wasCurrent = cell.X == col_ && cell.Y == row_;
  const bool extend = (event->modifiers() & Qt::ShiftModifier) && options_.Contains(goRangeSelect);
  MoveCurrent(cell.X, cell.Y, !extend, true);
  state_ = GridState::Selecting;
  if (wasCurrent && !extend && options_.Contains(goEditing)) ShowEditor();
}

void TCustomGrid::MouseMove(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  switch (state_) {
    case GridState::ColSizing:
      dragPos_ = std::max(p.x(), dragOrigin_ + kMinSize);
      viewport()->update();
      return;
    case GridState::RowSizing:
      dragPos_ = std::max(p.y(), dragOrigin_ + kMinSize);
      viewport()->update();
      return;
    case GridState::ColMoving: {
      const TGridCoord cell = MouseCoord(std::clamp(p.x(), 0, viewport()->width() - 1), 0);
      if (cell.X >= fixedCols_ && cell.X != dragPos_) {
        dragPos_ = cell.X;
        dragMoved_ = true;
        viewport()->update();
      }
      return;
    }
    case GridState::RowMoving: {
      const TGridCoord cell = MouseCoord(0, std::clamp(p.y(), 0, viewport()->height() - 1));
      if (cell.Y >= fixedRows_ && cell.Y != dragPos_) {
        dragPos_ = cell.Y;
        dragMoved_ = true;
        viewport()->update();
      }
      return;
    }
    case GridState::Selecting: {
      if (!(event->buttons() & Qt::LeftButton)) {
        state_ = GridState::Normal;
        return;
      }
      // Dragging past the edges scrolls one row/column at a time.
      if (p.y() >= viewport()->height()) SetTopRow(topRow_ + 1);
      if (p.y() < FixedRowsHeight() && topRow_ > fixedRows_) SetTopRow(topRow_ - 1);
      const TGridCoord cell = MouseCoord(std::clamp(p.x(), 0, viewport()->width() - 1),
                                         std::clamp(p.y(), FixedRowsHeight(), viewport()->height() - 1));
      if (cell.X >= fixedCols_ && cell.Y >= fixedRows_ && (cell.X != col_ || cell.Y != row_))
        MoveCurrent(cell.X, cell.Y, !options_.Contains(goRangeSelect), true);
      return;
    }
    case GridState::Normal: {
      int index = -1;
      int origin = 0;
      if (options_.Contains(goColSizing) && BorderHit(p.x(), p.y(), true, index, origin))
        viewport()->setCursor(Qt::SplitHCursor);
      else if (options_.Contains(goRowSizing) && BorderHit(p.x(), p.y(), false, index, origin))
        viewport()->setCursor(Qt::SplitVCursor);
      else
        viewport()->unsetCursor();
      return;
    }
  }
}

void TCustomGrid::MouseUp(QMouseEvent* event) {
  const GridState state = state_;
  state_ = GridState::Normal;
  switch (state) {
    case GridState::ColSizing:
      viewport()->update();
      SetColWidths(dragIndex_, std::max(dragPos_ - dragOrigin_, kMinSize));
      break;
    case GridState::RowSizing:
      viewport()->update();
      SetRowHeights(dragIndex_, std::max(dragPos_ - dragOrigin_, kMinSize));
      break;
    case GridState::ColMoving:
      viewport()->update();
      if (dragMoved_ && dragPos_ != dragIndex_) MoveColumn(dragIndex_, dragPos_);
      break;
    case GridState::RowMoving:
      viewport()->update();
      if (dragMoved_ && dragPos_ != dragIndex_) MoveRow(dragIndex_, dragPos_);
      break;
    default:
      break;
  }
  event->accept();
}

void TCustomGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  RunGuarded([&] {
    const QPoint p = event->position().toPoint();
    const TGridCoord cell = MouseCoord(p.x(), p.y());
    if (event->button() == Qt::LeftButton && cell.X >= fixedCols_ && cell.Y >= fixedRows_ &&
        options_.Contains(goEditing))
      ShowEditor();
  });
  QAbstractScrollArea::mouseDoubleClickEvent(event);
}

void TCustomGrid::wheelEvent(QWheelEvent* event) {
  // One notch moves the current row by one, as the arrow keys do.
  wheelRemainder_ += event->angleDelta().y();
  RunGuarded([&] {
    while (wheelRemainder_ >= 120) {
      wheelRemainder_ -= 120;
      if (row_ > fixedRows_) MoveCurrent(col_, row_ - 1, true, true);
    }
    while (wheelRemainder_ <= -120) {
      wheelRemainder_ += 120;
      if (row_ < rowCount_ - 1) MoveCurrent(col_, row_ + 1, true, true);
    }
  });
  event->accept();
}

}  // namespace notarra
