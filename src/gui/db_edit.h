// TDBEdit: the plain data edit. A masked edit (the field's EditMask) that
// shows one field of the data source's current record: the field's display
// text while the edit is not focused or cannot change the field, its edit
// text while focused. Typing puts the dataset into edit (when the data
// source allows it) and refuses characters the field does not take; String
// fields limit the length to their size. Escape throws the change away;
// Enter or leaving the edit writes the text into the field, and a text the
// field cannot take is shown as an error with the focus kept. The edit is
// read-only when the field or its dataset cannot be modified.
#pragma once

#include "gui/field_data_control.h"
#include "gui/mask_edit.h"

namespace notarra {

class TDBEdit : public TCustomMaskEdit, public TFieldDataControl {
  Q_OBJECT

public:
  explicit TDBEdit(QWidget* parent = nullptr);
  ~TDBEdit() override;

  // A length limit of the control's own (0: the field's size for String fields).
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int value);

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

private:
  void ApplyMaxLength();

  int maxLength_ = 0;
};

}  // namespace notarra
