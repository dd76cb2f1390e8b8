// The mark of a running program: a locked file named after the program's
// title and the desktop it shows on, in a folder of the user's own, held
// while the program runs, so that a second start of the same configuration
// on the same desktop finds it taken. Another user, or the same user on
// another display, has a mark of their own, as each has windows of their
// own; and a start that cannot make its mark does not go on unchecked.
//
// A program directory has one mark for every process working on it, a
// file of its own there: a runner started from a timer, over ssh or as
// another user, with another environment, finds the one a window holds.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace vm {

// The desktop a program shows on, as the marks tell them apart: on X11
// the display without its screen (":0.1" and "unix:0" are ":0"), on Wayland
// the compositor's socket, else the name of the window platform.
std::string DesktopName(std::string_view platform);

// The name of a program directory's mark in it.
inline constexpr std::string_view kProgramDirectoryMarkName = "velomar.mark";
// The title of a program directory's mark, which its messages name: the
// folder as the system finds it, whatever link or spelling named it.
std::string ProgramDirectoryMarkTitle(const std::string &dir);

class TInstanceMark {
 public:
  // Dir: where marks are kept; empty means $XDG_RUNTIME_DIR, else a
  // folder of this user's own in the temporary folder. Desktop: what
  // DesktopName gave.
  explicit TInstanceMark(std::string dir = {}, std::string desktop = {})
      : dir_(std::move(dir)), desktop_(std::move(desktop)) {}
  // The mark of the program directory Dir. The window programs on it hold
  // it together, the headless runner alone, since each keeps the program's
  // clock and the workstation's settings in memory from its start and
  // writes them back there.
  static TInstanceMark OfProgramDirectory(const std::string &dir);

  // Takes the mark of Title; false when another program holds it, or when
  // no mark can be made (Failure then says why). A shared mark may be held
  // by several programs at once, never beside one that holds it alone.
  bool Take(const std::string &title, bool shared = false);
  void Release() { file_.reset(); }
  // Why the last Take could make no mark (Windows-1251); empty after a
  // mark taken or held by another program.
  const std::string &Failure() const { return failure_; }
  // The mark's file for Title; empty when its folder cannot be had.
  std::string PathFor(const std::string &title);

 private:
  std::string dir_;
  std::string desktop_;
  // The mark's own name in dir_, whatever the title: a program directory's.
  std::string name_;
  std::string failure_;
  std::unique_ptr<File> file_;
};

}  // namespace vm
