// A WHILE loop whose every statement is a store or a test of numbers run on
// 64-bit integers: the variables it reads and writes are read once into
// integers when they all hold whole numbers, the statements run on those,
// and the stored ones go back into the variables when the run stops. Each
// result is bit for bit what the long double arithmetic gives (see
// whole_numbers.h); the moment one would not be whole, the run stops before
// that statement and the interpreter's own steps take it from there. The
// run counts its statements as the interpreter's steps do, so the windows
// are let breathe, breaks are asked and lines are reported where they were.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "language/instructions.h"

namespace vm {

class TWholeLoop {
 public:
  // The loop whose test is Test; nullptr when some statement it reaches is
  // not a store or test of numbers, or reads a constant that is not whole.
  static std::shared_ptr<TWholeLoop> Build(const TInstruction& test);

  // Notes in each statement of the loop but its test that it is a step of
  // this loop, unless it is one of another already.
  void MarkSteps();

  // Up to Most statements from step From on (0 is the test); the number
  // run, 0 when the variables do not all hold whole numbers or the first
  // statement cannot run so. Current moves to the instruction to go on
  // with, Last to the last one run.
  int Run(int32_t from, TInstruction*& current, int most, const TInstruction*& last);

  // Whether runs keep coming back without a statement run, so that trying
  // again only costs.
  bool GivenUp() const { return misses_ >= kMostMisses; }

  struct TStep;
  struct TOp;

 private:
  static constexpr int kMostMisses = 8;

  // The variables, one slot each: every one read, and those stored.
  std::vector<TCommonVar*> vars_;
  std::vector<uint32_t> stored_;
  std::vector<int64_t> slots_;
  std::vector<TStep> steps_;
  std::vector<TOp> code_;
  int misses_ = 0;

  friend class TWholeLoopBuilder;
};

// Whether the interpreter runs such loops on integers: tests turn it off to
// set the general steps against them.
void SetWholeLoops(bool on);
bool WholeLoopsOn();

}  // namespace vm
