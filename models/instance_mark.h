// The mark of a running program: a locked file in the user's run-time
// folder named after the program's title, held while the program runs, so
// that a second start on the same configuration finds it taken.
#pragma once

#include <memory>
#include <string>

#include "platform/files.h"

namespace vm {

class TInstanceMark {
 public:
  // Dir: where marks are kept; empty means $XDG_RUNTIME_DIR, else the
  // temporary folder.
  explicit TInstanceMark(std::string dir = {}) : dir_(std::move(dir)) {}

  // Takes the mark of Title; false only when another program holds it. A
  // folder where no mark can be made does not keep the program from
  // starting.
  bool Take(const std::string &title);
  void Release() { file_.reset(); }
  // The mark's file for Title.
  std::string PathFor(const std::string &title) const;

 private:
  std::string dir_;
  std::unique_ptr<File> file_;
};

}  // namespace vm
