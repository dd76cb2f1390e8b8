#include "config/page_format.h"

#include "foundation/text/hex_text.h"
#include "foundation/text/strutils.h"

namespace vm {

void TPageFormatList::FormatToText(int32_t index, std::string& s) const {
  const TPageFormat& f = GetItem(index);
  s = f.Name + "," + BytesToHexStr(f.DeviceMode.data(), f.DeviceMode.size());
}

TPageFormat* TPageFormatList::AddFromText(const std::string& s) {
  const auto comma = s.find(',');
  if (comma == std::string::npos) return nullptr;
  TPageFormat& f = AddNew();
  f.Name = TrimBlanks(s.substr(0, comma));
  const std::string hex = TrimBlanks(s.substr(comma + 1));
  f.DeviceMode.resize(hex.size() / 2);
  HexPairsToBytes(hex, f.DeviceMode.data(), f.DeviceMode.size());
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
