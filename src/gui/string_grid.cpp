#include "gui/string_grid.h"

#include <QPainter>

#include "gui/qt_text.h"

namespace notarra {

TStringGrid::TStringGrid(QWidget* parent) : TCustomGrid(parent) {}

std::string TStringGrid::Cells(int col, int row) const {
  auto it = cells_.find(Key(col, row));
  return it == cells_.end() ? std::string() : it->second.text;
}

void TStringGrid::SetCells(int col, int row, const std::string& value) {
  if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount()) throw EInvalidGridOperation("Grid index out of range");
  Cell& cell = cells_[Key(col, row)];
  if (cell.text == value) return;
  cell.text = value;
  if (cell.text.empty() && !cell.object) cells_.erase(Key(col, row));
  InvalidateCell(col, row);
  if (EditorMode() && col == Col() && row == Row()) InvalidateEditor();
}

TObject* TStringGrid::Objects(int col, int row) const {
  auto it = cells_.find(Key(col, row));
  return it == cells_.end() ? nullptr : it->second.object;
}

void TStringGrid::SetObjects(int col, int row, TObject* value) {
  if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount()) throw EInvalidGridOperation("Grid index out of range");
  Cell& cell = cells_[Key(col, row)];
  cell.object = value;
  if (cell.text.empty() && !cell.object) cells_.erase(Key(col, row));
}

void TStringGrid::DrawCell(QPainter& painter, int col, int row, const QRect& rect, TGridDrawState state) {
  if (DefaultDrawing()) {
    auto it = cells_.find(Key(col, row));
    if (it != cells_.end() && !it->second.text.empty()) {
      painter.setPen(palette().color(state.Contains(gdSelected) ? QPalette::HighlightedText : QPalette::Text));
      painter.drawText(rect.adjusted(2, 2, -1, -1), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                       ToQString(it->second.text));
    }
  }
  OnDrawCell(this, painter, col, row, rect, state);
}

std::string TStringGrid::GetEditText(int col, int row) { return Cells(col, row); }

void TStringGrid::SetEditText(int col, int row, const std::string& value) {
  Cell& cell = cells_[Key(col, row)];
  cell.text = value;
  InvalidateCell(col, row);
}

void TStringGrid::ColumnMoved(int from, int to) {
  std::unordered_map<uint64_t, Cell> moved;
  for (auto& [key, cell] : cells_) {
    const int col = static_cast<int>(key & 0xFFFFFFFFu);
    const int row = static_cast<int>(key >> 32);
    moved[Key(MovedIndex(col, from, to), row)] = std::move(cell);
  }
  cells_ = std::move(moved);
}

void TStringGrid::RowMoved(int from, int to) {
  std::unordered_map<uint64_t, Cell> moved;
  for (auto& [key, cell] : cells_) {
    const int col = static_cast<int>(key & 0xFFFFFFFFu);
    const int row = static_cast<int>(key >> 32);
    moved[Key(col, MovedIndex(row, from, to))] = std::move(cell);
  }
  cells_ = std::move(moved);
}

void TStringGrid::SizeChanged(int, int) {
  // Cells that fell outside the grid are dropped.
  for (auto it = cells_.begin(); it != cells_.end();) {
    const int col = static_cast<int>(it->first & 0xFFFFFFFFu);
    const int row = static_cast<int>(it->first >> 32);
    if (col >= ColCount() || row >= RowCount())
      it = cells_.erase(it);
    else
      ++it;
  }
}

}  // namespace notarra
