// What every window of the program keeps to, set once on the application
// before the first window: Qt's own dialogs (fonts, colours, page setup,
// files and folders) speak Russian; Enter on a focused button presses it,
// whatever dialog it stands in; a dialog is at least as wide as its title,
// so the window manager need not cut the title, and stands in the middle
// of the screen unless it places itself; no window opens larger than the
// screen's available area, frame included; and a dialog of fixed size
// that asks for no minimise, minimised all the same, comes back at once.
#pragma once

class QApplication;
class QDialog;
class QWidget;

namespace vm {

// Marks a dialog that places itself (a kept or a computed place): the
// rules leave its place alone, only keeping it on the screen.
void KeepOwnPlace(QWidget& window);

// Before the application is made. Qt reads its system locale, in which
// its file dialog writes sizes and dates, from the environment as the
// application starts: the program's is Russian whatever the machine's.
// PrepareApplication gives the environment back.
void UseRussianSystemLocale();

// Loads Qt's Russian translation, makes Russian the default locale, keeps
// numbers of the C library with a point and installs the rules; once per
// application.
void PrepareApplication(QApplication& app);

// The width a window needs so that the window manager shows its whole
// title beside the title bar's buttons.
int TitleWidth(const QWidget& window);

// Widens a window about to be shown to its title, keeping its centre:
// controls placed by hand move over by half the gain.
void WidenToTitle(QWidget& window);

// Makes a dialog a small one, once its layout is set: the window manager
// is asked for the close button only (no minimise, no maximise), and the
// dialog keeps the size its controls need, widened to its title as it
// shows, so the user can neither resize it nor maximise it.
void MakeSmallDialog(QDialog& dialog);

// Shrinks a window about to be shown so that it and its frame fit the
// available area of its screen, and moves it onto that area.
void FitOnScreen(QWidget& window);

}  // namespace vm
