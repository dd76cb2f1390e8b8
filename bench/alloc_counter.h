// Counts the heap allocations of the benchmark program, so that a benchmark
// can report how many a piece of work made.
#pragma once

#include <cstdint>

namespace vm::bench {

// Allocations through operator new since the program started.
uint64_t HeapAllocations();

}  // namespace vm::bench
