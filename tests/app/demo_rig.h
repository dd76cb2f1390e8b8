// The bundled sample data copied into a test's own folder, and the
// programs started there as a user would start them.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "config/blanks.h"

namespace vm::test {

inline std::string DemoDir() { return std::string(VELOMAR_SOURCE_DIR) + "/demo/"; }

inline void CopyDemoTo(const std::string& dir) {
  for (const auto& entry : std::filesystem::directory_iterator(DemoDir()))
    std::filesystem::copy_file(entry.path(), std::filesystem::path(dir) / entry.path().filename());
}

// The demo's goods book made to show its prices with fourteen characters,
// more than their fields hold; false when its form has changed.
inline bool WidenDemoPriceColumns(TCurBlank& goodsBlank) {
  std::string text = goodsBlank.Text;
  const std::string narrow = "FORMAT[4..5]=N,10,2";
  const std::size_t at = text.find(narrow);
  if (at == std::string::npos) return false;
  text.replace(at, narrow.size(), "FORMAT[4..5]=N,14,2");
  goodsBlank.SetText(text);
  return true;
}

inline std::string ShellQuoted(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

struct ProgramRun {
  int Status = -1;
  std::string Output;
};

// Runs the command line in dir as the program directory; the output is
// what the command writes on the descriptors named in redirect.
inline ProgramRun RunIn(const std::string& dir, const std::string& commandLine,
                        const std::string& redirect = " </dev/null 2>&1") {
  const std::string command = "cd " + ShellQuoted(dir) + " && VELOMAR_HOME=" + ShellQuoted(dir) +
                              " " + commandLine + redirect;
  ProgramRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
    run.Output.append(buffer, n);
  const int status = ::pclose(pipe);
  run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace vm::test
