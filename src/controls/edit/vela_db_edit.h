// TVelaDBEdit: a data-aware single-line edit bound to one field, with a
// button at its right edge whose dialog style decides what it opens: a
// list of fixed items (vdsCombo), a lookup list over another dataset
// (vdsLookup), a calendar, a tree or a calculator in a popup under the
// edit, or the application's own dialog (vdsCustomDlg, OnCustomDlg).
//
// It keeps the value written to the field (a key, a date, a number: the
// current value) apart from the text it shows (an item caption, a
// looked-up name, a tree path). The popups are made on first need and
// configured again ("prepared") whenever a property that shapes them
// changes. A popup shows under the edit (above it when it would run off the
// bottom of the screen, moved left when it would run off the right edge),
// never takes the keyboard focus, and closes without taking its choice
// when the window moves or is deactivated or the edit loses the focus or
// is hidden.
//
// Keys: Alt+Down opens the popup and Alt+Up (or Alt+Down again) closes it
// taking the choice; Enter takes it and Escape throws it away; while the
// popup shows, the other keys go to it (searching in the lists). While no
// popup shows, Up and Down move to the previous and next control, Enter
// moves on (EnterAsTab) and Escape throws the typed change away. With
// AutoDropDown a typed character opens the combo or lookup list and starts
// its search; with vcsDropDownList the text is limited to list entries, a
// space opens the list, and a click anywhere on the edit opens it.
// Dragging from the button into the open list and releasing over an entry
// takes that entry.
#pragma once

#include <QIcon>
#include <memory>
#include <string>

#include "controls/edit/edit_properties.h"
#include "dataset/variant.h"
#include "gui/field_data_control.h"
#include "gui/mask_edit.h"
#include "platform/events.h"

class QTreeWidgetItem;

namespace notarra {

class TDataSet;
class TDataSource;
class TPopupBehavior;
class TVelaCalculator;
class TVelaDlgCalendar;
class TVelaListbox;
class TVelaPopupTree;

enum TVelaDialogStyle { vdsEdit, vdsCustomDlg, vdsCombo, vdsLookup, vdsCalendar, vdsTree, vdsCalculator };
enum TVelaComboBoxStyle { vcsDropDown, vcsDropDownList };
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

class TVelaDBEdit;
using TVelaEditNotifyEvent = TEvent<TVelaDBEdit*>;
// (sender, Selected): whether the popup's choice was taken.
using TCloseUpEvent = TEvent<TVelaDBEdit*, bool>;
// (sender, FieldValue, shown): shown starts as FieldValue; the handler sets
// the text to show.
using TGetTextEvent = TEvent<TVelaDBEdit*, const std::string&, std::string&>;
// (sender, FieldValue): the edit's text, to be stored by the handler.
using TSetTextEvent = TEvent<TVelaDBEdit*, const std::string&>;

class TVelaDBEdit : public TCustomMaskEdit, public TFieldDataControl {
  Q_OBJECT

public:
  static constexpr int kDefaultButtonWidth = 15;
  static constexpr int kMinButtonWidth = 12;

  explicit TVelaDBEdit(QWidget* parent = nullptr);
  ~TVelaDBEdit() override;

  // ------------------------------------------------------- properties
  // Binding follows the field: read-only state, alignment, and a lookup
  // field configures the lookup style by itself.
  void SetDataSource(TDataSource* source);
  void SetDataField(const std::string& name);

  TAlignment Alignment() const { return alignment_; }
  // Only vdsEdit takes another alignment than its style's (right for the
  // calculator, left for the others).
  void SetAlignment(TAlignment value);
  bool AutoDropDown() const { return autoDropDown_; }
  void SetAutoDropDown(bool value) { autoDropDown_ = value; }
  int ButtonWidth() const { return buttonWidth_; }
  // Taken when at least 12 and below half the edit's width (rounded to the
  // nearest, halves to even); otherwise ignored.
  void SetButtonWidth(int value);
  TEditCharCase CharCase() const { return charCase_; }
  void SetCharCase(TEditCharCase value) { charCase_ = value; }
  const std::string& ClearValue() const { return clearValue_; }
  void SetClearValue(const std::string& value) { clearValue_ = value; }
  TVelaDialogStyle DialogStyle() const { return dialogStyle_; }
  void SetDialogStyle(TVelaDialogStyle value);
  unsigned DropDownRows() const { return dropDownRows_; }
  void SetDropDownRows(unsigned value);
  // Popup width in pixels; 0: the edit's width.
  unsigned DropDownWidth() const { return dropDownWidth_; }
  void SetDropDownWidth(unsigned value) { dropDownWidth_ = value; }
  bool EnterAsTab() const { return enterAsTab_; }
  void SetEnterAsTab(bool value) { enterAsTab_ = value; }
  TDataSet* LookupDataSet() const { return lookupDataSet_; }
  // Raises "Lookup Dataset cannot be equal to Source DataSet" for the
  // bound dataset itself.
  void SetLookupDataSet(TDataSet* value);
  TVelaComboBoxStyle Style() const { return style_; }
  void SetStyle(TVelaComboBoxStyle value);

  // Made on first access; Set...Props(nullptr) frees the object (the next
  // access makes a fresh one), another object is copied.
  TVelaComboProperties& ComboProps();
  void SetComboProps(const TVelaComboProperties* value);
  TVelaLookupProperties& LookupProps();
  void SetLookupProps(const TVelaLookupProperties* value);
  TVelaTreeProperties& TreeProps();
  void SetTreeProps(const TVelaTreeProperties* value);

  // ----------------------------------------------------------- events
  TVelaEditNotifyEvent OnDropDown;
  TCloseUpEvent OnCloseUp;
  TVelaEditNotifyEvent OnCustomDlg;
  TGetTextEvent OnDisplayText;
  TSetTextEvent OnUpdateData;

  // ------------------------------------------------------- operations
  // Opens the popup of the style (nothing while one shows).
  virtual void DropDown();
  // Closes the showing popup, taking its choice when accept.
  virtual void CloseUp(bool accept);
  // The popup must be configured again before its next use.
  void Unprepare() { prepared_ = false; }
  bool Prepared() const { return prepared_; }

  // ------------------------------------------------------------ state
  bool DroppedDown() const { return droppedDown_; }
  bool PopupShowing() const;
  // The value that will be written to the field.
  const TVariant& CurrentValue() const { return currentValue_; }
  // The popup of the style (null for vdsEdit and vdsCustomDlg or before it was made).
  QWidget* ActivePopup() const { return activePopup_; }
  TVelaListbox* ItemList() const { return itemList_; }
  TVelaPopupData* LookupList() const { return lookupList_; }
  TVelaPopupTree* PopupTree() const { return tree_; }
  TVelaDlgCalendar* Calendar() const { return calendar_; }
  TVelaCalculator* Calculator() const { return calculator_; }
  // The button's rectangle, the rightmost ButtonWidth pixels (empty for vdsEdit).
  QRect ButtonRect() const;
  bool ButtonPressed() const { return buttonPressed_; }
  // The text of the popup's current choice and its value.
  std::string PopupText();
  TVariant PopupValue();

protected:
  void DataChange() override;
  void UpdateData() override;
  void EditingChange() override;
  bool EditCanModify() override;
  bool EditCanAcceptChar(char c) override;
  void Changed() override;

  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool event(QEvent* event) override;

private:
  class TLookupWatch;
  friend class TLookupWatch;

  bool Bound() const;
  void ApplyBinding();
  void Prepare();
  bool LookupReady();
  void DisplayValue(const TVariant& value, const std::string& text);
  void ShowText(std::string text);
  TPopupBehavior* BehaviorOf(QWidget* popup) const;
  void AdoptPopup(QWidget* popup, TPopupBehavior* behavior);
  void PopupMouseUp(QWidget* popup, QMouseEvent* event);
  void LookupDataSetGone();
  void UpdateTextArea();
  void UpdateShownAlignment();
  void RunCustomDlg();
  void ApplyCharCase(std::string& text) const;

  // Input (vela_db_edit_input.cpp).
  bool HandleKey(QKeyEvent* event);
  bool SendKeyToPopup(QKeyEvent* event);
  void TrackButton(const QPoint& pos);
  void StopTracking();
  void HandOverToPopup(QMouseEvent* event);
  void ForwardMouseToPopup(QMouseEvent* event);
  void Navigate(int direction);
  void PaintButton(QPainter& painter);

  int buttonWidth_ = kDefaultButtonWidth;
  bool droppedDown_ = false;
  bool buttonTracking_ = false;
  bool buttonPressed_ = false;
  // After a drag from the button reached the popup, the mouse belongs to it.
  bool popupHasMouse_ = false;

  TVelaPopupData* lookupList_ = nullptr;
  TVelaListbox* itemList_ = nullptr;
  TVelaPopupTree* tree_ = nullptr;
  TVelaDlgCalendar* calendar_ = nullptr;
  TVelaCalculator* calculator_ = nullptr;
  QWidget* activePopup_ = nullptr;

  TVelaComboBoxStyle style_ = vcsDropDown;
  TAlignment alignment_ = taLeftJustify;
  TVelaDialogStyle dialogStyle_ = vdsEdit;
  unsigned dropDownWidth_ = 0;
  unsigned dropDownRows_ = 10;
  std::unique_ptr<TVelaComboProperties> comboProps_;
  std::unique_ptr<TVelaLookupProperties> lookupProps_;
  std::unique_ptr<TVelaTreeProperties> treeProps_;
  bool autoDropDown_ = false;
  TEditCharCase charCase_ = ecNormal;

  TVariant currentValue_;
  std::string clearValue_;
  bool prepared_ = false;
  std::unique_ptr<TDataSource> lookupSource_;
  TDataSet* lookupDataSet_ = nullptr;
  std::unique_ptr<TLookupWatch> lookupWatch_;
  bool enterAsTab_ = true;
  bool destroying_ = false;

  QIcon calculatorGlyph_;
  QIcon calendarGlyph_;
};

}  // namespace notarra
