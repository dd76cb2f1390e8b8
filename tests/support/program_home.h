// A fresh program directory for a test: $VELOMAR_HOME points at a new
// temporary directory, the data directory is chosen there with no switch,
// and the error log and the database lock are let go at the end.
#pragma once

#include <cstdlib>

#include "config/data_dir.h"
#include "config/errorlog.h"
#include "support/temp_dir.h"

namespace vm::test {

class ProgramHome {
 public:
  ProgramHome() {
    ::setenv("VELOMAR_HOME", dir_.Dir().c_str(), 1);
    InitProgramDirectory();
    ResetErrorLogRun();
    SetCommandLine(0, nullptr);
  }
  ~ProgramHome() {
    CloseErrorLog();
    UnlockBases();
    ::unsetenv("VELOMAR_HOME");
    InitProgramDirectory();
  }
  ProgramHome(const ProgramHome&) = delete;
  ProgramHome& operator=(const ProgramHome&) = delete;

  std::string Dir() const { return dir_.Dir(); }
  std::string operator/(const std::string& name) const { return dir_ / name; }

 private:
  TempDir dir_;
};

}  // namespace vm::test
