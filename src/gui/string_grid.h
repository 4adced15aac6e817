// TStringGrid: a grid that keeps a text (and an object reference) per cell
// and edits the texts in place. Cells are stored sparsely, so a large empty
// grid costs nothing.
#pragma once

#include <string>
#include <unordered_map>

#include "gui/custom_grid.h"
#include "platform/events.h"

namespace notarra {

class TStringGrid : public TCustomGrid {
  Q_OBJECT

public:
  explicit TStringGrid(QWidget* parent = nullptr);

  // Windows-1252 texts; cells outside the grid read as empty and raise when written.
  std::string Cells(int col, int row) const;
  void SetCells(int col, int row, const std::string& value);
  TObject* Objects(int col, int row) const;
  void SetObjects(int col, int row, TObject* value);

  // Raised after a cell has been painted (with its default drawing when DefaultDrawing).
  TEvent<TStringGrid*, QPainter&, int, int, const QRect&, TGridDrawState> OnDrawCell;

protected:
  void DrawCell(QPainter& painter, int col, int row, const QRect& rect, TGridDrawState state) override;
  std::string GetEditText(int col, int row) override;
  void SetEditText(int col, int row, const std::string& value) override;
  void ColumnMoved(int from, int to) override;
  void RowMoved(int from, int to) override;
  void SizeChanged(int oldColCount, int oldRowCount) override;

private:
  struct Cell {
    std::string text;
    TObject* object = nullptr;
  };
  static uint64_t Key(int col, int row) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(row)) << 32) | static_cast<uint32_t>(col);
  }
  std::unordered_map<uint64_t, Cell> cells_;
};

}  // namespace notarra
