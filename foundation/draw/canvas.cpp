#include "foundation/draw/canvas.h"

#include <cmath>
#include <limits>

#include "foundation/text/strutils.h"

namespace vm {

int32_t RoundEven(long double x) {
  if (std::isnan(x)) return 0;
  constexpr long double kMax = std::numeric_limits<int32_t>::max();
  constexpr long double kMin = std::numeric_limits<int32_t>::min();
  if (x >= kMax) return std::numeric_limits<int32_t>::max();
  if (x <= kMin) return std::numeric_limits<int32_t>::min();
  // The default floating-point environment rounds halves to even.
  return static_cast<int32_t>(std::rint(x));
}

void SetFontPoints(TCanvas& canvas, int32_t points, uint8_t style) {
  // The character height, rounded half away from zero as the windowing
  // library's multiply-divide does.
  const int64_t scaled = int64_t{points} * canvas.FontPixelsPerInch();
  const int64_t height = (scaled >= 0 ? scaled + 36 : scaled - 36) / 72;
  canvas.SetFont(static_cast<int32_t>(-height), style);
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<std::string> WrapTextLines(TCanvas& canvas, int32_t maxWidth, std::string_view text) {
  std::vector<std::string> lines;
  if (canvas.TextWidth(text) <= maxWidth) {
    lines.emplace_back(text);
    return lines;
  }
  size_t pos = 0;
  std::vector<int32_t> prefixes;
  while (pos < text.size()) {
    const size_t start = pos;
    const std::string_view rest = text.substr(start);
    const bool known = canvas.PrefixWidths(rest, prefixes);
    const auto prefixWidth = [&](size_t n) { return known ? prefixes[n] : canvas.TextWidth(rest.substr(0, n)); };
    size_t breakAt = std::string_view::npos;
    // The character that makes the line too wide is taken too; it is given
    // back below.
    while (pos < text.size() && prefixWidth(pos - start) <= maxWidth) {
      if (pos > start && IsBlank(text[pos]) != IsBlank(text[pos - 1])) breakAt = pos;
      ++pos;
    }
    std::string line(text.substr(start, pos - start));
    std::string trimmed = TrimBlanks(line);
    if (canvas.TextWidth(trimmed) <= maxWidth) {
      line = std::move(trimmed);
    } else if (breakAt != std::string_view::npos) {
      line = text.substr(start, breakAt - start);
      pos = breakAt;
    } else if (pos - start > 1) {
      --pos;
      line = text.substr(start, pos - start);
    }
    // A character wider than the whole width still makes a line of its own.
    if (pos == start) {
      line = text.substr(start, 1);
      ++pos;
    }
    lines.push_back(TrimBlanks(line));
  }
  return lines;
}

TTextSize MeasureWrappedText(TCanvas& canvas, int32_t maxWidth, std::string_view text) {
  TTextSize size;
  if (maxWidth <= 0) return size;
  const int32_t lineHeight = canvas.TextHeight(text) + 1;
  for (const std::string& line : WrapTextLines(canvas, maxWidth, text)) {
    const int32_t w = canvas.TextWidth(line);
    if (w > size.Width) size.Width = w;
    size.Height += lineHeight;
  }
  return size;
}

void DrawWrappedText(TCanvas& canvas, int32_t x, int32_t y, int32_t width, std::string_view text,
                     char kind, int32_t maxHeight) {
  if (width <= 0) return;
  const int32_t lineHeight = canvas.TextHeight(text) + 1;
  int32_t used = 0;
  for (const std::string& line : WrapTextLines(canvas, width, text)) {
    if (maxHeight >= 0 && used + lineHeight > maxHeight) break;
    const int32_t w = canvas.TextWidth(line);
    int32_t lx;
    if (kind == 'C') {
      lx = x;
    } else if (kind == 'E' || kind == 0) {
      lx = x + (width - w) / 2;
    } else {
      lx = x + width - w;
    }
    canvas.TextOut(lx, y + used, line);
    used += lineHeight;
  }
}

}  // namespace vm
