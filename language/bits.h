// Single bits of a 32-bit mask; bit 0 is the lowest. Only the low five bits
// of a bit number count, so bit 32 is bit 0 again.
#pragma once

#include <cstdint>

namespace vm {

bool GetBit(uint8_t bit, uint32_t value);
void SetBit(uint8_t bit, uint32_t& value, bool on);

}  // namespace vm
