// The drawing canvas on a QPainter: the same class draws on a widget, an
// image and the printer, at the painter device's resolution.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QImage>
#include <QList>
#include <QPainter>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <unordered_map>

#include "foundation/draw/canvas.h"

namespace vm {

QColor ColorFromBgr(uint32_t bgr);

// A picture as Qt's image reader loads it.
class TQtPicture : public TPicture {
 public:
  explicit TQtPicture(QImage image) : image_(std::move(image)) {}
  int32_t Width() const override { return image_.width(); }
  int32_t Height() const override { return image_.height(); }
  const QImage& Image() const { return image_; }

 private:
  QImage image_;
};

// Reads a picture file with Qt's image reader; nullptr when it cannot.
std::unique_ptr<TPicture> ReadQtPicture(const std::string& path);

class TQtCanvas : public TCanvas {
 public:
  // The painter stays the caller's; pixelsPerInch 0 takes the device's.
  explicit TQtCanvas(QPainter& painter, int32_t pixelsPerInch = 0);
  TQtCanvas(const TQtCanvas&) = delete;
  TQtCanvas& operator=(const TQtCanvas&) = delete;

  int32_t PixelsPerInch() const override { return ppi_; }
  void SetFont(int32_t height, uint8_t style) override;
  void SetFontColor(uint32_t rgb) override;
  void SetFontName(std::string_view family) override;
  int32_t TextWidth(std::string_view text) override;
  // In exclusive use, for a text whose glyphs are those of its characters
  // one by one at their own advances: no kerning, ligature or other
  // substitution, so each prefix shapes to the text's first glyphs.
  bool PrefixWidths(std::string_view text, std::vector<int32_t>& widths) override;
  int32_t TextHeight(std::string_view text) override;
  void TextOut(int32_t x, int32_t y, std::string_view text) override;
  void SetPenWidth(int32_t width) override;
  void SetPenColor(uint32_t rgb) override;
  void MoveTo(int32_t x, int32_t y) override;
  void LineTo(int32_t x, int32_t y) override;
  void Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
  void FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t rgb) override;
  void SetPenStyle(TPenStyle style) override;
  TPenStyle PenStyle() const override { return penStyle_; }
  void FillBrushRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
  void Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
  void StretchPicture(const TPicture& picture, int32_t left, int32_t top, int32_t right, int32_t bottom,
                      TTransparency mode, uint32_t transparentColor) override;
  void SetTextTransparent(bool transparent) override { transparent_ = transparent; }
  int32_t FontPixelsPerInch() const override { return fontPpi_; }
  void SetFontPixelsPerInch(int32_t ppi) override { fontPpi_ = ppi > 0 ? ppi : ppi_; }

  const QFont& Font() const { return font_->Font; }

  // The painter is this canvas's alone (a print job's): text leaves the
  // painter's font and pen for the next text instead of restoring them,
  // and text widths are kept per font, as long pages measure the same
  // texts again and again. On a PDF device the glyphs are kept too, so a
  // text is shaped once however often it is measured and drawn.
  void SetExclusive(bool exclusive) { exclusive_ = exclusive; }
  // Whether kept glyphs are placed instead of drawing the text anew (on
  // by default where the device is PDF); the page comes out the same.
  void SetPlaceKeptGlyphs(bool on) { placeGlyphs_ = on; }

 private:
  struct TShapedText;
  void ApplyFont();
  const QFontMetrics& Metrics() const { return font_->Metrics; }
  const TShapedText& Shaped(std::string_view text);
  TShapedText Shape(std::string_view text) const;
  static bool ShapedGlyphByGlyph(std::string_view text, const TShapedText& shaped);

  QPainter& painter_;
  int32_t ppi_;
  std::string family_ = "Times New Roman";
  int32_t height_ = -13;
  uint8_t style_ = 0;
  struct TTextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  // A text measured in exclusive use: its width and, where it may be
  // placed as glyphs, its glyphs from the start of its baseline.
  struct TShapedText {
    int32_t Width = 0;
    bool Placed = false;
    QList<QGlyphRun> Glyphs;
  };
  using TTextCache = std::unordered_map<std::string, TShapedText, TTextHash, std::equal_to<>>;
  // A font as the canvas makes it, with its metrics on the device and, in
  // exclusive use, the texts measured or drawn in it.
  struct TFontState {
    QFont Font;
    QFontMetrics Metrics;
    int32_t Height = 0;
    // Underlined or struck out: Qt's text call draws the lines.
    bool Decorated = false;
    TTextCache Texts;
    // The last texts shaped glyph by glyph whose prefix widths were asked
    // (a wrapped text and the rests after its lines), newest last: their
    // prefixes are taken from their glyphs rather than shaped again.
    std::vector<std::string> Prefixed;
  };
  // Every font made, by family, height and style: texts switch fonts often
  // (a label's zones, a table's title and rows), and a font resolved for
  // the device is dear to make again.
  std::map<std::tuple<std::string, int32_t, uint8_t>, TFontState, std::less<>> fonts_;
  TFontState* font_ = nullptr;
  QColor fontColor_ = Qt::black;
  QPen pen_;
  TPenStyle penStyle_ = TPenStyle::Solid;
  int32_t fontPpi_;
  bool transparent_ = true;
  bool exclusive_ = false;
  bool placeGlyphs_ = false;
  // In exclusive use: whether the painter holds the text's font and pen.
  bool textState_ = false;
  QPoint at_;
};

}  // namespace vm
