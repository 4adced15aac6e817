// TInplaceEdit: the editor a TCustomGrid places over its current cell. It
// loads its text, mask and length limit from the grid, asks the grid before
// a key may change the text (CanEditModify, CanEditAcceptKey), reports every
// change through SetEditText, and hands the keys that move between cells
// (Up, Down, Page Up/Down, Tab, Enter, Escape, and Left/Right at the edges
// of the text) to the grid.
#pragma once

#include <QString>

#include "gui/mask_edit.h"

namespace notarra {

class TCustomGrid;

class TInplaceEdit : public TCustomMaskEdit {
  Q_OBJECT

public:
  explicit TInplaceEdit(TCustomGrid* grid);

  TCustomGrid* Grid() const { return grid_; }
  // Reloads text, mask and limit for the grid's current cell.
  virtual void UpdateContents();
  // The text as loaded by the last UpdateContents.
  const QString& LoadedText() const { return loadedText_; }
  int Col() const { return col_; }
  int Row() const { return row_; }

protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool event(QEvent* event) override;
  // Forwards to the grid's CanEditModify.
  bool EditCanModify() override;
  bool EditCanAcceptChar(char c) override;

private:
  void KeyDown(QKeyEvent* event);
  void TextEdited(const QString& text);
  bool ForwardToGrid(QKeyEvent* event) const;

  TCustomGrid* grid_;
  QString loadedText_;
  int col_ = -1;
  int row_ = -1;
};

}  // namespace notarra
