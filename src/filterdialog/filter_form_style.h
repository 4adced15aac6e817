// What the filter dialog's forms share: their font (bold 8-point "MS Sans
// Serif" as built; the texts table's style once the texts are applied) and
// the OK and Cancel buttons, bitmap buttons or plain ones as the texts table
// chooses.
#pragma once

#include <QFont>
#include <QString>

class QPushButton;
class QWidget;

namespace notarra {

// The forms' font; with applied, in the texts table's style.
QFont FilterFormFont(bool applied = false);

// An OK (ok true) or Cancel button, 77 wide, 27 high as a bitmap button and
// 24 as a plain one.
QPushButton* MakeFormButton(QWidget* parent, const QString& caption, bool ok);

}  // namespace notarra
