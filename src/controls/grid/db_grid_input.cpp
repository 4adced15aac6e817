// The data grid's keys, mouse, scroll bar and wheel, and the
// multi-selection of rows. Every move goes through the dataset (MoveBy,
// First, Last, RecNo); the grid's current row follows the dataset's notices.
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>

#include "controls/grid/db_grid.h"
#include "controls/grid/db_grid_inplace_edit.h"
#include "dataset/data_source.h"
#include "dataset/dataset.h"
#include "gui/exception_guard.h"
#include "gui/key_input.h"
#include "gui/qt_text.h"
#include "platform/scope_guard.h"
#include "platform/services.h"

namespace notarra {

namespace {

// Raises the paint lock for a move that repaints several rows.
class PaintLockScope {
public:
  explicit PaintLockScope(int& lock) : lock_(lock) { ++lock_; }
  ~PaintLockScope() { lock_ = std::max(0, lock_ - 1); }
  PaintLockScope(const PaintLockScope&) = delete;
  PaintLockScope& operator=(const PaintLockScope&) = delete;

private:
  int& lock_;
};

int Sign(int v) { return (v > 0) - (v < 0); }

}  // namespace

// ------------------------------------------------------------- selection

void TVelaCustomDBGrid::ClearSelection() {
  if (!options_.Contains(dgMultiSelect)) return;
  bookmarks_->Clear();
  anchoring_ = false;
}

void TVelaCustomDBGrid::MoveWithSelection(int direction, bool select, bool shift) {
  PaintLockScope lock(paintLock_);
  TDataSet* ds = dataLink_->DataSet();
  if (options_.Contains(dgMultiSelect) && dataLink_->Active()) {
    if (select && shift) {
      if (!anchoring_) {
        selectionAnchor_ = bookmarks_->CurrentBookmark();
        anchorRecNo_ = ds->RecNo();
        bookmarks_->SelectCurrentRow(true);
        anchoring_ = true;
        ds->MoveBy(direction);
        bookmarks_->SelectCurrentRow(true);
      } else if (SideOfAnchor() == -direction) {
        bookmarks_->SelectCurrentRow(false);
        ds->MoveBy(direction);
      } else {
        ds->MoveBy(direction);
        bookmarks_->SelectCurrentRow(true);
      }
      return;
    }
    ClearSelection();
  }
  ds->MoveBy(direction);
}

int TVelaCustomDBGrid::SideOfAnchor() const {
  // Bookmarks may compare by identity rather than by place: a sequenced
  // dataset's record numbers say which side of the anchor a row is on.
  TDataSet* ds = dataLink_->DataSet();
  if (ds->IsSequenced() && anchorRecNo_ > 0 && ds->RecNo() > 0) return Sign(ds->RecNo() - anchorRecNo_);
  return Sign(bookmarks_->CompareMarks(bookmarks_->CurrentBookmark(), selectionAnchor_));
}

void TVelaCustomDBGrid::NextRow(bool select, bool shift) {
  TDataSet* ds = dataLink_->DataSet();
  if (ds->State() == dsInsert && !ds->Modified() && !dataLink_->IsModified()) {
    // An untouched new record: Down leaves it alone at the end and drops it elsewhere.
    if (dataLink_->Eof()) return;
    ds->Cancel();
  } else {
    MoveWithSelection(1, select, shift);
  }
  if (dataLink_->Eof() && ds->CanModify() && !readOnly_ && options_.Contains(dgEditing) && allowInsert_)
    ds->Append();
}

void TVelaCustomDBGrid::PriorRow(bool select, bool shift) {
  TDataSet* ds = dataLink_->DataSet();
  if (ds->State() == dsInsert && !ds->Modified() && dataLink_->Eof() && !dataLink_->IsModified())
    ds->Cancel();
  else
    MoveWithSelection(-1, select, shift);
}

void TVelaCustomDBGrid::TabStep(bool forward) {
  const int direction = forward ? 1 : -1;
  const int start = Col();
  int c = start;
  for (int steps = 0; steps <= 2 * ColCount() + 2; ++steps) {
    c += direction;
    if (c >= ColCount()) {
      NextRow(false, false);
      c = indicatorCols_;
    } else if (c < indicatorCols_) {
      PriorRow(false, false);
      c = ColCount() - 1;
    }
    if (c == start) return;
    if (TabStops(c) && ColWidths(c) > 0) {
      GoToColumn(c, 0);
      return;
    }
  }
}

void TVelaCustomDBGrid::GoToColumn(int gridCol, int direction) {
  UpdateData();
  const int low = indicatorCols_ + userFixedCols_;
  gridCol = std::max(std::min(gridCol, ColCount() - 1), low);
  if (direction != 0) {
    while (ColWidths(gridCol) <= 0) {
      gridCol += direction;
      if (gridCol < low || gridCol >= ColCount()) return;
    }
  }
  if (gridCol == Col()) return;
  if (!inColExit_) {
    const int before = Col();
    inColExit_ = true;
    ScopeExit done([this] { inColExit_ = false; });
    OnColExit(this);
    if (Col() != before) return;
  }
  if (!options_.Contains(dgAlwaysShowEditor)) HideEditor();
  MoveColRow(gridCol, Row(), true, true);
  NotifyAccessibleFocus();
  OnColEnter(this);
}

bool TVelaCustomDBGrid::DeletePrompt() {
  const std::string text = FromQString(bookmarks_->Count() > 1 ? tr("Delete selected records ?") : tr("Delete record ?"));
  if (!allowDelete_) return false;
  if (options_.Contains(dgConfirmDelete)) return ConfirmOkCancel(text);
  return true;
}

void TVelaCustomDBGrid::ToggleCheckBox() {
  TVelaColumn* column = CurrentColumn();
  if (column == nullptr) return;
  if (options_.Contains(dgMultiSelect) && dataLink_->Active() && column->FieldName() == "Selected") {
    bookmarks_->SelectCurrentRow(!bookmarks_->CurrentRowIsSelected());
    return;
  }
  TField* field = column->Field();
  if (field == nullptr || column->ReadOnly() || !options_.Contains(dgEditing)) return;
  TDataSource* source = DataSource();
  if (!source->AutoEdit() && source->State() != dsEdit && source->State() != dsInsert) return;
  if (!dataLink_->Edit()) return;
  field->SetText(field->Text() != column->ValueChecked() ? column->ValueChecked() : column->ValueUnChecked());
  InvalidateCell(Col(), Row());
}

// ------------------------------------------------------------------- keys

void TVelaCustomDBGrid::keyPressEvent(QKeyEvent* event) {
  RunGuarded([&] { KeyDown(event); });
}

void TVelaCustomDBGrid::KeyDown(QKeyEvent* event) {
  int key = event->key();
  const Qt::KeyboardModifiers mods = event->modifiers();
  OnKeyDown(this, key, mods);
  event->accept();
  if (key == 0) return;
  if (!dataLink_->Active()) {
    TCustomGrid::keyPressEvent(event);
    return;
  }
  const bool ctrl = mods & Qt::ControlModifier;
  const bool shift = mods & Qt::ShiftModifier;
  const bool alt = mods & Qt::AltModifier;
  if (layoutDirection() == Qt::RightToLeft) {
    if (key == Qt::Key_Left)
      key = Qt::Key_Right;
    else if (key == Qt::Key_Right)
      key = Qt::Key_Left;
  }
  TDataSet* ds = dataLink_->DataSet();
  const bool oneColumn = ColCount() - indicatorCols_ <= 1;
  auto firstShown = [&] {
    ClearSelection();
    ds->MoveBy(-dataLink_->ActiveRecord());
  };
  auto lastShown = [&] {
    ClearSelection();
    ds->MoveBy(dataLink_->BufferCount() - dataLink_->ActiveRecord() - 1);
  };
  switch (key) {
    case Qt::Key_Up:
      if (ctrl)
        firstShown();
      else
        PriorRow(true, shift);
      return;
    case Qt::Key_Down:
      if (ctrl)
        lastShown();
      else
        NextRow(true, shift);
      return;
    case Qt::Key_PageUp:
      if (ctrl) {
        firstShown();
      } else {
        ClearSelection();
        ds->MoveBy(-VisibleRowCount());
      }
      return;
    case Qt::Key_PageDown:
      if (ctrl) {
        lastShown();
      } else {
        ClearSelection();
        ds->MoveBy(VisibleRowCount());
      }
      return;
    case Qt::Key_Home:
      if (ctrl || oneColumn || options_.Contains(dgRowSelect)) {
        ClearSelection();
        ds->First();
      } else {
        GoToColumn(indicatorCols_, 1);
      }
      return;
    case Qt::Key_End:
      if (ctrl || oneColumn || options_.Contains(dgRowSelect)) {
        ClearSelection();
        ds->Last();
      } else {
        GoToColumn(ColCount() - 1, -1);
      }
      return;
    case Qt::Key_Left:
      if (ctrl)
        GoToColumn(indicatorCols_, 1);
      else if (options_.Contains(dgRowSelect))
        PriorRow(false, false);
      else
        GoToColumn(Col() - 1, -1);
      return;
    case Qt::Key_Right:
      if (ctrl)
        GoToColumn(ColCount() - 1, -1);
      else if (options_.Contains(dgRowSelect))
        NextRow(false, false);
      else
        GoToColumn(Col() + 1, 1);
      return;
    case Qt::Key_Delete:
      if (ctrl && !readOnly_ && !ds->IsEmpty() && ds->CanModify() && DeletePrompt()) {
        if (bookmarks_->Count() > 0)
          bookmarks_->Delete();
        else
          ds->Delete();
      }
      return;
    case Qt::Key_Insert:
      if (!ctrl && ds->CanModify() && !readOnly_ && options_.Contains(dgEditing) && allowInsert_) {
        ClearSelection();
        ds->Insert();
      }
      return;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      if (!alt) TabStep(key == Qt::Key_Tab && !shift);
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (options_.Contains(dgEnterToTab)) {
        if (!alt) TabStep(!shift);
        return;
      }
      if (!options_.Contains(dgAlwaysShowEditor)) UpdateData();
      TCustomGrid::keyPressEvent(event);
      return;
    case Qt::Key_Escape:
      dataLink_->RevertEdit();
      ClearSelection();
      if (!options_.Contains(dgAlwaysShowEditor)) HideEditor();
      return;
    case Qt::Key_F2:
      ShowEditor();
      return;
    case Qt::Key_Space:
      // A check box cell toggles from the keyboard as from the mouse.
      if (!EditorMode() && CurrentColumn() && CurrentColumn()->ButtonStyle() == cbsCheck && !ctrl && !alt) {
        ToggleCheckBox();
        return;
      }
      break;
    default:
      break;
  }
  if (TypesText(event) && !passingChar_) {
    // A character the editor refuses comes back up to the grid: once is enough.
    passingChar_ = true;
    ScopeExit done([this] { passingChar_ = false; });
    TCustomGrid::keyPressEvent(event);
  }
}

// ------------------------------------------------------------------ mouse

void TVelaCustomDBGrid::mousePressEvent(QMouseEvent* event) {
  RunGuarded([&] { MouseDown(event); });
}

void TVelaCustomDBGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    RunGuarded([&] { OnDblClick(this); });
    event->accept();
    return;
  }
  TCustomGrid::mouseDoubleClickEvent(event);
}

void TVelaCustomDBGrid::MouseDown(QMouseEvent* event) {
  sizingColumn_ = false;
  pressedOnBase_ = false;
  if (focusPolicy() != Qt::NoFocus && !hasFocus() && !(InplaceEditor() && InplaceEditor()->hasFocus())) {
    setFocus(Qt::MouseFocusReason);
    if (!hasFocus() && !(InplaceEditor() && InplaceEditor()->hasFocus()) && QApplication::focusWidget() != nullptr)
      return;
  }
  const QPoint p = event->position().toPoint();
  auto basePress = [&] {
    pressedOnBase_ = true;
    TCustomGrid::mousePressEvent(event);
  };
  if (event->button() == Qt::LeftButton && IsColSizingPoint(p.x(), p.y())) {
    UpdateData();
    sizingColumn_ = true;
    basePress();
    return;
  }
  const TGridCoord cell = MouseCoord(p.x(), p.y());
  if (cell.X < 0 || cell.Y < 0) {
    basePress();
    return;
  }
  if (cell.Y < titleRows_) {
    if (cell.X < indicatorCols_) {
      basePress();
      return;
    }
    UpdateData();
    const int index = GridColToColumnIndex(cell.X);
    TVelaColumn* column = index < columns_->Count() ? columns_->Items(index) : nullptr;
    if (column && column->CanClick() && event->button() == Qt::LeftButton) {
      column->SetTitlePressed(true);
      pressedColumn_ = index;
      InvalidateCell(cell.X, cell.Y);
      return;
    }
    basePress();
    return;
  }
  if (!dataLink_->Active()) {
    basePress();
    return;
  }
  TDataSet* ds = dataLink_->DataSet();
  {
    PaintLockScope lock(paintLock_);
    UpdateData();
    const bool wasCurrent = cell.X == Col() && cell.Y == Row();
    HideEditor();
    if (cell.Y != Row()) ds->MoveBy(cell.Y - Row());
    TVelaColumn* column = nullptr;
    if (cell.X >= indicatorCols_) {
      GoToColumn(cell.X, 0);
      const int index = GridColToColumnIndex(cell.X);
      column = index < columns_->Count() ? columns_->Items(index) : nullptr;
      if (options_.Contains(dgMultiSelect) && column && column->FieldName() != "Selected") {
        anchoring_ = false;
        if (event->modifiers() & Qt::ControlModifier) {
          bookmarks_->SelectCurrentRow(!bookmarks_->CurrentRowIsSelected());
        } else {
          bookmarks_->Clear();
          bookmarks_->SelectCurrentRow(true);
        }
      }
    }
    if (event->button() == Qt::LeftButton && column) {
      if (column->ButtonStyle() == cbsCheck) {
        ToggleCheckBox();
      } else if (wasCurrent || options_.Contains(dgAlwaysShowEditor)) {
        ShowEditor();
      } else {
        InvalidateEditor();
      }
    }
  }
  InvalidateGrid();
}

void TVelaCustomDBGrid::mouseReleaseEvent(QMouseEvent* event) {
  RunGuarded([&] { MouseUp(event); });
}

void TVelaCustomDBGrid::MouseUp(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  if (sizingColumn_) {
    sizingColumn_ = false;
    TCustomGrid::mouseReleaseEvent(event);
    if (OnColumnResized) {
      const TGridCoord cell = MouseCoord(std::max(0, p.x() - 5), std::max(0, p.y()));
      const int index = GridColToColumnIndex(cell.X);
      if (cell.X >= 0 && index >= 0 && index < columns_->Count()) OnColumnResized(this, columns_->Items(index));
    }
    return;
  }
  // Every title comes up; a click counts when it ends on the title it began on.
  int pressed = -1;
  for (int i = 0; i < columns_->Count(); ++i)
    if (columns_->Items(i)->TitlePressed()) {
      columns_->Items(i)->SetTitlePressed(false);
      pressed = i;
    }
  pressedColumn_ = -1;
  if (titleRows_ > 0) InvalidateRow(0);
  const TGridCoord cell = MouseCoord(p.x(), p.y());
  const int index = GridColToColumnIndex(cell.X);
  TVelaColumn* column = cell.X >= indicatorCols_ && index < columns_->Count() ? columns_->Items(index) : nullptr;
  if (pressedOnBase_) {
    pressedOnBase_ = false;
    TCustomGrid::mouseReleaseEvent(event);
  }
  if (event->button() == Qt::LeftButton && column && cell.Y >= 0 && cell.Y < titleRows_ && column->CanClick() &&
      index == pressed) {
    for (int i = 0; i < columns_->Count(); ++i) columns_->Items(i)->SetTitleSortMark(tsmNone);
    OnTitleClick(this, column);
    return;
  }
  if (column && cell.Y >= titleRows_ && event->button() == Qt::LeftButton) {
    if (column->LongTextAsHint() && column->Field()) {
      QToolTip::hideText();
      setToolTip(ToQString(column->Field()->Text()));
    }
    OnCellClick(this, column);
  }
  if (column && event->button() == Qt::RightButton && column->PopupMenu()) {
    column->PopupMenu()->popup(event->globalPosition().toPoint());
  }
}

void TVelaCustomDBGrid::wheelEvent(QWheelEvent* event) {
  if (!dataLink_->Active()) {
    TCustomGrid::wheelEvent(event);
    return;
  }
  wheelRemainder_ += event->angleDelta().y();
  RunGuarded([&] {
    TDataSet* ds = dataLink_->DataSet();
    while (wheelRemainder_ >= 120) {
      wheelRemainder_ -= 120;
      ds->MoveBy(-1);
    }
    while (wheelRemainder_ <= -120) {
      wheelRemainder_ += 120;
      ds->MoveBy(1);
    }
  });
  event->accept();
}

// ------------------------------------------------------------- scroll bar

void TVelaCustomDBGrid::ScrollBarAction(int action) {
  if (!dataLink_->Active()) return;
  TDataSet* ds = dataLink_->DataSet();
  QScrollBar* bar = verticalScrollBar();
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
      ds->MoveBy(-dataLink_->ActiveRecord() - 1);
      break;
    case QAbstractSlider::SliderSingleStepAdd:
      ds->MoveBy(dataLink_->RecordCount() - dataLink_->ActiveRecord());
      break;
    case QAbstractSlider::SliderPageStepSub:
      ds->MoveBy(-VisibleRowCount());
      break;
    case QAbstractSlider::SliderPageStepAdd:
      ds->MoveBy(VisibleRowCount());
      break;
    case QAbstractSlider::SliderToMinimum:
      ds->First();
      break;
    case QAbstractSlider::SliderToMaximum:
      ds->Last();
      break;
    case QAbstractSlider::SliderMove: {
      if (bar->isSliderDown()) return;  // only the released thumb moves
      const int position = bar->sliderPosition();
      if (ds->IsSequenced()) {
        if (position <= 1)
          ds->First();
        else if (position >= ds->RecordCount())
          ds->Last();
        else
          ds->SetRecNo(position);
      } else {
        switch (position) {
          case 0:
            ds->First();
            break;
          case 1:
            ds->MoveBy(-VisibleRowCount());
            break;
          case 3:
            ds->MoveBy(VisibleRowCount());
            break;
          case 4:
            ds->Last();
            break;
          default:
            break;
        }
      }
      break;
    }
    default:
      return;
  }
  // The bar shows where the dataset is, not where the user dragged it.
  const int old = bar->sliderPosition();
  SyncScrollBar();
  if (bar->sliderPosition() == old) {
    const QSignalBlocker quiet(bar);
    bar->setSliderPosition(old);
  }
}

// ------------------------------------------------------------------ focus

void TVelaCustomDBGrid::focusOutEvent(QFocusEvent* event) {
  TCustomGrid::focusOutEvent(event);
  FocusLeft(event);
}

bool TVelaCustomDBGrid::LeavingGrid(QFocusEvent* event) const {
  if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) return false;
  QWidget* next = QApplication::focusWidget();
  if (next == nullptr) return false;
  for (QWidget* w = next; w != nullptr; w = w->parentWidget())
    if (w == this) return false;
  return true;
}

void TVelaCustomDBGrid::FocusLeft(QFocusEvent* event) {
  if (!LeavingGrid(event)) return;
  bool failed = false;
  RunGuarded([&] {
    ScopeFail back([&] {
      failed = true;
      setFocus();
    });
    if (dataLink_->Active()) {
      TDataSet* ds = dataLink_->DataSet();
      if (options_.Contains(dgEditing) && options_.Contains(dgCancelOnExit) && ds->State() == dsInsert &&
          !ds->Modified() && !dataLink_->IsModified())
        ds->Cancel();
      else
        UpdateData();
    }
  });
  if (!failed) RunGuarded([this] { OnExit(this); });
}

}  // namespace notarra
