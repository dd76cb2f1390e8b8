// The rules of the single-line edit of one typed value, as the view cells
// and the question dialogs use them: what it shows for a value, what it
// reads back, which texts it accepts and how long a text may grow.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/values/values.h"

namespace vm {

struct TValueEdit {
  char Kind = 'C';
  int32_t Width = 0;
  int32_t Decimals = 0;

  std::string Show(const TCommonVar& value) const;
  TCommonVar Read(std::string_view text) const;
  // A text that is not blank; a number that fits Width and Decimals; a
  // real time with at least one digit; for every other kind a real date.
  bool IsValid(std::string_view text) const;
  // What the edit shows once the focus leaves it: a text that reads as a
  // value of its kind (a number with blanks anywhere and '.' or the first
  // ',' as its point, as table cells take it; a real date; a time with
  // digits) shown as Show shows that value, so "3,456" with two decimals
  // becomes "3.46". Anything else stays as typed, for the user to mend: an
  // empty field or a slip of the finger never turns into a zero or a date
  // nobody typed.
  std::string Normalized(std::string_view text) const;
  // Whether leaving the edit with this text keeps a value, Read from the
  // Normalized text: a text edit takes every text, blank or not (a
  // question's OK asks IsValid of it); the others what IsValid says of the
  // Normalized text. Refused, the text stays as typed.
  bool Accepts(std::string_view text) const;
  // What IsValid and TextLimit ask of a text, in words: "нужно ...".
  std::string Requirement() const;
  // The most characters a text edit of a width takes: the width; 0, no
  // limit, for other kinds and without a width. A longer text would go
  // into a field of that width cut.
  int32_t TextLimit() const { return Kind == 'C' && Width > 0 ? Width : 0; }
  // Of a view cell's edit: dates 10, or 20 with a width; others the width,
  // or 15 without one.
  int32_t MaxLength() const;
  // The characters a question's edit is made wide for: dates 10, or 20
  // with a width; times 20; others the width, or 15 without one.
  int32_t DialogLength() const;
};

}  // namespace vm
