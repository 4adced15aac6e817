#include "filterdialog/filter_summary.h"

#include <QApplication>
#include <QFontMetrics>
#include <algorithm>
#include <QPainter>
#include <QPushButton>
#include <QStyle>

#include "filterdialog/filter_dialog.h"
#include "filterdialog/filter_form_style.h"
#include "filterdialog/filter_texts.h"
#include "gui/dpi_scale.h"
#include "gui/inplace_edit.h"
#include "gui/qt_text.h"
#include "gui/string_grid.h"

namespace notarra {

namespace {

// Selectable but never changed: the editor that shows a cell is read-only.
class TsfSummaryGrid : public TStringGrid {
public:
  using TStringGrid::TStringGrid;

protected:
  TInplaceEdit* CreateEditor() override {
    TInplaceEdit* editor = TStringGrid::CreateEditor();
    editor->setReadOnly(true);
    return editor;
  }
  bool CanEditModify() override { return false; }
};

void PaintDataCell(TStringGrid* grid, QPainter& painter, int col, int row, const QRect& rect, TGridDrawState) {
  if (row < 1) return;
  painter.save();
  painter.setClipRect(rect);
  painter.fillRect(rect, Qt::white);
  painter.setPen(Qt::black);
  const QRect text = rect.adjusted(2, 2, 0, 0);
  painter.drawText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, ToQString(grid->Cells(col, row)));
  painter.restore();
}

}  // namespace

TsfFilterDialogView::TsfFilterDialogView(QWidget* parent) : QDialog(parent) {
  setObjectName("sfFilterDialogView");
  setWindowTitle("Show Search Summary");
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setFont(FilterFormFont());
  setFixedSize(ScaledSize(this, 489, 206));

  const TsfFilterDialogTexts& texts = FilterDialogTexts();
  stringGrid1_ = new TsfSummaryGrid(this);
  stringGrid1_->setObjectName("StringGrid1");
  stringGrid1_->setGeometry(ScaledRect(this, 9, 9, 464, 154));
  stringGrid1_->SetColCount(3);
  stringGrid1_->SetRowCount(2);
  stringGrid1_->SetFixedRows(1);
  stringGrid1_->SetFixedCols(0);
  stringGrid1_->SetDefaultRowHeight(ScaledPx(this, 18));
  stringGrid1_->SetOptions({goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect, goEditing});
  stringGrid1_->SetScrollBars(ssVertical);
  stringGrid1_->setFocusPolicy(Qt::ClickFocus);
  const int widths[] = {120, 140, 197};
  for (int c = 0; c < 3; ++c) stringGrid1_->SetColWidths(c, ScaledPx(this, widths[c]));
  stringGrid1_->SetCells(0, 0, texts.SummaryFieldLabel);
  stringGrid1_->SetCells(1, 0, texts.SummarySearchLabel);
  stringGrid1_->SetCells(2, 0, texts.SummaryValueLabel);
  stringGrid1_->OnDrawCell = TEvent<TStringGrid*, QPainter&, int, int, const QRect&, TGridDrawState>(&PaintDataCell);

  // Below the visible area: there only to be the form's cancel button.
  cancelBtn_ = new QPushButton(ToQString(texts.BtnCancel), this);
  cancelBtn_->setObjectName("CancelBtn");
  cancelBtn_->setGeometry(ScaledRect(this, 200, 240, 77, 27));
  connect(cancelBtn_, &QPushButton::clicked, this, &QDialog::reject);

  okButton_ = MakeFormButton(this, ToQString(texts.BtnOK), true);
  okButton_->setObjectName("OKButton");
  const QRect grid = stringGrid1_->geometry();
  const QSize size = okButton_->size();
  okButton_->move((width() - size.width()) / 2, grid.bottom() + 1 + ScaledPx(this, 9));
  okButton_->setDefault(true);
  connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
  setTabOrder(okButton_, cancelBtn_);
  if (!texts.SummaryCaption.empty()) setWindowTitle(ToQString(texts.SummaryCaption));
}

TsfFilterDialogView::~TsfFilterDialogView() = default;

void TsfFilterDialogView::Fill(const TsfFilterDialog& component, const TsfFieldInfoList& criteria) {
  stringGrid1_->SetRowCount(static_cast<int>(criteria.size()) + 1);
  for (std::size_t i = 0; i < criteria.size(); ++i) {
    const std::array<std::string, 3> row = SummaryRowTexts(*criteria[i], component.FieldOperators());
    for (int c = 0; c < 3; ++c) stringGrid1_->SetCells(c, static_cast<int>(i) + 1, row[static_cast<std::size_t>(c)]);
  }
  // The search-type column takes what its longest text needs from the value
  // column when the screen's font is wider than the one the widths were made for.
  const QFontMetrics metrics(FilterFormFont(true));
  int needed = ScaledPx(this, 140);
  for (int r = 0; r < stringGrid1_->RowCount(); ++r)
    needed = std::max(needed, metrics.horizontalAdvance(ToQString(stringGrid1_->Cells(1, r))) + ScaledPx(this, 6));
  const int pair = ScaledPx(this, 140) + ScaledPx(this, 197);
  needed = std::min(needed, pair - ScaledPx(this, 60));
  stringGrid1_->SetColWidths(1, needed);
  stringGrid1_->SetColWidths(2, pair - needed);
  const std::string& caption = FilterDialogTexts().SummaryCaption;
  if (!caption.empty()) setWindowTitle(ToQString(caption));
}

void TsfFilterDialogView::showEvent(QShowEvent* event) {
  setFont(FilterFormFont(true));
  QDialog::showEvent(event);
}

void TsfFilterDialogView::ShowSummary(const TsfFilterDialog& component, const TsfFieldInfoList& criteria) {
  TsfFilterDialogView view(QApplication::activeModalWidget());
  view.Fill(component, criteria);
  view.exec();
}

}  // namespace notarra
