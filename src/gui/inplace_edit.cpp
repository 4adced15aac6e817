#include "gui/inplace_edit.h"

#include <QKeyEvent>

#include "gui/custom_grid.h"
#include "gui/exception_guard.h"
#include "gui/qt_text.h"

namespace notarra {

TInplaceEdit::TInplaceEdit(TCustomGrid* grid) : TCustomMaskEdit(grid->viewport()), grid_(grid) {
  setFrame(false);
  // The grid decides when a cell's text is checked, not the focus.
  SetValidateOnExit(false);
  hide();
  connect(this, &TCustomMaskEdit::EditChanged, this, [this] { TextEdited(text()); });
}

void TInplaceEdit::UpdateContents() {
  col_ = grid_->Col();
  row_ = grid_->Row();
  SetEditMask(grid_->GetEditMask(col_, row_));
  SetMaxLength(grid_->GetEditLimit());
  const std::string value = grid_->GetEditText(col_, row_);
  if (IsMasked())
    SetText(value);
  else
    SetEditText(value);
  loadedText_ = text();
  setModified(false);
  selectAll();
}

void TInplaceEdit::TextEdited(const QString& text) {
  if (col_ < 0) return;
  RunGuarded([&] { grid_->SetEditText(col_, row_, FromQString(text)); });
}

bool TInplaceEdit::EditCanModify() { return grid_->CanEditModify(); }

bool TInplaceEdit::EditCanAcceptChar(char c) { return grid_->CanEditAcceptKey(c); }

bool TInplaceEdit::ForwardToGrid(QKeyEvent* event) const {
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return grid_->Options().Contains(goTabs);
    case Qt::Key_Home:
    case Qt::Key_End:
      return ctrl;
    case Qt::Key_Left:
      return !hasSelectedText() && cursorPosition() == 0;
    case Qt::Key_Right:
      return !hasSelectedText() && cursorPosition() == static_cast<int>(text().size());
    default:
      return false;
  }
}

void TInplaceEdit::keyPressEvent(QKeyEvent* event) {
  RunGuarded([&] { KeyDown(event); });
}

void TInplaceEdit::KeyDown(QKeyEvent* event) {
  // A masked edit undoes its own changes with Escape first; the grid then
  // sees the next Escape.
  if (event->key() == Qt::Key_Escape && IsMasked() && isModified() && text() != loadedText_) {
    TCustomMaskEdit::keyPressEvent(event);
    return;
  }
  if (ForwardToGrid(event)) {
    grid_->keyPressEvent(event);
    return;
  }
  TCustomMaskEdit::keyPressEvent(event);
}

bool TInplaceEdit::event(QEvent* event) {
  // Tab would move the focus out of the grid before keyPressEvent sees it.
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) && grid_->Options().Contains(goTabs)) {
      keyPressEvent(key);
      return true;
    }
  }
  return TCustomMaskEdit::event(event);
}

}  // namespace notarra
