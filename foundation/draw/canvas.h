// The drawing surface of blank headers, tables and labels. The screen and
// the printer implement it over the windowing library; the core only draws
// through it, so layouts can be measured and checked without windows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vm {

// Font style bits.
inline constexpr uint8_t kFontBold = 0x01;
inline constexpr uint8_t kFontItalic = 0x02;
inline constexpr uint8_t kFontUnderline = 0x04;
inline constexpr uint8_t kFontStrikeOut = 0x08;

// Pen and brush styles, in the order the settings files number them.
enum class TPenStyle : uint8_t { Solid, Dash, Dot, DashDot, DashDotDot, Clear };
enum class TBrushStyle : uint8_t {
  Solid, Clear, Horizontal, Vertical, FDiagonal, BDiagonal, Cross, DiagCross
};

struct TBrush {
  TBrushStyle Style = TBrushStyle::Solid;
  uint32_t Color = 0xFFFFFF;
  bool operator==(const TBrush&) const = default;
};

// A loaded picture; each kind of canvas draws the pictures of its own
// reader.
class TPicture {
 public:
  virtual ~TPicture() = default;
  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;
};

// How a stretched picture leaves pixels out: none, those of a given colour,
// or those of the colour of its bottom-left pixel.
enum class TTransparency : uint8_t { None, Fixed, Automatic };

// Colours are 0x00BBGGRR, the values the settings files store.
class TCanvas {
 public:
  virtual ~TCanvas() = default;

  // Pixels per inch of the device (and of its font).
  virtual int32_t PixelsPerInch() const = 0;

  // A negative height is the character height in pixels, a positive one the
  // cell height, as the windowing library takes them.
  virtual void SetFont(int32_t height, uint8_t style) = 0;
  virtual void SetFontColor(uint32_t rgb) = 0;
  // The family as a blank or the settings name it; a canvas that only
  // measures may ignore it.
  virtual void SetFontName(std::string_view /*family*/) {}
  virtual int32_t TextWidth(std::string_view text) = 0;
  // The widths TextWidth gives of text's first 0, 1, ... text.size()
  // characters, where the canvas can tell them all from measuring text
  // once; false, widths untouched, where it cannot.
  virtual bool PrefixWidths(std::string_view /*text*/, std::vector<int32_t>& /*widths*/) { return false; }
  virtual int32_t TextHeight(std::string_view text) = 0;
  // Draws text (Windows-1251) with its top-left corner at (x, y).
  virtual void TextOut(int32_t x, int32_t y, std::string_view text) = 0;

  virtual void SetPenWidth(int32_t width) = 0;
  virtual void SetPenColor(uint32_t rgb) = 0;
  virtual void MoveTo(int32_t x, int32_t y) = 0;
  // A line from the pen position to (x, y), which becomes the pen position.
  virtual void LineTo(int32_t x, int32_t y) = 0;
  virtual void Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) = 0;
  // Fills the pixels from (left, top) up to, not including, (right, bottom).
  virtual void FillRect(int32_t /*left*/, int32_t /*top*/, int32_t /*right*/, int32_t /*bottom*/,
                        uint32_t /*rgb*/) {}

  virtual void SetPenStyle(TPenStyle /*style*/) {}
  virtual TPenStyle PenStyle() const { return TPenStyle::Solid; }
  // The brush that FillBrushRect fills with (solid white at first).
  virtual TBrush Brush() const { return brush_; }
  virtual void SetBrush(const TBrush& brush) { brush_ = brush; }
  // Fills like FillRect, with the brush; a clear brush fills nothing.
  virtual void FillBrushRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (brush_.Style == TBrushStyle::Solid) FillRect(left, top, right, bottom, brush_.Color);
  }
  // An ellipse in the rectangle, outlined with the pen and filled with the
  // brush (a clear brush leaves it open).
  virtual void Ellipse(int32_t /*left*/, int32_t /*top*/, int32_t /*right*/, int32_t /*bottom*/) {}
  // The picture stretched over the rectangle; with a transparency, pixels
  // of the transparent colour keep what is under them.
  virtual void StretchPicture(const TPicture& /*picture*/, int32_t /*left*/, int32_t /*top*/,
                              int32_t /*right*/, int32_t /*bottom*/, TTransparency /*mode*/,
                              uint32_t /*transparentColor*/) {}
  // Whether text is drawn without filling its background first.
  virtual void SetTextTransparent(bool /*transparent*/) {}
  // The resolution that font sizes in points are taken at; a printer's
  // follows the device, which may differ from the canvas's own.
  virtual int32_t FontPixelsPerInch() const { return PixelsPerInch(); }
  virtual void SetFontPixelsPerInch(int32_t /*ppi*/) {}

 protected:
  TBrush brush_;
};

// Sets the font by its size in points at the canvas's font resolution.
void SetFontPoints(TCanvas& canvas, int32_t points, uint8_t style);

// Rounds to the nearest integer, halves to the even neighbour, as every
// length-to-pixel conversion does; out-of-range values saturate.
int32_t RoundEven(long double x);

// Cuts text into lines no wider than maxWidth pixels, breaking where a word
// starts or ends, else inside a word. A text that fits is one line as it
// stands; cut lines are trimmed of blanks and tabs.
std::vector<std::string> WrapTextLines(TCanvas& canvas, int32_t maxWidth, std::string_view text);

struct TTextSize {
  int32_t Width = 0;
  int32_t Height = 0;
};

// The size text needs when wrapped to maxWidth pixels: the widest line, and
// the height of the whole text plus 1 for each line. (0, 0) when maxWidth <= 0.
TTextSize MeasureWrappedText(TCanvas& canvas, int32_t maxWidth, std::string_view text);

// Draws text wrapped to width pixels from (x, y) down. Lines go left for kind
// 'C', centred for 'E' and 0, right for any other kind. With maxHeight >= 0
// a line whose bottom would pass maxHeight is not drawn.
void DrawWrappedText(TCanvas& canvas, int32_t x, int32_t y, int32_t width, std::string_view text,
                     char kind, int32_t maxHeight);

}  // namespace vm
