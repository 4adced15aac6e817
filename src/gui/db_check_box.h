// TDBCheckBox: the plain data check box. It is checked when the field's
// value is true (Boolean fields) or its text is one of ValueChecked,
// unchecked for false or one of ValueUnchecked, and grayed for a null or
// any other value. ValueChecked and ValueUnchecked are lists separated by
// ";", matched without regard to letter case; the first of each is what a
// non-Boolean field is given. A click or Space toggles the box and puts
// the dataset into edit (when the data source allows it; otherwise the
// box stays as it is); the value is written into the field when the box is
// left or the record is posted. AllowGrayed lets the user pick the grayed
// state, which clears the field.
#pragma once

#include <QCheckBox>
#include <string>

#include "gui/field_data_control.h"

namespace notarra {

class TDBCheckBox : public QCheckBox, public TFieldDataControl {
  Q_OBJECT

public:
  explicit TDBCheckBox(QWidget* parent = nullptr);
  ~TDBCheckBox() override;

  const std::string& ValueChecked() const { return valueChecked_; }
  void SetValueChecked(const std::string& value);
  const std::string& ValueUnchecked() const { return valueUnchecked_; }
  void SetValueUnchecked(const std::string& value);
  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool value) { allowGrayed_ = value; }

protected:
  void DataChange() override;
  void UpdateData() override;

  void nextCheckState() override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

private:
  Qt::CheckState FieldState() const;

  std::string valueChecked_ = "True";
  std::string valueUnchecked_ = "False";
  bool allowGrayed_ = false;
};

}  // namespace notarra
