#include "foundation/qt/qt_canvas.h"

#include <QPaintEngine>
#include <QRawFont>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

#include "foundation/qt/font_families.h"
#include "foundation/qt/qt_text.h"

namespace vm {

QColor ColorFromBgr(uint32_t bgr) {
  return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                static_cast<int>((bgr >> 16) & 0xFF));
}

TQtCanvas::TQtCanvas(QPainter& painter, int32_t pixelsPerInch)
    : painter_(painter),
      ppi_(pixelsPerInch > 0 ? pixelsPerInch
                             : (painter.device() ? painter.device()->logicalDpiY() : 96)),
      fontPpi_(ppi_),
      placeGlyphs_(painter.paintEngine() != nullptr && painter.paintEngine()->type() == QPaintEngine::Pdf) {
  pen_.setColor(Qt::black);
  pen_.setWidth(1);
  pen_.setCapStyle(Qt::SquareCap);
  pen_.setJoinStyle(Qt::MiterJoin);
  textState_ = false;
  painter_.setPen(pen_);
  painter_.setBrush(Qt::NoBrush);
  painter_.setRenderHint(QPainter::Antialiasing, false);
  ApplyFont();
}

void TQtCanvas::ApplyFont() {
  auto it = fonts_.find(std::tie(family_, height_, style_));
  if (it == fonts_.end()) {
    const int32_t pixels = height_ < 0 ? -height_ : height_;
    QFont font = FontForFamily(family_, pixels, style_ & kFontBold);
    font.setItalic(style_ & kFontItalic);
    font.setUnderline(style_ & kFontUnderline);
    font.setStrikeOut(style_ & kFontStrikeOut);
    if (height_ > 0) {
      // A positive height is the whole cell, internal leading included.
      const int cell = QFontMetrics(font, painter_.device()).height();
      if (cell > 0 && cell != height_)
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(double(height_) * height_ / cell))));
    }
    const QFontMetrics metrics(font, painter_.device());
    const bool decorated = font.underline() || font.strikeOut() || font.overline();
    it = fonts_.emplace(std::tuple(family_, height_, style_), TFontState{font, metrics, metrics.height(), decorated, {}, {}})
             .first;
  }
  font_ = &it->second;
  textState_ = false;
}

void TQtCanvas::SetFont(int32_t height, uint8_t style) {
  if (height == height_ && style == style_) return;
  height_ = height == 0 ? -13 : height;
  style_ = style;
  ApplyFont();
}

void TQtCanvas::SetFontColor(uint32_t rgb) {
  const QColor color = ColorFromBgr(rgb);
  if (color != fontColor_) textState_ = false;
  fontColor_ = color;
}

void TQtCanvas::SetFontName(std::string_view family) {
  if (family.empty() || family == family_) return;
  family_ = std::string(family);
  ApplyFont();
}

namespace {

// Texts of printable characters only: no control character, soft hyphen
// or unassigned code, which Qt's shaping leaves unprinted and skips in
// its own way.
bool PlaceableText(std::string_view text) {
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F || b == 0x98 || b == 0xAD) return false;
  }
  return true;
}

// Kept texts of one font before they are dropped: a long job keeps its
// memory bounded, and a text dropped is only shaped again.
constexpr std::size_t kMaxKeptTexts = 50000;
// Texts whose prefixes are taken from their glyphs, per font: a wrapped
// text and the rests after its first lines.
constexpr std::size_t kMaxPrefixedTexts = 4;

}  // namespace

TQtCanvas::TShapedText TQtCanvas::Shape(std::string_view text) const {
  TShapedText shaped;
  for (auto whole = font_->Prefixed.rbegin(); placeGlyphs_ && !text.empty() && whole != font_->Prefixed.rend();
       ++whole) {
    if (text.size() >= whole->size() || !std::string_view(*whole).starts_with(text)) continue;
    if (const auto it = font_->Texts.find(*whole); it != font_->Texts.end() && it->second.Glyphs.size() == 1) {
      const QGlyphRun& run = it->second.Glyphs.front();
      const auto n = static_cast<qsizetype>(text.size());
      QGlyphRun part = run;
      part.setGlyphIndexes(run.glyphIndexes().first(n));
      const QList<QPointF> positions = run.positions();
      part.setPositions(positions.first(n));
      shaped.Width = qRound(positions[n].x());
      shaped.Placed = true;
      shaped.Glyphs = {part};
      return shaped;
    }
  }
  const QString qt = ToQt(text);
  if (!placeGlyphs_ || font_->Decorated || !PlaceableText(text)) {
    shaped.Width = Metrics().horizontalAdvance(qt);
    return shaped;
  }
  // One line laid out as the painter's text call lays it out: left to
  // right, unwrapped, in the font resolved for the device.
  QTextLayout layout(qt, font_->Font, painter_.device());
  layout.setCacheEnabled(true);
  QTextOption option;
  option.setWrapMode(QTextOption::NoWrap);
  option.setTextDirection(Qt::LeftToRight);
  layout.setTextOption(option);
  layout.beginLayout();
  const QTextLine line = layout.createLine();
  layout.endLayout();
  shaped.Width = qRound(line.horizontalAdvance());
  // Run by run as the text call draws them: one per item and font.
  shaped.Glyphs = line.glyphRuns();
  const qreal baseline = line.y() + line.ascent();
  for (QGlyphRun& run : shaped.Glyphs) {
    QList<QPointF> positions = run.positions();
    for (QPointF& p : positions) p.ry() -= baseline;
    run.setPositions(positions);
  }
  shaped.Placed = true;
  return shaped;
}

const TQtCanvas::TShapedText& TQtCanvas::Shaped(std::string_view text) {
  TTextCache& texts = font_->Texts;
  if (const auto it = texts.find(text); it != texts.end()) return it->second;
  if (texts.size() >= kMaxKeptTexts) texts.clear();
  return texts.emplace(std::string(text), Shape(text)).first->second;
}

bool TQtCanvas::ShapedGlyphByGlyph(std::string_view text, const TShapedText& shaped) {
  if (!shaped.Placed || shaped.Glyphs.size() != 1) return false;
  const QGlyphRun& run = shaped.Glyphs.front();
  const QList<quint32> glyphs = run.glyphIndexes();
  const QList<QPointF> positions = run.positions();
  if (glyphs.size() != static_cast<qsizetype>(text.size()) || positions.size() != glyphs.size()) return false;
  const QRawFont font = run.rawFont();
  if (font.glyphIndexesForString(ToQt(text)) != glyphs) return false;
  const QList<QPointF> advances = font.advancesForGlyphIndexes(glyphs);
  qreal x = 0;
  for (qsizetype i = 0; i < glyphs.size(); ++i) {
    // Compared exactly: QPointF's own comparison allows a tolerance.
    if (positions[i].x() != x || positions[i].y() != 0) return false;
    x += advances[i].x();
  }
  return qRound(x) == shaped.Width;
}

bool TQtCanvas::PrefixWidths(std::string_view text, std::vector<int32_t>& widths) {
  if (!exclusive_ || text.empty()) return false;
  const TShapedText& shaped = Shaped(text);
  if (!ShapedGlyphByGlyph(text, shaped)) return false;
  const QList<QPointF> positions = shaped.Glyphs.front().positions();
  widths.assign(text.size() + 1, shaped.Width);
  for (std::size_t i = 0; i < text.size(); ++i) widths[i] = qRound(positions[static_cast<qsizetype>(i)].x());
  std::vector<std::string>& prefixed = font_->Prefixed;
  if (std::find(prefixed.begin(), prefixed.end(), text) == prefixed.end()) {
    if (prefixed.size() == kMaxPrefixedTexts) prefixed.erase(prefixed.begin());
    prefixed.emplace_back(text);
  }
  return true;
}

int32_t TQtCanvas::TextWidth(std::string_view text) {
  if (!exclusive_) return Metrics().horizontalAdvance(ToQt(text));
  return Shaped(text).Width;
}

int32_t TQtCanvas::TextHeight(std::string_view) { return font_->Height; }

void TQtCanvas::TextOut(int32_t x, int32_t y, std::string_view text) {
  if (!transparent_ && brush_.Style == TBrushStyle::Solid)
    FillRect(x, y, x + TextWidth(text), y + TextHeight(text), brush_.Color);
  if (exclusive_) {
    if (!textState_) {
      painter_.setFont(font_->Font);
      painter_.setPen(fontColor_);
      textState_ = true;
    }
    const TShapedText& shaped = Shaped(text);
    if (!shaped.Placed) {
      painter_.drawText(x, y + Metrics().ascent(), ToQt(text));
      return;
    }
    const QPointF baseline(x, y + Metrics().ascent());
    for (const QGlyphRun& run : shaped.Glyphs) painter_.drawGlyphRun(baseline, run);
    return;
  }
  painter_.save();
  painter_.setFont(font_->Font);
  painter_.setPen(fontColor_);
  painter_.drawText(x, y + Metrics().ascent(), ToQt(text));
  painter_.restore();
}

void TQtCanvas::SetPenWidth(int32_t width) {
  pen_.setWidth(width < 1 ? 1 : width);
  textState_ = false;
  painter_.setPen(pen_);
}

void TQtCanvas::SetPenColor(uint32_t rgb) {
  pen_.setColor(ColorFromBgr(rgb));
  textState_ = false;
  painter_.setPen(pen_);
}

void TQtCanvas::MoveTo(int32_t x, int32_t y) { at_ = QPoint(x, y); }

void TQtCanvas::LineTo(int32_t x, int32_t y) {
  textState_ = false;
  painter_.setPen(pen_);
  painter_.drawLine(at_, QPoint(x, y));
  at_ = QPoint(x, y);
}

void TQtCanvas::Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  textState_ = false;
  painter_.setPen(pen_);
  painter_.setBrush(Qt::NoBrush);
  painter_.drawRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
}

void TQtCanvas::FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t rgb) {
  if (right <= left || bottom <= top) return;
  painter_.fillRect(QRect(left, top, right - left, bottom - top), ColorFromBgr(rgb));
}

void TQtCanvas::SetPenStyle(TPenStyle style) {
  static constexpr Qt::PenStyle kStyles[] = {Qt::SolidLine,      Qt::DashLine,       Qt::DotLine,
                                             Qt::DashDotLine,    Qt::DashDotDotLine, Qt::NoPen};
  penStyle_ = style;
  const auto i = static_cast<std::size_t>(style);
  pen_.setStyle(i < std::size(kStyles) ? kStyles[i] : Qt::SolidLine);
  // Dashes of a wide pen scale with it; a hairline's are device pixels.
  pen_.setCapStyle(style == TPenStyle::Solid ? Qt::SquareCap : Qt::FlatCap);
  textState_ = false;
  painter_.setPen(pen_);
}

namespace {

QBrush QtBrush(const TBrush& brush) {
  static constexpr Qt::BrushStyle kStyles[] = {Qt::SolidPattern,  Qt::NoBrush,       Qt::HorPattern,
                                               Qt::VerPattern,    Qt::FDiagPattern,  Qt::BDiagPattern,
                                               Qt::CrossPattern,  Qt::DiagCrossPattern};
  const auto i = static_cast<std::size_t>(brush.Style);
  const Qt::BrushStyle style = i < std::size(kStyles) ? kStyles[i] : Qt::SolidPattern;
  return style == Qt::NoBrush ? QBrush() : QBrush(ColorFromBgr(brush.Color), style);
}

}  // namespace

void TQtCanvas::FillBrushRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (right <= left || bottom <= top) return;
  const QBrush brush = QtBrush(brush_);
  if (brush.style() == Qt::NoBrush) return;
  painter_.fillRect(QRect(left, top, right - left, bottom - top), brush);
}

void TQtCanvas::Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  painter_.save();
  painter_.setRenderHint(QPainter::Antialiasing);
  painter_.setPen(pen_);
  painter_.setBrush(QtBrush(brush_));
  painter_.drawEllipse(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
  painter_.restore();
}

void TQtCanvas::StretchPicture(const TPicture& picture, int32_t left, int32_t top, int32_t right, int32_t bottom,
                               TTransparency mode, uint32_t transparentColor) {
  const auto* qt = dynamic_cast<const TQtPicture*>(&picture);
  if (qt == nullptr || qt->Image().isNull() || right <= left || bottom <= top) return;
  QImage image = qt->Image().convertToFormat(QImage::Format_ARGB32);
  if (mode != TTransparency::None) {
    const QRgb key = mode == TTransparency::Automatic ? image.pixel(0, image.height() - 1)
                                                      : ColorFromBgr(transparentColor).rgb();
    for (int y = 0; y < image.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int x = 0; x < image.width(); ++x)
        if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF)) line[x] = 0;
    }
  }
  painter_.drawImage(QRect(left, top, right - left, bottom - top), image);
}

std::unique_ptr<TPicture> ReadQtPicture(const std::string& path) {
  QImage image;
  if (!image.load(ToQt(path))) return nullptr;
  return std::make_unique<TQtPicture>(std::move(image));
}

}  // namespace vm
