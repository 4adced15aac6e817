#include "gui/db_navigator.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QToolButton>

#include "dataset/data_link.h"
#include "dataset/data_source.h"
#include "dataset/dataset.h"
#include "gui/exception_guard.h"
#include "gui/qt_text.h"
#include "platform/services.h"
#include "platform/text.h"

namespace notarra {

namespace {

constexpr const char* kDeleteRecordQuestion = QT_TRANSLATE_NOOP("notarra::TDBNavigator", "Delete record?");

constexpr std::array<const char*, TDBNavigator::kButtonCount> kDefaultHints = {
    QT_TRANSLATE_NOOP("notarra::TDBNavigator", "First record"),
    QT_TRANSLATE_NOOP("notarra::TDBNavigator", "Prior record"),
    QT_TRANSLATE_NOOP("notarra::TDBNavigator", "Next record"),
    QT_TRANSLATE_NOOP("notarra::TDBNavigator", "Last record"),
    QT_TRANSLATE_NOOP("notarra::TDBNavigator", "Insert record"),
    QT_TRANSLATE_NOOP("notarra::TDBNavigator", "Delete record"),
    QT_TRANSLATE_NOOP("notarra::TDBNavigator", "Edit record"),
    QT_TRANSLATE_NOOP("notarra::TDBNavigator", "Post edit"),
    QT_TRANSLATE_NOOP("notarra::TDBNavigator", "Cancel edit"),
    QT_TRANSLATE_NOOP("notarra::TDBNavigator", "Refresh data"),
};

constexpr std::array<const char*, TDBNavigator::kButtonCount> kButtonNames = {
    "First", "Prior", "Next", "Last", "Insert", "Delete", "Edit", "Post", "Cancel", "Refresh",
};

// The button pictures, drawn on a 16 x 16 grid in the given ink.
QPixmap GlyphPixmap(TNavigateBtn button, const QColor& ink) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(ink);
  auto triangle = [&p](QPointF a, QPointF b, QPointF c) { p.drawPolygon(QPolygonF{a, b, c}); };
  switch (button) {
    case nbFirst:
      p.drawRect(QRectF(4, 4, 2, 8));
      triangle({12, 4}, {12, 12}, {7, 8});
      break;
    case nbPrior: triangle({10, 4}, {10, 12}, {5, 8}); break;
    case nbNext: triangle({6, 4}, {6, 12}, {11, 8}); break;
    case nbLast:
      triangle({4, 4}, {4, 12}, {9, 8});
      p.drawRect(QRectF(10, 4, 2, 8));
      break;
    case nbInsert:
      p.drawRect(QRectF(7, 3, 2, 10));
      p.drawRect(QRectF(3, 7, 10, 2));
      break;
    case nbDelete: p.drawRect(QRectF(3, 7, 10, 2)); break;
    case nbEdit: triangle({4, 11}, {12, 11}, {8, 5}); break;
    case nbPost:
      p.setPen(QPen(ink, 2));
      p.setBrush(Qt::NoBrush);
      p.drawPolyline(QPolygonF{{3, 8}, {7, 12}, {13, 4}});
      break;
    case nbCancel:
      p.setPen(QPen(ink, 2));
      p.drawLine(QPointF(4, 4), QPointF(12, 12));
      p.drawLine(QPointF(12, 4), QPointF(4, 12));
      break;
    case nbRefresh: {
      p.setPen(QPen(ink, 1.5));
      p.setBrush(Qt::NoBrush);
      p.drawArc(QRectF(3.5, 3.5, 9, 9), 90 * 16, 270 * 16);
      p.setPen(Qt::NoPen);
      p.setBrush(ink);
      triangle({8, 1}, {8, 6}, {11, 3.5});
      break;
    }
  }
  p.end();
  return pixmap;
}

// The styles' derived disabled look barely changes a black glyph on a
// transparent ground, so the greyed picture is drawn in its own ink.
QIcon Glyph(TNavigateBtn button) {
  QIcon icon(GlyphPixmap(button, QColor(0, 0, 0)));
  icon.addPixmap(GlyphPixmap(button, QColor(160, 160, 160)), QIcon::Disabled);
  return icon;
}

}  // namespace

// The navigator's view of its data source: every notice that can change
// which buttons make sense updates them.
class TNavigatorDataLink : public TDataLink {
public:
  explicit TNavigatorDataLink(TDBNavigator* navigator) : navigator_(navigator) {}

protected:
  void ActiveChanged() override { navigator_->UpdateButtons(); }
  void EditingChanged() override { navigator_->UpdateButtons(); }
  void DataSetChanged() override { navigator_->UpdateButtons(); }
  void RecordChanged(TField*) override {}

private:
  TDBNavigator* navigator_;
};

TDBNavigator::TDBNavigator(QWidget* parent)
    : QWidget(parent), link_(std::make_unique<TNavigatorDataLink>(this)) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  for (int i = 0; i < kButtonCount; ++i) {
    const auto kind = static_cast<TNavigateBtn>(i);
    auto* button = new QToolButton(this);
    button->setObjectName(kButtonNames[static_cast<std::size_t>(i)]);
    button->setIcon(Glyph(kind));
    button->setFocusPolicy(Qt::NoFocus);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    button->setEnabled(false);
    connect(button, &QToolButton::clicked, this, [this, kind] { RunGuarded([this, kind] { BtnClick(kind); }); });
    layout->addWidget(button);
    buttons_[static_cast<std::size_t>(i)] = button;
    ApplyHint(kind);
  }
  SetVisibleButtons({nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh});
}

TDBNavigator::~TDBNavigator() = default;

TDataSource* TDBNavigator::DataSource() const { return link_->DataSource(); }

void TDBNavigator::SetDataSource(TDataSource* source) {
  link_->SetDataSource(source);
  UpdateButtons();
}

void TDBNavigator::SetVisibleButtons(TButtonSet buttons) {
  visibleButtons_ = buttons;
  for (int i = 0; i < kButtonCount; ++i)
    buttons_[static_cast<std::size_t>(i)]->setVisible(buttons.Contains(static_cast<TNavigateBtn>(i)));
}

std::string TDBNavigator::Hint(TNavigateBtn button) const {
  const std::string& own = hints_[static_cast<std::size_t>(button)];
  return own.empty() ? FromQString(tr(kDefaultHints[static_cast<std::size_t>(button)])) : own;
}

void TDBNavigator::SetHint(TNavigateBtn button, const std::string& hint) {
  hints_[static_cast<std::size_t>(button)] = hint;
  ApplyHint(button);
}

void TDBNavigator::ApplyHint(TNavigateBtn button) {
  const std::string hint = Hint(button);
  const THintParts parts = SplitHint(hint);
  Button(button)->setToolTip(ToQString(parts.Short));
  Button(button)->setStatusTip(ToQString(parts.Long));
}

void TDBNavigator::UpdateButtons() {
  TDataSet* dataSet = link_->DataSet();
  const bool active = link_->Active() && dataSet != nullptr;
  const bool up = active && !dataSet->Bof();
  const bool down = active && !dataSet->Eof();
  const bool canModify = active && dataSet->CanModify();
  const bool editing = active && link_->Editing();
  const bool empty = active && dataSet->Bof() && dataSet->Eof();
  Button(nbFirst)->setEnabled(up);
  Button(nbPrior)->setEnabled(up);
  Button(nbNext)->setEnabled(down);
  Button(nbLast)->setEnabled(down);
  Button(nbInsert)->setEnabled(canModify);
  Button(nbDelete)->setEnabled(canModify && !empty);
  Button(nbEdit)->setEnabled(canModify && !editing);
  Button(nbPost)->setEnabled(canModify && editing);
  Button(nbCancel)->setEnabled(canModify && editing);
  Button(nbRefresh)->setEnabled(active);
}

void TDBNavigator::BtnClick(TNavigateBtn button) {
  TDataSet* dataSet = link_->DataSet();
  if (link_->Active() && dataSet != nullptr) {
    BeforeAction(this, button);
    switch (button) {
      case nbFirst: dataSet->First(); break;
      case nbPrior: dataSet->Prior(); break;
      case nbNext: dataSet->Next(); break;
      case nbLast: dataSet->Last(); break;
      case nbInsert: dataSet->Insert(); break;
      case nbDelete:
        if (!confirmDelete_ || ConfirmOkCancel(FromQString(tr(kDeleteRecordQuestion)))) dataSet->Delete();
        break;
      case nbEdit: dataSet->Edit(); break;
      case nbPost: dataSet->Post(); break;
      case nbCancel: dataSet->Cancel(); break;
      case nbRefresh: dataSet->Refresh(); break;
    }
  }
  OnClick(this, button);
}

}  // namespace notarra
