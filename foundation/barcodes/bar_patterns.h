// Bar patterns of the two barcode kinds the documents print, and the pair
// of check digits the system appends to its own codes. A pattern is a text
// of element widths '1'..'9' in modules, bar and space taking turns from a
// bar; any other character neither draws nor switches between bar and space.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vm {

// The ten elements of one Code 39 character (nine and the narrow space
// that parts it from the next); empty for a character outside the set.
std::string_view Code39Pattern(char c);
// The text upper-cased and framed by '*'; characters outside the set and
// '*' inside the text add nothing.
std::string Code39(std::string_view text);
// The digits of the text, a '0' put in front of an odd count, as
// Interleaved 2 of 5 between its start and stop elements.
std::string Interleaved25(std::string_view text);

struct TDigitCheckSums {
  uint8_t Sum1 = 0;
  uint8_t Sum2 = 0;
};
// Sum1 adds the values; Sum2 adds each value rotated right within eight
// bits by its position modulo 8. Both modulo 256.
TDigitCheckSums DigitCheckSums(const uint8_t* values, std::size_t count);
// The digits of the text (a '0' in front of an odd count) and two check
// digits.
std::string DigitCheckPair(std::string_view text);
// The digits less the two check digits when those are right; empty when
// they are wrong or there are fewer than three digits.
std::string VerifyDigitCheckPair(std::string_view text);

// The width in pixels of a pattern drawn with Module pixels per module.
int64_t BarPatternWidth(std::string_view pattern, int32_t module);

class TCanvas;
// Fills the bars of a pattern in solid black from x on, height pixels
// down from top; the canvas's brush is as it was afterwards.
void DrawBarPattern(TCanvas& canvas, std::string_view pattern, int32_t x, int32_t module, int32_t height,
                    int32_t top);

}  // namespace vm
