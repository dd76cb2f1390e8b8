// The price-tag model, the values its zones show and the drawing of a tag,
// on a recording canvas of 254 pixels per inch (one pixel per 0.1 mm) unless
// a case needs another.
#include "output/price_tag_draw.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <tuple>

#include "config/data_dir.h"
#include "config/settings.h"
#include "output/price_tag_rig.h"
#include "platform/encoding.h"
#include "support/program_home.h"
#include "support/temp_dir.h"

namespace vm::test {
namespace {

TEST(PriceTagModel, NewTagAndItsFirstZone) {
  ZoneCompiling compiling;
  TCenList tags;
  TCennik& tag = *NewCennik(tags);
  EXPECT_EQ(std::tuple(tag.Width, tag.Height, tag.LineWidth, tag.ZoneCount()), std::tuple(50, 50, 2, 0));
  const TCenZone& z = *NewCenZone(tag.Zones);
  EXPECT_EQ(std::tuple(z.Rect, z.Alignment, z.LetterCase, z.FontStyle, z.FontSize, z.OnlyFirst, z.BarWidth),
            std::tuple(std::array<int32_t, 4>{0, 0, 50, 50}, 1, 0, kFsBold, 18, true, 1));
  EXPECT_EQ(z.Text, "'Зона №1'"_w);
  EXPECT_EQ(EvalCenZone(z), "ЗОНА №1"_w);

  // Before the start-up enables compiling, texts are only kept.
  CenZoneCompileEnabled() = false;
  const TCenZone& kept = *NewCenZone(tag.Zones);
  EXPECT_TRUE(kept.Text == "'Зона №2'"_w && kept.Compiled == nullptr && EvalCenZone(kept).empty());
  CenZoneCompileEnabled() = true;
  CompileAllCenZones(tags);
  EXPECT_EQ(EvalCenZone(kept), "ЗОНА №2"_w);
}

TEST(PriceTagModel, ValuesCasesAndDroppedCharacters) {
  ZoneCompiling compiling;
  TCennik tag;
  TCenZone& z = LiteralZone(tag, "007");
  z.NonPrintChars = "0";
  EXPECT_EQ(EvalCenZone(z), "07");
  z.OnlyFirst = false;
  EXPECT_EQ(EvalCenZone(z), "7");
  SetZoneText(z, "");
  EXPECT_EQ(EvalCenZone(z), "");

  SetZoneText(z, "Ёлка's Ель"_w);
  z.NonPrintChars.clear();  // an apostrophe inside the literal
  z.LetterCase = 1;
  EXPECT_EQ(EvalCenZone(z), "ёлка's ель"_w);
  z.LetterCase = 2;
  EXPECT_EQ(EvalCenZone(z), "Ёлка's Ель"_w);

  // Numbers, dates and times print as text; other kinds and faults print
  // why they cannot.
  CompileCenZone(z, "12.5 * 2");
  EXPECT_EQ(EvalCenZone(z), "25.00");
  CompileCenZone(z, "НЕТ_ТАКОГО"_w);
  EXPECT_TRUE(z.Compiled == nullptr && !z.ErrorText.empty());
  EXPECT_EQ(EvalCenZone(z), z.ErrorText);
}

TEST(PriceTagModel, DeleteCopyAndFindZones) {
  ZoneCompiling compiling;
  TCenList tags;
  TCennik& tag = *NewCennik(tags);
  tag.Width = 80;
  LiteralZone(tag, "A").Rect = {10, 10, 20, 20};
  LiteralZone(tag, "B").Rect = {25, 25, 20, 20};
  TGraphObject& pic = *NewGraphObject(tag.Graphics);
  pic.Kind = TGraphKind::Picture;
  pic.FileName = "logo.bmp";
  pic.Reserved[7] = 7;
  struct : TPicture {
    int32_t Width() const override { return 1; }
    int32_t Height() const override { return 1; }
  } loaded;
  pic.Picture = &loaded;

  EXPECT_EQ(std::tuple(CenZoneAt(tag, 10, 10), CenZoneAt(tag, 30, 30), CenZoneAt(tag, 45, 45), CenZoneAt(tag, 46, 30),
                       CenZoneAt(tag, 9, 10)),
            std::tuple(0, 0, 1, -1, -1));

  TCenList copy;
  NewCennik(copy);
  NewCennik(copy);
  tags.CopyTo(copy);
  ASSERT_EQ(copy.Count(), 1);
  const TCennik& c = *copy.GetItem(0);
  EXPECT_EQ(std::tuple(c.Width, c.ZoneCount(), c.GetZone(1)->Rect[0], EvalCenZone(*c.GetZone(1))), std::tuple(80, 2, 25, "B"));
  // The copy owns its own expression and shares no picture.
  EXPECT_NE(c.GetZone(0)->Compiled.get(), tag.GetZone(0)->Compiled.get());
  EXPECT_EQ(std::tuple(c.Graphics[0]->FileName, c.Graphics[0]->Reserved[7], c.Graphics[0]->Picture),
            std::tuple("logo.bmp", 7, nullptr));

  DeleteItem(tag.Zones, -1);
  DeleteItem(tag.Zones, tag.ZoneCount());
  DeleteItem(tag.Graphics, 1);
  tags.DeleteItem(1);
  EXPECT_EQ(std::tuple(tag.ZoneCount(), tag.Graphics.size(), tags.Count()), std::tuple(2, 1u, 1));
  DeleteItem(tag.Zones, 0);
  EXPECT_EQ(EvalCenZone(*tag.GetZone(0)), "B");
  tags.DeleteItem(0);
  EXPECT_EQ(tags.Count(), 0);
}

TEST(PriceTagDraw, TextZonesWrapWithinTheirHeight) {
  ZoneCompiling compiling;
  PageRig page;
  TCennik tag;
  tag.LineWidth = 0;
  tag.Width = tag.Height = 100;
  // Characters 5 wide and lines 13 high (12 + 1) at size 12.
  TCenZone& z = LiteralZone(tag, "aa bb cc");
  z.FontSize = 12;
  z.Rect = {10, 20, 20, 40};
  DrawCennik(tag, page.canvas, 100, 200, 1, false);
  auto texts = page.Only(TRecordedOp::kText);
  ASSERT_EQ(texts.size(), 3u);
  // Three lines of 39 pixels in a zone of 40: half a pixel, to even, is 0.
  EXPECT_EQ(std::tuple(texts[0].Text, texts[0].X1, texts[0].Y1, texts[2].Text, texts[2].Y1),
            std::tuple("AA", 110 + 5, 220, "CC", 220 + 26));
  EXPECT_EQ(texts[0].FontHeight, 12);

  // Taller than the zone: from its top, and no line below its bottom.
  page.Clear();
  z.Rect = {10, 20, 15, 20};
  z.Alignment = 0;
  DrawCennik(tag, page.canvas, 0, 0, 1, false);
  texts = page.Only(TRecordedOp::kText);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(std::tuple(texts[0].X1, texts[0].Y1), std::tuple(10, 20));

  // Right-aligned, and at zoom 2.
  page.Clear();
  z.Rect = {10, 20, 30, 40};
  z.Alignment = 2;
  SetZoneText(z, "ab");
  DrawCennik(tag, page.canvas, 0, 0, 2, false);
  texts = page.Only(TRecordedOp::kText);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(std::tuple(texts[0].X1 + 2 * 10, texts[0].FontHeight), std::tuple(20 + 60, 24));
}

TEST(PriceTagDraw, FramesOfTheTagAndItsZones) {
  ZoneCompiling compiling;
  PageRig page;
  TCennik tag;
  tag.LineWidth = 0;
  DrawCennik(tag, page.canvas, 0, 0, 1, false);
  EXPECT_TRUE(page.Only(TRecordedOp::kFill).empty());

  // Thickness 1 at a scale that makes it 0 pixels still frames the tag.
  tag.LineWidth = 1;
  DrawCennik(tag, page.canvas, 5, 5, 0.1L, false);
  auto fills = page.Only(TRecordedOp::kFill);
  ASSERT_EQ(fills.size(), 4u);
  EXPECT_EQ(std::tuple(fills[0].X1, fills[0].Y1, fills[0].X2, fills[0].Y2, fills[0].Color), std::tuple(5, 5, 10, 6, 0u));

  // Thickness 4 is centred on the edge; zone frames are red, one pixel.
  page.Clear();
  tag.LineWidth = 4;
  NewCenZone(tag.Zones)->Rect = {10, 10, 20, 20};
  DrawCennik(tag, page.canvas, 10, 10, 1, true);
  fills = page.Only(TRecordedOp::kFill);
  ASSERT_EQ(fills.size(), 8u);
  EXPECT_EQ(std::tuple(fills[0].X1, fills[0].Y1, fills[0].X2, fills[0].Y2, fills[0].Color),
            std::tuple(20, 20, 40, 21, 0x0000FFu));
  EXPECT_EQ(std::tuple(fills[4].X1, fills[4].Y1, fills[4].X2, fills[4].Y2, fills[4].Color), std::tuple(8, 8, 62, 12, 0u));
}

TEST(PriceTagDraw, SevenObjectKindsWithAndWithoutALine) {
  PageRig page;
  TGOList objects;
  // Seven kinds and one beyond them.
  for (uint8_t kind = 0; kind <= 7; ++kind) {
    TGraphObject& g = *NewGraphObject(objects);
    g.Kind = static_cast<TGraphKind>(kind);
    g.Color = 0x112233;
    g.SetWords({0x00AA00, 10, 20, 30, 40});
  }
  auto draw = [&](int32_t lineWidth) {
    page.Clear();
    for (int32_t i = 0; i < static_cast<int32_t>(objects.size()); ++i) {
      objects[static_cast<std::size_t>(i)]->LineWidth = lineWidth;
      DrawGraphObject(objects, i, page.canvas, 100, 100, 1);
    }
  };
  draw(3);
  auto lines = page.Only(TRecordedOp::kLine);
  ASSERT_EQ(lines.size(), 1u + 4 + 4);
  EXPECT_EQ(std::tuple(lines[0].X1, lines[0].Y1, lines[0].X2, lines[0].Y2, lines[0].PenWidth), std::tuple(110, 120, 140, 160, 3));
  // The rhombus through the middles of the sides.
  EXPECT_EQ(std::tuple(lines[5].X1, lines[5].Y1, lines[5].X2, lines[5].Y2), std::tuple(110, 140, 125, 120));
  EXPECT_EQ(page.Only(TRecordedOp::kRectangle).size(), 1u);
  auto ellipses = page.Only(TRecordedOp::kEllipse);
  ASSERT_EQ(ellipses.size(), 2u);
  EXPECT_EQ(std::tuple(ellipses[0].Brush.Style, ellipses[1].Brush.Style, ellipses[1].Color),
            std::tuple(TBrushStyle::Clear, TBrushStyle::Solid, 0x112233u));

  // Without a line: only the filled rectangle, unframed, and the filled
  // ellipse, outlined in its fill.
  draw(0);
  EXPECT_TRUE(page.Only(TRecordedOp::kLine).empty() && page.Only(TRecordedOp::kRectangle).empty());
  auto fills = page.Only(TRecordedOp::kFill);
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(std::tuple(fills[0].X1, fills[0].Y2, fills[0].Color), std::tuple(110, 160, 0x00AA00u));
  ellipses = page.Only(TRecordedOp::kEllipse);
  ASSERT_EQ(ellipses.size(), 1u);
  EXPECT_EQ(ellipses[0].Color, 0x00AA00u);

  // A picture object draws only what was loaded, transparent as it says.
  struct : TPicture {
    int32_t Width() const override { return 2; }
    int32_t Height() const override { return 2; }
  } picture;
  objects[6]->Picture = &picture;
  objects[6]->Transparent = 1;
  objects[6]->AutoTransparent = 0x100;  // only the low byte counts
  draw(0);
  auto pictures = page.Only(TRecordedOp::kPicture);
  ASSERT_EQ(pictures.size(), 1u);
  EXPECT_EQ(std::tuple(pictures[0].X2, pictures[0].Transparency), std::tuple(140, TTransparency::Fixed));
}

// A layout edited by hand to the largest numbers a file holds draws, once
// loaded, within the device's coordinates, even zoomed as the preview zooms
// the smallest tag.
TEST(PriceTagDraw, AHandEditedLayoutDrawsWithinTheDevicesCoordinates) {
  ProgramHome home;
  std::string text = "[ЦЕННИКИ]\r\nНОМ_ЦЕН=0\r\nШИРИНА_ЦЕН=1\r\nВЫСОТА_ЦЕН=1\r\nТОЛЩ_ЛИН=0\r\n";
  for (int kind = 0; kind < 6; ++kind)
    text += "НОМ_ГРАФ=" + std::to_string(kind) + "\r\nТИП_ГРАФ=" + std::to_string(kind) +
            "\r\nТОЛЩ_ГРАФ=2147483647\r\nГРАФ_ДАННЫЕ=0,2147483647,2147483647,2147483647,2147483647\r\n";
  WriteBytes(home / "program.ini", Utf8ToCp1251(text));
  TSettingsModel m;
  ASSERT_TRUE(ReadConfigurationFile(0, home / "program.ini", m));
  const TCennik& tag = *m.PriceTags.GetItem(0);
  PageRig page;
  const TFittedTag fit = FitCennik(tag, 254, 4000, 4000);
  DrawCennik(tag, page.canvas, 100, 100, fit.Zoom, false);
  const auto lines = page.Only(TRecordedOp::kLine);
  ASSERT_EQ(lines.size(), 1u + 4 + 4);
  const int32_t far = 100 + RoundEven(100000 * fit.Zoom) + RoundEven(10000 * fit.Zoom);
  EXPECT_EQ(std::tuple(lines[0].X2, lines[0].Y2, lines[0].PenWidth), std::tuple(far, far, RoundEven(99 * fit.Zoom)));
}

TEST(PriceTagDraw, BarcodeZonesAndFaultyZones) {
  ZoneCompiling compiling;
  PageRig page(300);
  TCennik tag;
  tag.LineWidth = 0;
  // Module 1 (0.01 mm) is no pixel at 300 dpi: raised to one.
  TCenZone& bars = LiteralZone(tag, "1213");
  bars.Barcode = true;
  bars.Alignment = 0;
  bars.Rect = {100, 50, 300, 80};
  TCenZone& bad = *NewCenZone(tag.Zones);
  CompileCenZone(bad, "НЕТ_ТАКОГО"_w);
  TCenZone& good = LiteralZone(tag, "ok");
  DrawCennik(tag, page.canvas, 0, 0, 1, false);
  auto fills = page.Only(TRecordedOp::kFill);
  ASSERT_EQ(fills.size(), 2u);
  EXPECT_EQ(std::tuple(fills[0].X1, fills[0].X2, fills[1].X1, fills[1].X2, fills[0].Y1, fills[0].Y2),
            std::tuple(118, 119, 121, 122, 59, 59 + 94));
  // The faulty zone prints why, and the zones after it still print.
  auto texts = page.Only(TRecordedOp::kText);
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.back().Text, "OK");
  EXPECT_FALSE(bad.ErrorText.empty());
  EXPECT_EQ(good.BarWidth, 1);

  // Centred bars at a coarser module.
  page.Clear();
  bars.BarWidth = 50;  // 0.5 mm: 5 pixels
  bars.Alignment = 1;
  DrawCennik(tag, page.canvas, 0, 0, 1, false);
  fills = page.Only(TRecordedOp::kFill);
  ASSERT_EQ(fills.size(), 2u);
  EXPECT_EQ(std::tuple(fills[0].X1, fills[0].X2 - fills[0].X1), std::tuple(295 - 18, 5));
}

TEST(PriceTagModel, PicturesLoadForOneTagAtATime) {
  struct Fake : TPicture {
    int32_t Width() const override { return 1; }
    int32_t Height() const override { return 1; }
  };
  std::vector<std::string> asked;
  InstallPictureReader([&](const std::string& path) -> std::unique_ptr<TPicture> {
    asked.push_back(path);
    if (path.ends_with("bad.bmp")) throw std::runtime_error("unreadable");
    return path.ends_with("sign.bmp") ? std::make_unique<Fake>() : nullptr;
  });
  SetDataDir("/data/");
  TGOList objects;
  for (const char* name : {"sign.bmp", "bad.bmp", "none.bmp", "/abs/sign.bmp"}) {
    TGraphObject& g = *NewGraphObject(objects);
    g.Kind = TGraphKind::Picture;
    g.FileName = name;
  }
  NewGraphObject(objects)->FileName = "line.bmp";  // not a picture object
  LoadPictures(objects);
  EXPECT_EQ(asked, (std::vector<std::string>{"/data/sign.bmp", "/data/bad.bmp", "/data/none.bmp", "/abs/sign.bmp"}));
  EXPECT_TRUE(objects[0]->Picture != nullptr && objects[1]->Picture == nullptr && objects[2]->Picture == nullptr &&
              objects[3]->Picture != nullptr);
  EXPECT_EQ(Pictures().Count(), 2);
  ReleasePictures(objects);
  EXPECT_TRUE(objects[0]->Picture == nullptr && Pictures().Count() == 0);
  InstallPictureReader(nullptr);
  SetDataDir("");
}

TEST(PriceTagDraw, SizesAtTheCanvasResolution) {
  TCennik tag;  // 50 x 50, frame 2
  PageRig page(300);
  const TTagPixels size = CennikPixelSize(tag, page.canvas);
  EXPECT_EQ(std::tuple(size.X, size.Y), std::tuple(62, 62));
  page.canvas.SetFontPixelsPerInch(600);
  EXPECT_EQ(CennikPixelSize(tag, page.canvas).X, 124);

  // Fitted into 208 x 108 at 254 dpi: the height decides.
  const TFittedTag fit = FitCennik(tag, 254, 208, 108);
  EXPECT_EQ(std::tuple(fit.Left, fit.Top, fit.Width, fit.Height, fit.Offset), std::tuple(53, 3, 102, 102, 3));
  EXPECT_DOUBLE_EQ(static_cast<double>(fit.Zoom), 100.0 / 52);
}

}  // namespace
}  // namespace vm::test
