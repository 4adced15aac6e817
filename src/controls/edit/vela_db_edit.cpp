#include "controls/edit/vela_db_edit.h"

#include <QApplication>
#include <QMouseEvent>
#include <algorithm>

#include "controls/edit/calculator.h"
#include "controls/edit/dlg_calendar.h"
#include "controls/edit/popup_tree.h"
#include "controls/edit/vela_listbox.h"
#include "dataset/data_source.h"
#include "dataset/dataset.h"
#include "dataset/field.h"
#include "gui/dpi_scale.h"
#include "gui/exception_guard.h"
#include "gui/popup_behavior.h"
#include "platform/codepage.h"
#include "platform/component.h"
#include "platform/conversions.h"
#include "platform/date_time.h"
#include "platform/exceptions.h"
#include "platform/scope_guard.h"
#include "platform/text.h"

// The button glyphs sit in this library's resources, which a static library
// only links in when something asks for them; outside any namespace.
static void InitEditResources() { Q_INIT_RESOURCE(edit); }

namespace notarra {

// Tells the edit when its lookup dataset is destroyed.
class TVelaDBEdit::TLookupWatch : public TComponent {
public:
  explicit TLookupWatch(TVelaDBEdit* edit) : edit_(edit) {}

protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == edit_->lookupDataSet_) edit_->LookupDataSetGone();
  }

private:
  TVelaDBEdit* edit_;
};

TVelaDBEdit::TVelaDBEdit(QWidget* parent)
    : TCustomMaskEdit(parent),
      TFieldDataControl(this),
      lookupSource_(std::make_unique<TDataSource>()),
      lookupWatch_(std::make_unique<TLookupWatch>(this)) {
  // UpdateData validates the mask itself, with the error shown once.
  SetValidateOnExit(false);
  setMouseTracking(true);
  static const bool resourcesLoaded = (InitEditResources(), true);
  (void)resourcesLoaded;
  calculatorGlyph_ = QIcon(QStringLiteral(":/edit/calculator.png"));
  calendarGlyph_ = QIcon(QStringLiteral(":/edit/calendar.png"));
}

TVelaDBEdit::~TVelaDBEdit() {
  destroying_ = true;
  if (lookupList_ != nullptr) {
    lookupList_->RemoveFilterHook();
    lookupList_->SetListSource(nullptr);
  }
  lookupSource_->SetDataSet(nullptr);
  if (lookupDataSet_ != nullptr) lookupWatch_->RemoveFreeNotification(lookupDataSet_);
  TFieldDataControl::SetDataSource(nullptr);
}

// ------------------------------------------------------------ binding

bool TVelaDBEdit::Bound() const { return Field() != nullptr && DataLink().Active(); }

void TVelaDBEdit::SetDataSource(TDataSource* source) {
  TFieldDataControl::SetDataSource(source);
  ApplyBinding();
}

void TVelaDBEdit::SetDataField(const std::string& name) {
  TFieldDataControl::SetDataField(name);
  ApplyBinding();
}

void TVelaDBEdit::ApplyBinding() {
  TField* field = Field();
  if (field == nullptr || DataSource() == nullptr) return;
  setReadOnly(!CanModify());
  SetAlignment(field->Alignment());
  if (field->Lookup()) {
    SetDialogStyle(vdsLookup);
    SetLookupDataSet(field->LookupDataSet());
    LookupProps().SetSourceKeyField(field->KeyFields());
    LookupProps().SetLookupKeyField(field->LookupKeyFields());
    LookupProps().SetListFieldNames(field->LookupResultField());
  }
  prepared_ = false;
  DataChange();
}

void TVelaDBEdit::EditingChange() {
  if (Bound()) setReadOnly(!CanModify());
}

// --------------------------------------------------------- properties

void TVelaDBEdit::SetAlignment(TAlignment value) {
  // The dialog styles decide the alignment themselves.
  if (dialogStyle_ != vdsEdit) value = dialogStyle_ == vdsCalculator ? taRightJustify : taLeftJustify;
  alignment_ = value;
  UpdateShownAlignment();
}

void TVelaDBEdit::SetButtonWidth(int value) {
  const int w = width();
  // Half the width, rounded to the nearest and halves to even.
  int half = w / 2;
  if (w % 2 != 0 && half % 2 != 0) ++half;
  if (value < kMinButtonWidth || ScaledPx(this, value) >= half) return;
  buttonWidth_ = value;
  UpdateTextArea();
}

void TVelaDBEdit::SetDialogStyle(TVelaDialogStyle value) {
  if (value == dialogStyle_) return;
  if (PopupShowing()) CloseUp(false);
  dialogStyle_ = value;
  prepared_ = false;
  if (value != vdsEdit) SetAlignment(alignment_);
  UpdateTextArea();
  update();
}

void TVelaDBEdit::SetDropDownRows(unsigned value) {
  dropDownRows_ = value;
  prepared_ = false;
}

void TVelaDBEdit::SetStyle(TVelaComboBoxStyle value) {
  style_ = value;
  update();
}

void TVelaDBEdit::SetLookupDataSet(TDataSet* value) {
  if (value == lookupDataSet_) return;
  if (value != nullptr && Field() != nullptr && DataSource() != nullptr && value == DataSource()->DataSet())
    throw EDatabaseError(
        (objectName().isEmpty() ? std::string() : objectName().toStdString() + ": ") +
        "Lookup Dataset cannot be equal to Source DataSet");
  if (PopupShowing()) CloseUp(false);
  if (lookupDataSet_ != nullptr) lookupWatch_->RemoveFreeNotification(lookupDataSet_);
  lookupDataSet_ = value;
  if (value != nullptr) lookupWatch_->FreeNotification(value);
  lookupSource_->SetDataSet(value);
  prepared_ = false;
}

void TVelaDBEdit::LookupDataSetGone() {
  if (lookupList_ != nullptr) lookupList_->SetListSource(nullptr);
  lookupSource_->SetDataSet(nullptr);
  lookupDataSet_ = nullptr;
  prepared_ = false;
}

TVelaComboProperties& TVelaDBEdit::ComboProps() {
  if (!comboProps_) comboProps_ = std::make_unique<TVelaComboProperties>(this);
  return *comboProps_;
}

void TVelaDBEdit::SetComboProps(const TVelaComboProperties* value) {
  if (value == nullptr) {
    comboProps_.reset();
    prepared_ = false;
  } else {
    ComboProps().Assign(*value);
  }
}

TVelaLookupProperties& TVelaDBEdit::LookupProps() {
  if (!lookupProps_) lookupProps_ = std::make_unique<TVelaLookupProperties>(this);
  return *lookupProps_;
}

void TVelaDBEdit::SetLookupProps(const TVelaLookupProperties* value) {
  if (value == nullptr) {
    lookupProps_.reset();
    prepared_ = false;
  } else {
    LookupProps().Assign(*value);
  }
}

TVelaTreeProperties& TVelaDBEdit::TreeProps() {
  if (!treeProps_) treeProps_ = std::make_unique<TVelaTreeProperties>(this);
  return *treeProps_;
}

void TVelaDBEdit::SetTreeProps(const TVelaTreeProperties* value) {
  if (value == nullptr) {
    treeProps_.reset();
    prepared_ = false;
  } else {
    TreeProps().Assign(*value);
  }
}

// ------------------------------------------------------------- popups

TPopupBehavior* TVelaDBEdit::BehaviorOf(QWidget* popup) const {
  return popup != nullptr ? popup->findChild<TPopupBehavior*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

bool TVelaDBEdit::PopupShowing() const { return activePopup_ != nullptr && activePopup_->isVisible(); }

void TVelaDBEdit::AdoptPopup(QWidget* popup, TPopupBehavior* behavior) {
  // Every reason the popup has to close (focus, window moves, clicks
  // elsewhere, the edit hidden) closes it through CloseUp.
  behavior->CloseRequest = [this](bool accept) { RunGuarded([&] { CloseUp(accept); }); };
  popup->hide();
}

void TVelaDBEdit::Prepare() {
  if (destroying_) return;
  prepared_ = true;
  switch (dialogStyle_) {
    case vdsCombo: {
      if (itemList_ == nullptr) {
        itemList_ = new TVelaListbox(this);
        itemList_->OnMouseUp = TPopupMouseEvent::Bind(this, &TVelaDBEdit::PopupMouseUp);
        AdoptPopup(itemList_, itemList_->Behavior());
      }
      itemList_->setPalette(palette());
      itemList_->setFont(font());
      itemList_->SetItems(ComboProps().ComboItems());
      style_ = ComboProps().HasValues() ? vcsDropDownList : vcsDropDown;
      if (ComboProps().HasValues()) autoDropDown_ = true;
      activePopup_ = itemList_;
      break;
    }
    case vdsLookup: {
      if (lookupList_ == nullptr) {
        lookupList_ = new TVelaPopupData(this);
        lookupList_->OnMouseUp = TPopupMouseEvent::Bind(this, &TVelaDBEdit::PopupMouseUp);
        AdoptPopup(lookupList_, lookupList_->Behavior());
      }
      lookupList_->SetKindSearch(LookupProps().KindSearch());
      lookupList_->SetColor(palette().color(QPalette::Base));
      lookupList_->setFont(font());
      lookupList_->SetRowCount(static_cast<int>(std::max(1u, dropDownRows_)));
      lookupList_->SetKeyField(LookupProps().LookupKeyField());
      lookupList_->SetListField(LookupProps().ListFieldNames());
      lookupList_->SetListFieldIndex(LookupProps().ViewFieldIndex());
      lookupSource_->SetDataSet(lookupDataSet_);
      lookupList_->SetListSource(lookupSource_.get());
      LookupProps().RefreshListFields();
      activePopup_ = lookupList_;
      if (!LookupReady()) prepared_ = false;
      break;
    }
    case vdsCalendar: {
      if (calendar_ == nullptr) {
        calendar_ = new TVelaDlgCalendar(this);
        calendar_->OnMouseUp = TPopupMouseEvent::Bind(this, &TVelaDBEdit::PopupMouseUp);
        calendar_->OnSelectDate = [this](TVelaCalendar*) { RunGuarded([&] { CloseUp(true); }); };
        AdoptPopup(calendar_, calendar_->Behavior());
      }
      activePopup_ = calendar_;
      break;
    }
    case vdsTree: {
      if (tree_ == nullptr) {
        tree_ = new TVelaPopupTree(this);
        tree_->OnMouseUp = TPopupMouseEvent::Bind(this, &TVelaDBEdit::PopupMouseUp);
        AdoptPopup(tree_, tree_->Behavior());
      }
      tree_->setPalette(palette());
      tree_->setFont(font());
      activePopup_ = tree_;
      TreeProps().BuildTree();
      if (!LookupReady()) prepared_ = false;
      style_ = vcsDropDownList;
      break;
    }
    case vdsCalculator: {
      if (calculator_ == nullptr) {
        calculator_ = new TVelaCalculator(this);
        calculator_->OnExitClick = [this](TVelaCalculator*, bool selected) {
          RunGuarded([&] { CloseUp(selected); });
        };
        AdoptPopup(calculator_, calculator_->Behavior());
      }
      activePopup_ = calculator_;
      break;
    }
    case vdsEdit:
    case vdsCustomDlg:
      activePopup_ = nullptr;
      break;
  }
  if (prepared_ && Bound()) DisplayValue(currentValue_, Field()->DisplayText());
  update();
}

bool TVelaDBEdit::LookupReady() {
  bool active = false;
  try {
    active = lookupDataSet_ != nullptr && lookupDataSet_->Active();
  } catch (const Exception&) {
    active = false;  // a dataset that cannot say is not ready
  }
  if (!active) return false;
  if (dialogStyle_ == vdsLookup)
    return !LookupProps().LookupKeyField().empty() && !LookupProps().ListFieldNames().empty();
  if (dialogStyle_ == vdsTree)
    return !TreeProps().TextField().empty() && !TreeProps().UniqueField().empty() &&
           !TreeProps().LevelField().empty();
  return true;
}

// ------------------------------------------------------------ showing

void TVelaDBEdit::DataChange() {
  currentValue_ = TVariant();
  TField* field = Field();
  if (Bound() && (!field->DataSet()->IsEmpty() || field->DataSet()->State() == dsInsert)) {
    TField* valueField = field;
    if (dialogStyle_ == vdsLookup && !LookupProps().SourceKeyField().empty())
      if (TField* key = field->DataSet()->FindField(LookupProps().SourceKeyField())) valueField = key;
    currentValue_ = valueField->Value();
    SetEditMask(field->EditMask());
    DisplayValue(currentValue_, field->DisplayText());
  } else {
    DisplayValue(TVariant(), std::string());
  }
  SetModified(Bound() && field->DataSet()->CanModify() && DataLink().Editing() && DataLink().IsModified());
  EditingChange();
}

void TVelaDBEdit::ApplyCharCase(std::string& text) const {
  if (charCase_ == ecUpperCase) text = AnsiUpperCase(text);
  if (charCase_ == ecLowerCase) text = AnsiLowerCase(text);
}

void TVelaDBEdit::ShowText(std::string text) {
  ApplyCharCase(text);
  // Through the mask, which places the text in its positions.
  SetText(text);
}

void TVelaDBEdit::DisplayValue(const TVariant& value, const std::string& text) {
  if (destroying_) return;
  if (!prepared_) Prepare();
  std::string shown = value.IsNull() || value.IsArray() ? std::string() : text;
  if (!prepared_) {
    ShowText(shown);
    return;
  }
  if (OnDisplayText) {
    std::string result = shown;
    OnDisplayText(this, shown, result);
    ShowText(result);
    return;
  }
  if (activePopup_ == nullptr) {
    // Nothing to translate.
  } else if (activePopup_ == itemList_) {
    const TVelaComboProperties& combo = ComboProps();
    if (combo.HasValues()) {
      const auto& values = combo.ComboValues();
      const auto at = std::find(values.begin(), values.end(), shown);
      shown = at != values.end() ? combo.ComboItems()[static_cast<std::size_t>(at - values.begin())] : std::string();
    } else if (style_ == vcsDropDownList) {
      const auto& items = combo.ComboItems();
      if (std::find(items.begin(), items.end(), shown) == items.end()) shown.clear();
    }
  } else if (activePopup_ == lookupList_) {
    bool found = false;
    if (!VarIsClear(value) && LookupReady()) {
      try {
        if (lookupDataSet_->Locate(LookupProps().LookupKeyField(), value, {})) {
          const std::string name = LookupProps().DisplayFieldName();
          if (TField* display = name.empty() ? nullptr : lookupDataSet_->FindField(name)) {
            shown = display->EditText();
            found = true;
          }
        }
      } catch (const Exception&) {
        found = false;  // a value the key field cannot hold is in no row
      }
    }
    if (!found && style_ == vcsDropDownList) shown.clear();
  } else if (activePopup_ == tree_) {
    if (VarIsClear(value) || !tree_->HasNodes())
      shown.clear();
    else
      shown = TVelaPopupTree::NodePath(tree_->FindNode(shown), TreeProps().PathSeparator());
  } else if (shown.find(".00.") != std::string::npos || shown.find("/00/") != std::string::npos) {
    // A calendar or calculator shows no zero date.
    shown.clear();
  }
  ShowText(shown);
}

std::string TVelaDBEdit::PopupText() {
  if (!prepared_) Prepare();
  if (!prepared_) return {};
  if (activePopup_ == itemList_ && itemList_ != nullptr)
    return itemList_->currentRow() >= 0 ? itemList_->ItemText(itemList_->currentRow()) : Text();
  if (activePopup_ == lookupList_ && lookupList_ != nullptr) {
    const std::string item = lookupList_->SelectedItem();
    return item.empty() ? Text() : item;
  }
  if (activePopup_ == tree_ && tree_ != nullptr)
    return tree_->HasNodes() ? TVelaPopupTree::NodePath(tree_->currentItem(), TreeProps().PathSeparator()) : Text();
  if (activePopup_ == calendar_ && calendar_ != nullptr) return DateToStr(calendar_->Date());
  if (activePopup_ == calculator_ && calculator_ != nullptr) return calculator_->DisplayText();
  return Text();
}

TVariant TVelaDBEdit::PopupValue() {
  if (!prepared_) Prepare();
  if (!prepared_ || activePopup_ == nullptr) return TVariant(Text());
  if (activePopup_ == lookupList_)
    return lookupList_->HasSelection() ? lookupList_->KeyValue() : currentValue_;
  if (activePopup_ == tree_)
    return tree_->currentItem() != nullptr ? TVariant(TVelaPopupTree::UniqueValue(tree_->currentItem())) : currentValue_;
  if (activePopup_ == itemList_) {
    const int index = itemList_->currentRow();
    if (index < 0) return TVariant(Bound() && style_ == vcsDropDownList ? Field()->Text() : Text());
    const TVelaComboProperties& combo = ComboProps();
    const auto& list = combo.HasValues() ? combo.ComboValues() : combo.ComboItems();
    return index < static_cast<int>(list.size()) ? TVariant(list[static_cast<std::size_t>(index)]) : TVariant(Text());
  }
  if (activePopup_ == calendar_) return TVariant::FromDateTime(calendar_->Date());
  return TVariant(calculator_->Value());
}

// ------------------------------------------------------ open and close

void TVelaDBEdit::DropDown() {
  if (PopupShowing()) return;
  if (!prepared_) Prepare();
  if (activePopup_ == nullptr) {
    if (dialogStyle_ == vdsCustomDlg && OnCustomDlg) RunCustomDlg();
    return;
  }
  OnDropDown(this);
  droppedDown_ = true;
  const int popupWidth = dropDownWidth_ != 0 ? ScaledPx(this, static_cast<int>(dropDownWidth_)) : width();
  const std::string valueText = currentValue_.IsArray() ? std::string() : currentValue_.AsString();
  if (activePopup_ == lookupList_) {
    lookupList_->resize(popupWidth, lookupList_->height());
    lookupList_->SetKeyValue(currentValue_);
    if (lookupList_->KindSearch() == vksFilter) lookupList_->InstallFilterHook();
  } else if (activePopup_ == tree_) {
    tree_->collapseAll();
    tree_->SelectNode(valueText.empty() ? nullptr : tree_->FindNode(valueText));
    tree_->resize(popupWidth, ScaledPx(this, 200));
  } else if (activePopup_ == itemList_) {
    itemList_->ClearSearch();
    itemList_->resize(popupWidth, itemList_->height());
    itemList_->FitRows(static_cast<int>(dropDownRows_));
    int index = -1;
    if (!valueText.empty()) {
      const TVelaComboProperties& combo = ComboProps();
      const auto& list = combo.HasValues() ? combo.ComboValues() : combo.ComboItems();
      const auto at = std::find(list.begin(), list.end(), valueText);
      if (at != list.end()) index = static_cast<int>(at - list.begin());
    }
    itemList_->setCurrentRow(index);
    itemList_->WidenToItems();
  } else if (activePopup_ == calendar_) {
    TDateTime date = Date();
    if (!VarIsClear(currentValue_) && !valueText.empty()) {
      try {
        date = currentValue_.AsDateTime();
      } catch (const Exception&) {
        date = Date();  // a value that is no date opens on today
      }
    }
    calendar_->SetDate(date);
  } else if (activePopup_ == calculator_) {
    double value = 0;
    if (!VarIsClear(currentValue_) && !valueText.empty() && !TryStrToFloat(Trim(valueText), value)) value = 0;
    calculator_->SetValue(value);
    // The calculator writes the text; a read-only edit shows no caret.
    setReadOnly(true);
  }
  if (TPopupBehavior* behavior = BehaviorOf(activePopup_)) behavior->ShowBelow(this);
  update();
  setFocus(Qt::OtherFocusReason);
}

void TVelaDBEdit::RunCustomDlg() {
  droppedDown_ = true;
  update();
  ScopeExit done([this] {
    droppedDown_ = false;
    update();
  });
  if (Bound() && Field()->DataSet()->CanModify()) DataLink().Edit();
  OnCustomDlg(this);
}

void TVelaDBEdit::CloseUp(bool accept) {
  if (accept) SetModified(true);
  if (!PopupShowing()) return;
  if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
  popupHasMouse_ = false;
  StopTracking();
  QWidget* popup = activePopup_;
  if (TPopupBehavior* behavior = BehaviorOf(popup)) behavior->Hide();
  // A calculation that failed has no result to take.
  if (popup == calculator_ && accept && calculator_->InError()) {
    QApplication::beep();
    accept = false;
  }
  // The choice is read before the lookup table gets its own filtering
  // back, which moves its cursor.
  TVariant value;
  std::string text;
  if (accept) {
    value = PopupValue();
    text = PopupText();
  }
  if (popup == lookupList_) lookupList_->RemoveFilterHook();
  droppedDown_ = false;
  if (popup == calculator_) {
    setReadOnly(Bound() && !CanModify());
    if (!accept) calculator_->Cancel();
  }
  if (accept && EditCanModify()) {
    ScopeFail refocus([this] {
      selectAll();
      setFocus(Qt::OtherFocusReason);
    });
    currentValue_ = value;
    if (Bound()) DataLink().Modified();
    // Shown also when bound: OnUpdateData and a lookup that writes the
    // shown name into its own field take the new text.
    ShowText(text);
    UpdateData();
    // What the field now holds is shown.
    if (Bound()) ResetContent();
  }
  update();
  OnCloseUp(this, accept);
  setFocus(Qt::OtherFocusReason);
  selectAll();
}

// ------------------------------------------------------------ writing

void TVelaDBEdit::UpdateData() {
  ValidateEdit();
  if (OnUpdateData) {
    OnUpdateData(this, Text());
    return;
  }
  if (!Bound()) return;
  TField* field = Field();
  const std::string& sourceKey = LookupProps().SourceKeyField();
  auto write = [this](TField* target) {
    // Dates and numbers from the calendar and the calculator go in as
    // values: a short date format that does not read back (one with month
    // names) must not lose the picked date.
    if (VarIsClear(currentValue_))
      target->Clear();
    else if (currentValue_.VarType() == varDate)
      target->SetAsDateTime(currentValue_.AsDateTime());
    else if (currentValue_.VarType() == varDouble && target->DataType() != ftString)
      target->SetAsFloat(currentValue_.AsFloat());
    else
      target->SetText(currentValue_.AsString());
  };
  if (dialogStyle_ == vdsLookup && !sourceKey.empty()) {
    write(field->DataSet()->FieldByName(sourceKey));
    if (sourceKey != DataField() && field->FieldKind() == fkData) field->SetText(Text());
  } else if (!field->Calculated()) {
    write(field);
  }
}

bool TVelaDBEdit::EditCanModify() {
  if (Field() == nullptr) return true;
  bool allowed = false;
  RunGuarded([&] { allowed = Field()->DataSet()->CanModify() && EditForChange(); });
  return allowed;
}

bool TVelaDBEdit::EditCanAcceptChar(char c) {
  if (style_ == vcsDropDown && Bound() && !Field()->IsValidChar(c)) {
    QApplication::beep();
    return false;
  }
  return true;
}

void TVelaDBEdit::Changed() {
  if (Bound() && Field()->DataSet()->CanModify()) RunGuarded([this] { ContentChanged(); });
  if (isModified() && !PopupShowing()) {
    const std::string text = Text();
    currentValue_ = text.empty() ? TVariant(clearValue_) : TVariant(text);
    if (text.empty() && clearValue_.empty()) currentValue_ = TVariant();
  }
  TCustomMaskEdit::Changed();
}

}  // namespace notarra
