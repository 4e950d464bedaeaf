// What the program's windows expect of the desktop, set up once after the application
// object is made.
#pragma once

#include <string>

class QDialog;
class QIcon;
class QWidget;

// Maps the Japanese font names to the installed fonts, makes the windows' Gothic font the
// font of menus, dialogs and message boxes, makes Japanese the default locale and loads
// Qt's own Japanese texts for its standard dialogs and buttons, whatever the system's
// locale, keeps Qt from writing a settings file of its own, and names the program to the
// desktop (its menu entry, its icon).
void PrepareDesktop();
// The program's icon: the icon theme's, else the one installed beside the program's folder
// (PREFIX/share/icons for PREFIX/bin); empty when neither is there.
QIcon ProgramIcon(const std::string& programDirectory);

// The window a new dialog or message box should belong to so that it opens above every
// window of the program: an open modal dialog, else a shown modeless dialog that stays
// above `requested`'s window (the warning log), else that window.
QWidget* DialogOwner(QWidget* requested);

// Runs `dialog`, made with DialogOwner(requested) as its parent, as a modal dialog; when it
// closes, the window whose command showed it gets the focus back (unless another modal
// dialog is still open), not the window it was put above. Gives what exec() gave.
int ExecOwnedDialog(QDialog& dialog, QWidget* requested);
