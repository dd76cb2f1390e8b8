#include "foundation/qt/qt_canvas.h"

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
      fontPpi_(ppi_) {
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
    it = fonts_.emplace(std::tuple(family_, height_, style_), TFontState{font, metrics, metrics.height(), {}}).first;
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

int32_t TQtCanvas::TextWidth(std::string_view text) {
  if (!exclusive_) return Metrics().horizontalAdvance(ToQt(text));
  TWidthCache& widths = font_->Widths;
  if (const auto it = widths.find(text); it != widths.end()) return it->second;
  const int32_t width = Metrics().horizontalAdvance(ToQt(text));
  widths.emplace(std::string(text), width);
  return width;
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
    painter_.drawText(x, y + Metrics().ascent(), ToQt(text));
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
