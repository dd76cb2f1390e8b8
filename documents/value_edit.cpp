#include "documents/value_edit.h"

#include <algorithm>
#include <optional>

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

namespace {

// Where the width takes more digits than a number holds: more would be a
// neighbour of the number typed (TypedDigitsHeld).
std::string MostDigits(int32_t width) {
  return width == 0 || width > static_cast<int32_t>(kHeldDigits)
             ? ", значащих цифр не больше "_w + std::to_string(kHeldDigits)
             : std::string();
}

// The time reader takes an hour over 23 as midnight and clamps minutes and
// seconds; a field would show a time nobody typed, so its digit groups must
// be in range themselves.
bool TimeGroupsInRange(std::string_view text) {
  constexpr int32_t kLargest[3] = {23, 59, 59};
  const auto digit = [&](std::size_t i) { return i < text.size() && text[i] >= '0' && text[i] <= '9'; };
  std::size_t i = 0;
  for (const int32_t largest : kLargest) {
    while (i < text.size() && !digit(i)) ++i;
    int32_t value = 0;
    for (; digit(i); ++i) {
      value = value * 10 + (text[i] - '0');
      if (value > largest) return false;
    }
  }
  return true;
}

// The value a text reads as when it is one of the edit's kind; every text
// is one of a text edit.
std::optional<TCommonVar> ValueOf(const TValueEdit& edit, std::string_view text) {
  switch (edit.Kind) {
    case 'C': return edit.Read(text);
    case 'N':
    case 'R': {
      const std::string typed = CommaToPoint(RemoveBlanks(text));
      long double x = 0;
      if (!TextToExtended(typed, x)) return std::nullopt;
      return edit.Read(typed);
    }
    case 'T': {
      // The time parser makes midnight of any text without digits.
      const TCommonVar value = edit.Read(text);
      if (text.find_first_of("0123456789") == std::string_view::npos || !TimeGroupsInRange(text) ||
          !IsValidTimeRec(value.Time))
        return std::nullopt;
      return value;
    }
    default: {
      const TCommonVar value = edit.Read(TrimBlanks(text));
      if (!IsValidDateRec(value.Date)) return std::nullopt;
      return value;
    }
  }
}

}  // namespace

bool TValueEdit::IsValid(std::string_view text) const {
  switch (Kind) {
    case 'C': return !TrimBlanks(text).empty();
    case 'N':
    case 'R': return IsValidNumStr(text, Width, Decimals) && TypedDigitsHeld(text);
    default: return ValueOf(*this, text).has_value();
  }
}

std::string TValueEdit::Normalized(std::string_view text) const {
  if (Kind == 'C') return TrimBlanks(text);
  const std::optional<TCommonVar> value = ValueOf(*this, text);
  return value ? Show(*value) : std::string(text);
}

bool TValueEdit::Accepts(std::string_view text) const { return Kind == 'C' || IsValid(Normalized(text)); }

std::string TValueEdit::Requirement() const {
  switch (Kind) {
    case 'C':
      if (TextLimit() > 0) return "нужен непустой текст не длиннее "_w + std::to_string(TextLimit()) + " знаков"_w;
      return "нужен непустой текст"_w;
    case 'N':
    case 'R':
      if (Width == 0) return "нужно число"_w + MostDigits(Width);
      if (Decimals <= 0) return "нужно целое число, не больше "_w + std::to_string(Width) + " знаков"_w + MostDigits(Width);
      return "нужно число, не больше "_w + std::to_string(std::max(Width - Decimals - 1, 0)) +
             " знаков до точки и "_w + std::to_string(Decimals) + " после нее"_w + MostDigits(Width);
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
