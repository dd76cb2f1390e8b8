#include "archive/backup_menu.h"

#include <cstdlib>
#include <exception>

#include "archive/command_frame.h"
#include "config/data_dir.h"
#include "platform/encoding.h"
#include "platform/services.h"

namespace vm {

TBackupEnv ProgramBackupEnv(TUsedBaseList& bases, TArchivePacker* packer) {
  TBackupEnv env;
  static_cast<TServiceEnv&>(env) = ProgramServiceEnv(packer);
  env.DataDir = DataDir();
  for (int32_t i = 0; i < bases.Count(); ++i) env.BaseFiles.push_back(DataDir() + bases.GetItem(i)->FileName);
  env.SettingsFiles = {ManagerIniName(), ProgramIniName(), LocalIniName(), BasePathIniName()};
  env.CloseTables = [&bases] {
    for (int32_t i = 0; i < bases.Count(); ++i)
      if (bases.GetItem(i)->Table.Active()) bases.GetItem(i)->Table.Close();
  };
  env.Title = Ui().AppTitle();
  // No shut-down: "local.ini" and "basepath.ini" of this run must not be
  // saved over the restored ones.
  env.Exit = [](int code) { std::_Exit(code); };
  return env;
}

bool RunBackupMenuCommand(bool restore, const TBackupEnv& env, const TArchiveMenuHooks& hooks) {
  if (hooks.AskPassword && !hooks.AskPassword(kArchivePasswordLevel)) return false;
  if (!LockBases()) return false;
  if (hooks.EnableMainWindow) hooks.EnableMainWindow(false);
  bool ok = false;
  try {
    ok = restore ? RestoreBackup(env) : MakeBackup(env);
  } catch (const std::exception& e) {
    SayFault(restore ? "Восстановление данных из резервной копии"_w : "Создание резервной копии данных"_w, e);
    ok = false;
  }
  if (hooks.EnableMainWindow) hooks.EnableMainWindow(true);
  UnlockBases();
  return ok;
}

}  // namespace vm
