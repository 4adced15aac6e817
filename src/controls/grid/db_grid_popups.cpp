#include "controls/grid/db_grid_popups.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>
#include <cstdint>

#include "gui/dpi_scale.h"
#include "gui/key_input.h"
#include "gui/popup_behavior.h"
#include "gui/qt_text.h"

namespace notarra {

TPopupListbox::TPopupListbox(QWidget* owner) : QListWidget(owner), behavior_(new TPopupBehavior(this, owner)) {
  setFrameShape(QFrame::Box);
  setLineWidth(1);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setUniformItemSizes(true);
  hide();
}

int TPopupListbox::ItemHeight() const { return std::max(ScaledPx(this, 11), fontMetrics().height() + 1); }

void TPopupListbox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Escape) {
    search_.Clear();
    event->accept();
    return;
  }
  char c = 0;
  if (TypedChar(event, c) && static_cast<unsigned char>(c) >= 32) {
    search_.Add(c, Clock());
    const QString prefix = ToQString(search_.Text());
    for (int i = 0; i < count(); ++i)
      if (item(i)->text().startsWith(prefix, Qt::CaseInsensitive)) {
        setCurrentRow(i);
        break;
      }
    event->accept();
    return;
  }
  QListWidget::keyPressEvent(event);
}

void TPopupListbox::mouseReleaseEvent(QMouseEvent* event) {
  QListWidget::mouseReleaseEvent(event);
  if (OnMouseUp) OnMouseUp(mapFromGlobal(event->globalPosition().toPoint()), event->button());
}

TVelaPopupCalendar::TVelaPopupCalendar(QWidget* owner)
    : TVelaCalendar(owner), behavior_(new TPopupBehavior(this, owner)) {
  hide();
}

void TVelaPopupCalendar::mouseReleaseEvent(QMouseEvent* event) {
  TVelaCalendar::mouseReleaseEvent(event);
  if (OnMouseUp) OnMouseUp(event->position().toPoint(), event->button());
}

}  // namespace notarra
