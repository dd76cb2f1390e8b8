// A graphic object of a price tag (a line, a frame, an ellipse, a rhombus or
// a picture) under the names drawing and the editor use, and its sixteen data
// words in the order the settings files store them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vm {

// A loaded picture; the picture list owns it, never the object.
class TPicture;

// The kinds as the settings files number them.
enum class TGraphKind : uint8_t { Line, Rectangle, FilledRectangle, Ellipse, FilledEllipse, Rhombus, Picture };
inline constexpr int32_t kGraphKindCount = 7;

// A stored kind number; anything outside the kinds reads as a line.
TGraphKind GraphKindFromNumber(int32_t number);
constexpr int32_t GraphKindNumber(TGraphKind kind) { return static_cast<int32_t>(kind); }

// The data words as stored: fill colour, X, Y, width, height, transparent,
// transparent colour, automatic transparent colour, then eight reserved.
using TGraphWords = std::array<int32_t, 16>;

struct TGraphObject {
  int32_t Color = 0;  // pen
  TGraphKind Kind = TGraphKind::Line;
  // Pen width, 0.1 mm; 0 leaves out the outline of the kinds that have one.
  int32_t LineWidth = 2;
  int32_t FillColor = 0;
  // The box, 0.1 mm from the tag's corner.
  int32_t X = 0, Y = 0, Width = 0, Height = 0;
  // Non-zero: a picture is drawn transparent. Kept as stored, like the words
  // below, so that a file reads and writes back the same.
  int32_t Transparent = 0;
  int32_t TransparentColor = 0;
  // Only the low byte counts: non-zero takes the transparent colour from the
  // picture itself.
  int32_t AutoTransparent = 0;
  std::array<int32_t, 8> Reserved{};  // no meaning; kept and copied
  std::string FileName;               // the picture of a picture object
  // Loaded for drawing only; not part of the layout.
  mutable TPicture* Picture = nullptr;

  bool IsTransparent() const { return Transparent != 0; }
  bool TakesTransparentColor() const { return (AutoTransparent & 0xFF) != 0; }
  // Sets the low byte and keeps the rest of the word.
  void SetTakesTransparentColor(bool on) { AutoTransparent = (AutoTransparent & ~0xFF) | (on ? 1 : 0); }

  TGraphWords Words() const;
  void SetWords(const TGraphWords& words);
};

// The file of a picture kept by name: a name without a folder from the
// root lies in the data directory (dataDir ends with '/').
std::string PicturePath(const std::string& name, const std::string& dataDir);
// The name a picture chosen by its whole path is kept by: inside the data
// directory the name relative to it, so that a copy of the configuration
// with its data finds the picture too; elsewhere the whole path.
std::string PictureNameToKeep(const std::string& path, const std::string& dataDir);

}  // namespace vm
