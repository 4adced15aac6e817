// TDBNavigator: the plain record navigator. A row of buttons that move
// through the data source's dataset and edit it: first, prior, next, last,
// insert, delete, edit, post, cancel and refresh; VisibleButtons picks the
// ones shown, which share the width equally. Each button is enabled only
// when its action makes sense: moving towards the start not at BOF,
// towards the end not at EOF, the editing buttons only when the dataset
// can be modified, post and cancel only while editing, delete only with a
// record to delete. Each button has a hint ("Short|Long": tooltip and
// status text). With ConfirmDelete (the default) the delete button first
// asks "Delete record?" through the platform's confirmation service and
// deletes only on OK. The buttons never take the focus, so an edit being
// typed in stays focused and its change is posted with the record.
#pragma once

#include <QWidget>
#include <array>
#include <memory>
#include <string>

#include "platform/events.h"
#include "platform/set.h"

class QToolButton;

namespace notarra {
class TDataSource;
class TNavigatorDataLink;

enum TNavigateBtn { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh };
using TButtonSet = TSet<TNavigateBtn>;

class TDBNavigator;
// Sender and the button.
using TNavClickEvent = TEvent<TDBNavigator*, TNavigateBtn>;

class TDBNavigator : public QWidget {
  Q_OBJECT

public:
  static constexpr int kButtonCount = nbRefresh + 1;

  explicit TDBNavigator(QWidget* parent = nullptr);
  ~TDBNavigator() override;

  TDataSource* DataSource() const;
  void SetDataSource(TDataSource* source);
  TButtonSet VisibleButtons() const { return visibleButtons_; }
  void SetVisibleButtons(TButtonSet buttons);
  // The hint of a button; SetHint with an empty text brings back the default.
  std::string Hint(TNavigateBtn button) const;
  void SetHint(TNavigateBtn button, const std::string& hint);
  bool ConfirmDelete() const { return confirmDelete_; }
  void SetConfirmDelete(bool value) { confirmDelete_ = value; }

  QToolButton* Button(TNavigateBtn button) const { return buttons_[static_cast<std::size_t>(button)]; }
  // What a click on the button does; raises what the dataset raises.
  void BtnClick(TNavigateBtn button);

  // Before the button's action runs (only with an active dataset).
  TNavClickEvent BeforeAction;
  // After a click, whether or not an action ran.
  TNavClickEvent OnClick;

private:
  friend class TNavigatorDataLink;
  void UpdateButtons();
  void ApplyHint(TNavigateBtn button);

  std::unique_ptr<TNavigatorDataLink> link_;
  std::array<QToolButton*, kButtonCount> buttons_{};
  std::array<std::string, kButtonCount> hints_;
  TButtonSet visibleButtons_;
  bool confirmDelete_ = true;
};

}  // namespace notarra
