// Preloaded into a program under test: the process is killed (SIGKILL)
// just before it renames anything onto a path that ends with
// $VELOMAR_KILL_BEFORE_RENAME_ONTO, so a crash lands at that exact moment.
#include <dlfcn.h>
#include <signal.h>

#include <cstdlib>
#include <cstring>

extern "C" int rename(const char* from, const char* to) {
  using Rename = int (*)(const char*, const char*);
  static const auto real = reinterpret_cast<Rename>(::dlsym(RTLD_NEXT, "rename"));
  const char* end = std::getenv("VELOMAR_KILL_BEFORE_RENAME_ONTO");
  if (end != nullptr && *end != '\0' && to != nullptr) {
    const std::size_t n = std::strlen(to), m = std::strlen(end);
    if (n >= m && std::strcmp(to + n - m, end) == 0) ::raise(SIGKILL);
  }
  return real(from, to);
}
