#include "gui/popup_data_list.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <algorithm>

#include "dataset/data_link.h"
#include "dataset/data_source.h"
#include "dataset/dataset.h"
#include "dataset/field.h"
#include "gui/dpi_scale.h"
#include "gui/key_input.h"
#include "gui/qt_text.h"
#include "platform/exceptions.h"
#include "platform/scope_guard.h"

namespace notarra {

// The list's view of the dataset: a window of RowCount record buffers.
class TPopupDataList::TListLink : public TDataLink {
public:
  explicit TListLink(TPopupDataList* list) : list_(list) {}

protected:
  void ActiveChanged() override { list_->LinkActiveChanged(); }
  void LayoutChanged() override { list_->LinkActiveChanged(); }
  void DataSetChanged() override { list_->LinkDataChanged(); }
  void DataSetScrolled(int) override { list_->LinkDataChanged(); }
  void RecordChanged(TField*) override { list_->LinkDataChanged(); }

private:
  TPopupDataList* list_;
};

TPopupDataList::TPopupDataList(QWidget* owner) : TPopupWindow(owner), link_(std::make_unique<TListLink>(this)) {
  color_ = palette().color(QPalette::Base);
  scrollBar_ = new QScrollBar(Qt::Vertical, this);
  scrollBar_->setFocusPolicy(Qt::NoFocus);
  scrollBar_->hide();
  connect(scrollBar_, &QScrollBar::valueChanged, this, [this](int value) { ScrollBarMoved(value); });
  link_->SetBufferCount(rowCount_);
  UpdateHeight();
  hide();
}

TPopupDataList::~TPopupDataList() { link_->SetDataSource(nullptr); }

TDataSource* TPopupDataList::ListSource() const { return link_->DataSource(); }

void TPopupDataList::SetListSource(TDataSource* source) {
  if (link_->DataSource() == source) return;
  link_->SetDataSource(source);
  LinkActiveChanged();
}

TDataSet* TPopupDataList::ListDataSet() const { return link_->DataSet(); }

bool TPopupDataList::ListActive() const { return link_->Active(); }

void TPopupDataList::SetListField(const std::string& names) {
  if (listFieldNames_ == names) return;
  listFieldNames_ = names;
  LinkActiveChanged();
}

void TPopupDataList::SetKeyField(const std::string& name) {
  if (keyFieldName_ == name) return;
  keyFieldName_ = name;
  LinkActiveChanged();
}

void TPopupDataList::SetListFieldIndex(int value) {
  listFieldIndex_ = std::max(0, value);
  update();
}

TField* TPopupDataList::DisplayField() const {
  if (listFields_.empty()) return nullptr;
  if (listFieldIndex_ < static_cast<int>(listFields_.size())) return listFields_[static_cast<std::size_t>(listFieldIndex_)];
  return listFields_.front();
}

void TPopupDataList::SetRowCount(int value) {
  rowCount_ = std::max(1, value);
  link_->SetBufferCount(rowCount_);
  UpdateHeight();
  LinkDataChanged();
}

int TPopupDataList::RowHeight() const { return fontMetrics().height() + ScaledPx(this, 2); }

void TPopupDataList::SetColor(const QColor& value) {
  color_ = value;
  update();
}

void TPopupDataList::SetKeyValue(const TVariant& value) {
  keyValue_ = value;
  if (ListActive() && keyField_ != nullptr && !VarIsClear(value)) {
    try {
      ListDataSet()->Locate(keyFieldName_, value, {});
    } catch (const Exception&) {
      // A value the key field cannot hold is in no row: nothing is chosen.
    }
  }
  UpdateChosen();
  update();
}

std::string TPopupDataList::SelectedItem() const {
  TField* field = DisplayField();
  if (!activeChosen_ || field == nullptr) return {};
  return field->DisplayText();
}

// ------------------------------------------------------------ the link

void TPopupDataList::ResolveFields() {
  listFields_.clear();
  keyField_ = nullptr;
  if (!ListActive()) return;
  TDataSet* dataSet = ListDataSet();
  try {
    dataSet->GetFieldList(listFields_, listFieldNames_);
  } catch (const Exception&) {
    // A name the dataset lacks leaves the list without columns, not broken.
    listFields_.clear();
  }
  if (!keyFieldName_.empty()) keyField_ = dataSet->FindField(keyFieldName_);
}

void TPopupDataList::LinkActiveChanged() {
  ResolveFields();
  LinkDataChanged();
}

void TPopupDataList::LinkDataChanged() {
  UpdateChosen();
  SyncScrollBar();
  update();
}

void TPopupDataList::UpdateChosen() {
  activeChosen_ = false;
  if (!ListActive() || keyField_ == nullptr || VarIsClear(keyValue_)) return;
  TDataSet* dataSet = ListDataSet();
  if (dataSet->IsEmpty()) return;
  activeChosen_ = VarSameValue(keyField_->Value(), keyValue_);
}

void TPopupDataList::ChooseActiveRow() {
  if (!ListActive() || ListDataSet()->IsEmpty()) return;
  if (keyField_ != nullptr) keyValue_ = keyField_->Value();
  activeChosen_ = true;
  update();
}

void TPopupDataList::MoveSelection(int distance) {
  if (!ListActive()) return;
  // The first step of the keyboard takes the row the cursor is on.
  if (!activeChosen_ && (distance == 1 || distance == -1)) {
    ChooseActiveRow();
    return;
  }
  ListDataSet()->MoveBy(distance);
  ChooseActiveRow();
}

// ---------------------------------------------------------- geometry

QRect TPopupDataList::RowsRect() const {
  QRect r = contentsRect();
  if (scrollBar_->isVisible()) r.setRight(r.right() - scrollBar_->width());
  return r;
}

void TPopupDataList::UpdateHeight() {
  const int frame = frameWidth();
  setFixedHeight(rowCount_ * RowHeight() + 2 * frame);
}

int TPopupDataList::FilledRows() const { return std::min(link_->RecordCount(), rowCount_); }

int TPopupDataList::ActiveRow() const { return link_->ActiveRecord(); }

int TPopupDataList::RowAt(const QPoint& pos) const {
  const QRect rows = RowsRect();
  if (!rows.contains(pos)) return -1;
  const int row = (pos.y() - rows.top()) / RowHeight();
  return row < FilledRows() ? row : -1;
}

std::string TPopupDataList::RowText(int row, int column) const {
  if (row < 0 || row >= FilledRows() || column < 0 || column >= static_cast<int>(listFields_.size())) return {};
  const int saved = link_->ActiveRecord();
  ScopeExit restore([&] { link_->SetActiveRecord(saved); });
  link_->SetActiveRecord(row);
  return listFields_[static_cast<std::size_t>(column)]->DisplayText();
}

void TPopupDataList::SyncScrollBar() {
  TDataSet* dataSet = ListActive() ? ListDataSet() : nullptr;
  const int count = dataSet != nullptr ? dataSet->RecordCount() : 0;
  const bool needed = count > rowCount_;
  syncingScrollBar_ = true;
  ScopeExit done([&] { syncingScrollBar_ = false; });
  if (needed) {
    const int top = std::max(0, dataSet->RecNo() - 1 - link_->ActiveRecord());
    scrollBar_->setRange(0, count - rowCount_);
    scrollBar_->setPageStep(rowCount_);
    scrollBar_->setValue(top);
  }
  if (scrollBar_->isVisible() != needed) {
    scrollBar_->setVisible(needed);
    resizeEvent(nullptr);
  }
}

void TPopupDataList::ScrollBarMoved(int value) {
  if (syncingScrollBar_ || !ListActive()) return;
  TDataSet* dataSet = ListDataSet();
  const int current = dataSet->RecNo() - 1;
  const int top = std::max(0, current - link_->ActiveRecord());
  if (value == top) return;
  // The cursor goes to the row that becomes the first (scrolling up) or the
  // last (scrolling down) of the window, so the window starts at value.
  const int target = value < top ? value : value + rowCount_ - 1;
  dataSet->MoveBy(target - current);
  ChooseActiveRow();
}

// ------------------------------------------------------------- input

bool TPopupDataList::SearchChar(char c) {
  TField* field = DisplayField();
  if (!ListActive() || field == nullptr) return false;
  const std::string before = search_.Text();
  if (!search_.Add(c)) return true;
  bool found = false;
  try {
    found = ListDataSet()->Locate(field->FieldName(), TVariant(search_.Text()), {loCaseInsensitive, loPartialKey});
  } catch (const Exception&) {
    // A field that cannot be searched by text finds nothing.
  }
  if (found) {
    ChooseActiveRow();
  } else {
    search_.Restore(before);
    QApplication::beep();
  }
  return true;
}

bool TPopupDataList::ForwardKey(QKeyEvent* event) {
  const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
  switch (event->key()) {
    case Qt::Key_Up:
      MoveSelection(-1);
      return true;
    case Qt::Key_Down:
      MoveSelection(1);
      return true;
    case Qt::Key_PageUp:
      MoveSelection(-std::max(1, rowCount_ - 1));
      return true;
    case Qt::Key_PageDown:
      MoveSelection(std::max(1, rowCount_ - 1));
      return true;
    case Qt::Key_Home:
    case Qt::Key_End:
      if (!ctrl || !ListActive()) return false;
      if (event->key() == Qt::Key_Home)
        ListDataSet()->First();
      else
        ListDataSet()->Last();
      ChooseActiveRow();
      return true;
    case Qt::Key_Backspace:
      search_.RemoveLast();
      return false;
    case Qt::Key_Escape:
      search_.Clear();
      return TPopupWindow::ForwardKey(event);
    default:
      break;
  }
  char c = 0;
  if (TypedChar(event, c) && static_cast<unsigned char>(c) >= 32) return SearchChar(c);
  return false;
}

void TPopupDataList::SelectRowAt(const QPoint& pos) {
  if (!ListActive()) return;
  const QRect rows = RowsRect();
  const int filled = FilledRows();
  if (filled == 0) return;
  int row = (pos.y() - rows.top()) / RowHeight();
  if (pos.y() < rows.top()) row = -1;
  // Dragging past an edge scrolls by one row.
  row = std::clamp(row, -1, filled);
  const int distance = row - link_->ActiveRecord();
  if (distance != 0 || !activeChosen_) {
    if (distance != 0) ListDataSet()->MoveBy(distance);
    ChooseActiveRow();
  }
}

void TPopupDataList::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && RowsRect().contains(event->position().toPoint()))
    SelectRowAt(event->position().toPoint());
  event->accept();
}

void TPopupDataList::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons().testFlag(Qt::LeftButton)) SelectRowAt(event->position().toPoint());
  event->accept();
}

void TPopupDataList::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (OnMouseUp) {
    OnMouseUp(this, event);
    return;
  }
  if (event->button() == Qt::LeftButton) ClosePopup(rect().contains(event->position().toPoint()));
}

void TPopupDataList::wheelEvent(QWheelEvent* event) {
  const int steps = event->angleDelta().y() / 120;
  if (steps != 0 && ListActive()) {
    ListDataSet()->MoveBy(-3 * steps);
    ChooseActiveRow();
  }
  event->accept();
}

void TPopupDataList::resizeEvent(QResizeEvent*) {
  const QRect r = contentsRect();
  const int w = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  scrollBar_->setGeometry(r.right() + 1 - w, r.top(), w, r.height());
  update();
}

void TPopupDataList::showEvent(QShowEvent* event) {
  search_.Clear();
  SyncScrollBar();
  TPopupWindow::showEvent(event);
}

void TPopupDataList::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) UpdateHeight();
  TPopupWindow::changeEvent(event);
}

// ---------------------------------------------------------- painting

void TPopupDataList::paintEvent(QPaintEvent* event) {
  TPopupWindow::paintEvent(event);
  QPainter painter(this);
  const QRect rows = RowsRect();
  painter.fillRect(rows, color_.isValid() ? color_ : palette().color(QPalette::Base));
  if (!ListActive() || listFields_.empty()) return;

  // Column widths follow the fields' display widths; the last takes the rest.
  const int columns = static_cast<int>(listFields_.size());
  std::vector<int> lefts(static_cast<std::size_t>(columns) + 1);
  int total = 0;
  for (TField* f : listFields_) total += std::max(1, f->DisplayWidth());
  lefts[0] = rows.left();
  for (int c = 1; c < columns; ++c)
    lefts[static_cast<std::size_t>(c)] =
        lefts[static_cast<std::size_t>(c) - 1] +
        rows.width() * std::max(1, listFields_[static_cast<std::size_t>(c) - 1]->DisplayWidth()) / total;
  lefts[static_cast<std::size_t>(columns)] = rows.right() + 1;

  const int h = RowHeight();
  const int pad = ScaledPx(this, 2);
  const int active = link_->ActiveRecord();
  const int filled = FilledRows();
  ScopeExit restore([&] { link_->SetActiveRecord(active); });
  painter.setClipRect(rows);
  for (int row = 0; row < filled; ++row) {
    link_->SetActiveRecord(row);
    const QRect line(rows.left(), rows.top() + row * h, rows.width(), h);
    const bool chosen = activeChosen_ && row == active;
    if (chosen) painter.fillRect(line, palette().color(QPalette::Highlight));
    painter.setPen(palette().color(chosen ? QPalette::HighlightedText : QPalette::Text));
    for (int c = 0; c < columns; ++c) {
      TField* field = listFields_[static_cast<std::size_t>(c)];
      const QRect cell(lefts[static_cast<std::size_t>(c)] + pad, line.top(),
                       lefts[static_cast<std::size_t>(c) + 1] - lefts[static_cast<std::size_t>(c)] - 2 * pad, h);
      Qt::Alignment align = Qt::AlignVCenter;
      align |= field->Alignment() == taRightJustify ? Qt::AlignRight
               : field->Alignment() == taCenter     ? Qt::AlignHCenter
                                                    : Qt::AlignLeft;
      const QString text = fontMetrics().elidedText(ToQString(field->DisplayText()), Qt::ElideRight, cell.width());
      painter.drawText(cell, static_cast<int>(align), text);
    }
  }
  if (columns > 1) {
    painter.setPen(palette().color(QPalette::Mid));
    for (int c = 1; c < columns; ++c)
      painter.drawLine(lefts[static_cast<std::size_t>(c)] - 1, rows.top(), lefts[static_cast<std::size_t>(c)] - 1,
                       rows.top() + filled * h - 1);
  }
}

}  // namespace notarra
