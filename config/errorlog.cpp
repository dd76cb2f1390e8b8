#include "config/errorlog.h"

#include <memory>

#include "config/data_dir.h"
#include "foundation/values/dates.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/services.h"

namespace vm {

namespace {

struct Log {
  std::unique_ptr<File> file;
  bool headed = false;
};

Log& L() {
  static Log log;
  return log;
}

void Put(File& f, const std::string& line) {
  const std::string text = line + "\r\n";
  const int64_t end = f.Size();
  if (end >= 0) f.WriteAt(end, text.data(), text.size());
}

// Any program that links the log routes the services' log lines into it.
[[maybe_unused]] const bool kWriterInstalled = (InstallLogWriter(&vm::LogError), true);

}  // namespace

void LogError(const std::string& msg) {
  Log& log = L();
  if (!log.file) {
    log.file = Files().Open(ProgramDirectory() + "Errors.log", FileMode::Create);
    if (!log.file) return;
    if (!log.headed) {
      Put(*log.file, "");
      Put(*log.file, TodayLongStr() + "  " + NowTimeWordsStr());
      log.headed = true;
    }
  }
  Put(*log.file, "  " + msg);
}

void CloseErrorLog() {
  Log& log = L();
  log.file.reset();
}

void ResetErrorLogRun() {
  CloseErrorLog();
  L().headed = false;
}

}  // namespace vm
