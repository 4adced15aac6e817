// TFieldDataControl: what every single-field data-aware control shares.
// It owns the control's field data link (DataSource, DataField, ReadOnly),
// shows the field again whenever the record changes, and writes the
// control's pending change into the field when the dataset asks for it
// (before it posts or moves) or when the control is left.
//
// Entering the control shows the field's edit form; leaving it writes the
// change and shows the display form. When that write fails (a text that is
// no valid value for the field), the error is shown, the user's text stays
// and the focus comes back to the control.
//
// A control derives from its Qt widget and from this class, implements
// DataChange and UpdateData, calls EditForChange before it lets the user
// change its content and ContentChanged after, and forwards its focus
// events to HandleFocusIn / HandleFocusOut.
#pragma once

#include <string>

#include "dataset/data_link.h"

class QFocusEvent;
class QWidget;

namespace notarra {
class TDataSource;
class TField;

class TFieldDataControl {
public:
  TFieldDataControl(const TFieldDataControl&) = delete;
  TFieldDataControl& operator=(const TFieldDataControl&) = delete;

  TDataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(TDataSource* source);
  const std::string& DataField() const { return link_.FieldName(); }
  void SetDataField(const std::string& name);
  // The bound field; null without an open dataset or a matching name.
  TField* Field() const { return link_.Field(); }
  // A read-only control never changes its field.
  bool ReadOnly() const { return link_.ReadOnly(); }
  void SetReadOnly(bool value);
  // Whether the user can change the field through this control now or
  // after putting the dataset into edit.
  bool CanModify() const { return link_.CanModify(); }

protected:
  explicit TFieldDataControl(QWidget* control);
  virtual ~TFieldDataControl();

  // Show the field's value (nothing without a field). Focused() tells
  // whether the edit form or the display form is wanted.
  virtual void DataChange() = 0;
  // Write the control's content into the field; may raise.
  virtual void UpdateData() = 0;
  // The link became active or inactive, or started or stopped editing.
  virtual void EditingChange() {}

  TFieldDataLink& DataLink() { return link_; }
  const TFieldDataLink& DataLink() const { return link_; }
  bool Focused() const { return focused_; }

  // Asked before the user changes the content: puts the dataset into edit
  // when needed and says whether the change may go ahead. The content the
  // user sees is kept while the dataset enters edit.
  bool EditForChange();
  // After the user changed the content. A change the dataset refuses
  // (no editing possible) is thrown away: the field shows again.
  void ContentChanged();
  // Throws the pending change away: the control shows the field again.
  void ResetContent() { link_.Reset(); }
  // Writes a pending change into the field now. A failure is shown and the
  // text kept; returns whether the field holds the content.
  bool CommitChange();

  void HandleFocusIn(QFocusEvent* event);
  void HandleFocusOut(QFocusEvent* event);

private:
  void LinkDataChange();
  void LinkUpdateData();
  void LinkFocusControl(bool& taken);

  QWidget* control_;
  TFieldDataLink link_;
  bool focused_ = false;
  // While the dataset enters edit for a change the user is making.
  bool holdContent_ = false;
  // While the focus is being given back after a failed write.
  bool refocusing_ = false;
};

}  // namespace notarra
