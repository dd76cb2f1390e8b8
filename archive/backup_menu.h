// "Создание резервной копии данных" and "Восстановление данных из резервной
// копии": the password of level 14, the database lock and the main window
// disabled around the command.
#pragma once

#include "archive/archive_menu.h"
#include "archive/backup.h"

namespace vm {

// The program's own: its folders, the data directory, every database file
// and the settings files, its title, the data disk and the main window's
// packer. After a restore the process ends with exit code 1 at once.
TBackupEnv ProgramBackupEnv(TUsedBaseList& bases, TArchivePacker* packer);

// restore: the restore instead of the backup. True when it ran and
// succeeded.
bool RunBackupMenuCommand(bool restore, const TBackupEnv& env, const TArchiveMenuHooks& hooks);

}  // namespace vm
