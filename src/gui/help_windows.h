#pragma once
// Help > About Kestrel and Help > Contents and Index.

#include <QDialog>

namespace kestrel::gui {

// The modal About box: "Kestrel", the program's picture, its version and an "Ok" button.
void RunAboutDialog(QWidget& owner);

// The help page shipped with the program, in a window of its own beside the main window.
QDialog* NewHelpWindow(QWidget& owner);

}  // namespace kestrel::gui
