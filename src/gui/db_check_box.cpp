#include "gui/db_check_box.h"

#include <QKeyEvent>

#include "dataset/field.h"
#include "gui/exception_guard.h"
#include "platform/codepage.h"
#include "platform/conversions.h"

namespace notarra {

namespace {

bool ValueMatch(const std::string& valueList, const std::string& value) {
  for (const std::string& v : SplitFieldNames(valueList))
    if (AnsiSameText(v, value)) return true;
  return false;
}

std::string FirstValue(const std::string& valueList) {
  const std::vector<std::string> values = SplitFieldNames(valueList);
  return values.empty() ? std::string() : values.front();
}

}  // namespace

TDBCheckBox::TDBCheckBox(QWidget* parent) : QCheckBox(parent), TFieldDataControl(this) {}

TDBCheckBox::~TDBCheckBox() = default;

void TDBCheckBox::SetValueChecked(const std::string& value) {
  valueChecked_ = value;
  DataChange();
}

void TDBCheckBox::SetValueUnchecked(const std::string& value) {
  valueUnchecked_ = value;
  DataChange();
}

Qt::CheckState TDBCheckBox::FieldState() const {
  const TField* field = Field();
  if (field == nullptr) return Qt::Unchecked;
  if (field->IsNull()) return Qt::PartiallyChecked;
  if (field->DataType() == ftBoolean) return field->AsBoolean() ? Qt::Checked : Qt::Unchecked;
  const std::string text = field->Text();
  if (ValueMatch(valueChecked_, text)) return Qt::Checked;
  if (ValueMatch(valueUnchecked_, text)) return Qt::Unchecked;
  return Qt::PartiallyChecked;
}

void TDBCheckBox::DataChange() { setCheckState(FieldState()); }

void TDBCheckBox::UpdateData() {
  TField* field = Field();
  if (checkState() == Qt::PartiallyChecked)
    field->Clear();
  else if (field->DataType() == ftBoolean)
    field->SetAsBoolean(checkState() == Qt::Checked);
  else
    field->SetText(FirstValue(checkState() == Qt::Checked ? valueChecked_ : valueUnchecked_));
}

void TDBCheckBox::nextCheckState() {
  bool allowed = false;
  RunGuarded([&] { allowed = EditForChange(); });
  if (!allowed) return;
  switch (checkState()) {
    case Qt::Unchecked: setCheckState(allowGrayed_ ? Qt::PartiallyChecked : Qt::Checked); break;
    case Qt::PartiallyChecked: setCheckState(Qt::Checked); break;
    case Qt::Checked: setCheckState(Qt::Unchecked); break;
  }
  RunGuarded([this] { ContentChanged(); });
}

void TDBCheckBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && DataLink().IsModified()) {
    RunGuarded([this] { ResetContent(); });
    event->accept();
    return;
  }
  QCheckBox::keyPressEvent(event);
}

void TDBCheckBox::focusInEvent(QFocusEvent* event) {
  RunGuarded([&] { HandleFocusIn(event); });
  QCheckBox::focusInEvent(event);
}

void TDBCheckBox::focusOutEvent(QFocusEvent* event) {
  QCheckBox::focusOutEvent(event);
  RunGuarded([&] { HandleFocusOut(event); });
}

}  // namespace notarra
