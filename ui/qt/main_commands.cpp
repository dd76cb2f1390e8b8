#include "ui/qt/main_commands.h"

#include "config/data_dir.h"
#include "ui/qt/main_program.h"
#include "ui/qt/main_window.h"
#include "ui/qt/panel_config_window.h"
#include "ui/qt/sprav_form.h"

namespace vm {

namespace {

constexpr int32_t kBooksLevel = 10;
constexpr int32_t kPanelsLevel = 13;

// The password, the lock and the disabled main window around a command;
// false when it did not run.
template <typename Command>
bool RunLocked(TMainWindow& main, int32_t level, Command command) {
  if (!AskPasswordInDialog(level, {}, &main)) return false;
  if (!LockBases()) return false;
  const bool enabled = main.isEnabled();
  main.setEnabled(false);
  command();
  main.setEnabled(enabled);
  UnlockBases();
  return true;
}

}  // namespace

void OpenReferenceBooks(TMainWindow& main) {
  RunLocked(main, kBooksLevel, [&main] {
    // Without a parent: the disabled main window would disable it too.
    TSpravForm form(main.Model());
    form.Execute();
  });
}

void ConfigurePanels(TMainWindow& main) {
  RunLocked(main, kPanelsLevel, [&main] {
    TConfigForm form(main.Model());
    form.exec();
  });
  main.BuildPanels();
}

}  // namespace vm
