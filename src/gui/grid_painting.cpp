// The paint loop of TCustomGrid: only the cells inside the viewport (and
// the damaged region) are visited, fixed ones first so they stay on top.
#include <QPainter>
#include <QPaintEvent>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include "gui/custom_grid.h"
#include "gui/exception_guard.h"
#include "gui/inplace_edit.h"

namespace notarra {

void TCustomGrid::DrawCell(QPainter&, int, int, const QRect&, TGridDrawState) {}

void TCustomGrid::paintEvent(QPaintEvent* event) {
  RunGuarded([&] { Paint(event); });
}

void TCustomGrid::Paint(QPaintEvent* event) {
  QPainter painter(viewport());
  const QRect clip = event->rect();
  painter.fillRect(clip, color_);
  PaintCells(painter, clip);
  PaintLines(painter);
  PaintDragFeedback(painter);
}

void TCustomGrid::PaintCells(QPainter& painter, const QRect& clip) {
  const int width = viewport()->width();
  const int height = viewport()->height();
  const TGridRect sel = Selection();
  const bool focused = HasFocusHere();
  const bool editorShowing = editor_ && editorMode_ && editor_->isVisible();

  // Visible columns and rows with their positions; both lists end at the viewport edge.
  std::vector<std::pair<int, int>> cols;
  std::vector<std::pair<int, int>> rows;
  int x = 0;
  for (int c = 0; c < fixedCols_ && x < width; ++c) {
    cols.emplace_back(c, x);
    x += ColExtent(c);
  }
  for (int c = leftCol_; c < colCount_ && x < width; ++c) {
    cols.emplace_back(c, x);
    x += ColExtent(c);
  }
  int y = 0;
  for (int r = 0; r < fixedRows_ && y < height; ++r) {
    rows.emplace_back(r, y);
    y += RowExtent(r);
  }
  for (int r = topRow_; r < rowCount_ && y < height; ++r) {
    rows.emplace_back(r, y);
    y += RowExtent(r);
  }

  for (auto [r, ry] : rows) {
    const int h = RowHeights(r);
    if (h <= 0 || ry > clip.bottom() || ry + h < clip.top()) continue;
    for (auto [c, cx] : cols) {
      const int w = ColWidths(c);
      if (w <= 0 || cx > clip.right() || cx + w < clip.left()) continue;
      const QRect rect(cx, ry, w, h);
      TGridDrawState state;
      const bool fixed = c < fixedCols_ || r < fixedRows_;
      const bool current = c == col_ && r == row_;
      if (fixed) {
        state.Include(gdFixed);
      } else {
        const bool inSel = c >= sel.Left && c <= sel.Right && r >= sel.Top && r <= sel.Bottom;
        const bool focusCell = focused && current;
        if (focusCell) state.Include(gdFocused);
        if (inSel && (!focusCell || options_.Contains(goDrawFocusSelected) || options_.Contains(goRowSelect)))
          state.Include(gdSelected);
      }
      painter.save();
      painter.setClipRect(rect);
      if (defaultDrawing_) {
        QColor bg = fixed ? fixedColor_ : color_;
        if (state.Contains(gdSelected)) bg = palette().color(QPalette::Highlight);
        painter.fillRect(rect, bg);
      }
      DrawCell(painter, c, r, rect, state);
      if (defaultDrawing_ && state.Contains(gdFocused) && !options_.Contains(goRowSelect) && !editorShowing) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect;
        option.backgroundColor = state.Contains(gdSelected) ? palette().color(QPalette::Highlight) : color_;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
      }
      painter.restore();
    }
  }
}

void TCustomGrid::PaintLines(QPainter& painter) {
  if (gridLineWidth_ <= 0) return;
  const int width = viewport()->width();
  const int height = viewport()->height();
  const QColor fixedLine = palette().color(QPalette::Dark);
  const QColor line = palette().color(QPalette::Midlight).darker(115);
  const int fixedW = FixedColsWidth();
  const int fixedH = FixedRowsHeight();
  // Extent of the drawn cells (lines stop where the last cell ends).
  int right = fixedW;
  for (int c = leftCol_; c < colCount_ && right < width; ++c) right += ColExtent(c);
  int bottom = fixedH;
  for (int r = topRow_; r < rowCount_ && bottom < height; ++r) bottom += RowExtent(r);

  auto vline = [&](int col, int x, bool fixedCol) {
    const bool on = fixedCol ? options_.Contains(goFixedVertLine) : options_.Contains(goVertLine);
    if (!on || ColWidths(col) <= 0) return;
    const int lx = x + ColWidths(col);
    // A scrolling column's line runs through the fixed rows with the fixed colour.
    if (fixedCol) {
      painter.fillRect(lx, 0, gridLineWidth_, bottom, fixedLine);
    } else {
      if (options_.Contains(goFixedVertLine)) painter.fillRect(lx, 0, gridLineWidth_, fixedH, fixedLine);
      painter.fillRect(lx, fixedH, gridLineWidth_, bottom - fixedH, line);
    }
  };
  auto hline = [&](int row, int y, bool fixedRow) {
    const bool on = fixedRow ? options_.Contains(goFixedHorzLine) : options_.Contains(goHorzLine);
    if (!on || RowHeights(row) <= 0) return;
    const int ly = y + RowHeights(row);
    if (fixedRow) {
      painter.fillRect(0, ly, right, gridLineWidth_, fixedLine);
    } else {
      if (options_.Contains(goFixedHorzLine)) painter.fillRect(0, ly, fixedW, gridLineWidth_, fixedLine);
      painter.fillRect(fixedW, ly, right - fixedW, gridLineWidth_, line);
    }
  };
  int x = 0;
  for (int c = 0; c < fixedCols_ && x < width; ++c) {
    vline(c, x, true);
    x += ColExtent(c);
  }
  for (int c = leftCol_; c < colCount_ && x < width; ++c) {
    vline(c, x, false);
    x += ColExtent(c);
  }
  int y = 0;
  for (int r = 0; r < fixedRows_ && y < height; ++r) {
    hline(r, y, true);
    y += RowExtent(r);
  }
  for (int r = topRow_; r < rowCount_ && y < height; ++r) {
    hline(r, y, false);
    y += RowExtent(r);
  }
}

void TCustomGrid::PaintDragFeedback(QPainter& painter) {
  const QColor mark = palette().color(QPalette::Text);
  switch (state_) {
    case GridState::ColSizing:
      painter.fillRect(dragPos_, 0, 1, viewport()->height(), mark);
      break;
    case GridState::RowSizing:
      painter.fillRect(0, dragPos_, viewport()->width(), 1, mark);
      break;
    case GridState::ColMoving:
      if (dragMoved_) {
        const QRect r = BoxRect(dragPos_, 0, dragPos_, rowCount_ - 1);
        if (!r.isEmpty()) {
          const int x = dragPos_ > dragIndex_ ? r.right() : r.left();
          painter.fillRect(x - 1, 0, 3, viewport()->height(), mark);
        }
      }
      break;
    case GridState::RowMoving:
      if (dragMoved_) {
        const QRect r = BoxRect(0, dragPos_, colCount_ - 1, dragPos_);
        if (!r.isEmpty()) {
          const int y = dragPos_ > dragIndex_ ? r.bottom() : r.top();
          painter.fillRect(0, y - 1, viewport()->width(), 3, mark);
        }
      }
      break;
    default:
      break;
  }
}

}  // namespace notarra
