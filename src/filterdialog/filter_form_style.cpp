#include "filterdialog/filter_form_style.h"

#include <QPushButton>
#include <QStyle>

#include "filterdialog/filter_texts.h"
#include "gui/dpi_scale.h"

namespace notarra {

QFont FilterFormFont(bool applied) {
  QFont font("MS Sans Serif");
  font.setPointSize(8);
  font.setBold(true);
  if (applied) {
    const TsfFontStyles& style = FilterDialogTexts().DialogFontStyle;
    font.setBold(style.Bold);
    font.setItalic(style.Italic);
    font.setUnderline(style.Underline);
    font.setStrikeOut(style.StrikeOut);
  }
  return font;
}

QPushButton* MakeFormButton(QWidget* parent, const QString& caption, bool ok) {
  auto* button = new QPushButton(caption, parent);
  const bool bitmap = FilterDialogTexts().BitmapButtons;
  if (bitmap)
    button->setIcon(parent->style()->standardIcon(ok ? QStyle::SP_DialogOkButton : QStyle::SP_DialogCancelButton));
  button->resize(ScaledSize(parent, 77, bitmap ? 27 : 24));
  return button;
}

}  // namespace notarra
