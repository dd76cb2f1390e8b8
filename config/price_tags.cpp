#include "config/price_tags.h"

#include "platform/encoding.h"
#include "foundation/text/strutils.h"

namespace vm {

std::string& DefaultFontName() {
  static std::string name;
  return name;
}

namespace {

IZoneCompiler*& InstalledZoneCompiler() {
  static IZoneCompiler* compiler = nullptr;
  return compiler;
}

}  // namespace

void InstallZoneCompiler(IZoneCompiler* compiler) { InstalledZoneCompiler() = compiler; }

bool& CenZoneCompileEnabled() {
  static bool enabled = false;
  return enabled;
}

void CompileCenZone(TCenZone& zone, const std::string& text) {
  zone.Compiled.reset();
  zone.Text = text;
  if (!CenZoneCompileEnabled() || InstalledZoneCompiler() == nullptr) return;
  InstalledZoneCompiler()->CompileCenZone(zone, text);
}

void SetZoneText(TCenZone& zone, const std::string& text) {
  std::string literal = "'";
  for (char c : text) {
    if (c == '\'') literal += '\'';
    literal += c;
  }
  literal += '\'';
  CompileCenZone(zone, literal);
}

void CompileAllCenZones(const TCenList& list) {
  for (int32_t i = 0; i < list.Count(); ++i)
    for (const auto& zone : list.GetItem(i)->Zones) CompileCenZone(*zone, zone->Text);
}

bool TCenZone::Contains(int32_t x, int32_t y) const {
  const int64_t left = Rect[0], top = Rect[1];
  return left <= x && x <= left + Rect[2] && top <= y && y <= top + Rect[3];
}

int32_t CenZoneAt(const TCennik& tag, int32_t x, int32_t y) {
  for (int32_t i = 0; i < tag.ZoneCount(); ++i)
    if (tag.GetZone(i)->Contains(x, y)) return i;
  return -1;
}

TCennik* NewCennik(TCenList& list) { return list.Append(); }

TCenZone* NewCenZone(TCenZones& zones) {
  auto zone = std::make_unique<TCenZone>();
  zone->FontName = DefaultFontName();
  CompileCenZone(*zone, "'Зона №"_w + std::to_string(zones.size() + 1) + "'");
  return zones.emplace_back(std::move(zone)).get();
}

TGraphObject* NewGraphObject(TGOList& list) {
  return list.emplace_back(std::make_unique<TGraphObject>()).get();
}

void CopyZones(const TCenZones& zones, TCenZones& dest) {
  if (&zones == &dest) return;
  dest.clear();
  for (const auto& from : zones) {
    TCenZone& to = *NewCenZone(dest);
    to.LetterCase = from->LetterCase;
    to.Rect = from->Rect;
    CompileCenZone(to, from->Text);
    to.FontName = from->FontName;
    to.FontStyle = from->FontStyle;
    to.FontSize = from->FontSize;
    to.FontColor = from->FontColor;
    to.NonPrintChars = from->NonPrintChars;
    to.OnlyFirst = from->OnlyFirst;
    to.Barcode = from->Barcode;
    to.BarWidth = from->BarWidth;
    to.Alignment = from->Alignment;
  }
}

void CopyGraphics(const TGOList& list, TGOList& dest) {
  if (&list == &dest) return;
  dest.clear();
  for (const auto& from : list) {
    TGraphObject& to = *dest.emplace_back(std::make_unique<TGraphObject>(*from));
    to.Picture = nullptr;
  }
}

void TCennik::CopyTo(TCennik& dest) const {
  if (&dest == this) return;
  dest.LineWidth = LineWidth;
  dest.Width = Width;
  dest.Height = Height;
  CopyZones(Zones, dest.Zones);
  CopyGraphics(Graphics, dest.Graphics);
}

void TCenList::CopyTo(TCenList& dest) const {
  if (&dest == this) return;
  dest.Clear();
  for (const auto& tag : items_) tag->CopyTo(*dest.Append());
}

}  // namespace vm
