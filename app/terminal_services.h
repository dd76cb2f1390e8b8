// Message boxes on the terminal, for the program while it has no windows and
// for the headless runner: texts go to standard error in UTF-8, and a Yes/No
// question is asked on the terminal when there is one, else answered with
// its default button.
#pragma once

#include "platform/services.h"

namespace vm {

class TerminalServices : public UiServices {
 public:
  int32_t MsgBox(const std::string& text, const std::string& caption, uint32_t flags) override;
};

}  // namespace vm
