#include "controls/grid/db_grid_inplace_edit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>

#include "controls/grid/db_grid.h"
#include "controls/grid/db_grid_popups.h"
#include "dataset/data_source.h"
#include "dataset/dataset.h"
#include "dataset/field.h"
#include "gui/exception_guard.h"
#include "gui/key_input.h"
#include "gui/popup_behavior.h"
#include "gui/popup_data_list.h"
#include "gui/qt_text.h"
#include "platform/conversions.h"
#include "platform/date_time.h"

namespace notarra {

namespace {

// Keys that go to the edit as they are; any other one is offered to the
// grid's OnSpecialKeyDown first.
bool PlainKey(const QKeyEvent* event) {
  const int key = event->key();
  if (event->modifiers() & Qt::KeypadModifier && key >= Qt::Key_0 && key <= Qt::Key_9) return true;
  return key == Qt::Key_Space || (key >= Qt::Key_0 && key <= Qt::Key_Z);
}

}  // namespace

TVelaDBGridInplaceEdit::TVelaDBGridInplaceEdit(TVelaCustomDBGrid* grid)
    : TInplaceEdit(grid),
      dbGrid_(grid),
      buttonWidth_(std::max(8, style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this) - 4)),
      lookupSource_(std::make_unique<TDataSource>()) {}

TVelaDBGridInplaceEdit::~TVelaDBGridInplaceEdit() = default;

QRect TVelaDBGridInplaceEdit::ButtonRect() const {
  if (style_ == esSimple) return QRect();
  if (layoutDirection() == Qt::RightToLeft) return QRect(0, 0, buttonWidth_, height());
  return QRect(width() - buttonWidth_, 0, buttonWidth_, height());
}

TVelaDBGridInplaceEdit::TEditStyle TVelaDBGridInplaceEdit::StyleForColumn(const TVelaColumn* column) const {
  if (column == nullptr) return esSimple;
  switch (column->ButtonStyle()) {
    case cbsCombo:
      return !column->PickList().empty() && !column->ReadOnly() ? esPickList : esSimple;
    case cbsLookup: {
      TField* field = column->Field();
      TGridDataLink* link = dbGrid_->DataLink();
      if (field == nullptr || !TVelaCustomDBGrid::LookupComplete(column) || column->ReadOnly() ||
          dbGrid_->ReadOnly() || !link->Active() || link->ReadOnly())
        return esSimple;
      TField* key = field->DataSet()->FindField(column->LookupKeyField());
      return key != nullptr && key->CanModify() ? esDataList : esSimple;
    }
    case cbsCalendar:
      return column->ReadOnly() ? esSimple : esCalendar;
    case cbsEllipsis:
      return esEllipsis;
    default:
      return esSimple;
  }
}

void TVelaDBGridInplaceEdit::SetEditStyle(TEditStyle style) {
  style_ = style;
  activeList_ = nullptr;
  switch (style) {
    case esPickList:
      if (pickList_ == nullptr) {
        pickList_ = new TPopupListbox(this);
        pickList_->OnMouseUp = [this](const QPoint& p, Qt::MouseButton b) { ListMouseUp(pickList_, p, b); };
      }
      activeList_ = pickList_;
      break;
    case esDataList:
      if (dataList_ == nullptr) {
        dataList_ = new TPopupDataList(this);
        dataList_->OnMouseUp = [this](QWidget*, QMouseEvent* e) {
          ListMouseUp(dataList_, e->position().toPoint(), e->button());
        };
        dataList_->Behavior()->CloseRequest = [this](bool accept) { RunGuarded([&] { CloseList(accept); }); };
      }
      activeList_ = dataList_;
      break;
    case esCalendar:
      if (calendar_ == nullptr) {
        calendar_ = new TVelaPopupCalendar(this);
        calendar_->OnMouseUp = [this](const QPoint& p, Qt::MouseButton b) { ListMouseUp(calendar_, p, b); };
        calendar_->OnSelectDate = [this](TVelaCalendar*) { RunGuarded([this] { CloseList(true); }); };
        calendar_->Behavior()->CloseRequest = [this](bool accept) { RunGuarded([&] { CloseList(accept); }); };
      }
      activeList_ = calendar_;
      break;
    default:
      break;
  }
  if (pickList_) pickList_->Behavior()->CloseRequest = [this](bool accept) { RunGuarded([&] { CloseList(accept); }); };
  const bool rtl = layoutDirection() == Qt::RightToLeft;
  const int margin = style == esSimple ? 0 : buttonWidth_;
  setTextMargins(rtl ? margin : 0, 0, rtl ? 0 : margin, 0);
  TVelaColumn* column = dbGrid_->CurrentColumn();
  setReadOnly(column != nullptr && column->ReadOnly());
  update();
}

void TVelaDBGridInplaceEdit::UpdateContents() {
  if (listVisible_) CloseList(false);
  SetEditStyle(StyleForColumn(dbGrid_->CurrentColumn()));
  TInplaceEdit::UpdateContents();
  if (TVelaColumn* column = dbGrid_->CurrentColumn()) setFont(column->Font().Font);
}

// ---------------------------------------------------------------- the list

void TVelaDBGridInplaceEdit::OpenList() {
  if (listVisible_ || activeList_ == nullptr) return;
  TVelaColumn* column = dbGrid_->CurrentColumn();
  if (column == nullptr) return;
  dbGrid_->BeforeDropDown(dbGrid_, column);
  TField* field = column->Field();
  const int width = column->DropDownWidth() != 0 ? static_cast<int>(column->DropDownWidth()) : column->Width();
  if (activeList_ == pickList_) {
    pickList_->setFont(font());
    pickList_->clear();
    for (const std::string& item : column->PickList()) pickList_->addItem(ToQString(item));
    const int rows = std::min<int>(static_cast<int>(column->PickList().size()), static_cast<int>(column->DropDownRows()));
    int index = -1;
    if (field && !field->IsNull()) {
      const std::string text = field->Text();
      const auto& values = column->PickValues().size() == column->PickList().size() ? column->PickValues()
                                                                                      : column->PickList();
      const auto it = std::find(values.begin(), values.end(), text);
      if (it != values.end()) index = static_cast<int>(it - values.begin());
    }
    pickList_->setCurrentRow(index);
    int widest = width;
    for (int i = 0; i < pickList_->count(); ++i)
      widest = std::max(widest, pickList_->fontMetrics().horizontalAdvance(pickList_->item(i)->text()) + 8);
    pickList_->resize(widest, rows * pickList_->ItemHeight() + 4);
    pickList_->Behavior()->ShowBelow(this);
  } else if (activeList_ == dataList_) {
    dataList_->SetColor(column->Color());
    dataList_->setFont(column->Font().Font);
    dataList_->SetRowCount(static_cast<int>(column->DropDownRows()));
    lookupSource_->SetDataSet(column->LookupDataSet());
    dataList_->SetListField(column->LookupDropDownFields());
    dataList_->SetKeyField(column->LookupLinkField());
    dataList_->SetListFieldIndex(0);
    dataList_->SetListSource(lookupSource_.get());
    dataList_->resize(std::max(width, 40), dataList_->height());
    if (field && TVelaCustomDBGrid::LookupComplete(column)) {
      TField* key = field->DataSet()->FindField(column->LookupKeyField());
      const TVariant value = key ? key->Value() : TVariant();
      dataList_->SetKeyValue(value);
      column->LookupDataSet()->Locate(column->LookupLinkField(), value, {});
    }
    dataList_->ShowBelow(this);
  } else if (activeList_ == calendar_) {
    calendar_->SetDate(field == nullptr || field->IsNull() ? Date() : field->AsDateTime());
    calendar_->Behavior()->ShowBelow(this);
  }
  listVisible_ = true;
  update();
  setFocus();
}

void TVelaDBGridInplaceEdit::CloseList(bool accept) {
  if (!listVisible_) return;
  if (QWidget::mouseGrabber() == this) releaseMouse();
  buttonTracking_ = false;
  buttonDown_ = false;
  TVelaColumn* column = dbGrid_->CurrentColumn();
  bool hasValue = false;
  std::string value;
  if (activeList_ == pickList_ && pickList_->currentRow() >= 0 && column) {
    const auto i = static_cast<std::size_t>(pickList_->currentRow());
    const bool byValues = column->PickValues().size() == column->PickList().size();
    if (i < column->PickList().size()) {
      value = byValues ? column->PickValues()[i] : column->PickList()[i];
      hasValue = true;
    }
  } else if (activeList_ == calendar_) {
    value = DateToStr(calendar_->Date());
    hasValue = true;
  }
  TVariant keyValue;
  if (activeList_ == dataList_) keyValue = dataList_->KeyValue();
  if (activeList_ == pickList_) pickList_->Behavior()->Hide();
  if (activeList_ == calendar_) calendar_->Behavior()->Hide();
  if (activeList_ == dataList_) {
    dataList_->Behavior()->Hide();
    dataList_->SetListSource(nullptr);
    lookupSource_->SetDataSet(nullptr);
  }
  listVisible_ = false;
  update();
  if (accept && activeList_ == dataList_ && column && column->Field()) {
    // The chosen key goes into the key field, whatever its type.
    TDataSet* ds = column->Field()->DataSet();
    TField* key = ds->FindField(column->LookupKeyField());
    if (key && key->CanModify()) {
      ds->Edit();
      key->SetValue(keyValue);
    }
  } else if (accept && hasValue && column && column->Field() && dbGrid_->CanEditModify()) {
    column->Field()->SetText(value);
  }
  if (column) dbGrid_->AfterCloseUp(dbGrid_, column, accept);
}

void TVelaDBGridInplaceEdit::ListMouseUp(QWidget* list, const QPoint& pos, Qt::MouseButton button) {
  if (!listVisible_ || list != activeList_) return;
  const bool inside = pos.x() >= 0 && pos.y() >= 0 && pos.x() < list->width() && pos.y() < list->height();
  RunGuarded([&] {
    if (list == pickList_) {
      CloseList(inside);
    } else if (list == calendar_) {
      const bool dayArea = pos.x() >= 2 && pos.y() >= 41 && pos.x() < list->width() - 2 && pos.y() < list->height() - 20;
      if (dayArea && button == Qt::LeftButton)
        CloseList(true);
      else if (!inside)
        CloseList(false);
    } else if (button == Qt::LeftButton) {
      CloseList(inside);
    }
  });
}

// ------------------------------------------------------------------- keys

void TVelaDBGridInplaceEdit::keyPressEvent(QKeyEvent* event) {
  RunGuarded([&] { KeyDown(event); });
}

void TVelaDBGridInplaceEdit::KeyDown(QKeyEvent* event) {
  const int key = event->key();
  const bool alt = event->modifiers() & Qt::AltModifier;
  const bool listStyle = style_ == esPickList || style_ == esDataList || style_ == esCalendar;
  if ((key == Qt::Key_Up || key == Qt::Key_Down) && alt) {
    if (listStyle) {
      if (listVisible_)
        CloseList(true);
      else
        OpenList();
    }
    event->accept();
    return;
  }
  if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) && listVisible_ && !alt) {
    CloseList(key != Qt::Key_Escape);
    event->accept();
    return;
  }
  if (!PlainKey(event) && dbGrid_->OnSpecialKeyDown) {
    int code = key;
    dbGrid_->OnSpecialKeyDown(dbGrid_, dbGrid_->CurrentColumn(), code, FromQString(text()));
    if (code == 0) {
      event->accept();
      return;
    }
  }
  TVelaColumn* column = dbGrid_->CurrentColumn();
  if (TypesText(event) && !listVisible_ && (style_ == esPickList || style_ == esDataList) && column &&
      column->AutoDropDown())
    OpenList();
  if (listVisible_ && activeList_) {
    if (activeList_ == calendar_)
      calendar_->PassKey(event);
    else if (activeList_ == dataList_)
      dataList_->ForwardKey(event);
    else
      QApplication::sendEvent(activeList_, event);
    event->accept();
    return;
  }
  if (style_ == esEllipsis && (key == Qt::Key_Return || key == Qt::Key_Enter) &&
      (event->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier) {
    dbGrid_->EditButtonClick();
    event->accept();
    return;
  }
  TInplaceEdit::keyPressEvent(event);
}

// ------------------------------------------------------------ the button

void TVelaDBGridInplaceEdit::paintEvent(QPaintEvent* event) {
  TInplaceEdit::paintEvent(event);
  if (style_ == esSimple) return;
  QPainter painter(this);
  const QRect r = ButtonRect();
  const QPalette& pal = palette();
  painter.fillRect(r, pal.color(QPalette::Button));
  // A raised edge, flat when pushed.
  const QColor light = pal.color(QPalette::Light);
  const QColor dark = pal.color(QPalette::Dark);
  painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), buttonDown_ ? dark : light);
  painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), buttonDown_ ? dark : light);
  painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), buttonDown_ ? light : dark);
  painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), buttonDown_ ? light : dark);
  const int shift = buttonDown_ ? 1 : 0;
  const QColor mark = style_ != esEllipsis && activeList_ == nullptr ? pal.color(QPalette::Disabled, QPalette::ButtonText)
                                                                      : pal.color(QPalette::ButtonText);
  if (style_ == esEllipsis) {
    const int side = buttonWidth_ <= 7 ? 1 : buttonWidth_ / 8;
    const int cx = r.center().x() - 1 + shift;
    const int cy = r.center().y() - 1 + shift;
    for (int i = -1; i <= 1; ++i) painter.fillRect(QRect(cx + i * 2 * side - side / 2, cy - side / 2, side, side), mark);
  } else {
    // The combo box arrow: a small solid triangle pointing down.
    const qreal half = std::max(2.0, r.width() / 4.0);
    const QPointF c(r.center().x() + 0.5 + shift, r.center().y() + 0.5 + shift);
    const QPointF points[] = {{c.x() - half, c.y() - half / 2}, {c.x() + half, c.y() - half / 2},
                              {c.x(), c.y() + half / 2 + 0.5}};
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(mark);
    painter.drawPolygon(points, 3);
  }
}

void TVelaDBGridInplaceEdit::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && style_ != esSimple && ButtonRect().contains(event->position().toPoint())) {
    RunGuarded([&] {
      if (listVisible_) {
        CloseList(false);
        return;
      }
      buttonTracking_ = true;
      buttonDown_ = true;
      update();
      if (activeList_) OpenList();
    });
    event->accept();
    return;
  }
  TInplaceEdit::mousePressEvent(event);
}

void TVelaDBGridInplaceEdit::mouseMoveEvent(QMouseEvent* event) {
  if (buttonTracking_) {
    const bool over = ButtonRect().contains(event->position().toPoint());
    if (over != buttonDown_) {
      buttonDown_ = over;
      update();
    }
    event->accept();
    return;
  }
  if (style_ != esSimple && ButtonRect().contains(event->position().toPoint()))
    setCursor(Qt::PointingHandCursor);
  else
    setCursor(Qt::IBeamCursor);
  TInplaceEdit::mouseMoveEvent(event);
}

void TVelaDBGridInplaceEdit::mouseReleaseEvent(QMouseEvent* event) {
  if (buttonTracking_) {
    const bool wasDown = buttonDown_;
    buttonTracking_ = false;
    buttonDown_ = false;
    update();
    if (event->button() == Qt::LeftButton && style_ == esEllipsis && wasDown)
      RunGuarded([this] { dbGrid_->EditButtonClick(); });
    event->accept();
    return;
  }
  TInplaceEdit::mouseReleaseEvent(event);
}

void TVelaDBGridInplaceEdit::mouseDoubleClickEvent(QMouseEvent* event) {
  if (style_ != esSimple && ButtonRect().contains(event->position().toPoint())) {
    event->accept();
    return;
  }
  TInplaceEdit::mouseDoubleClickEvent(event);
}

void TVelaDBGridInplaceEdit::focusOutEvent(QFocusEvent* event) {
  RunGuarded([this] { CloseList(false); });
  TInplaceEdit::focusOutEvent(event);
  dbGrid_->FocusLeft(event);
}

}  // namespace notarra
