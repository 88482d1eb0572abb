// The buttons of the program's windows: the OK/Cancel row at a dialog's foot and the one rule
// by which keys fire buttons.
#pragma once

#include <QDialogButtonBox>

class QPushButton;
class QWidget;

// Installs on `window` the keys of its buttons: Enter or Space clicks the focused button;
// Enter with the focus on no button clicks `defaultButton`; Escape clicks `cancelButton`.
// No key closes the window in any other way, and a hidden or disabled button never fires.
// Either button may be null. Buttons keep their own click handlers and dialog results.
void ApplyButtonKeys(QWidget* window, QPushButton* defaultButton, QPushButton* cancelButton);

// The row of `ok` and `cancel` (either may be null) in the platform's order. The box only
// places them: each button's clicked handler stays what decides the dialog's result.
QDialogButtonBox* OkCancelBox(QWidget* parent, QPushButton* ok, QPushButton* cancel);
