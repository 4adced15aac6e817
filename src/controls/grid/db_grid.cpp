// The data grid's construction, properties, layout and its reactions to the
// data link's notices.
#include "controls/grid/db_grid.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <algorithm>

#include "controls/grid/db_grid_inplace_edit.h"
#include "dataset/data_source.h"
#include "dataset/dataset.h"
#include "gui/dpi_scale.h"
#include "gui/exception_guard.h"
#include "gui/inplace_edit.h"
#include "platform/scope_guard.h"

static void InitGridResources() { Q_INIT_RESOURCE(grid); }

namespace notarra {

namespace {

// The deferred layout, posted to the grid itself.
const QEvent::Type kLayoutEvent = static_cast<QEvent::Type>(QEvent::User + 100);

const char* const kGlyphFiles[] = {"arrow", "edit", "insert", "multidot", "multiarrow", "sortdown", "sortup"};

}  // namespace

// The off-screen bitmap the grids share for their cell texts (db_grid_painting.cpp).
void AcquireGridTextBitmap();
void ReleaseGridTextBitmap();
// Makes the grids accessible as tables (db_grid_accessible.cpp).
void InstallGridAccessibility();

TVelaCustomDBGrid::TVelaCustomDBGrid(QWidget* parent)
    : TCustomGrid(parent),
      dataLink_(std::make_unique<TGridDataLink>(this)),
      columns_(std::make_unique<TVelaDBGridColumns>(this)),
      bookmarks_(std::make_unique<TBookmarkList>(this)) {
  InitGridResources();
  AcquireGridTextBitmap();
  InstallGridAccessibility();
  for (std::size_t i = 0; i < glyphs_.size(); ++i) {
    const QString base = QStringLiteral(":/grid/") + QLatin1String(kGlyphFiles[i]);
    glyphs_[i].addFile(base + QStringLiteral(".png"));
    glyphs_[i].addFile(base + QStringLiteral("@2x.png"));
  }
  titleFont_ = Font();
  highlightColor_ = palette().color(QPalette::Highlight);
  highlightTextColor_ = palette().color(QPalette::HighlightedText);
  TCustomGrid::SetOptions({goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goColSizing, goColMoving,
                           goEditing, goTabs});
  SetScrollBars(ssHorizontal);
  // The vertical bar belongs to the dataset, not to the base's rows.
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  verticalScrollBar()->setRange(0, 0);
  connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
          [this](int action) { RunGuarded([&] { ScrollBarAction(action); }); });
  TCustomGrid::SetDefaultDrawing(false);
  SetColor(palette().color(QPalette::Base));
  SetRowCount(2);
  SetColCount(2);
  SetOptions(kDefaultOptions);
  RequestLayout();
}

TVelaCustomDBGrid::~TVelaCustomDBGrid() {
  // The link reacts no more: the grid is going.
  dataLink_->Detach();
  columns_.reset();
  dataLink_->SetDataSource(nullptr);
  dataLink_.reset();
  ReleaseGridTextBitmap();
}

// ------------------------------------------------------------ properties

void TVelaCustomDBGrid::SetDataSource(TDataSource* value) {
  if (value == dataLink_->DataSource()) return;
  bookmarks_->Clear();
  dataLink_->SetDataSource(value);
  LinkActive(dataLink_->Active());
}

TField* TVelaCustomDBGrid::SelectedField() const {
  const int index = SelectedIndex();
  if (index < 0 || index >= columns_->Count()) return nullptr;
  return columns_->Items(index)->Field();
}

TVelaColumn* TVelaCustomDBGrid::CurrentColumn() const {
  const int index = SelectedIndex();
  if (index < 0 || index >= columns_->Count()) return nullptr;
  return columns_->Items(index);
}

void TVelaCustomDBGrid::SetSelectedIndex(int value) { GoToColumn(ColumnIndexToGridCol(value), 0); }

TFont TVelaCustomDBGrid::Font() const { return TFont{font(), fontColor_}; }

void TVelaCustomDBGrid::SetFont(const TFont& value) {
  LockLayout();
  ScopeExit unlock([this] { UnlockLayout(); });
  setFont(value.Font);
  fontColor_ = value.Color;
}

void TVelaCustomDBGrid::SetTitleFont(const TFont& value) {
  titleFont_ = value;
  if (options_.Contains(dgTitles)) RequestLayout();
}

void TVelaCustomDBGrid::SetOptions(TVelaDBGridOptions value) {
  if (value == options_) return;
  TGridOptions base;
  if (value.Contains(dgColLines)) base.Include(goFixedVertLine).Include(goVertLine);
  if (value.Contains(dgRowLines)) base.Include(goFixedHorzLine).Include(goHorzLine);
  if (value.Contains(dgColumnResize)) base.Include(goColSizing).Include(goColMoving);
  if (value.Contains(dgTabs)) base.Include(goTabs);
  if (value.Contains(dgDragOutRows)) value.Include(dgRowSelect);
  if (value.Contains(dgRowSelect)) {
    base.Include(goRowSelect);
    value.Exclude(dgEditing).Exclude(dgAlwaysShowEditor).Exclude(dgEnterToTab);
  }
  if (value.Contains(dgEditing)) base.Include(goEditing);
  if (value.Contains(dgAlwaysShowEditor)) base.Include(goAlwaysShowEditor);
  TCustomGrid::SetOptions(base);
  if (options_.Contains(dgMultiSelect) && !value.Contains(dgMultiSelect)) bookmarks_->Clear();
  const TVelaDBGridOptions old = options_;
  options_ = value;
  if (!value.Contains(dgEditing)) {
    allowInsert_ = false;
    allowDelete_ = false;
  }
  for (TVelaDBGridOption o : {dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColLines, dgRowLines,
                              dgRowSelect, dgAlwaysShowSelection})
    if (old.Contains(o) != value.Contains(o)) {
      RequestLayout();
      break;
    }
}

void TVelaCustomDBGrid::SetDefaultDrawing(bool value) {
  defaultDrawing_ = value;
  InvalidateGrid();
}

void TVelaCustomDBGrid::SetFixedCols(int value) {
  if (value < 0) value = 0;
  if (dataLink_->Active() && value + indicatorCols_ >= ColCount()) value = 0;
  userFixedCols_ = value;
  RequestLayout();
}

void TVelaCustomDBGrid::SetRowsHeight(int value) {
  rowsHeight_ = value;
  RequestLayout();
}

void TVelaCustomDBGrid::SetTitleHeight(int value) {
  titleHeight_ = value;
  if (options_.Contains(dgTitles)) RequestLayout();
}

void TVelaCustomDBGrid::SetHighlightColor(const QColor& value) {
  highlightColor_ = value;
  InvalidateGrid();
}

void TVelaCustomDBGrid::SetHighlightTextColor(const QColor& value) {
  highlightTextColor_ = value;
  InvalidateGrid();
}

void TVelaCustomDBGrid::SetReadOnly(bool value) {
  if (value == readOnly_) return;
  readOnly_ = value;
  // The editor takes the new state when it next shows.
  HideEditor();
  RequestLayout();
}

void TVelaCustomDBGrid::SetAllowInsert(bool value) { allowInsert_ = value && options_.Contains(dgEditing); }
void TVelaCustomDBGrid::SetAllowDelete(bool value) { allowDelete_ = value && options_.Contains(dgEditing); }

QPixmap TVelaCustomDBGrid::GlyphImage(Glyph glyph, qreal devicePixelRatio) const {
  const QSize size(ScaledPx(this, 6), ScaledPx(this, 11));
  return glyphs_[static_cast<std::size_t>(glyph)].pixmap(size, devicePixelRatio);
}

// ------------------------------------------------------------ layout locks

void TVelaCustomDBGrid::LockLayout() {
  ++paintLock_;
  if (layoutHold_ == 0) columns_->BeginUpdate();
  ++layoutHold_;
}

void TVelaCustomDBGrid::UnlockLayout() {
  if (layoutHold_ <= 0) return;
  ScopeExit lower([this] {
    if (layoutHold_ == 1) columns_->EndUpdate();
    --layoutHold_;
    paintLock_ = std::max(0, paintLock_ - 1);
  });
  if (layoutHold_ == 1) RebuildLayout();
}

void TVelaCustomDBGrid::DropLayoutLock() {
  if (layoutHold_ <= 0) return;
  if (layoutHold_ == 1) columns_->EndUpdate();
  --layoutHold_;
  paintLock_ = std::max(0, paintLock_ - 1);
}

void TVelaCustomDBGrid::RequestLayout() {
  if (paintLock_ != 0 || layoutHold_ != 0) return;
  LockLayout();
  UnlockLayout();
}

void TVelaCustomDBGrid::PostLayout() {
  if (!layoutPosted_) {
    layoutPosted_ = true;
    QCoreApplication::postEvent(this, new QEvent(kLayoutEvent));
  }
  DropLayoutLock();
}

bool TVelaCustomDBGrid::event(QEvent* event) {
  if (event->type() == kLayoutEvent) {
    if (!layoutPosted_) return true;  // taken back by a rebuild meanwhile
    layoutPosted_ = false;
    RunGuarded([this] {
      if (paintLock_ == 0 && layoutHold_ == 0) {
        LockLayout();
        UnlockLayout();
      } else {
        LockLayout();
        PostLayout();
      }
    });
    return true;
  }
  return TCustomGrid::event(event);
}

// ------------------------------------------------------------ the rebuild

int TVelaCustomDBGrid::TextHeight(const QFont& font) const {
  // The full line height, as "Wg" is measured: ascent and descent.
  return QFontMetrics(font).height();
}

void TVelaCustomDBGrid::RebuildLayout() {
  layoutPosted_ = false;
  inLayout_ = true;
  ScopeExit done([this] { inLayout_ = false; });
  // Automatic columns before a persistent one go.
  bool sawAutomatic = false;
  for (int i = 0; i < columns_->Count(); ++i) {
    if (!columns_->Items(i)->IsPersistent()) {
      sawAutomatic = true;
    } else if (sawAutomatic) {
      auto& items = columns_->items_;
      items.erase(std::remove_if(items.begin(), items.end(), [](const auto& c) { return !c->IsPersistent(); }),
                  items.end());
      break;
    }
  }
  indicatorCols_ = options_.Contains(dgIndicator) ? 1 : 0;
  dataLink_->ClearMapping();
  if (dataLink_->Active()) BuildFieldMap();
  ReconcileColumns();
  SetColCount(std::max(1, columns_->Count()) + indicatorCols_);
  titleRows_ = options_.Contains(dgTitles) ? 1 : 0;
  SyncRowCount();
  ComputeHeights();
  ApplyColumnAttributes();
  SyncCurrentRow();
  InvalidateGrid();
}

void TVelaCustomDBGrid::BuildFieldMap() {
  if (columns_->Persistent()) {
    dataLink_->SetMapByColumns(true);
    for (int i = 0; i < columns_->Count(); ++i) dataLink_->AddMapping(columns_->Items(i)->FieldName());
  } else {
    dataLink_->SetMapByColumns(false);
    for (TField* field : dataLink_->DataSet()->Fields())
      if (field->Visible()) dataLink_->AddMapping(field->FullName());
  }
}

void TVelaCustomDBGrid::ReconcileColumns() {
  auto& items = columns_->items_;
  if (columns_->Persistent()) {
    for (auto& c : items) c->field_ = nullptr;  // each binds again by name when read
    return;
  }
  if (!dataLink_->Active() && dataLink_->DefaultFields()) {
    items.clear();
    return;
  }
  // Columns whose field is gone from the map go.
  auto inMap = [this](TField* field) {
    for (int j = 0; j < dataLink_->FieldCount(); ++j)
      if (dataLink_->Fields(j) == field) return true;
    return false;
  };
  items.erase(std::remove_if(items.begin(), items.end(),
                             [&](const auto& c) { return c->field_ == nullptr || !inMap(c->field_); }),
              items.end());
  const int count = std::max(1, dataLink_->FieldCount());
  for (int j = 0; j < count; ++j) {
    TField* field = j < dataLink_->FieldCount() ? dataLink_->Fields(j) : nullptr;
    int found = -1;
    if (field != nullptr)
      for (int k = j; k < static_cast<int>(items.size()); ++k)
        if (items[static_cast<std::size_t>(k)]->field_ == field) {
          found = k;
          break;
        }
    if (found < 0) {
      items.push_back(std::make_unique<TVelaColumn>(columns_.get(), false));
      if (field) {
        items.back()->field_ = field;
        items.back()->fieldName_ = field->FullName();
      }
      found = static_cast<int>(items.size()) - 1;
    }
    if (found != j) {
      auto c = std::move(items[static_cast<std::size_t>(found)]);
      items.erase(items.begin() + found);
      items.insert(items.begin() + j, std::move(c));
    }
  }
}

void TVelaCustomDBGrid::ComputeHeights() {
  int rowHeight = TextHeight(font()) + 3;
  if (options_.Contains(dgRowLines)) rowHeight += GridLineWidth();
  if (rowsHeight_ > 0 && rowsHeight_ > rowHeight) rowHeight = rowsHeight_;
  SetDefaultRowHeight(rowHeight);
  if (options_.Contains(dgTitles) && titleRows_ > 0) {
    int height = 0;
    for (int i = 0; i < columns_->Count(); ++i)
      height = std::max(height, TextHeight(columns_->Items(i)->Title()->Font().Font) + 4);
    if (height == 0) height = TextHeight(titleFont_.Font) + 4;
    if (titleHeight_ > 0 && titleHeight_ > height) height = titleHeight_;
    for (int r = 0; r < titleRows_; ++r) SetRowHeights(r, height);
  }
}

bool TVelaCustomDBGrid::ColumnHasTabStop(const TVelaColumn* column) const {
  if (!column->Showing() || column->ReadOnly() || !dataLink_->Active()) return false;
  TField* field = column->Field();
  if (field == nullptr || field->ReadOnly()) return false;
  if (field->Lookup()) {
    TField* key = field->DataSet()->FindField(field->KeyFields());
    return key != nullptr && !key->ReadOnly();
  }
  return true;
}

void TVelaCustomDBGrid::ApplyColumnAttributes() {
  if (indicatorCols_ + userFixedCols_ < ColCount() && userFixedCols_ >= 0)
    TCustomGrid::SetFixedCols(indicatorCols_ + userFixedCols_);
  for (int i = 0; i < columns_->Count(); ++i) {
    const int col = ColumnIndexToGridCol(i);
    if (col >= ColCount()) break;
    TVelaColumn* column = columns_->Items(i);
    SetColWidths(col, column->Width());
    SetTabStops(col, i >= userFixedCols_ && ColumnHasTabStop(column));
  }
  if (indicatorCols_ > 0) {
    SetColWidths(0, ScaledPx(this, 11));
    SetTabStops(0, false);
  }
}

void TVelaCustomDBGrid::ColumnChanged(TVelaColumn* column) {
  const int col = ColumnIndexToGridCol(column->Index());
  if (col < 0 || col >= ColCount()) return;
  InvalidateCol(col);
  if (!inLayout_) {
    ++layoutHold_;  // a width set here is no user's drag
    ScopeExit lower([this] { --layoutHold_; });
    SetColWidths(col, column->Width());
  }
}

void TVelaCustomDBGrid::ColWidthsChanged() {
  if (layoutHold_ > 0 || inLayout_) return;
  if (!dataLink_->Active() && !columns_->Persistent()) return;
  LockLayout();
  ScopeExit unlock([this] { UnlockLayout(); });
  for (int col = indicatorCols_; col < ColCount(); ++col) {
    const int index = GridColToColumnIndex(col);
    if (index < columns_->Count() && ColWidths(col) > 0) columns_->Items(index)->SetWidth(ColWidths(col));
  }
}

void TVelaCustomDBGrid::ColumnMoved(int from, int to) {
  const int fromIndex = GridColToColumnIndex(from);
  const int toIndex = GridColToColumnIndex(to);
  if (fromIndex < 0 || toIndex < 0 || fromIndex >= columns_->Count() || toIndex >= columns_->Count()) return;
  LockLayout();
  {
    ScopeExit unlock([this] { UnlockLayout(); });
    TVelaColumn* column = columns_->Items(fromIndex);
    if (!column->IsPersistent() && dataLink_->Active()) {
      // An automatic grid moves the field itself.
      TField* target = columns_->Items(toIndex)->Field();
      if (column->Field() && target) column->Field()->SetIndex(target->Index());
    }
    columns_->Move(fromIndex, toIndex);
  }
  OnColumnMoved(this, fromIndex, toIndex);
}

void TVelaCustomDBGrid::SyncRowCount() {
  const int oldCount = RowCount();
  if (RowCount() <= titleRows_) SetRowCount(titleRows_ + 1);
  TCustomGrid::SetFixedRows(titleRows_);
  if (dataLink_->Active() && dataLink_->RecordCount() > 0) {
    ++paintLock_;
    ScopeExit lower([this] { --paintLock_; });
    SetRowCount(1000);
    dataLink_->SetBufferCount(VisibleRowCount());
    SetRowCount(std::max(1, dataLink_->RecordCount()) + titleRows_);
    if (options_.Contains(dgRowSelect)) SetTopRow(TCustomGrid::FixedRows());
  } else {
    SetRowCount(titleRows_ + 1);
  }
  if (dataLink_->Active() && dataLink_->RecordCount() > 0) SyncCurrentRow();
  if (RowCount() != oldCount) InvalidateGrid();
}

void TVelaCustomDBGrid::SyncScrollBar() {
  if (!dataLink_->Active()) return;
  TDataSet* ds = dataLink_->DataSet();
  QScrollBar* bar = verticalScrollBar();
  int minimum = 0, maximum = 0, page = 0, position = bar->value();
  if (ds->IsSequenced()) {
    // Qt's maximum is the last position of the bar's top, not its bottom.
    page = std::max(1, VisibleRowCount());
    minimum = 1;
    maximum = std::max(1, ds->RecordCount());
    const TDataSetState state = ds->State();
    if (state == dsInactive || state == dsBrowse || state == dsEdit) position = std::max(1, ds->RecNo());
  } else {
    minimum = 0;
    maximum = 4;
    page = 1;
    position = ds->Bof() ? 0 : ds->Eof() ? 4 : 2;
  }
  if (bar->minimum() != minimum || bar->maximum() != maximum) bar->setRange(minimum, maximum);
  if (bar->pageStep() != page) bar->setPageStep(page);
  if (bar->sliderPosition() != position || bar->value() != position) {
    const QSignalBlocker quiet(bar);
    bar->setSliderPosition(position);
    bar->setValue(position);
  }
}

int TVelaCustomDBGrid::CurrentGridRow() const { return titleRows_ + dataLink_->ActiveRecord(); }

void TVelaCustomDBGrid::SyncCurrentRow() {
  if (!dataLink_->Active()) return;
  const int row = CurrentGridRow();
  if (Row() != row && row < RowCount()) {
    if (!options_.Contains(dgAlwaysShowEditor)) HideEditor();
    MoveColRow(Col(), row, false, false);
    InvalidateEditor();
  }
  if (TField* field = SelectedField(); field && field->Text() != editBuffer_) InvalidateEditor();
}

void TVelaCustomDBGrid::InvalidateTitles() {
  if (!options_.Contains(dgTitles) || dataLink_->DataSet() == nullptr) return;
  int height = 0;
  for (int r = 0; r < titleRows_; ++r) height += RowHeights(r) + GridLineWidth();
  viewport()->update(0, 0, viewport()->width(), height);
}

void TVelaCustomDBGrid::resizeEvent(QResizeEvent* event) {
  TCustomGrid::resizeEvent(event);
  RunGuarded([this] {
    if (paintLock_ == 0) {
      SyncRowCount();
      SyncScrollBar();
    } else {
      InvalidateTitles();
    }
  });
}

void TVelaCustomDBGrid::changeEvent(QEvent* event) {
  TCustomGrid::changeEvent(event);
  if (event->type() == QEvent::FontChange && !selfChangingTitleFont_) {
    titleFont_.Font = font();
    RunGuarded([this] { RequestLayout(); });
  }
}

// ------------------------------------------------------- link reactions

void TVelaCustomDBGrid::LinkActive(bool value) {
  if (!value) HideEditor();
  bookmarks_->SetLinkState(value);
  ScopeExit after([this, value] {
    SyncScrollBar();
    if (value && options_.Contains(dgAlwaysShowEditor)) ShowEditor();
  });
  RequestLayout();
}

void TVelaCustomDBGrid::DataChanged() {
  SyncRowCount();
  SyncScrollBar();
  SyncCurrentRow();
  InvalidateEditor();
  InvalidateGrid();
}

void TVelaCustomDBGrid::Scroll(int distance) {
  ScopeExit tell([this] { NotifyAccessibleFocus(); });
  if (dataLink_->ActiveRecord() >= RowCount() - titleRows_) SyncRowCount();
  SyncScrollBar();
  SyncCurrentRow();
  if (distance != 0) {
    const bool editing = EditorMode();
    HideEditor();
    InvalidateGrid();
    if (editing && options_.Contains(dgAlwaysShowEditor)) ShowEditor();
  } else {
    InvalidateGrid();
  }
}

void TVelaCustomDBGrid::RecordChanged(TField* field) {
  if (field != nullptr) {
    for (int i = 0; i < columns_->Count(); ++i)
      if (columns_->Items(i)->Field() == field) InvalidateCol(ColumnIndexToGridCol(i));
  } else {
    InvalidateGrid();
  }
  TField* current = SelectedField();
  if (current && (field == nullptr || field == current) && current->Text() != editBuffer_) {
    InvalidateEditor();
    if (InplaceEditor()) InplaceEditor()->deselect();
  }
}

void TVelaCustomDBGrid::EditingChanged() {
  if (options_.Contains(dgIndicator)) InvalidateCell(0, selRow_);
}

void TVelaCustomDBGrid::FocusControl(TField** field) {
  if (field == nullptr || *field == nullptr) return;
  for (int i = 0; i < columns_->Count(); ++i)
    if (columns_->Items(i)->Field() == *field) GoToColumn(ColumnIndexToGridCol(i), 0);
  if (SelectedField() == *field && isEnabled() && isVisible()) {
    *field = nullptr;
    setFocus();
    ShowEditor();
  }
}

void TVelaCustomDBGrid::FieldRemoved(TField* field) {
  LockLayout();
  for (int i = 0; i < columns_->Count(); ++i)
    if (columns_->Items(i)->field_ == field) columns_->Items(i)->field_ = nullptr;
  if (dataLink_->DataSet() && dataLink_->DataSet()->ControlsDisabled())
    PostLayout();
  else
    UnlockLayout();
}

}  // namespace notarra
