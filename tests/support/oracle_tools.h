// The independent tools the archive tests check against, run as black boxes
// (installed by scripts/install-deps), and test data made on the spot.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>

namespace vm::test {

// Runs a shell command quietly; true when it exits with 0.
inline bool RunTool(const std::string& command) {
  return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

inline std::string Quote(const std::string& s) { return "'" + s + "'"; }

inline std::string RandomBytes(std::size_t n, uint32_t seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (auto& c : s) c = static_cast<char>(gen() & 0xFF);
  return s;
}

// Text-like data: words from a small vocabulary with numbers, which
// compresses about as well as source text.
inline std::string TextBytes(std::size_t n, uint32_t seed) {
  static const char* const kWords[] = {"int ",     "return ", "struct ", "const ", "void ", "if (",
                                       ") {\n",    "}\n",     "static ", "size_t ", "char* ", " = ",
                                       "buffer",   "count",   "; ",      "\n#define ", "NULL", "->"};
  std::mt19937 gen(seed);
  std::string s;
  s.reserve(n + 16);
  while (s.size() < n) {
    s += kWords[gen() % (sizeof kWords / sizeof *kWords)];
    if (gen() % 7 == 0) s += std::to_string(gen() % 1000);
  }
  s.resize(n);
  return s;
}

}  // namespace vm::test
