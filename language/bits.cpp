#include "language/bits.h"

namespace vm {

bool GetBit(uint8_t bit, uint32_t value) { return ((value >> (bit & 31)) & 1u) != 0; }

void SetBit(uint8_t bit, uint32_t& value, bool on) {
  const uint32_t mask = 1u << (bit & 31);
  value = on ? value | mask : value & ~mask;
}

}  // namespace vm
