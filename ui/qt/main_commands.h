// The commands of the main window that open windows of their own, each on
// the common road: the password of its level, the database lock, the main
// window disabled while the window works, then everything put back. A
// refused password or a lock that cannot be taken ends the command.
#pragma once

namespace vm {

class TMainWindow;
// "Справочники": level 10, the reference-book window.
void OpenReferenceBooks(TMainWindow& main);
// "Настройка" of the panels: level 13, the panel editor; the panels are
// built again afterwards, even after a refused password.
void ConfigurePanels(TMainWindow& main);

}  // namespace vm
