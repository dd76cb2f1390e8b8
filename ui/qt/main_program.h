// The program's main block with the windows: the start-up, the start-up
// password, the main window on the data directory and the message loop,
// and the clean-up when the user leaves.
#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "config/registries.h"

namespace vm {

class TMainWindow;
class TDocumentWindow;
class TDesignerWindow;

// The exit code of a program started where no window can be shown.
inline constexpr int kNoDisplay = 2;

// True when windows can be shown: a platform is named or a display is set.
bool DisplayAvailable();

// True when the application's windows reach a screen a user sees (X11 or
// Wayland), not an offscreen or minimal platform: only then may other
// programs, such as the spreadsheet office, show theirs. Needs the
// application object.
bool WindowsOnScreen();

// The one line told on the terminal when there is no display.
std::string NoDisplayLine();

// The password of level (1..16) asked in the input dialog under the
// configured title; builtIn, when not empty, is accepted beside it.
bool AskPasswordInDialog(int32_t level, const std::string &builtIn, QWidget *parent);

struct TMainProgramHooks {
  // Runs a document chosen in the main window; unset, the document runs
  // on its road in its document window.
  std::function<void(TDocData &)> RunDocument;
  // Called with each document window once it shows.
  std::function<void(TDocumentWindow &)> DocumentShown;
  // Called with the designer window once it shows.
  std::function<void(TDesignerWindow &)> DesignerShown;
  // Called once the main window is shown (tests answer and close it).
  std::function<void(TMainWindow &)> Shown;
  // Ends the process after a restore of the backup copy (unset: at once).
  std::function<void(int code)> ExitAfterRestore;
};

// The whole program after the application object exists: the exit code.
int RunMainProgram(int argc, char **argv, const TMainProgramHooks &hooks = {});

}  // namespace vm
