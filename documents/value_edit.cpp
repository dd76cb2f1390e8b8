#include "documents/value_edit.h"

#include "foundation/text/strutils.h"
#include "foundation/values/dates.h"
#include "foundation/values/value_text.h"

namespace vm {

std::string TValueEdit::Show(const TCommonVar& value) const { return ValueToText(value, Width, Decimals); }

TCommonVar TValueEdit::Read(std::string_view text) const {
  TCommonVar value;
  TextToValue(text, Kind, value);
  return value;
}

bool TValueEdit::IsValid(std::string_view text) const {
  switch (Kind) {
    case 'C': return !TrimBlanks(text).empty();
    case 'N':
    case 'R': return IsValidNumStr(text, Width, Decimals);
    case 'T': return IsValidTimeRec(Read(text).Time);
    default: return IsValidDateRec(Read(text).Date);
  }
}

std::string TValueEdit::Typed(std::string_view text) const {
  return Kind == 'N' || Kind == 'R' ? CommaToPoint(RemoveBlanks(text)) : std::string(text);
}

bool TValueEdit::Accepts(std::string_view text) const { return Kind == 'C' || IsValid(Typed(text)); }

int32_t TValueEdit::MaxLength() const {
  if (Kind == 'D') return Width != 0 ? 20 : 10;
  return Width != 0 ? Width : 15;
}

int32_t TValueEdit::DialogLength() const { return Kind == 'T' ? 20 : MaxLength(); }

}  // namespace vm
