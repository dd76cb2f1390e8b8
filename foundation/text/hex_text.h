// Byte blocks as text of hexadecimal digits, so that binary records can live
// in the settings files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vm {

// Two upper-case digits per byte, high nibble first.
std::string BytesToHexStr(const void* buf, size_t size);
// Keeps only "0".."9" and "A".."F" of S (lower-case letters are dropped
// too), turns each pair into a byte, at most Size of them; returns how many
// were written. An odd last digit is ignored.
size_t HexStrToBytes(std::string_view s, void* buf, size_t size);
// Turns every two characters of S into a byte, at most Size of them: digits
// of either case, any other character a 0 digit; an odd last character is
// ignored. Returns how many were written. For text that keeps its pairs in
// place, where a stray character must not shift the bytes after it.
size_t HexPairsToBytes(std::string_view s, void* buf, size_t size);
// 0..15 -> "0".."9", "A".."F" (only the low four bits count).
char NibbleToHexChar(int nibble);
std::string ByteToHexStr(uint8_t b);
// "0".."9" -> 0..9, "A".."F" -> 10..15; any other character gives 0.
int HexCharToNibble(char c);
// One or two hexadecimal digits (either case) -> the byte; 0 for any other
// text.
uint8_t HexStrToByte(std::string_view s);

}  // namespace vm
