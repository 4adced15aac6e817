// TProgressDialog: a small window that shows how far a long operation on
// the user-interface thread has come, such as a big table loading or
// saving. The operation holds the thread, so the window shows and repaints
// itself from SetPercent rather than from the event loop. It appears only
// once the operation has run for the show delay, so that quick operations
// never flash it, and it ignores the user's input while it is up.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <chrono>

class QLabel;
class QProgressBar;

namespace notarra {

class TProgressDialog : public QDialog {
  Q_OBJECT

public:
  explicit TProgressDialog(QWidget* parent = nullptr);
  ~TProgressDialog() override;

  // The delay new dialogs start with (half a second unless set).
  static std::chrono::milliseconds DefaultShowDelay();
  static void SetDefaultShowDelay(std::chrono::milliseconds delay);

  std::chrono::milliseconds ShowDelay() const { return delay_; }
  void SetShowDelay(std::chrono::milliseconds delay) { delay_ = delay; }

  // Begins an operation described by text; the clock for the delay starts now.
  void Start(const QString& text);
  // The operation's progress, 0 to 100. Ignored when no operation runs.
  void SetPercent(int percent);
  // Ends the operation and hides the window; the window that was active
  // when it came up is made active again.
  void Finish();

  bool Running() const { return running_; }
  int Percent() const { return percent_; }
  QString Text() const;

protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  void Refresh();

  QLabel* label_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QElapsedTimer clock_;
  std::chrono::milliseconds delay_;
  bool running_ = false;
  int percent_ = 0;
  // The active window this one took the activation from.
  QPointer<QWidget> previousActive_;
};

// Runs an operation between Start and Finish, also when it throws.
class TProgressScope {
public:
  TProgressScope(TProgressDialog* dialog, const QString& text) : dialog_(dialog) {
    if (dialog_) dialog_->Start(text);
  }
  ~TProgressScope() {
    if (dialog_) dialog_->Finish();
  }
  TProgressScope(const TProgressScope&) = delete;
  TProgressScope& operator=(const TProgressScope&) = delete;

private:
  TProgressDialog* dialog_;
};

}  // namespace notarra
