#include "controls/grid/grid_columns.h"

#include <QFontMetrics>
#include <algorithm>

#include "controls/grid/db_grid.h"
#include "dataset/data_source.h"
#include "dataset/dataset.h"
#include "dataset/messages.h"
#include "platform/exceptions.h"

namespace notarra {

// ------------------------------------------------------------ column title

TAlignment TVelaColumnTitle::Alignment() const {
  return column_->explicit_.Contains(evTitleAlignment) ? alignment_ : taCenter;
}

void TVelaColumnTitle::SetAlignment(TAlignment value) {
  if (column_->explicit_.Contains(evTitleAlignment) && value == alignment_) return;
  alignment_ = value;
  column_->AddExplicit(evTitleAlignment);
  column_->Changed();
}

std::string TVelaColumnTitle::Caption() const {
  if (column_->explicit_.Contains(evTitleCaption)) return caption_;
  if (TField* field = column_->Field()) return field->DisplayName();
  return column_->FieldName();
}

void TVelaColumnTitle::SetCaption(const std::string& value) {
  if (!column_->IsPersistent()) {
    // An automatic column's caption is its field's label.
    if (column_->LinkActive())
      if (TField* field = column_->Field()) field->SetDisplayLabel(value);
    return;
  }
  if (column_->explicit_.Contains(evTitleCaption) && value == caption_) return;
  caption_ = value;
  column_->AddExplicit(evTitleCaption);
  column_->Changed();
}

QColor TVelaColumnTitle::Color() const {
  if (column_->explicit_.Contains(evTitleColor)) return color_;
  if (TVelaCustomDBGrid* grid = column_->Grid()) return grid->FixedColor();
  return QColor(0xF0, 0xF0, 0xF0);
}

void TVelaColumnTitle::SetColor(const QColor& value) {
  if (column_->explicit_.Contains(evTitleColor) && value == color_) return;
  color_ = value;
  column_->AddExplicit(evTitleColor);
  column_->Changed();
}

const TFont& TVelaColumnTitle::Font() const {
  if (!column_->explicit_.Contains(evTitleFont)) {
    TVelaCustomDBGrid* grid = column_->Grid();
    font_ = grid ? grid->TitleFont() : column_->Font();
  }
  return font_;
}

TFont& TVelaColumnTitle::FontRef() {
  Font();
  return font_;
}

void TVelaColumnTitle::SetFont(const TFont& value) {
  font_ = value;
  column_->AddExplicit(evTitleFont);
  column_->Changed(true);
}

void TVelaColumnTitle::Assign(const TVelaColumnTitle& other) {
  const TColumnValues ev = other.column_->explicit_;
  if (ev.Contains(evTitleAlignment)) SetAlignment(other.alignment_);
  if (ev.Contains(evTitleColor)) SetColor(other.color_);
  if (ev.Contains(evTitleCaption)) SetCaption(other.caption_);
  if (ev.Contains(evTitleFont)) SetFont(other.font_);
}

void TVelaColumnTitle::RestoreDefaults() {
  caption_.clear();
  for (TColumnValue v : {evTitleColor, evTitleCaption, evTitleAlignment, evTitleFont}) column_->explicit_.Exclude(v);
}

// ------------------------------------------------------------------ column

TVelaColumn::TVelaColumn(TVelaDBGridColumns* collection, bool persistent)
    : collection_(collection), persistent_(persistent) {}

TVelaColumn::~TVelaColumn() = default;

TVelaCustomDBGrid* TVelaColumn::Grid() const { return collection_ ? collection_->Grid() : nullptr; }

int TVelaColumn::Index() const { return collection_ ? collection_->IndexOf(this) : -1; }

void TVelaColumn::SetIndex(int value) {
  if (collection_) collection_->Move(Index(), value);
}

bool TVelaColumn::LinkActive() const {
  TVelaCustomDBGrid* grid = Grid();
  return grid && grid->DataLink()->Active();
}

void TVelaColumn::Changed(bool all) {
  if (collection_) collection_->Changed(all ? nullptr : this);
}

TField* TVelaColumn::Field() const {
  if (field_ != nullptr || fieldName_.empty()) return field_;
  TVelaCustomDBGrid* grid = Grid();
  if (grid == nullptr) return nullptr;
  TDataSet* ds = grid->DataLink()->DataSet();
  if (ds != nullptr && (ds->Active() || !ds->DefaultFields())) field_ = ds->FindField(fieldName_);
  return field_;
}

void TVelaColumn::SetField(TField* field) {
  if (field == field_) return;
  field_ = field;
  if (field != nullptr) fieldName_ = field->FullName();
  if (!persistent_) {
    if (field == nullptr) fieldName_.clear();
    ResetToDefaults();
  }
  Changed();
}

void TVelaColumn::SetFieldName(const std::string& value) {
  TField* found = nullptr;
  TVelaCustomDBGrid* grid = Grid();
  if (grid && grid->DataLink()->DataSet() && !value.empty()) found = grid->DataLink()->DataSet()->FindField(value);
  fieldName_ = value;
  if (found != field_) {
    field_ = found;
    if (found != nullptr) fieldName_ = found->FullName();
  }
  Changed();
}

TAlignment TVelaColumn::Alignment() const {
  if (explicit_.Contains(evAlignment)) return alignment_;
  TField* field = Field();
  if (field == nullptr || buttonStyle_ == cbsCombo || buttonStyle_ == cbsLookup) return taLeftJustify;
  return field->Alignment();
}

void TVelaColumn::SetAlignment(TAlignment value) {
  if (!persistent_) {
    TField* field = Field();
    if (LinkActive() && field && buttonStyle_ != cbsCombo && buttonStyle_ != cbsLookup) field->SetAlignment(value);
    return;
  }
  if (explicit_.Contains(evAlignment) && value == alignment_) return;
  alignment_ = value;
  AddExplicit(evAlignment);
  Changed();
}

void TVelaColumn::SetButtonStyle(TVelaColumnButtonStyle value) {
  if (value == buttonStyle_) return;
  buttonStyle_ = value;
  Changed();
}

QColor TVelaColumn::Color() const {
  if (explicit_.Contains(evColor)) return color_;
  if (TVelaCustomDBGrid* grid = Grid()) return grid->Color();
  return QColor(Qt::white);
}

void TVelaColumn::SetColor(const QColor& value) {
  if (explicit_.Contains(evColor) && value == color_) return;
  color_ = value;
  AddExplicit(evColor);
  Changed();
}

TFont TVelaColumn::DefaultFont() const {
  if (TVelaCustomDBGrid* grid = Grid()) return grid->Font();
  return font_;
}

const TFont& TVelaColumn::Font() const {
  if (!explicit_.Contains(evFont)) font_ = DefaultFont();
  return font_;
}

void TVelaColumn::SetFont(const TFont& value) {
  font_ = value;
  AddExplicit(evFont);
  Changed();
}

void TVelaColumn::SetLookupDropDownFields(const std::string& value) {
  if (value == lookupDropDownFields_) return;
  lookupDropDownFields_ = value;
  lookupDisplayField_ = value.substr(0, value.find(';'));
  if (buttonStyle_ == cbsLookup) Changed();
}

void TVelaColumn::SetLookupKeyField(const std::string& value) {
  if (value == lookupKeyField_) return;
  lookupKeyField_ = value;
  if (buttonStyle_ == cbsLookup) Changed();
}

void TVelaColumn::SetLookupLinkField(const std::string& value) {
  if (value == lookupLinkField_) return;
  lookupLinkField_ = value;
  if (buttonStyle_ == cbsLookup) Changed();
}

void TVelaColumn::SetLookupDataSet(TDataSet* value) {
  TField* field = Field();
  if (value != nullptr && field != nullptr && value == field->DataSet()) {
    TVelaCustomDBGrid* grid = Grid();
    const std::string name = grid ? grid->objectName().toStdString() : std::string();
    throw EDatabaseError(name.empty() ? "Lookup Dataset cannot be equal to Source DataSet"
                                      : name + ": Lookup Dataset cannot be equal to Source DataSet");
  }
  lookupDataSet_ = value;
}

bool TVelaColumn::ReadOnly() const {
  if (explicit_.Contains(evReadOnly)) return readOnly_;
  TField* field = Field();
  TVelaCustomDBGrid* grid = Grid();
  return (grid && grid->ReadOnly()) || (field && field->ReadOnly());
}

void TVelaColumn::SetReadOnly(bool value) {
  if (!persistent_ && LinkActive() && Field()) {
    Field()->SetReadOnly(value);
    return;
  }
  if (explicit_.Contains(evReadOnly) && value == readOnly_) return;
  readOnly_ = value;
  AddExplicit(evReadOnly);
  Changed();
}

void TVelaColumn::SetValueChecked(const std::string& value) {
  if (value == valueChecked_) return;
  valueChecked_ = value;
  if (buttonStyle_ == cbsCheck) Changed();
}

void TVelaColumn::SetValueUnChecked(const std::string& value) {
  if (value == valueUnChecked_) return;
  valueUnChecked_ = value;
  if (buttonStyle_ == cbsCheck) Changed();
}

void TVelaColumn::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  Changed(true);
}

int TVelaColumn::DefaultWidth() const {
  TVelaCustomDBGrid* grid = Grid();
  if (grid == nullptr) return 64;
  TField* field = Field();
  if (field == nullptr) return grid->DefaultColWidth();
  const QFontMetrics fm(Font().Font);
  int width = fm.horizontalAdvance(QLatin1Char('0')) * field->DisplayWidth() + 4;
  if (grid->Options().Contains(dgTitles)) {
    const QFontMetrics tm(title_.Font().Font);
    width = std::max(width, tm.horizontalAdvance(QString::fromLatin1(title_.Caption().c_str())) + 4);
  }
  return width;
}

int TVelaColumn::Width() const {
  if (!Showing()) return -1;
  return explicit_.Contains(evWidth) ? width_ : DefaultWidth();
}

void TVelaColumn::SetWidth(int value) {
  TVelaCustomDBGrid* grid = Grid();
  if (!persistent_ && grid && grid->layoutFromLink_ && !explicit_.Contains(evWidth)) return;
  if (!persistent_ && grid && Field() && value > 0) {
    // An automatic column's width lives in its field, in characters.
    const QFontMetrics fm(Font().Font);
    const int avg = std::max(1, fm.averageCharWidth());
    Field()->SetDisplayWidth(std::max(1, (value + avg / 2 - 3) / avg));
  }
  if ((explicit_.Contains(evWidth) || value != DefaultWidth()) && value != -1) {
    width_ = value;
    AddExplicit(evWidth);
  }
  Changed();
}

void TVelaColumn::SetWrapText(bool value) {
  if (value == wrapText_) return;
  wrapText_ = value;
  Changed();
}

void TVelaColumn::SetTitleSortMark(TTitleSortMark value) {
  if (value == titleSortMark_) return;
  titleSortMark_ = value;
  if (TVelaCustomDBGrid* grid = Grid()) grid->InvalidateTitles();
}

void TVelaColumn::ResetToDefaults() {
  const bool hadFont = explicit_.Contains(evFont);
  title_.RestoreDefaults();
  explicit_ = TColumnValues();
  font_ = DefaultFont();
  pickList_.clear();
  pickValues_.clear();
  buttonStyle_ = cbsNone;
  canClick_ = false;
  longTextAsHint_ = false;
  Changed(hadFont);
}

void TVelaColumn::Assign(const TVelaColumn& other) {
  if (collection_) collection_->BeginUpdate();
  struct EndUpdate {
    TVelaDBGridColumns* c;
    ~EndUpdate() {
      if (c) c->EndUpdate();
    }
  } end{collection_};
  ResetToDefaults();
  SetFieldName(other.fieldName_);
  const TColumnValues ev = other.explicit_;
  if (ev.Contains(evColor)) SetColor(other.color_);
  if (ev.Contains(evWidth)) {
    width_ = other.width_;
    AddExplicit(evWidth);
  }
  if (ev.Contains(evFont)) SetFont(other.font_);
  if (ev.Contains(evAlignment)) {
    alignment_ = other.alignment_;
    AddExplicit(evAlignment);
  }
  if (ev.Contains(evReadOnly)) {
    readOnly_ = other.readOnly_;
    AddExplicit(evReadOnly);
  }
  title_.Assign(other.title_);
  dropDownRows_ = other.dropDownRows_;
  dropDownWidth_ = other.dropDownWidth_;
  canClick_ = other.canClick_;
  longTextAsHint_ = other.longTextAsHint_;
  buttonStyle_ = other.buttonStyle_;
  pickList_ = other.pickList_;
  pickValues_ = other.pickValues_;
  lookupDropDownFields_ = other.lookupDropDownFields_;
  lookupDisplayField_ = other.lookupDisplayField_;
  lookupKeyField_ = other.lookupKeyField_;
  lookupLinkField_ = other.lookupLinkField_;
  lookupDataSet_ = other.lookupDataSet_;
  popupMenu_ = other.popupMenu_;
  visible_ = other.visible_;
  Changed(true);
}

std::string TVelaColumn::DisplayName() const {
  if (!fieldName_.empty()) return fieldName_;
  return "TVelaColumn";
}

// ------------------------------------------------------------ collection

TVelaDBGridColumns::~TVelaDBGridColumns() {
  // No change reports from a collection that is going away.
  updateCount_ = 1;
  items_.clear();
}

int TVelaDBGridColumns::IndexOf(const TVelaColumn* column) const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == column) return static_cast<int>(i);
  return -1;
}

TVelaColumn* TVelaDBGridColumns::Add() {
  items_.push_back(std::make_unique<TVelaColumn>(this, true));
  Changed(nullptr);
  return items_.back().get();
}

TVelaColumn* TVelaDBGridColumns::AddAutomaticColumn() {
  items_.push_back(std::make_unique<TVelaColumn>(this, false));
  Changed(nullptr);
  return items_.back().get();
}

void TVelaDBGridColumns::Clear() {
  if (items_.empty()) return;
  BeginUpdate();
  items_.clear();
  EndUpdate();
}

void TVelaDBGridColumns::Delete(int index) {
  items_.erase(items_.begin() + index);
  Changed(nullptr);
}

void TVelaDBGridColumns::Move(int from, int to) {
  if (from == to || from < 0 || to < 0 || from >= Count() || to >= Count()) return;
  auto item = std::move(items_[static_cast<std::size_t>(from)]);
  items_.erase(items_.begin() + from);
  items_.insert(items_.begin() + to, std::move(item));
  Changed(nullptr);
}

void TVelaDBGridColumns::Assign(const TVelaDBGridColumns& other) {
  BeginUpdate();
  items_.clear();
  for (const auto& c : other.items_) {
    items_.push_back(std::make_unique<TVelaColumn>(this, c->IsPersistent()));
    items_.back()->Assign(*c);
  }
  EndUpdate();
}

void TVelaDBGridColumns::BeginUpdate() { ++updateCount_; }

void TVelaDBGridColumns::EndUpdate() {
  if (updateCount_ > 0) --updateCount_;
  if (updateCount_ == 0 && changedWhileUpdating_) {
    changedWhileUpdating_ = false;
    Changed(nullptr);
  }
}

void TVelaDBGridColumns::SetPersistent(bool value) {
  if (value)
    RebuildFromFields();
  else
    Clear();
}

void TVelaDBGridColumns::RebuildFromFields() {
  TDataSet* ds = grid_ ? grid_->DataLink()->DataSet() : nullptr;
  if (ds == nullptr) {
    Clear();
    return;
  }
  grid_->LockLayout();
  BeginUpdate();
  items_.clear();
  for (TField* field : ds->Fields()) {
    items_.push_back(std::make_unique<TVelaColumn>(this, true));
    items_.back()->fieldName_ = field->FullName();
  }
  EndUpdate();
  grid_->UnlockLayout();
}

void TVelaDBGridColumns::Changed(TVelaColumn* item) {
  if (updateCount_ > 0) {
    if (item == nullptr) changedWhileUpdating_ = true;
    return;
  }
  if (grid_ == nullptr) return;
  if (item == nullptr)
    grid_->RequestLayout();
  else
    grid_->ColumnChanged(item);
}

}  // namespace notarra
