// The program. Until the windows stand it checks the data directory it is
// given and reports what it can do.
#include <cstdio>
#include <string>

#include "foundation/encoding.h"

using namespace vm::literals;

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : ".";
  std::printf("%s\n", vm::Cp1251ToUtf8("Веломар"_w).c_str());
  std::printf("%s %s\n", vm::Cp1251ToUtf8("Каталог данных:"_w).c_str(), dir.c_str());
  std::printf("%s\n",
              vm::Cp1251ToUtf8("Окна программы ещё не готовы; работает только ядро."_w).c_str());
  return 0;
}
