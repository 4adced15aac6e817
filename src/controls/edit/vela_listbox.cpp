#include "controls/edit/vela_listbox.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>

#include "gui/dpi_scale.h"
#include "gui/key_input.h"
#include "gui/qt_text.h"

namespace notarra {

TVelaListbox::TVelaListbox(QWidget* owner) : QListWidget(owner), behavior_(new TPopupBehavior(this, owner)) {
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setLineWidth(1);
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setMouseTracking(false);
  hide();
}

TVelaListbox::~TVelaListbox() = default;

int TVelaListbox::ItemHeight() const { return std::max(ScaledPx(this, 11), fontMetrics().height() + 1); }

void TVelaListbox::ApplyItemHeight() {
  const int h = ItemHeight();
  for (int i = 0; i < count(); ++i) item(i)->setSizeHint(QSize(0, h));
}

void TVelaListbox::SetItems(const std::vector<std::string>& items) {
  clear();
  for (const std::string& text : items) addItem(ToQString(text));
  ApplyItemHeight();
}

std::string TVelaListbox::ItemText(int index) const {
  if (index < 0 || index >= count()) return {};
  return FromQString(item(index)->text());
}

void TVelaListbox::FitRows(int maxRows) {
  const int rows = std::max(1, std::min(count(), maxRows));
  setVerticalScrollBarPolicy(count() > rows ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  setFixedHeight(rows * ItemHeight() + 2 * frameWidth());
}

void TVelaListbox::WidenToItems() {
  int widest = 0;
  for (int i = 0; i < count(); ++i) widest = std::max(widest, fontMetrics().horizontalAdvance(item(i)->text()));
  widest += ScaledPx(this, 6);
  if (verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn) widest += verticalScrollBar()->sizeHint().width();
  const int client = width() - 2 * frameWidth();
  if (widest > client) resize(widest + 2 * frameWidth(), height());
}

bool TVelaListbox::ForwardKey(QKeyEvent* event) {
  const int last = count() - 1;
  const int page = std::max(1, height() / ItemHeight() - 1);
  int target = currentRow();
  switch (event->key()) {
    case Qt::Key_Up: target = std::max(0, target - 1); break;
    case Qt::Key_Down: target = std::min(last, target + 1); break;
    case Qt::Key_PageUp: target = std::max(0, target - page); break;
    case Qt::Key_PageDown: target = std::min(last, std::max(0, target) + page); break;
    case Qt::Key_Home: target = 0; break;
    case Qt::Key_End: target = last; break;
    case Qt::Key_Backspace:
    case Qt::Key_Escape:
      search_.Clear();
      return false;
    default: {
      char c = 0;
      if (!TypedChar(event, c) || static_cast<unsigned char>(c) < 32) return false;
      search_.Add(c);
      const QList<QListWidgetItem*> found = findItems(ToQString(search_.Text()), Qt::MatchStartsWith);
      // findItems gives the matches in list order; the first is wanted.
      int first = -1;
      for (QListWidgetItem* i : found) first = first < 0 ? row(i) : std::min(first, row(i));
      if (first >= 0) setCurrentRow(first);
      return true;
    }
  }
  if (count() > 0) setCurrentRow(target);
  return true;
}

void TVelaListbox::mouseReleaseEvent(QMouseEvent* event) {
  QListWidget::mouseReleaseEvent(event);
  OnMouseUp(this, event);
}

void TVelaListbox::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) ApplyItemHeight();
  QListWidget::changeEvent(event);
}

}  // namespace notarra
