// TsfFilterDialogView: the small modal window the View Summary button
// shows. One row per criterion, in the order the criteria were made: the
// field, the kind of search, and the value or range in words. The cells can
// be selected and copied but not changed; Escape or OK closes the view, and
// nothing in the criteria changes.
#pragma once

#include <QDialog>

#include "filterdialog/field_info.h"

class QPushButton;

namespace notarra {

class TStringGrid;
class TsfFilterDialog;

class TsfFilterDialogView : public QDialog {
  Q_OBJECT

public:
  explicit TsfFilterDialogView(QWidget* parent = nullptr);
  ~TsfFilterDialogView() override;

  // Fills the grid from the criteria (operator words from the component).
  void Fill(const TsfFilterDialog& component, const TsfFieldInfoList& criteria);

  // Builds the view for the criteria, shows it modally and frees it.
  static void ShowSummary(const TsfFilterDialog& component, const TsfFieldInfoList& criteria);

  TStringGrid* StringGrid1() const { return stringGrid1_; }
  QPushButton* CancelBtn() const { return cancelBtn_; }
  QPushButton* OKButton() const { return okButton_; }

protected:
  void showEvent(QShowEvent* event) override;

private:
  TStringGrid* stringGrid1_ = nullptr;
  QPushButton* cancelBtn_ = nullptr;
  QPushButton* okButton_ = nullptr;
};

}  // namespace notarra
