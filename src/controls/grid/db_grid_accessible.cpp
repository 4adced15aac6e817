// The data grid as an accessible table: a screen reader reads its column
// titles, the rows it shows (the data link's window) and their cell texts,
// and follows the current cell, as it reads any Qt table. Cells are made on
// demand and kept, one per visible position; their texts are read live.
#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <map>
#include <utility>

#include "controls/grid/db_grid.h"
#include "dataset/dataset.h"
#include "gui/qt_text.h"

namespace notarra {

namespace {

class GridAccessible;

class CellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
  CellAccessible(TVelaCustomDBGrid* grid, int row, int column) : grid_(grid), row_(row), column_(column) {}

  // QAccessibleInterface
  bool isValid() const override { return !grid_.isNull(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return grid_ ? grid_->window()->windowHandle() : nullptr; }
  QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(grid_.data()); }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QString text(QAccessible::Text t) const override {
    if (!grid_ || (t != QAccessible::Name && t != QAccessible::Value)) return QString();
    return ToQString(grid_->DataCellText(column_, row_));
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    if (!grid_) return QRect();
    const QRect r = grid_->CellRect(grid_->ColumnIndexToGridCol(column_), grid_->TitleRows() + row_);
    return r.isEmpty() ? QRect() : QRect(grid_->viewport()->mapToGlobal(r.topLeft()), r.size());
  }
  QAccessible::Role role() const override { return QAccessible::Cell; }
  QAccessible::State state() const override {
    QAccessible::State s;
    if (!grid_) return s;
    s.selectable = true;
    s.focusable = true;
    const bool current = isCurrent();
    s.selected = current || grid_->RowSelected(row_);
    s.focused = current && grid_->hasFocus();
    s.invisible = rect().isEmpty();
    // A check-box cell says whether it is ticked, as it is painted.
    if (column_ >= 0 && column_ < grid_->Columns().Count()) {
      const TVelaColumn* column = grid_->Columns().Items(column_);
      if (column->ButtonStyle() == cbsCheck) {
        s.checkable = true;
        s.checked = column->ShowsChecked(grid_->DataCellText(column_, row_));
      }
    }
    return s;
  }
  void* interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::TableCellInterface ? static_cast<QAccessibleTableCellInterface*>(this) : nullptr;
  }

  // QAccessibleTableCellInterface
  bool isSelected() const override { return state().selected; }
  QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
  QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
  int columnIndex() const override { return column_; }
  int rowIndex() const override { return row_; }
  int columnExtent() const override { return 1; }
  int rowExtent() const override { return 1; }
  QAccessibleInterface* table() const override { return parent(); }

private:
  bool isCurrent() const {
    return grid_->SelectedIndex() == column_ && grid_->DataLink()->Active() &&
           grid_->DataLink()->ActiveRecord() == row_;
  }

  QPointer<TVelaCustomDBGrid> grid_;
  int row_;
  int column_;
};

class GridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
  explicit GridAccessible(TVelaCustomDBGrid* grid) : QAccessibleWidget(grid, QAccessible::Table) {}
  ~GridAccessible() override {
    for (const auto& [key, id] : cells_) QAccessible::deleteAccessibleInterface(id);
  }

  TVelaCustomDBGrid* Grid() const { return static_cast<TVelaCustomDBGrid*>(widget()); }

  // QAccessibleInterface
  int childCount() const override { return rowCount() * columnCount(); }
  QAccessibleInterface* child(int index) const override {
    const int columns = columnCount();
    if (index < 0 || columns == 0 || index >= childCount()) return nullptr;
    return cellAt(index / columns, index % columns);
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    if (child == nullptr || child->role() != QAccessible::Cell) return -1;
    auto* cell = static_cast<const CellAccessible*>(child);
    return cell->rowIndex() * columnCount() + cell->columnIndex();
  }
  QAccessibleInterface* focusChild() const override {
    TVelaCustomDBGrid* grid = Grid();
    if (!grid->DataLink()->Active() || grid->SelectedIndex() < 0) return nullptr;
    return cellAt(grid->DataLink()->ActiveRecord(), grid->SelectedIndex());
  }
  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  // QAccessibleTableInterface
  QAccessibleInterface* caption() const override { return nullptr; }
  QAccessibleInterface* summary() const override { return nullptr; }
  QString columnDescription(int column) const override {
    if (column < 0 || column >= columnCount()) return QString();
    return ToQString(Grid()->Columns()[column]->Title()->Caption());
  }
  QString rowDescription(int) const override { return QString(); }
  int columnCount() const override { return Grid()->Columns().Count(); }
  // The rows shown: the data link's window of records.
  int rowCount() const override {
    TGridDataLink* link = Grid()->DataLink();
    return link->Active() ? std::max(1, link->RecordCount()) : 0;
  }
  int selectedCellCount() const override { return selectedCells().size(); }
  int selectedColumnCount() const override { return 0; }
  int selectedRowCount() const override { return static_cast<int>(selectedRows().size()); }
  QAccessibleInterface* cellAt(int row, int column) const override {
    if (row < 0 || column < 0 || row >= rowCount() || column >= columnCount()) return nullptr;
    auto it = cells_.find({row, column});
    if (it != cells_.end()) return QAccessible::accessibleInterface(it->second);
    auto* cell = new CellAccessible(Grid(), row, column);
    cells_[{row, column}] = QAccessible::registerAccessibleInterface(cell);
    return cell;
  }
  QList<QAccessibleInterface*> selectedCells() const override {
    QList<QAccessibleInterface*> out;
    if (QAccessibleInterface* current = focusChild()) out.append(current);
    return out;
  }
  QList<int> selectedColumns() const override { return {}; }
  QList<int> selectedRows() const override {
    QList<int> rows;
    for (int r = 0; r < rowCount(); ++r)
      if (Grid()->RowSelected(r)) rows.append(r);
    return rows;
  }
  bool isColumnSelected(int) const override { return false; }
  bool isRowSelected(int row) const override { return Grid()->RowSelected(row); }
  bool selectRow(int) override { return false; }
  bool selectColumn(int) override { return false; }
  bool unselectRow(int) override { return false; }
  bool unselectColumn(int) override { return false; }
  void modelChange(QAccessibleTableModelChangeEvent*) override {}

private:
  mutable std::map<std::pair<int, int>, QAccessible::Id> cells_;
};

QAccessibleInterface* GridAccessibleFactory(const QString&, QObject* object) {
  if (auto* grid = qobject_cast<TVelaCustomDBGrid*>(object)) return new GridAccessible(grid);
  return nullptr;
}

}  // namespace

void InstallGridAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(GridAccessibleFactory);
    return true;
  }();
  (void)installed;
}

void TVelaCustomDBGrid::NotifyAccessibleFocus() {
  if (!QAccessible::isActive() || !dataLink_->Active() || SelectedIndex() < 0) return;
  QAccessibleInterface* table = QAccessible::queryAccessibleInterface(this);
  if (table == nullptr || table->tableInterface() == nullptr) return;
  const int columns = table->tableInterface()->columnCount();
  QAccessibleEvent event(this, QAccessible::Focus);
  event.setChild(dataLink_->ActiveRecord() * columns + SelectedIndex());
  QAccessible::updateAccessibility(&event);
}

}  // namespace notarra
