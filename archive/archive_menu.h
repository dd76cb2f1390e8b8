// The frame every archive item of "Сервис" runs its command in: the
// password of level 14, the database lock, the main window disabled, the
// configuration checked and prepared, the command, the configuration
// released, the window enabled and the lock given back. The windows only
// call it with their configuration and command.
#pragma once

#include <cstdint>
#include <functional>

#include "archive/archive_period.h"
#include "config/archive_config.h"
#include "config/registries.h"
#include "config/settings.h"

namespace vm {

// The archive commands of one configuration, as its menu items name them.
enum class TArchiveCommand { Archive, Restore, DeletePeriod, RestoreDeleted };

struct TArchiveMenuHooks {
  // The password of the level; false when the user cancelled.
  std::function<bool(int32_t level)> AskPassword;
  std::function<void(bool enabled)> EnableMainWindow;
  // A command the frame has no body for (the commands on deleted periods);
  // without one the item does nothing.
  std::function<bool(TArchiveCommand, TArchiveConfig&, const TArchiveEnv&)> Other;
};

inline constexpr int32_t kArchivePasswordLevel = 14;

// The program's own: its folder, "program.ini" written from the model, the
// data disk and its free room, and the main window's packer.
TArchiveEnv ProgramArchiveEnv(TSettingsModel& model, TArchivePacker* packer);

// Runs the command on the configuration; true when it ran and succeeded.
bool RunArchiveMenuCommand(TArchiveCommand command, TArchiveConfig& config, TUsedBaseList& bases,
                           const TArchiveEnv& env, const TArchiveMenuHooks& hooks);

}  // namespace vm
