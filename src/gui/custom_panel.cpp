#include "gui/custom_panel.h"

#include <QPainter>
#include <qdrawutil.h>

namespace notarra {

TCustomPanel::TCustomPanel(QWidget* parent) : QFrame(parent) {
  setFrameShape(QFrame::NoFrame);
  setAutoFillBackground(true);
}

void TCustomPanel::SetBevelInner(TBevelCut value) {
  if (value == bevelInner_) return;
  bevelInner_ = value;
  update();
}

void TCustomPanel::SetBevelOuter(TBevelCut value) {
  if (value == bevelOuter_) return;
  bevelOuter_ = value;
  update();
}

void TCustomPanel::SetBounds(int left, int top, int width, int height) {
  if (!CanResize(width, height)) {
    width = this->width();
    height = this->height();
  }
  setGeometry(left, top, width, height);
}

bool TCustomPanel::CanResize(int&, int&) { return true; }

void TCustomPanel::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  QRect r = rect();
  for (TBevelCut cut : {bevelOuter_, bevelInner_}) {
    if (cut == bvNone) continue;
    qDrawShadeRect(&painter, r, palette(), cut == bvLowered, BevelWidth());
    r.adjust(BevelWidth(), BevelWidth(), -BevelWidth(), -BevelWidth());
  }
}

}  // namespace notarra
