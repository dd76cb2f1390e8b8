#include "platform/random.h"

#include <chrono>

namespace vm {

namespace {
uint32_t g_seed = 0;
}

uint32_t GetRandSeed() { return g_seed; }

void SetRandSeed(uint32_t seed) { g_seed = seed; }

void Randomize() {
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count() ^
                     std::chrono::system_clock::now().time_since_epoch().count();
  g_seed = static_cast<uint32_t>(ticks) ^ static_cast<uint32_t>(static_cast<uint64_t>(ticks) >> 32);
}

uint32_t Random(uint32_t n) {
  g_seed = g_seed * 134775813u + 1u;
  return static_cast<uint32_t>((static_cast<uint64_t>(g_seed) * n) >> 32);
}

}  // namespace vm
