#include "config/price_tags.h"

#include "platform/encoding.h"
#include "foundation/text/hex_text.h"
#include "foundation/text/strutils.h"

namespace vm {

std::string& DefaultFontName() {
  static std::string name;
  return name;
}

TCennik* NewCennik(TCenList& list) { return list.Append(); }

TCenZone* NewCenZone(TCenZones& zones) {
  auto zone = std::make_unique<TCenZone>();
  zone->Text = "Зона №"_w + std::to_string(zones.size() + 1);
  zone->FontName = DefaultFontName();
  return zones.emplace_back(std::move(zone)).get();
}

TGraphObject* NewGraphObject(TGOList& list) {
  return list.emplace_back(std::make_unique<TGraphObject>()).get();
}

void TPageFormatList::FormatToText(int32_t index, std::string& s) const {
  const TPageFormat& f = GetItem(index);
  s = f.Name + "," + BytesToHexStr(f.DeviceMode.data(), f.DeviceMode.size());
}

void TPageFormatList::AddFromText(const std::string& s) {
  const auto comma = s.find(',');
  if (comma == std::string::npos) return;
  TPageFormat f;
  f.Name = TrimBlanks(s.substr(0, comma));
  const std::string hex = s.substr(comma + 1);
  f.DeviceMode.resize(hex.size() / 2);
  f.DeviceMode.resize(HexStrToBytes(hex, f.DeviceMode.data(), f.DeviceMode.size()));
  items_.push_back(std::move(f));
}

const TPageFormat* TPageFormatList::FindByName(const std::string& name) const {
  const std::string key = UpperStr(name);
  for (const auto& f : items_)
    if (UpperStr(f.Name) == key) return &f;
  return nullptr;
}

TPageFormatList& PageFormats() {
  static TPageFormatList list;
  return list;
}

}  // namespace vm
