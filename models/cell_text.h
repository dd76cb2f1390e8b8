// The rules of what a user types into a cell of a blank view: how the text
// is cleaned, put into the form of the cell's kind and tested before the
// view stores it. The view shows kBadCellInput when a value is refused and
// leaves the cell as it was.
#pragma once

#include <string>
#include <string_view>

#include "config/blanks.h"
#include "platform/encoding.h"

namespace vm {

inline constexpr std::string_view kBadCellInput = "Введены неправильные данные"_wv;
// Under it, for a number with more significant digits than its value holds
// (TypedDigitsHeld): the field would store a neighbour of it.
inline constexpr std::string_view kTooManyDigits = "\rЧисло хранит не больше 18 значащих цифр"_wv;

// Tabs and carriage returns become one blank each, line feeds go, and with
// PointDecimal every comma becomes a point.
std::string CleanCellText(std::string_view s, bool pointDecimal);

// Whether S is acceptable for a cell of Kind under Format: 'D' a real date
// d.m.yyyy; 'N' and 'R' a number that fits Format's Mode and Decimals (16
// and 4 when Mode is below 1); 'E' only the empty text; any other kind
// anything. Without a format numbers take 16 and 4.
bool CheckCellText(const TColFormat* format, std::string_view s, char kind);

// Typed text made ready for a cell: the text to store and whether it may be
// stored.
struct TCellInput {
  std::string Text;
  bool Valid = false;
};

// Trims and cleans Typed by the kind of Format ('R' counts as 'N'; no
// format counts as 'C'): dates are normalised to d.mm.yyyy, numbers lose
// their blanks and take a point for the first comma and must keep Format's
// sign rule; a computed column ('E') keeps the trimmed text as it stands.
TCellInput NormalizeCellInput(const TColFormat* format, std::string_view typed);

// What the view says of a refused input: kBadCellInput, and under it, for
// a number that does not fit its cell, how many characters the cell takes
// before and after the point.
std::string CellRefusalText(const TColFormat* format, const TCellInput& input);

}  // namespace vm
