// Byte blocks as hexadecimal text, so that binary records can live in the
// text settings files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vm {

// Two upper-case digits per byte, high nibble first.
std::string BytesToHexStr(const void* buf, std::size_t size);

// Keeps only "0".."9" and "A".."F" of s (lower-case letters are dropped),
// then one byte per pair, at most size bytes; an odd last digit is ignored.
// Returns the number of bytes written.
std::size_t HexStrToBytes(std::string_view s, void* buf, std::size_t size);

char NibbleToHexChar(int nibble);
std::string ByteToHexStr(uint8_t b);

// One or two hexadecimal digits (one counts with a leading "0"); 0 when the
// text is not a byte.
uint8_t HexStrToByte(std::string_view s);

}  // namespace vm
