// What the commands of "Сервис" (archiving, deleted periods, backup) reach
// beyond their own data: the program folder and its working places, the
// disk the no-space messages name, the free room and the main window's
// packer.
#pragma once

#include <string>

#include "archive/bh_packing.h"
#include "archive/diskettes.h"

namespace vm {

struct TServiceEnv {
  // The program folder, which the commands work in only while the
  // databases lie in it: "WORK/", "ARCHIVE/", "archive.alf".
  std::string Dir;
  std::string WorkDir() const { return Dir + "WORK/"; }
  std::string ArchiveDir() const { return Dir + "ARCHIVE/"; }
  std::string ListFile() const { return Dir + "archive.alf"; }
  // The disk the no-space messages name.
  std::string Disk;
  // Bytes free in a folder; asked each time a command runs.
  TFreeBytesProc FreeBytes;
  TArchivePacker* Packer = nullptr;
};

// The program's own: its folder, the data directory's disk, the free room
// of the file system and the packer given.
TServiceEnv ProgramServiceEnv(TArchivePacker* packer);

}  // namespace vm
