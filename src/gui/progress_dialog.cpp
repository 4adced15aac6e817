#include "gui/progress_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/qt_services.h"

namespace notarra {

namespace {

std::chrono::milliseconds defaultDelay{500};

}  // namespace

std::chrono::milliseconds TProgressDialog::DefaultShowDelay() { return defaultDelay; }

void TProgressDialog::SetDefaultShowDelay(std::chrono::milliseconds delay) { defaultDelay = delay; }

TProgressDialog::TProgressDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), delay_(defaultDelay) {
  setObjectName("ProgressDialog");
  setWindowTitle(QCoreApplication::instance() ? MessageBoxTitle() : QString());
  setWindowModality(Qt::ApplicationModal);
  auto* layout = new QVBoxLayout(this);
  label_ = new QLabel(this);
  bar_ = new QProgressBar(this);
  bar_->setRange(0, 100);
  bar_->setMinimumWidth(300);
  layout->addWidget(label_);
  layout->addWidget(bar_);
}

TProgressDialog::~TProgressDialog() = default;

QString TProgressDialog::Text() const { return label_->text(); }

void TProgressDialog::Start(const QString& text) {
  label_->setText(text);
  percent_ = 0;
  bar_->setValue(0);
  running_ = true;
  clock_.start();
}

void TProgressDialog::SetPercent(int percent) {
  if (!running_) return;
  percent = std::clamp(percent, 0, 100);
  const bool changed = percent != percent_;
  percent_ = percent;
  if (!isVisible()) {
    if (clock_.elapsed() < delay_.count()) return;
    bar_->setValue(percent_);
    adjustSize();
    if (parentWidget()) move(parentWidget()->window()->geometry().center() - rect().center());
    // While an earlier operation's hand-back is still on its way, this
    // window may still count as the active one.
    if (QWidget* active = QApplication::activeWindow(); active != nullptr && active != this) previousActive_ = active;
    show();
    // The first show needs the window system's answer before it paints.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    Refresh();
  } else if (changed) {
    bar_->setValue(percent_);
    Refresh();
  }
}

void TProgressDialog::Refresh() {
  // Only this window: the rest of the program is in the middle of the
  // operation and must not run.
  repaint();
  QCoreApplication::sendPostedEvents(this);
}

void TProgressDialog::Finish() {
  running_ = false;
  const bool shown = isVisible();
  hide();
  // Showing took the activation, and not every window system hands it back
  // on hiding: without it the user's typing would go nowhere.
  if (shown && previousActive_ && previousActive_->isVisible()) previousActive_->activateWindow();
}

void TProgressDialog::closeEvent(QCloseEvent* event) {
  // The operation cannot be stopped half-way; the window goes when it ends.
  if (running_) event->ignore();
  else QDialog::closeEvent(event);
}

void TProgressDialog::keyPressEvent(QKeyEvent* event) {
  // Escape would reject (hide) the dialog while the operation still runs.
  if (event->key() == Qt::Key_Escape && running_) return;
  QDialog::keyPressEvent(event);
}

}  // namespace notarra
