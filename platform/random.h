// The program-wide pseudo-random generator. Stored records (scrambled
// passwords, access records) depend on its exact sequence, so it must never
// be replaced by a library generator.
#pragma once

#include <cstdint>

namespace vm {

uint32_t GetRandSeed();
void SetRandSeed(uint32_t seed);

// Seeds the generator from the clock.
void Randomize();

// One draw: a number 0..n-1 (n > 0).
uint32_t Random(uint32_t n);

// Keeps the caller's place in the sequence while a routine draws a
// reproducible stream from a seed of its own.
class SeedScope {
 public:
  explicit SeedScope(uint32_t seed) : saved_(GetRandSeed()) { SetRandSeed(seed); }
  ~SeedScope() { SetRandSeed(saved_); }
  SeedScope(const SeedScope&) = delete;
  SeedScope& operator=(const SeedScope&) = delete;

 private:
  uint32_t saved_;
};

}  // namespace vm
