// The columns of the data grid. A TVelaColumn names the field it shows
// (bound lazily by name), carries its title, colours, font, width, cell
// button style and drop-down settings; a property that was never assigned
// follows its default (the field's or the grid's) and ExplicitValues records
// which ones were. TVelaDBGridColumns holds them: persistent columns are set
// up by the form, automatic ones are made by the grid from the dataset's
// fields during layout.
#pragma once

#include <QColor>
#include <QFont>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dataset/data_types.h"
#include "platform/set.h"

class QMenu;

namespace notarra {

class TDataSet;
class TField;
class TVelaColumn;
class TVelaCustomDBGrid;
class TVelaDBGridColumns;

// A font with its colour, as cells and titles are painted with it.
struct TFont {
  QFont Font;
  QColor Color{Qt::black};
  friend bool operator==(const TFont&, const TFont&) = default;
};

enum TVelaColumnButtonStyle { cbsCombo, cbsLookup, cbsCalendar, cbsCheck, cbsEllipsis, cbsNone };

enum TColumnValue {
  evColor,
  evWidth,
  evFont,
  evAlignment,
  evReadOnly,
  evTitleColor,
  evTitleCaption,
  evTitleAlignment,
  evTitleFont,
  evImeMode,
  evImeName,
};
using TColumnValues = TSet<TColumnValue>;

enum TTitleSortMark : uint8_t { tsmNone = 0, tsmDown = 1, tsmUp = 2 };

class TVelaColumnTitle {
public:
  explicit TVelaColumnTitle(TVelaColumn* column) : column_(column) {}

  TVelaColumn* Column() const { return column_; }
  TAlignment Alignment() const;
  void SetAlignment(TAlignment value);
  std::string Caption() const;
  void SetCaption(const std::string& value);
  QColor Color() const;
  void SetColor(const QColor& value);
  // The title's font object; before it is assigned it follows the grid's
  // TitleFont. A change through FontRef() (OnDrawTitleAttr) sticks.
  const TFont& Font() const;
  TFont& FontRef();
  void SetFont(const TFont& value);
  // Copies what the other title has explicitly assigned.
  void Assign(const TVelaColumnTitle& other);
  // Forgets caption, colour, alignment and font.
  void RestoreDefaults();

private:
  TVelaColumn* column_;
  std::string caption_;
  QColor color_;
  TAlignment alignment_ = taCenter;
  mutable TFont font_;
};

class TVelaColumn {
public:
  explicit TVelaColumn(TVelaDBGridColumns* collection, bool persistent = true);
  ~TVelaColumn();
  TVelaColumn(const TVelaColumn&) = delete;
  TVelaColumn& operator=(const TVelaColumn&) = delete;

  TVelaDBGridColumns* Collection() const { return collection_; }
  TVelaCustomDBGrid* Grid() const;
  int Index() const;
  void SetIndex(int value);

  // The field shown; bound by name on first read while the dataset is open.
  TField* Field() const;
  void SetField(TField* field);
  const std::string& FieldName() const { return fieldName_; }
  void SetFieldName(const std::string& value);

  TAlignment Alignment() const;
  void SetAlignment(TAlignment value);
  bool AutoDropDown() const { return autoDropDown_; }
  void SetAutoDropDown(bool value) { autoDropDown_ = value; }
  TVelaColumnButtonStyle ButtonStyle() const { return buttonStyle_; }
  void SetButtonStyle(TVelaColumnButtonStyle value);
  bool CanClick() const { return canClick_; }
  void SetCanClick(bool value) { canClick_ = value; }
  QColor Color() const;
  void SetColor(const QColor& value);
  unsigned DropDownRows() const { return dropDownRows_; }
  void SetDropDownRows(unsigned value) { dropDownRows_ = value; }
  unsigned DropDownWidth() const { return dropDownWidth_; }
  void SetDropDownWidth(unsigned value) { dropDownWidth_ = value; }
  const TFont& Font() const;
  void SetFont(const TFont& value);
  bool LongTextAsHint() const { return longTextAsHint_; }
  void SetLongTextAsHint(bool value) { longTextAsHint_ = value; }
  const std::string& LookupDropDownFields() const { return lookupDropDownFields_; }
  void SetLookupDropDownFields(const std::string& value);
  // LookupDropDownFields up to the first ";".
  const std::string& LookupDisplayField() const { return lookupDisplayField_; }
  const std::string& LookupKeyField() const { return lookupKeyField_; }
  void SetLookupKeyField(const std::string& value);
  const std::string& LookupLinkField() const { return lookupLinkField_; }
  void SetLookupLinkField(const std::string& value);
  TDataSet* LookupDataSet() const { return lookupDataSet_; }
  // Raises "Lookup Dataset cannot be equal to Source DataSet" for the field's own dataset.
  void SetLookupDataSet(TDataSet* value);
  const std::vector<std::string>& PickList() const { return pickList_; }
  void SetPickList(const std::vector<std::string>& value) { pickList_ = value; }
  const std::vector<std::string>& PickValues() const { return pickValues_; }
  void SetPickValues(const std::vector<std::string>& value) { pickValues_ = value; }
  QMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(QMenu* value) { popupMenu_ = value; }
  bool ReadOnly() const;
  void SetReadOnly(bool value);
  TVelaColumnTitle* Title() { return &title_; }
  const TVelaColumnTitle* Title() const { return &title_; }
  const std::string& ValueChecked() const { return valueChecked_; }
  void SetValueChecked(const std::string& value);
  const std::string& ValueUnChecked() const { return valueUnChecked_; }
  // Whether a check-box cell showing this text is ticked.
  bool ShowsChecked(const std::string& text) const { return text == valueChecked_; }
  void SetValueUnChecked(const std::string& value);
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  // -1 while the column is not showing.
  int Width() const;
  void SetWidth(int value);
  int DefaultWidth() const;
  bool WrapText() const { return wrapText_; }
  void SetWrapText(bool value);
  bool TitlePressed() const { return titlePressed_; }
  void SetTitlePressed(bool value) { titlePressed_ = value; }
  TTitleSortMark TitleSortMark() const { return titleSortMark_; }
  void SetTitleSortMark(TTitleSortMark value);

  bool IsPersistent() const { return persistent_; }
  TColumnValues ExplicitValues() const { return explicit_; }
  bool Showing() const { return visible_; }

  void ResetToDefaults();
  void Assign(const TVelaColumn& other);
  std::string DisplayName() const;

  // The default font of the column: the grid's Font.
  TFont DefaultFont() const;

private:
  friend class TVelaColumnTitle;
  friend class TVelaDBGridColumns;
  friend class TVelaCustomDBGrid;
  // A change of this column only (repaint, width) or one needing a new layout.
  void Changed(bool all = false);
  bool LinkActive() const;
  void AddExplicit(TColumnValue v) { explicit_.Include(v); }

  TVelaDBGridColumns* collection_;
  mutable TField* field_ = nullptr;
  std::string fieldName_;
  QColor color_;
  int width_ = 0;
  TVelaColumnTitle title_{this};
  mutable TFont font_;
  std::vector<std::string> pickList_;
  std::vector<std::string> pickValues_;
  QMenu* popupMenu_ = nullptr;
  unsigned dropDownRows_ = 10;
  unsigned dropDownWidth_ = 0;
  bool canClick_ = false;
  bool titlePressed_ = false;
  bool wrapText_ = false;
  TVelaColumnButtonStyle buttonStyle_ = cbsNone;
  TAlignment alignment_ = taLeftJustify;
  bool readOnly_ = false;
  TColumnValues explicit_;
  bool visible_ = true;
  bool persistent_ = true;
  std::string valueUnChecked_;
  std::string valueChecked_;
  std::string lookupDropDownFields_;
  std::string lookupKeyField_;
  std::string lookupLinkField_;
  TDataSet* lookupDataSet_ = nullptr;
  std::string lookupDisplayField_;
  bool autoDropDown_ = false;
  bool longTextAsHint_ = false;
  TTitleSortMark titleSortMark_ = tsmNone;
};

class TVelaDBGridColumns {
public:
  explicit TVelaDBGridColumns(TVelaCustomDBGrid* grid) : grid_(grid) {}
  ~TVelaDBGridColumns();
  TVelaDBGridColumns(const TVelaDBGridColumns&) = delete;
  TVelaDBGridColumns& operator=(const TVelaDBGridColumns&) = delete;

  TVelaCustomDBGrid* Grid() const { return grid_; }
  int Count() const { return static_cast<int>(items_.size()); }
  TVelaColumn* Items(int index) const { return items_.at(static_cast<std::size_t>(index)).get(); }
  TVelaColumn* operator[](int index) const { return Items(index); }
  int IndexOf(const TVelaColumn* column) const;

  // A persistent column at the end.
  TVelaColumn* Add();
  TVelaColumn* AddAutomaticColumn();
  void Clear();
  void Delete(int index);
  void Move(int from, int to);
  // Copies every column of other.
  void Assign(const TVelaDBGridColumns& other);
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }

  // Persistent when the first column is; automatic otherwise (or empty).
  bool Persistent() const { return !items_.empty() && items_.front()->IsPersistent(); }
  void SetPersistent(bool value);
  // One persistent column per field of the grid's dataset.
  void RebuildFromFields();

private:
  friend class TVelaColumn;
  friend class TVelaCustomDBGrid;
  // item null: a change needing a new layout.
  void Changed(TVelaColumn* item);

  TVelaCustomDBGrid* grid_;
  std::vector<std::unique_ptr<TVelaColumn>> items_;
  int updateCount_ = 0;
  bool changedWhileUpdating_ = false;
};

}  // namespace notarra
