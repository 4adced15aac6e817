#include "controls/edit/calculator.h"

#include <QApplication>
#include <QFontMetrics>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QToolButton>
#include <qdrawutil.h>

#include "gui/exception_guard.h"
#include "gui/mask_edit.h"
#include "platform/text.h"
#include "platform/conversions.h"
#include "platform/format_settings.h"

// The glyphs sit in this library's resources, which a static library only
// links in when something asks for them; the macro must be used outside
// any namespace.
static void InitCalculatorResources() { Q_INIT_RESOURCE(calculator); }

namespace notarra {

enum class TVelaCalculator::TAction {
  Key,  // the button's key (kDecimal: the locale's separator)
  SignChange,
  SquareRoot,
  Reciprocal,
  MemoryClear,
  MemoryRead,
  MemoryStore,
  MemoryAdd,
  Save,
  Cancel,
};

struct TVelaCalculator::TButtonSpec {
  const char* caption;  // or the glyph's resource path, starting with ':'
  int left;
  int top;
  int fontHeight;  // pixels at 96 dpi; 0 for glyph buttons
  QColor color;
  const char* hint;
  TAction action;
  char key;
};

namespace {

constexpr int kWidth = 173;
constexpr int kHeight = 116;
constexpr int kButtonWidth = 28;
constexpr int kButtonHeight = 22;
// Stands for the locale's decimal separator, looked up when pressed.
constexpr char kDecimal = 0;

const QColor kMaroon(128, 0, 0);
const QColor kNavy(0, 0, 128);
const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);

}  // namespace

TVelaCalculator::TVelaCalculator(QWidget* owner) : TPopupWindow(owner) {
  static const bool resourcesLoaded = (InitCalculatorResources(), true);
  (void)resourcesLoaded;

  setFixedSize(Px(kWidth) + 2 * frameWidth(), Px(kHeight) + 2 * frameWidth());
  QFont panelFont = CaptionFont(11);
  setFont(panelFont);
  QPalette pal = palette();
  pal.setColor(QPalette::WindowText, kBlack);
  pal.setColor(QPalette::ButtonText, kBlack);
  setPalette(pal);
  setAutoFillBackground(true);

  memoryLabel_ = new QLabel(this);
  memoryLabel_->setObjectName("MemoryIndicator");
  memoryLabel_->setGeometry(frameWidth() + Px(9), frameWidth() + Px(7), Px(20), Px(21));
  memoryLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  using A = TAction;
  const TButtonSpec buttons[] = {
      {"<=", 30, 2, 13, kMaroon, QT_TR_NOOP("Delete the digit"), A::Key, TCalculatorCore::kBackspace},
      {"C", 58, 2, 16, kMaroon, QT_TR_NOOP("Clear"), A::Key, TCalculatorCore::kClear},
      {":/calculator/calc_ok.png", 114, 2, 0, kBlack, QT_TR_NOOP("Save result"), A::Save, 0},
      {":/calculator/calc_cancel.png", 142, 2, 0, kBlack, QT_TR_NOOP("Close without saving"), A::Cancel, 0},
      {"MC", 2, 24, 11, kNavy, QT_TR_NOOP("Clear memory"), A::MemoryClear, 0},
      {"MR", 2, 46, 11, kNavy, QT_TR_NOOP("Read memory"), A::MemoryRead, 0},
      {"MS", 2, 68, 11, kNavy, QT_TR_NOOP("Write to memory"), A::MemoryStore, 0},
      {"M+", 2, 90, 11, kNavy, QT_TR_NOOP("Add in memory"), A::MemoryAdd, 0},
      {"7", 30, 24, 16, kBlack, "", A::Key, '7'},
      {"8", 58, 24, 16, kBlack, "", A::Key, '8'},
      {"9", 86, 24, 16, kBlack, "", A::Key, '9'},
      {"4", 30, 46, 16, kBlack, "", A::Key, '4'},
      {"5", 58, 46, 16, kBlack, "", A::Key, '5'},
      {"6", 86, 46, 16, kBlack, "", A::Key, '6'},
      {"1", 30, 68, 16, kBlack, "", A::Key, '1'},
      {"2", 58, 68, 16, kBlack, "", A::Key, '2'},
      {"3", 86, 68, 16, kBlack, "", A::Key, '3'},
      {"0", 30, 90, 16, kBlack, "", A::Key, '0'},
      {"+/-", 58, 90, 16, kBlack, "", A::SignChange, 0},
      {",", 86, 90, 19, kBlack, "", A::Key, kDecimal},
      {"/", 114, 24, 16, kBlack, "", A::Key, '/'},
      {"*", 114, 46, 19, kBlack, "", A::Key, '*'},
      {"-", 114, 68, 19, kBlack, "", A::Key, '-'},
      {"+", 114, 90, 19, kBlack, "", A::Key, '+'},
      {"sqrt", 142, 24, 13, kBlack, "", A::SquareRoot, 0},
      {"%", 142, 46, 16, kBlack, "", A::Key, '%'},
      {"1/x", 142, 68, 16, kBlack, "", A::Reciprocal, 0},
      {"=", 142, 90, 19, kRed, "", A::Key, '='},
  };
  for (const TButtonSpec& def : buttons) CreateButton(def);

  decimalsLabel_ = new QLabel(this);
  decimalsLabel_->setObjectName("DecimalDigits");
  decimalsLabel_->setGeometry(frameWidth() + Px(87), frameWidth() + Px(7), Px(14), Px(22));
  decimalsLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  decimalsLabel_->setToolTip(tr("Decimal digits"));
  const auto arrow = [this](const char* glyph, int top, const char* hint, bool up) {
    auto* button = new QToolButton(this);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIcon(QIcon(QString::fromLatin1(glyph)));
    button->setIconSize(QSize(Px(9), Px(6)));
    button->setToolTip(QString::fromLatin1(hint));
    button->setGeometry(frameWidth() + Px(98), frameWidth() + Px(top), Px(15), Px(12));
    connect(button, &QToolButton::clicked, this, [this, up] {
      up ? core_.IncreaseDecimals() : core_.DecreaseDecimals();
      SyncLabels();
    });
  };
  arrow(":/calculator/calc_up.png", 2, "Increase number of decimal digits", true);
  arrow(":/calculator/calc_down.png", 12, "Decrease number of decimal digits", false);

  core_.SetBeep([] { QApplication::beep(); });
  // The core starts cleared; the owner's text is left alone until the
  // calculator is given a value to show.
  core_.SetDisplay(
      [this]() -> std::string {
        if (auto* edit = qobject_cast<TCustomMaskEdit*>(Owner())) return edit->Text();
        return {};
      },
      [this](const std::string& text) {
        if (auto* edit = qobject_cast<TCustomMaskEdit*>(Owner())) edit->SetText(text);
      });
  connect(this, &TPopupWindow::Closed, this, [this](bool accepted) {
    if (!accepted) core_.RestoreStart();
  });
  SyncLabels();
}

TVelaCalculator::~TVelaCalculator() = default;

int TVelaCalculator::Px(int pixels) const {
  const QWidget* measure = Owner() ? Owner() : this;
  return qRound(pixels * measure->logicalDpiY() / 96.0);
}

QFont TVelaCalculator::CaptionFont(int pixelHeight) const {
  QFont font(QStringList{"MS Sans Serif", "Microsoft Sans Serif", "Arial"});
  font.setStyleHint(QFont::SansSerif);
  font.setBold(true);
  // Points, so that the captions grow with the screen's logical dpi as the
  // layout does.
  font.setPointSizeF(pixelHeight * 72.0 / 96.0);
  return font;
}

void TVelaCalculator::CreateButton(const TButtonSpec& def) {
  auto* button = new QToolButton(this);
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::NoFocus);
  button->setGeometry(frameWidth() + Px(def.left), frameWidth() + Px(def.top), Px(kButtonWidth), Px(kButtonHeight));
  if (def.caption[0] == ':') {
    button->setIcon(QIcon(QString::fromLatin1(def.caption)));
    button->setIconSize(QSize(Px(13), Px(13)));
  } else {
    const QString caption = QString::fromLatin1(def.caption);
    button->setText(caption);
    // Fonts differ from one system to the next; a caption that would be
    // clipped gets a smaller size of the same font.
    QFont font = CaptionFont(def.fontHeight);
    while (QFontMetrics(font).horizontalAdvance(caption) > button->width() - Px(2) && font.pointSizeF() > 6)
      font.setPointSizeF(font.pointSizeF() - 0.5);
    button->setFont(font);
    QPalette pal = button->palette();
    pal.setColor(QPalette::ButtonText, def.color);
    button->setPalette(pal);
  }
  if (def.hint[0] != '\0') button->setToolTip(tr(def.hint));
  const TAction action = def.action;
  const char key = def.key;
  connect(button, &QToolButton::clicked, this, [this, action, key] { RunGuarded([&] { Run(action, key); }); });
}

void TVelaCalculator::Run(TAction action, char key) {
  switch (action) {
    case TAction::Key:
      core_.Key(key == kDecimal ? FormatSettings().DecimalSeparator : key);
      break;
    case TAction::SignChange:
      core_.ChangeSign();
      break;
    case TAction::SquareRoot:
      core_.SquareRoot();
      break;
    case TAction::Reciprocal:
      core_.Reciprocal();
      break;
    case TAction::MemoryClear:
      core_.MemoryClear();
      break;
    case TAction::MemoryRead:
      core_.MemoryRead();
      break;
    case TAction::MemoryStore:
      core_.MemoryStore();
      break;
    case TAction::MemoryAdd:
      core_.MemoryAdd();
      break;
    case TAction::Save:
      Save();
      break;
    case TAction::Cancel:
      Cancel();
      break;
  }
  SyncLabels();
}

void TVelaCalculator::SyncLabels() {
  memoryLabel_->setText(QString::fromLatin1(core_.MemoryIndicator().c_str()));
  decimalsLabel_->setText(QString::number(core_.Decimals()));
}

void TVelaCalculator::SetValue(double value) { core_.SetValue(value); }

void TVelaCalculator::Save() {
  if (InError()) {
    // A failed calculation has no result; saving it would store 0.
    QApplication::beep();
    return;
  }
  StrToFloat(Trim(DisplayText()));
  OnExitClick(this, true);
  if (isVisible()) ClosePopup(true);
}

void TVelaCalculator::Cancel() {
  core_.RestoreStart();
  OnExitClick(this, false);
  if (isVisible()) ClosePopup(false);
}

bool TVelaCalculator::ForwardKey(QKeyEvent* event) {
  RunGuarded([&] { HandleKey(event); });
  SyncLabels();
  return true;
}

void TVelaCalculator::HandleKey(QKeyEvent* event) {
  const int key = event->key();
  const bool keypad = event->modifiers().testFlag(Qt::KeypadModifier);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) {
    core_.Key(static_cast<char>('0' + (key - Qt::Key_0)));
    return;
  }
  switch (key) {
    case Qt::Key_Backspace:
      core_.Key(TCalculatorCore::kBackspace);
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      Save();
      return;
    case Qt::Key_Escape:
      Cancel();
      return;
    case Qt::Key_C:
      core_.Key(TCalculatorCore::kClear);
      return;
    case Qt::Key_Comma:
    case Qt::Key_Period:
      core_.Key(FormatSettings().DecimalSeparator);
      return;
    case Qt::Key_Equal:
      core_.Key('=');
      return;
    case Qt::Key_Alt:
      return;
    case Qt::Key_Asterisk:
    case Qt::Key_Plus:
    case Qt::Key_Minus:
    case Qt::Key_Slash:
      if (keypad) {
        core_.Key(static_cast<char>(key));  // these Qt keys are their ASCII codes
        return;
      }
      break;
    default:
      break;
  }
  // Like every key but "C", a wrong one is ignored in the error status.
  if (!InError()) core_.Fail();
}

void TVelaCalculator::paintEvent(QPaintEvent* event) {
  TPopupWindow::paintEvent(event);
  // A raised outer bevel and a lowered inner one inside the thin border.
  QPainter painter(this);
  const QRect outer = contentsRect();
  qDrawShadePanel(&painter, outer, palette(), false, 1);
  qDrawShadePanel(&painter, outer.adjusted(1, 1, -1, -1), palette(), true, 1);
}

}  // namespace notarra
