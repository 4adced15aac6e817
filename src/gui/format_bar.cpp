#include "gui/format_bar.h"

#include <QHBoxLayout>
#include <functional>
#include <QTextList>
#include <QToolButton>

#include "gui/db_memo.h"

namespace notarra {

TFormatBar::TFormatBar(TDBMemo* memo, QWidget* parent) : QWidget(parent), memo_(memo) {
  setObjectName("FormatBar");
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(2);
  auto button = [this, row](const char* name, const QString& text, const QString& tip,
                            const std::function<void()>& toggle) {
    auto* b = new QToolButton(this);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(tip);
    b->setCheckable(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoRaise(true);
    // The click only asks the memo; the memo's cursor then says what is on.
    connect(b, &QToolButton::clicked, this, [this, toggle] {
      toggle();
      ShowState();
    });
    row->addWidget(b);
    return b;
  };
  bold_ = button("BoldButton", "B", tr("Bold (Ctrl+B)"), [this] { memo_->ToggleBold(); });
  QFont f = bold_->font();
  f.setBold(true);
  bold_->setFont(f);
  italic_ = button("ItalicButton", "I", tr("Italic (Ctrl+I)"), [this] { memo_->ToggleItalic(); });
  f = italic_->font();
  f.setItalic(true);
  italic_->setFont(f);
  underline_ = button("UnderlineButton", "U", tr("Underline (Ctrl+U)"), [this] { memo_->ToggleUnderline(); });
  f = underline_->font();
  f.setUnderline(true);
  underline_->setFont(f);
  list_ = button("ListButton", tr("\u2022 List"), tr("Bullet list"), [this] { memo_->ToggleBulletList(); });
  connect(memo_, &QTextEdit::currentCharFormatChanged, this, [this] { ShowState(); });
  connect(memo_, &QTextEdit::cursorPositionChanged, this, [this] { ShowState(); });
  ShowState();
}

void TFormatBar::ShowState() {
  bold_->setChecked(memo_->fontWeight() >= QFont::DemiBold);
  italic_->setChecked(memo_->fontItalic());
  underline_->setChecked(memo_->fontUnderline());
  list_->setChecked(memo_->textCursor().currentList() != nullptr);
}

}  // namespace notarra
