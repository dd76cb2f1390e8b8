// A fresh program directory for a test: $VELOMAR_HOME points at a new
// temporary directory, the data directory is chosen there with no switch,
// and the error log and the database lock are let go at the end. The marks
// of running programs are kept there too, so that tests running side by
// side never see each other as a second start.
#pragma once

#include <cstdlib>
#include <string>

#include "config/data_dir.h"
#include "config/errorlog.h"
#include "support/temp_dir.h"

namespace vm::test {

class ProgramHome {
 public:
  ProgramHome() {
    ::setenv("VELOMAR_HOME", dir_.Dir().c_str(), 1);
    if (const char* run = std::getenv("XDG_RUNTIME_DIR")) runtimeDir_ = run;
    ::setenv("XDG_RUNTIME_DIR", dir_.Dir().c_str(), 1);
    InitProgramDirectory();
    ResetErrorLogRun();
    SetCommandLine(0, nullptr);
  }
  ~ProgramHome() {
    CloseErrorLog();
    UnlockBases();
    ::unsetenv("VELOMAR_HOME");
    if (runtimeDir_.empty())
      ::unsetenv("XDG_RUNTIME_DIR");
    else
      ::setenv("XDG_RUNTIME_DIR", runtimeDir_.c_str(), 1);
    InitProgramDirectory();
  }
  ProgramHome(const ProgramHome&) = delete;
  ProgramHome& operator=(const ProgramHome&) = delete;

  std::string Dir() const { return dir_.Dir(); }
  std::string operator/(const std::string& name) const { return dir_ / name; }

 private:
  TempDir dir_;
  std::string runtimeDir_;
};

}  // namespace vm::test
