#include "app/list_printer.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>
#include <vector>

#include "controls/grid/db_grid.h"
#include "controls/grid/grid_columns.h"
#include "dataset/data_source.h"
#include "dataset/dataset.h"
#include "gui/qt_text.h"
#include "platform/scope_guard.h"

namespace notarra {

namespace {

struct TPrintedColumn {
  TVelaColumn* Column;
  int Left;
  int Width;
};

// The text a cell shows for the dataset's current record.
QString CellShown(TVelaCustomDBGrid* grid, const TVelaColumn* column) {
  const std::string text = grid->CellText(column);
  if (column->ButtonStyle() == cbsCheck) return column->ShowsChecked(text) ? "\u2713" : "";
  return ToQString(text);
}

// The visible columns side by side across width: each as wide as its title
// and the longest text among the first records, and where that is more than
// the page holds, the widest ones cut to one common width so that the
// narrow ones keep theirs.
std::vector<TPrintedColumn> LayOutColumns(TVelaCustomDBGrid* grid, TDataSet* ideas, const QFont& font,
                                          QPaintDevice* device, int pad, int width) {
  const QFontMetrics metrics(font, device);
  QFont bold = font;
  bold.setBold(true);
  const QFontMetrics titleMetrics(bold, device);
  constexpr int kRecordsMeasured = 500;
  TVelaDBGridColumns& all = grid->Columns();
  std::vector<TPrintedColumn> columns;
  for (int i = 0; i < all.Count(); ++i)
    if (all[i]->Visible())
      columns.push_back({all[i], 0, titleMetrics.horizontalAdvance(ToQString(all[i]->Title()->Caption())) + 3 * pad});
  if (columns.empty()) return columns;
  if (ideas && ideas->Active()) {
    int n = 0;  // the caller brings the current record back
    for (ideas->First(); !ideas->Eof() && n < kRecordsMeasured; ideas->Next(), ++n)
      for (TPrintedColumn& c : columns)
        c.Width = std::max(c.Width, metrics.horizontalAdvance(CellShown(grid, c.Column)) + 3 * pad);
  }
  auto sum = [&](int cap) {
    qint64 total = 0;
    for (const TPrintedColumn& c : columns) total += std::min(c.Width, cap);
    return total;
  };
  int lo = 1, hi = width;
  if (sum(hi) > width) {
    while (lo < hi) {  // the largest common cut that fits
      const int mid = (lo + hi + 1) / 2;
      if (sum(mid) <= width) lo = mid;
      else hi = mid - 1;
    }
    for (TPrintedColumn& c : columns) c.Width = std::min(c.Width, std::max(lo, 1));
  }
  // What the page has over goes to the columns in proportion.
  const qint64 used = sum(width);
  int left = 0;
  for (TPrintedColumn& c : columns) {
    c.Width = static_cast<int>(c.Width * static_cast<qint64>(width) / std::max<qint64>(used, 1));
    c.Left = left;
    left += c.Width;
  }
  return columns;
}

}  // namespace

int PrintGridList(TVelaCustomDBGrid* grid, QPagedPaintDevice* device, const QString& title) {
  TDataSet* ideas = grid->DataSource() ? grid->DataSource()->DataSet() : nullptr;
  QPainter painter(device);
  if (!painter.isActive()) return 0;
  const QRect page = device->pageLayout().paintRectPixels(device->logicalDpiX()).translated(
      -device->pageLayout().paintRectPixels(device->logicalDpiX()).topLeft());

  // Every record as listed; the one the person was on is current again after.
  const bool listed = ideas && ideas->Active();
  TBookmark current;
  if (listed) {
    ideas->DisableControls();
    current = ideas->Bookmark();
  }
  ScopeExit back([&] {
    if (!listed) return;
    if (ideas->BookmarkValid(current)) ideas->GotoBookmark(current);
    ideas->EnableControls();
  });

  QFont font = painter.font();
  font.setPointSizeF(8.5);
  painter.setFont(font);
  const QFontMetrics metrics(font, device);
  const int line = metrics.height() * 13 / 10;
  const int pad = metrics.averageCharWidth() / 2;
  const std::vector<TPrintedColumn> columns = LayOutColumns(grid, ideas, font, device, pad, page.width());
  int pages = 1;
  int y = 0;

  auto cell = [&](const TPrintedColumn& c, const QString& text, const QColor& color, bool bold) {
    QFont f = font;
    f.setBold(bold);
    painter.setFont(f);
    painter.setPen(color);
    const QRect box(c.Left + pad, y, c.Width - 2 * pad, line);
    const int align = c.Column->Alignment() == taRightJustify ? Qt::AlignRight
                      : c.Column->Alignment() == taCenter     ? Qt::AlignHCenter
                                                               : Qt::AlignLeft;
    painter.drawText(box, align | Qt::AlignVCenter, QFontMetrics(f, device).elidedText(text, Qt::ElideRight, box.width()));
  };
  auto titles = [&] {
    painter.fillRect(QRect(0, y, page.width(), line), QColor(230, 230, 230));
    for (const TPrintedColumn& c : columns) cell(c, ToQString(c.Column->Title()->Caption()), Qt::black, true);
    y += line;
  };
  auto footer = [&] {
    painter.setFont(font);
    painter.setPen(Qt::darkGray);
    painter.drawText(QRect(0, page.height() - line, page.width(), line), Qt::AlignHCenter | Qt::AlignVCenter,
                     QCoreApplication::translate("PrintGridList", "Page %1").arg(pages));
  };

  QFont heading = font;
  heading.setPointSizeF(12);
  heading.setBold(true);
  painter.setFont(heading);
  painter.setPen(Qt::black);
  const int headingHeight = QFontMetrics(heading, device).height() * 3 / 2;
  painter.drawText(QRect(0, 0, page.width(), headingHeight), Qt::AlignLeft | Qt::AlignVCenter, title);
  y = headingHeight;
  titles();
  if (!listed) {
    footer();
    return pages;
  }

  for (ideas->First(); !ideas->Eof(); ideas->Next()) {
    if (y + 2 * line > page.height()) {
      footer();
      device->newPage();
      ++pages;
      y = 0;
      titles();
    }
    for (const TPrintedColumn& c : columns) {
      TFont cellFont = c.Column->Font();
      QColor background = Qt::white;
      grid->OnDrawCellAttr(grid, c.Column, cellFont, background, {});
      cell(c, CellShown(grid, c.Column), cellFont.Color, false);
    }
    y += line;
    painter.setPen(QColor(220, 220, 220));
    painter.drawLine(0, y - 1, page.width(), y - 1);
  }
  footer();
  return pages;
}

}  // namespace notarra
