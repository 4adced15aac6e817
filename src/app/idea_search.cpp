#include "app/idea_search.h"

#include <QKeyEvent>
#include <QShortcut>
#include <QTimer>

#include "gui/exception_guard.h"
#include "gui/qt_text.h"
#include "tableengine/vela_dataset.h"

namespace notarra {

TIdeaSearch::TIdeaSearch(TVelaDataset* ideas, QWidget* parent, std::size_t slice)
    : QLineEdit(parent), ideas_(ideas), slice_(slice) {
  setObjectName("IdeaSearch");
  setPlaceholderText(tr("Search ideas (Ctrl+K)"));
  setToolTip(tr("Show only the ideas whose Subject, Title, Keywords or Notes hold every word typed"));
  setClearButtonEnabled(true);
  // Room for the whole hint, the clear button and the frame, in any language.
  setMinimumWidth(fontMetrics().horizontalAdvance(placeholderText()) + fontMetrics().height() * 3);
  ideas_->SetSearchFields("Subject;Title;Keywords;Notes");
  for (const QKeySequence& key : {QKeySequence(Qt::CTRL | Qt::Key_K), QKeySequence(Qt::Key_Search)}) {
    auto* shortcut = new QShortcut(key, parent->window());
    connect(shortcut, &QShortcut::activated, this, [this] {
      setFocus(Qt::ShortcutFocusReason);
      selectAll();
    });
  }
  connect(this, &QLineEdit::textChanged, this, &TIdeaSearch::Narrow);
}

bool TIdeaSearch::Pending() const { return ideas_->SearchPending(); }

void TIdeaSearch::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && !text().isEmpty()) {
    clear();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void TIdeaSearch::Narrow(const QString& text) {
  RunGuarded([&] {
    if (!ideas_->SetSearchText(FromQString(text), slice_)) ContinueLater();
  });
}

// One slice per turn of the event loop, so that keys typed meanwhile come
// first; whatever text is newest is the one continued.
void TIdeaSearch::ContinueLater() {
  if (continuing_) return;
  continuing_ = true;
  QTimer::singleShot(0, this, [this] {
    continuing_ = false;
    RunGuarded([&] {
      if (!ideas_->ContinueSearch(slice_)) ContinueLater();
    });
  });
}

}  // namespace notarra
