#include "archive/archive_menu.h"

#include <exception>
#include <string>
#include <vector>

#include "archive/command_frame.h"
#include "archive/deleted_period.h"
#include "config/data_dir.h"
#include "foundation/files/fileutils.h"
#include "foundation/tables/commit_journal.h"
#include "archive/check/archive_check.h"
#include "platform/disk_space.h"
#include "platform/encoding.h"
#include "platform/services.h"

namespace vm {

namespace {

bool RunPrepared(TArchiveCommand command, TArchiveConfig& config, const TArchiveEnv& env,
                 const TArchiveMenuHooks& hooks) {
  switch (command) {
    case TArchiveCommand::Archive:
      return ArchivePeriod(config, env);
    case TArchiveCommand::Restore:
      return RestoreFromArchive(config, env);
    case TArchiveCommand::DeletePeriod:
      return DeleteArchivePeriod(config, env);
    case TArchiveCommand::RestoreDeleted:
      return RestoreDeletedPeriod(config, env);
    default:
      return hooks.Other && hooks.Other(command, config, env);
  }
}

std::string CommandCaption(TArchiveCommand command) {
  switch (command) {
    case TArchiveCommand::Archive: return "Архивация баз данных"_w;
    case TArchiveCommand::Restore: return "Восстановление из архива"_w;
    case TArchiveCommand::DeletePeriod: return "Удаление периода из архива"_w;
    default: return "Восстановление удаленного периода"_w;
  }
}

}  // namespace

TServiceEnv ProgramServiceEnv(TArchivePacker* packer) {
  TServiceEnv env;
  env.Dir = ProgramDirectory();
  env.Disk = ExcludeTrailingSlash(DataDir());
  env.FreeBytes = [](const std::string& dir) { return FreeBytesAt(dir); };
  env.Packer = packer;
  return env;
}

TArchiveEnv ProgramArchiveEnv(TSettingsModel& model, TArchivePacker* packer) {
  TArchiveEnv env;
  static_cast<TServiceEnv&>(env) = ProgramServiceEnv(packer);
  env.ConfigFile = ProgramIniName();
  env.SaveConfig = [&model](const std::string& path) { return SaveConfigurationTo(path, model); };
  return env;
}

bool RunArchiveMenuCommand(TArchiveCommand command, TArchiveConfig& config, TUsedBaseList& bases,
                           const TArchiveEnv& env, const TArchiveMenuHooks& hooks) {
  if (hooks.AskPassword && !hooks.AskPassword(kArchivePasswordLevel)) return false;
  if (!LockBases()) return false;
  if (hooks.EnableMainWindow) hooks.EnableMainWindow(false);
  bool ok = false;
  try {
    // A commit a dead process left half done is settled before the tables
    // are read.
    std::vector<std::string> messages;
    RecoverInterruptedCommit(env.Dir, messages);
    for (const std::string& m : messages) Ui().LogError(m);
    int32_t badIndex = -1;
    std::string msg;
    if (CheckConfig(config, bases, badIndex, msg) && PrepareAll(config, bases)) {
      ok = RunPrepared(command, config, env, hooks);
      ReleaseAll(config);
    } else {
      ReleaseAll(config);
      Ui().MsgBox(msg.empty() ? ArchiveCheckFailedText() : msg, ArchiveCheckFailedText(), kMbError);
    }
  } catch (const std::exception& e) {
    ReleaseAll(config);
    SayFault(CommandCaption(command), e);
    ok = false;
  }
  if (hooks.EnableMainWindow) hooks.EnableMainWindow(true);
  UnlockBases();
  return ok;
}

}  // namespace vm
