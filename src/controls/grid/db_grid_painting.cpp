// Painting the data grid's cells: the indicator column, the titles with
// their sort marks, data cells by button style, highlight and focus. Cell
// texts are composed in one off-screen bitmap shared by all grids and
// copied to the screen in one step, so a repaint never flickers.
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QtMath>
#include <memory>

#include "controls/grid/db_grid.h"
#include "dataset/dataset.h"
#include "dataset/field.h"
#include "gui/inplace_edit.h"
#include "gui/qt_text.h"
#include "platform/scope_guard.h"

namespace notarra {

namespace {

// The text bitmap lives while any grid does; it only grows.
struct TextBitmap {
  int users = 0;
  std::unique_ptr<QPixmap> pixmap;
};

TextBitmap& SharedTextBitmap() {
  static TextBitmap bitmap;
  return bitmap;
}

Qt::Alignment ToQtAlignment(TAlignment alignment) {
  switch (alignment) {
    case taRightJustify:
      return Qt::AlignRight;
    case taCenter:
      return Qt::AlignHCenter;
    default:
      return Qt::AlignLeft;
  }
}

}  // namespace

void AcquireGridTextBitmap() { ++SharedTextBitmap().users; }

void ReleaseGridTextBitmap() {
  TextBitmap& b = SharedTextBitmap();
  if (--b.users == 0) b.pixmap.reset();
}

std::string TVelaCustomDBGrid::CellText(const TVelaColumn* column) const {
  TDataSet* ds = dataLink_->DataSet();
  TField* field = column->Field();
  if (ds == nullptr || field == nullptr || (ds->IsEmpty() && ds->State() != dsInsert)) return std::string();
  if (column->ButtonStyle() == cbsLookup && LookupComplete(column)) {
    if (column->LookupLinkField() == column->LookupDisplayField()) return field->DisplayText();
    TField* key = ds->FindField(column->LookupKeyField());
    if (key == nullptr) return std::string();
    return VarToStr(column->LookupDataSet()->Lookup(column->LookupLinkField(), key->Value(),
                                                    column->LookupDisplayField()));
  }
  if (column->ButtonStyle() == cbsCombo && !column->PickList().empty() &&
      column->PickValues().size() == column->PickList().size()) {
    const std::string text = field->Text();
    const auto& values = column->PickValues();
    for (std::size_t i = 0; i < values.size(); ++i)
      if (values[i] == text) return column->PickList()[i];
    return std::string();
  }
  if (field->DataType() == ftMemo || field->DataType() == ftFmtMemo) {
    const std::string text = field->AsString();
    return text.substr(0, text.find("\r\n"));
  }
  return field->DisplayText();
}

bool TVelaCustomDBGrid::RowSelected(int dataRow) {
  if (!options_.Contains(dgMultiSelect) || !dataLink_->Active() || bookmarks_->Count() == 0) return false;
  if (dataRow >= dataLink_->RecordCount()) return false;
  const int saved = dataLink_->ActiveRecord();
  dataLink_->SetActiveRecord(dataRow);
  ScopeExit restore([&] { dataLink_->SetActiveRecord(saved); });
  return bookmarks_->CurrentRowIsSelected();
}

std::string TVelaCustomDBGrid::DataCellText(int columnIndex, int dataRow) {
  if (!dataLink_->Active() || columnIndex < 0 || columnIndex >= columns_->Count()) return std::string();
  if (dataRow < 0 || dataRow >= std::max(1, dataLink_->RecordCount())) return std::string();
  const int saved = dataLink_->ActiveRecord();
  dataLink_->SetActiveRecord(dataRow);
  ScopeExit restore([&] { dataLink_->SetActiveRecord(saved); });
  return CellText(columns_->Items(columnIndex));
}

void TVelaCustomDBGrid::DrawCell(QPainter& painter, int col, int row, const QRect& cellRect, TGridDrawState state) {
  const int columnIndex = GridColToColumnIndex(col);
  const int dataRow = row - titleRows_;
  const bool fixed = state.Contains(gdFixed);
  const bool lines = options_.Contains(dgColLines) && options_.Contains(dgRowLines);
  QRect rect = cellRect;
  int frameOffset = 2;
  if (fixed && lines) {
    rect.adjust(1, 1, -1, -1);
    frameOffset = 1;
  }
  // The current cell (the whole row with dgRowSelect) is highlighted.
  if (!fixed && row == Row() && (col == Col() || options_.Contains(dgRowSelect))) state.Include(gdSelected);
  const bool multiSelected = dataRow >= 0 && RowSelected(dataRow);

  if (fixed && columnIndex < 0) {
    DrawIndicatorCell(painter, rect, dataRow, multiSelected, frameOffset);
  } else {
    if (columnIndex < 0 || columnIndex >= columns_->Count()) {
      painter.fillRect(cellRect, Color());
      return;
    }
    TVelaColumn* column = columns_->Items(columnIndex);
    if (!column->Showing()) return;
    if (dataRow < 0) {
      DrawTitleCell(painter, column, rect, state, frameOffset);
    } else if (!dataLink_->Active()) {
      painter.fillRect(rect, fixed ? FixedColor() : column->Color());
    } else {
      DrawDataCell(painter, column, columnIndex, dataRow, rect, state, multiSelected);
    }
  }
  if (state.Contains(gdFixed) && lines) DrawEdges(painter, cellRect, false);
}

void TVelaCustomDBGrid::DrawIndicatorCell(QPainter& painter, const QRect& rect, int dataRow, bool multiSelected,
                                          int frameOffset) {
  painter.fillRect(rect, FixedColor());
  if (!dataLink_->Active() || dataRow < 0) return;
  const bool current = dataRow == dataLink_->ActiveRecord();
  if (!current && !multiSelected) return;
  Glyph glyph = kGlyphArrow;
  switch (dataLink_->DataSet()->State()) {
    case dsEdit:
      glyph = kGlyphEdit;
      break;
    case dsInsert:
      glyph = kGlyphInsert;
      break;
    case dsBrowse:
      glyph = multiSelected ? (current ? kGlyphMultiArrow : kGlyphMultiDot) : kGlyphArrow;
      break;
    default:
      break;
  }
  if (current || glyph != kGlyphArrow) {
    const QPixmap image = GlyphImage(glyph, painter.device()->devicePixelRatioF());
    const QSize size = image.deviceIndependentSize().toSize();
    const int x = rect.x() + rect.width() - size.width() - frameOffset;
    const int y = rect.y() + (rect.height() - size.height()) / 2;
    painter.drawPixmap(x, y, image);
  }
  if (current) selRow_ = titleRows_ + dataRow;
}

void TVelaCustomDBGrid::DrawTitleCell(QPainter& painter, TVelaColumn* column, QRect rect, TGridDrawState& state,
                                      int frameOffset) {
  TFont& font = column->Title()->FontRef();
  QColor color = column->Title()->Color();
  OnDrawTitleAttr(this, column, font, color);
  const bool lines = options_.Contains(dgColLines) && options_.Contains(dgRowLines);
  QRect textRect = rect;
  if (lines) textRect.adjust(1, 1, -1, -1);
  // A column reaching past the view (a long text field) shows its title in
  // the part that is seen, not centred out of sight.
  textRect.setRight(std::min(textRect.right(), viewport()->rect().right()));
  const bool pressed = column->TitlePressed();
  const int offset = pressed ? frameOffset + 1 : frameOffset;
  painter.fillRect(rect, color);
  WriteText(painter, textRect, offset, offset, column->Title()->Caption(), column->Title()->Alignment(), true, font,
            color);
  if (!pressed && (column->TitleSortMark() == tsmDown || column->TitleSortMark() == tsmUp)) {
    const QPixmap image = GlyphImage(column->TitleSortMark() == tsmDown ? kGlyphSortDown : kGlyphSortUp,
                                     painter.device()->devicePixelRatioF());
    const QSize size = image.deviceIndependentSize().toSize();
    const int x = textRect.x() + textRect.width() - size.width() - frameOffset;
    const int y = textRect.y() + (textRect.height() - size.height()) / 2;
    painter.drawPixmap(x, y, image);
  }
  if (lines) {
    DrawEdges(painter, rect.adjusted(-1, -1, 1, 1), pressed);
    state.Exclude(gdFixed);
  }
}

void TVelaCustomDBGrid::DrawDataCell(QPainter& painter, TVelaColumn* column, int columnIndex, int dataRow,
                                     const QRect& rect, TGridDrawState state, bool multiSelected) {
  const int saved = dataLink_->ActiveRecord();
  dataLink_->SetActiveRecord(dataRow);
  ScopeExit restore([&] { dataLink_->SetActiveRecord(saved); });

  const std::string text = CellText(column);
  TFont font = column->Font();
  QColor background = state.Contains(gdFixed) ? FixedColor() : column->Color();
  const bool focused = hasFocus() || (InplaceEditor() && InplaceEditor()->hasFocus());
  if (multiSelected || (state.Contains(gdSelected) && (options_.Contains(dgAlwaysShowSelection) || focused) &&
                        (paintLock_ == 0 || options_.Contains(dgRowSelect)))) {
    background = highlightColor_;
    font.Color = highlightTextColor_;
  }
  if (!isEnabled()) font.Color = palette().color(QPalette::Disabled, QPalette::Text);
  QColor color = background;
  OnDrawCellAttr(this, column, font, color, state);
  background = color;

  if (defaultDrawing_) {
    if (column->ButtonStyle() == cbsCheck) {
      const bool checked = (multiSelected && column->FieldName() == "Selected") || column->ShowsChecked(text);
      DrawCheckBox(painter, rect, checked, background);
    } else {
      WriteText(painter, rect, 2, 2, text, column->Alignment(), column->WrapText(), font, background);
    }
  }
  if (!columns_->Persistent()) OnDrawDataCell(this, rect, column->Field(), state);
  OnDrawColumnCell(this, rect, columnIndex, column, state);
  if (defaultDrawing_ && state.Contains(gdSelected) && (options_.Contains(dgAlwaysShowSelection) || focused) &&
      !options_.Contains(dgRowSelect) && paintLock_ == 0 && hasFocus()) {
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = rect;
    option.backgroundColor = background;
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
  }
}

void TVelaCustomDBGrid::WriteText(QPainter& painter, const QRect& rect, int dx, int dy, const std::string& text,
                                  TAlignment alignment, bool wordWrap, const TFont& font, const QColor& background) {
  if (rect.isEmpty()) return;
  TextBitmap& shared = SharedTextBitmap();
  const qreal dpr = painter.device()->devicePixelRatioF();
  const QSize need(qCeil(rect.width() * dpr), qCeil(rect.height() * dpr));
  if (!shared.pixmap || shared.pixmap->width() < need.width() || shared.pixmap->height() < need.height()) {
    const QSize old = shared.pixmap ? shared.pixmap->size() : QSize(0, 0);
    shared.pixmap = std::make_unique<QPixmap>(std::max(old.width(), need.width()), std::max(old.height(), need.height()));
  }
  QPixmap& bitmap = *shared.pixmap;
  bitmap.setDevicePixelRatio(dpr);
  {
    QPainter p(&bitmap);
    const QRect fill(0, 0, rect.width(), rect.height());
    p.fillRect(fill, background);
    p.setFont(font.Font);
    p.setPen(font.Color);
    Qt::Alignment align = ToQtAlignment(alignment);
    if (layoutDirection() == Qt::RightToLeft) {
      if (alignment == taLeftJustify) align = Qt::AlignRight;
      else if (alignment == taRightJustify) align = Qt::AlignLeft;
    }
    const int flags = static_cast<int>(align | Qt::AlignTop) | Qt::TextExpandTabs |
                      (wordWrap ? Qt::TextWordWrap : Qt::TextSingleLine);
    const QRect textRect(QPoint(dx, dy), QPoint(rect.width() - 2, rect.height() - 2));
    p.setClipRect(fill);
    p.drawText(textRect, flags, ToQString(text));
  }
  painter.drawPixmap(rect, bitmap, QRect(0, 0, need.width(), need.height()));
}

void TVelaCustomDBGrid::DrawCheckBox(QPainter& painter, const QRect& rect, bool checked, const QColor& background) {
  painter.fillRect(rect, background);
  int side = rect.height() - 4;
  if (side > rect.width() - 2) side = rect.width() - 4;
  if (side <= 0) return;
  QStyleOptionButton option;
  option.initFrom(this);
  option.rect = QRect(rect.x() + (rect.width() - side) / 2, rect.y() + (rect.height() - side) / 2, side, side);
  option.state = QStyle::State_Enabled | (checked ? QStyle::State_On : QStyle::State_Off);
  if (!isEnabled()) option.state &= ~QStyle::State_Enabled;
  // The box keeps its own light face on a highlighted row.
  option.palette.setColor(QPalette::Base, Qt::white);
  option.palette.setColor(QPalette::Window, background);
  style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, this);
}

void TVelaCustomDBGrid::DrawEdges(QPainter& painter, const QRect& rect, bool sunken) {
  const QColor light = palette().color(QPalette::Light);
  const QColor shadow = palette().color(QPalette::Mid);
  const QColor topLeft = sunken ? shadow : light;
  const QColor bottomRight = sunken ? light : shadow;
  const int l = rect.left(), t = rect.top(), r = rect.right(), b = rect.bottom();
  painter.fillRect(QRect(l, b, r - l + 1, 1), bottomRight);
  painter.fillRect(QRect(r, t, 1, b - t + 1), bottomRight);
  painter.fillRect(QRect(l, t, r - l, 1), topLeft);
  painter.fillRect(QRect(l, t, 1, b - t), topLeft);
}

}  // namespace notarra
