#include "documents/value_edit.h"

#include <algorithm>

#include "foundation/text/number_text.h"
#include "foundation/text/strutils.h"
#include "foundation/values/dates.h"
#include "foundation/values/value_text.h"
#include "platform/encoding.h"

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

std::string TValueEdit::Normalized(std::string_view text) const {
  const std::string trimmed = TrimBlanks(text);
  switch (Kind) {
    case 'C': return trimmed;
    case 'N':
    case 'R': {
      long double x = 0;
      return TextToExtended(CommaToPoint(trimmed), x) ? Show(Read(trimmed)) : std::string(text);
    }
    case 'T': {
      const TCommonVar value = Read(trimmed);
      const bool digits = trimmed.find_first_of("0123456789") != std::string::npos;
      return digits && IsValidTimeRec(value.Time) ? Show(value) : std::string(text);
    }
    default: {
      const TCommonVar value = Read(trimmed);
      return IsValidDateRec(value.Date) ? Show(value) : std::string(text);
    }
  }
}

std::string TValueEdit::Typed(std::string_view text) const {
  return Kind == 'N' || Kind == 'R' ? CommaToPoint(RemoveBlanks(text)) : std::string(text);
}

bool TValueEdit::Accepts(std::string_view text) const { return Kind == 'C' || IsValid(Typed(text)); }

std::string TValueEdit::Requirement() const {
  switch (Kind) {
    case 'C': return "нужен непустой текст"_w;
    case 'N':
    case 'R':
      if (Width == 0) return "нужно число"_w;
      if (Decimals <= 0) return "нужно целое число, не больше "_w + std::to_string(Width) + " знаков"_w;
      return "нужно число, не больше "_w + std::to_string(std::max(Width - Decimals - 1, 0)) +
             " знаков до точки и "_w + std::to_string(Decimals) + " после нее"_w;
    case 'T': return "нужно время вида Ч:ММ:СС"_w;
    default: return "нужна дата вида Д.ММ.ГГГГ"_w;
  }
}

int32_t TValueEdit::MaxLength() const {
  if (Kind == 'D') return Width != 0 ? 20 : 10;
  return Width != 0 ? Width : 15;
}

int32_t TValueEdit::DialogLength() const { return Kind == 'T' ? 20 : MaxLength(); }

}  // namespace vm
