#include "output/price_tag_draw.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "config/data_dir.h"
#include "foundation/barcodes/bar_patterns.h"
#include "foundation/text/collation.h"
#include "foundation/values/value_text.h"
#include "language/evaluator.h"
#include "language/zone_compiler.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace vm {

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 0x0000FF;
constexpr int32_t kMaxModule = 10000;

std::string ZoneValue(const TCenZone& zone) {
  TCompiledZone* compiled = CompiledZone(zone);
  if (compiled == nullptr) return zone.ErrorText;
  int err = 0;
  TCommonVar v;
  EvalExpr(compiled->Expr, err, v);
  if (err != 0) return "Ошибка во время вычисления"_w;
  switch (v.Kind) {
    case 'C': return v.Str;
    // Numbers, dates and times print as document printing turns them into
    // text.
    case 'N': case 'D': case 'T': return ValueToText(v, 2, 2);
    default: return "Неверный тип выражения"_w;
  }
}

std::string ApplyCase(std::string text, int32_t mode) {
  if (mode == 0 || mode == 1)
    for (char& c : text) c = mode == 0 ? UpperChar1251(c) : LowerChar1251(c);
  return text;
}

std::string DropChars(const std::string& text, const std::string& dropped, bool onlyFirst) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool unwanted = dropped.find(text[i]) != std::string::npos;
    if (unwanted && (!onlyFirst || i == 0)) continue;
    out += text[i];
  }
  return out;
}

// Pixels per 0.1 mm at the zoom.
struct TScale {
  long double K;
  int32_t operator()(long double tenths) const { return RoundEven(tenths * K); }
};

TScale ScaleOf(TCanvas& canvas, long double zoom) { return {canvas.FontPixelsPerInch() / 254.0L * zoom}; }

// Frames of one pixel, t of them inside each other from the outer edge in.
void FrameBand(TCanvas& canvas, int32_t l, int32_t t, int32_t r, int32_t b, int32_t thickness, uint32_t rgb) {
  if (r <= l || b <= t) return;
  thickness = std::min({thickness, (r - l + 1) / 2, (b - t + 1) / 2});
  canvas.FillRect(l, t, r, t + thickness, rgb);
  canvas.FillRect(l, b - thickness, r, b, rgb);
  canvas.FillRect(l, t, l + thickness, b, rgb);
  canvas.FillRect(r - thickness, t, r, b, rgb);
}

char LineKind(int32_t alignment) {
  if (alignment == 1) return 'E';
  return alignment > 1 ? 'R' : 'C';
}

void DrawTextZone(const TCenZone& zone, const std::string& text, TCanvas& canvas, int32_t x, int32_t y,
                  TScale px) {
  canvas.SetFontName(zone.FontName);
  canvas.SetFont(px(zone.FontSize), zone.FontStyle);
  canvas.SetFontColor(static_cast<uint32_t>(zone.FontColor));
  canvas.SetBrush({TBrushStyle::Solid, kWhite});
  const int32_t width = px(zone.Rect[2]);
  const int32_t height = px(zone.Rect[3]);
  const TTextSize block = MeasureWrappedText(canvas, width, text);
  const int32_t offset = std::max(0, RoundEven((height - block.Height) / 2.0L));
  canvas.SetTextTransparent(true);
  DrawWrappedText(canvas, x + px(zone.Rect[0]), y + px(zone.Rect[1]) + offset, width, text,
                  LineKind(zone.Alignment), height - offset);
}

int32_t BarModule(const TCenZone& zone, TScale px) {
  const long double module = std::trunc(zone.BarWidth * px.K / 10);
  // A module too fine or too coarse for the device still draws.
  if (!std::isfinite(module) || module > std::numeric_limits<int32_t>::max() ||
      module < std::numeric_limits<int32_t>::min())
    return 1;
  return std::clamp(static_cast<int32_t>(module), 1, kMaxModule);
}

void DrawBarZone(const TCenZone& zone, const std::string& pattern, TCanvas& canvas, int32_t x, int32_t y,
                 TScale px) {
  const int32_t module = BarModule(zone, px);
  const int64_t total = BarPatternWidth(pattern, module);
  const int64_t left = zone.Rect[0], width = zone.Rect[2];
  int64_t edge;
  if (zone.Alignment == 1)
    edge = x + px(left + width / 2) - RoundEven(total / 2.0L);
  else if (zone.Alignment > 1)
    edge = x + px(left + width) - total;
  else
    edge = x + px(left);
  edge = std::clamp<int64_t>(edge, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
  DrawBarPattern(canvas, pattern, static_cast<int32_t>(edge), module, px(zone.Rect[3]), y + px(zone.Rect[1]));
}

void DrawZoneFrames(const TCennik& tag, TCanvas& canvas, int32_t x, int32_t y, TScale px) {
  canvas.SetBrush({TBrushStyle::Solid, kRed});
  for (const auto& zone : tag.Zones) {
    const int64_t l = zone->Rect[0], t = zone->Rect[1];
    FrameBand(canvas, x + px(l), y + px(t), x + px(l + zone->Rect[2]), y + px(t + zone->Rect[3]), 1, kRed);
  }
}

void DrawTagFrame(const TCennik& tag, TCanvas& canvas, int32_t x, int32_t y, TScale px) {
  if (tag.LineWidth < 1) return;
  const int32_t t = std::max(1, px(tag.LineWidth));
  canvas.SetBrush({TBrushStyle::Solid, 0});
  const int32_t grow = t / 2;
  FrameBand(canvas, x - grow, y - grow, x + px(tag.Width) + grow, y + px(tag.Height) + grow, t, 0);
}

std::function<std::unique_ptr<TPicture>(const std::string&)>& Reader() {
  static TPictureReader reader;
  return reader;
}

}  // namespace

std::string EvalCenZone(const TCenZone& zone) {
  return DropChars(ApplyCase(ZoneValue(zone), zone.LetterCase), zone.NonPrintChars, zone.OnlyFirst);
}

TTagPixels CennikPixelSize(const TCennik& tag, TCanvas& canvas) {
  const TScale px = ScaleOf(canvas, 1);
  return {px(int64_t{tag.Width} + tag.LineWidth) + 1, px(int64_t{tag.Height} + tag.LineWidth) + 1};
}

void DrawCennik(const TCennik& tag, TCanvas& canvas, int32_t x, int32_t y, long double zoom, bool showZoneFrames) {
  const TScale px = ScaleOf(canvas, zoom);
  for (int32_t i = 0; i < static_cast<int32_t>(tag.Graphics.size()); ++i)
    DrawGraphObject(tag.Graphics, i, canvas, x, y, zoom);
  for (const auto& zone : tag.Zones) {
    const std::string text = EvalCenZone(*zone);
    if (zone->Barcode)
      DrawBarZone(*zone, text, canvas, x, y, px);
    else
      DrawTextZone(*zone, text, canvas, x, y, px);
  }
  if (showZoneFrames) DrawZoneFrames(tag, canvas, x, y, px);
  DrawTagFrame(tag, canvas, x, y, px);
}

void DrawGraphObject(const TGOList& objects, int32_t index, TCanvas& canvas, int32_t x, int32_t y,
                     long double zoom) {
  if (index < 0 || index >= static_cast<int32_t>(objects.size())) return;
  const TGraphObject& g = *objects[static_cast<std::size_t>(index)];
  const TScale px = ScaleOf(canvas, zoom);
  const int32_t x1 = x + px(g.X), y1 = y + px(g.Y);
  const int32_t x2 = x1 + px(g.Width), y2 = y1 + px(g.Height);
  const int32_t mx = static_cast<int32_t>((int64_t{x1} + x2) / 2), my = static_cast<int32_t>((int64_t{y1} + y2) / 2);
  const uint32_t fill = static_cast<uint32_t>(g.FillColor);
  canvas.SetPenWidth(px(g.LineWidth));
  canvas.SetPenStyle(TPenStyle::Solid);
  canvas.SetPenColor(static_cast<uint32_t>(g.Color));
  canvas.SetBrush({TBrushStyle::Solid, fill});
  auto polyline = [&](std::initializer_list<std::pair<int32_t, int32_t>> points) {
    canvas.MoveTo(points.begin()->first, points.begin()->second);
    for (auto p = points.begin() + 1; p != points.end(); ++p) canvas.LineTo(p->first, p->second);
  };
  using enum TGraphKind;
  switch (g.Kind) {
    case Line:
      if (g.LineWidth > 0) polyline({{x1, y1}, {x2, y2}});
      break;
    case Rectangle:
      if (g.LineWidth > 0) polyline({{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}, {x1, y1}});
      break;
    case FilledRectangle:
      canvas.FillBrushRect(x1, y1, x2, y2);
      if (g.LineWidth >= 1) canvas.Rectangle(x1, y1, x2, y2);
      break;
    case Ellipse:
      if (g.LineWidth > 0) {
        canvas.SetBrush({TBrushStyle::Clear, fill});
        canvas.Ellipse(x1, y1, x2, y2);
      }
      break;
    case FilledEllipse:
      // Without a line the ellipse is outlined in its own fill.
      if (g.LineWidth == 0) canvas.SetPenColor(fill);
      canvas.Ellipse(x1, y1, x2, y2);
      break;
    case Rhombus:
      if (g.LineWidth > 0) polyline({{x1, my}, {mx, y1}, {x2, my}, {mx, y2}, {x1, my}});
      break;
    case Picture:
      if (g.Picture != nullptr) {
        TTransparency mode = TTransparency::None;
        if (g.IsTransparent()) mode = g.TakesTransparentColor() ? TTransparency::Automatic : TTransparency::Fixed;
        canvas.StretchPicture(*g.Picture, x1, y1, x2, y2, mode, static_cast<uint32_t>(g.TransparentColor));
      }
      break;
    default: break;
  }
}

TFittedTag FitCennik(const TCennik& tag, int32_t ppi, int32_t containerWidth, int32_t containerHeight) {
  TFittedTag fit;
  const long double p = ppi / 254.0L;
  const int64_t border = tag.LineWidth;
  const long double w = (std::max(1, tag.Width) + border) * p, h = (std::max(1, tag.Height) + border) * p;
  if (w <= 0 || h <= 0) return fit;
  fit.Zoom = std::min((containerWidth - 8) / w, (containerHeight - 8) / h);
  const int32_t bw = RoundEven(w * fit.Zoom), bh = RoundEven(h * fit.Zoom);
  fit.Left = (containerWidth - bw - 2) / 2;
  fit.Top = (containerHeight - bh - 2) / 2;
  fit.Width = bw + 2;
  fit.Height = bh + 2;
  fit.Offset = RoundEven(border * fit.Zoom * p / 2) + 1;
  return fit;
}

void InstallPictureReader(TPictureReader reader) { Reader() = std::move(reader); }

TPicture* TPictList::LoadPicture(const std::string& fileName) {
  if (fileName.empty() || !Reader()) return nullptr;
  try {
    std::unique_ptr<TPicture> picture = Reader()(ResolvePathCase(PicturePath(fileName, DataDir())));
    if (picture == nullptr) return nullptr;
    return items_.emplace_back(std::move(picture)).get();
  } catch (const std::exception&) {
    return nullptr;
  }
}

TPictList& Pictures() {
  static TPictList list;
  return list;
}

void LoadPictures(const TGOList& list) {
  Pictures().Clear();
  for (const auto& g : list)
    if (g->Kind == TGraphKind::Picture) g->Picture = Pictures().LoadPicture(g->FileName);
}

void ReleasePictures(const TGOList& list) {
  for (const auto& g : list) g->Picture = nullptr;
  Pictures().Clear();
}

}  // namespace vm
