#include "app/terminal_services.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>

#include "platform/encoding.h"

namespace vm {

int32_t TerminalServices::MsgBox(const std::string& text, const std::string& caption,
                                 uint32_t flags) {
  std::string shown = text;
  for (char& c : shown) {
    if (c == '\r') c = '\n';
  }
  std::fprintf(stderr, "[%s] %s\n", Cp1251ToUtf8(caption).c_str(), Cp1251ToUtf8(shown).c_str());
  const uint32_t buttons = flags & 0x0F;
  const bool yesNo = buttons == 3 || buttons == 4;
  if (!yesNo || !isatty(STDIN_FILENO)) return UiServices::MsgBox(text, caption, flags);
  std::fprintf(stderr, "%s ", Cp1251ToUtf8("(Да/Нет)"_w).c_str());
  std::string answer;
  if (!std::getline(std::cin, answer)) return kIdNo;
  const std::string a = Utf8ToCp1251(answer);
  const bool yes = !a.empty() && (a[0] == 'y' || a[0] == 'Y' || a[0] == "д"_w[0] || a[0] == "Д"_w[0]);
  return yes ? kIdYes : kIdNo;
}

}  // namespace vm
