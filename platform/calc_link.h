// The helper process that drives LibreOffice Calc for the spreadsheet
// services: our own python3-uno program, spoken to in lines of
// tab-separated UTF-8 fields over one socket. It starts the office, keeps
// it in a process group of its own and takes it down when it ends; it dies
// with this process, so no office outlives the program even when killed.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace vm {

using TCalcFields = std::vector<std::string>;

class TCalcLink {
 public:
  TCalcLink() = default;
  ~TCalcLink() { Quit(); }
  TCalcLink(const TCalcLink&) = delete;
  TCalcLink& operator=(const TCalcLink&) = delete;

  // Starts the helper for the office program at officePath, the office
  // on the display when windows; false with the reason when it cannot run.
  bool Spawn(const std::string& officePath, bool windows, std::string& error);
  // Whether the helper still lives.
  bool Running();
  // A call that has no answer; the helper may keep it back and do it
  // together with the calls that follow.
  bool Send(const TCalcFields& fields);
  // A call and its answer; false when the helper is gone.
  bool Call(const TCalcFields& fields, TCalcFields& answer);
  // Asks the helper to close everything and end; it is killed when it
  // does not within a few seconds.
  void Quit();

  // One line of the protocol and back (UTF-8 already).
  static std::string Encode(const TCalcFields& fields);
  static TCalcFields Decode(std::string_view line);

 private:
  bool ReadLine(std::string& line, int timeoutMs);
  void Reap();

  pid_t pid_ = -1;
  int fd_ = -1;
  std::string input_;
};

// The text of the helper program, platform/calc_helper.py, which the build
// embeds; it is run as `python3 -I -c TEXT OFFICE [windows]`.
const char* CalcHelperScript();

}  // namespace vm
