// Keyboard handling of TCustomGrid: moving the current cell, Tab between
// tab stops, and opening and closing the in-place editor.
#include <QApplication>
#include <QKeyEvent>

#include "gui/custom_grid.h"
#include "gui/exception_guard.h"
#include "gui/inplace_edit.h"
#include "gui/key_input.h"
#include "platform/scope_guard.h"

namespace notarra {

void TCustomGrid::keyPressEvent(QKeyEvent* event) {
  RunGuarded([&] { KeyDown(event); });
}

int TCustomGrid::StepCol(int from, int direction) const {
  // The next shown column in the direction, or from when there is none.
  for (int c = from + direction; c >= fixedCols_ && c < colCount_; c += direction)
    if (!IsHiddenCol(c)) return c;
  return from;
}

void TCustomGrid::TabToNextCell(bool forward) {
  const int direction = forward ? 1 : -1;
  int c = col_;
  int r = row_;
  const int firstCol = fixedCols_;
  const int lastCol = colCount_ - 1;
  // At most one full round over the cells of the row and its neighbour.
  for (int steps = 0; steps <= colCount_; ++steps) {
    c += direction;
    if (c > lastCol) {
      if (r + 1 >= rowCount_) return;
      ++r;
      c = firstCol;
    } else if (c < firstCol) {
      if (r - 1 < fixedRows_) return;
      --r;
      c = lastCol;
    }
    if (c == col_ && r == row_) return;
    if (TabStops(c) && !IsHiddenCol(c)) {
      FocusCell(c, r, true);
      return;
    }
  }
}

void TCustomGrid::KeyDown(QKeyEvent* event) {
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  const bool rangeKeys = shift && options_.Contains(goRangeSelect);
  const int firstRow = fixedRows_;
  const int lastRow = rowCount_ - 1;
  const int firstCol = fixedCols_;
  const int lastCol = colCount_ - 1;
  if (firstRow > lastRow || firstCol > lastCol) {
    QAbstractScrollArea::keyPressEvent(event);
    return;
  }
  auto go = [&](int c, int r) { MoveCurrent(std::clamp(c, firstCol, lastCol), std::clamp(r, firstRow, lastRow), !rangeKeys, true); };

  switch (event->key()) {
    case Qt::Key_Up:
      go(col_, row_ - 1);
      break;
    case Qt::Key_Down:
      go(col_, row_ + 1);
      break;
    case Qt::Key_Left:
      if (options_.Contains(goRowSelect))
        SetLeftCol(leftCol_ - 1);
      else
        go(StepCol(col_, -1), row_);
      break;
    case Qt::Key_Right:
      if (options_.Contains(goRowSelect))
        SetLeftCol(leftCol_ + 1);
      else
        go(StepCol(col_, +1), row_);
      break;
    case Qt::Key_PageUp:
      if (ctrl) {
        go(col_, topRow_);
      } else {
        const int page = VisibleRowCount();
        SetTopRow(topRow_ - page);
        go(col_, row_ - page);
      }
      break;
    case Qt::Key_PageDown:
      if (ctrl) {
        go(col_, topRow_ + VisibleRowCount() - 1);
      } else {
        const int page = VisibleRowCount();
        SetTopRow(topRow_ + page);
        go(col_, row_ + page);
      }
      break;
    case Qt::Key_Home:
      if (ctrl)
        go(IsHiddenCol(firstCol) ? StepCol(firstCol, 1) : firstCol, firstRow);
      else if (options_.Contains(goRowSelect))
        go(col_, firstRow);
      else
        go(IsHiddenCol(firstCol) ? StepCol(firstCol, 1) : firstCol, row_);
      break;
    case Qt::Key_End:
      if (ctrl)
        go(IsHiddenCol(lastCol) ? StepCol(lastCol, -1) : lastCol, lastRow);
      else if (options_.Contains(goRowSelect))
        go(col_, lastRow);
      else
        go(IsHiddenCol(lastCol) ? StepCol(lastCol, -1) : lastCol, row_);
      break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      if (!options_.Contains(goTabs) || (event->modifiers() & Qt::AltModifier)) {
        event->ignore();
        return;
      }
      TabToNextCell(event->key() == Qt::Key_Tab && !shift);
      break;
    case Qt::Key_F2:
      ShowEditor();
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!options_.Contains(goAlwaysShowEditor)) {
        if (editorMode_)
          HideEditor();
        else
          ShowEditor();
      }
      break;
    case Qt::Key_Escape:
      if (editorMode_) {
        RestoreEditorText();
        if (!options_.Contains(goAlwaysShowEditor)) HideEditor();
      } else {
        event->ignore();
        return;
      }
      break;
    default: {
      // A printable character opens the editor and goes into it.
      if (TypesText(event) && options_.Contains(goEditing) && !options_.Contains(goRowSelect)) {
        const bool wasShowing = editorMode_ && editor_ && editor_->isVisible();
        // A key the editor hands back up (a read-only editor does) must not
        // go to it again, or the two would pass it round for ever.
        static bool forwarding = false;
        if (forwarding) {
          QAbstractScrollArea::keyPressEvent(event);
          return;
        }
        ShowEditor();
        if (editor_ && editor_->isVisible()) {
          if (!wasShowing) editor_->selectAll();
          forwarding = true;
          ScopeExit done([] { forwarding = false; });
          QApplication::sendEvent(editor_, event);
          return;
        }
      }
      QAbstractScrollArea::keyPressEvent(event);
      return;
    }
  }
  event->accept();
}

bool TCustomGrid::focusNextPrevChild(bool next) {
  // With goTabs Tab moves between cells, not out of the grid.
  if (options_.Contains(goTabs)) return false;
  return QAbstractScrollArea::focusNextPrevChild(next);
}

bool TCustomGrid::event(QEvent* event) {
  if (event->type() == QEvent::KeyPress && options_.Contains(goTabs)) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
      keyPressEvent(key);
      return true;
    }
  }
  return QAbstractScrollArea::event(event);
}

void TCustomGrid::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  if (options_.Contains(goAlwaysShowEditor)) ShowEditor();
  InvalidateSelection();
}

void TCustomGrid::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  InvalidateSelection();
}

}  // namespace notarra
