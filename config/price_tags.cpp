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

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 0;
}

}  // namespace

TPageFormat* TPageFormatList::AddFromText(const std::string& s) {
  const auto comma = s.find(',');
  if (comma == std::string::npos) return nullptr;
  TPageFormat& f = AddNew();
  f.Name = TrimBlanks(s.substr(0, comma));
  const std::string hex = TrimBlanks(s.substr(comma + 1));
  f.DeviceMode.resize(hex.size() / 2);
  for (std::size_t i = 0; i < f.DeviceMode.size(); ++i)
    f.DeviceMode[i] = static_cast<char>(HexDigit(hex[2 * i]) << 4 | HexDigit(hex[2 * i + 1]));
  return &f;
}

TPageFormat& TPageFormatList::AddNew() { return *items_.emplace_back(std::make_unique<TPageFormat>()); }

void TPageFormatList::Delete(int32_t index) {
  if (index >= 0 && index < Count()) items_.erase(items_.begin() + index);
}

void TPageFormatList::CopyTo(TPageFormatList& dest) const {
  if (&dest == this) return;
  dest.Clear();
  for (const auto& f : items_) dest.Add(*f);
}

const TPageFormat* TPageFormatList::FindByName(const std::string& name) const {
  const std::string key = UpperStr(name);
  for (const auto& f : items_)
    if (UpperStr(f->Name) == key) return f.get();
  return nullptr;
}

TPageFormatList& PageFormats() {
  static TPageFormatList list;
  return list;
}

}  // namespace vm
