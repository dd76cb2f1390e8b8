#include "output/device_mode.h"

#include <algorithm>

#include "platform/encoding.h"

namespace vm {

namespace {

// Offsets of the public fields.
constexpr std::size_t kOffDeviceName = 0, kNameLen = 32;
constexpr std::size_t kOffSpecVersion = 32, kOffDriverVersion = 34, kOffSize = 36, kOffDriverExtra = 38;
constexpr std::size_t kOffFields = 40, kOffOrientation = 44, kOffPaperSize = 46, kOffPaperLength = 48;
constexpr std::size_t kOffPaperWidth = 50, kOffScale = 52, kOffCopies = 54, kOffDefaultSource = 56;
constexpr std::size_t kOffPrintQuality = 58, kOffColor = 60, kOffDuplex = 62, kOffYResolution = 64;
constexpr std::size_t kOffCollate = 68, kOffFormName = 70;
// The smallest record that reaches the fields read here.
constexpr std::size_t kMinSize = kOffFormName + kNameLen;

uint16_t Get16(const std::string& b, std::size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}
uint32_t Get32(const std::string& b, std::size_t at) {
  return Get16(b, at) | static_cast<uint32_t>(Get16(b, at + 2)) << 16;
}
void Put16(std::string& b, std::size_t at, uint16_t v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>(v >> 8);
}
void Put32(std::string& b, std::size_t at, uint32_t v) {
  Put16(b, at, static_cast<uint16_t>(v & 0xFFFF));
  Put16(b, at + 2, static_cast<uint16_t>(v >> 16));
}
std::string GetName(const std::string& b, std::size_t at) {
  const std::string field = b.substr(at, kNameLen);
  return field.substr(0, field.find('\0'));
}
void PutName(std::string& b, std::size_t at, const std::string& name) {
  std::copy_n(name.begin(), std::min(name.size(), kNameLen - 1), b.begin() + static_cast<std::ptrdiff_t>(at));
}

bool Refuse(std::string* why, const std::string& reason) {
  if (why != nullptr) *why = reason;
  return false;
}

}  // namespace

bool DevModeValid(const std::string& bytes, std::string* why) {
  if (bytes.size() < kMinSize) return Refuse(why, "запись короче своих полей"_w);
  const std::size_t size = Get16(bytes, kOffSize);
  const std::size_t extra = Get16(bytes, kOffDriverExtra);
  if (size < kMinSize) return Refuse(why, "размер записи меньше её полей"_w);
  if (size + extra > bytes.size()) return Refuse(why, "запись длиннее сохранённых байтов"_w);
  const int16_t orientation = static_cast<int16_t>(Get16(bytes, kOffOrientation));
  if ((Get32(bytes, kOffFields) & kDmOrientation) != 0 && orientation != kDmPortrait &&
      orientation != kDmLandscape)
    return Refuse(why, "ориентация не 1 и не 2"_w);
  return true;
}

bool ReadDevMode(const std::string& bytes, TDevMode& mode) {
  if (!DevModeValid(bytes)) return false;
  auto s16 = [&](std::size_t at) { return static_cast<int16_t>(Get16(bytes, at)); };
  mode.DeviceName = GetName(bytes, kOffDeviceName);
  mode.SpecVersion = Get16(bytes, kOffSpecVersion);
  mode.DriverVersion = Get16(bytes, kOffDriverVersion);
  mode.Size = Get16(bytes, kOffSize);
  mode.DriverExtra = Get16(bytes, kOffDriverExtra);
  mode.Fields = Get32(bytes, kOffFields);
  mode.Orientation = s16(kOffOrientation);
  mode.PaperSize = s16(kOffPaperSize);
  mode.PaperLength = s16(kOffPaperLength);
  mode.PaperWidth = s16(kOffPaperWidth);
  mode.Scale = s16(kOffScale);
  mode.Copies = s16(kOffCopies);
  mode.DefaultSource = s16(kOffDefaultSource);
  mode.PrintQuality = s16(kOffPrintQuality);
  mode.Color = s16(kOffColor);
  mode.Duplex = s16(kOffDuplex);
  mode.YResolution = s16(kOffYResolution);
  mode.Collate = s16(kOffCollate);
  mode.FormName = GetName(bytes, kOffFormName);
  mode.DriverData = bytes.substr(mode.Size, mode.DriverExtra);
  return true;
}

std::string WriteDevMode(const TDevMode& mode) {
  const std::size_t size = std::max<std::size_t>(mode.Size, kDevModeSize);
  std::string b(size + mode.DriverData.size(), '\0');
  PutName(b, kOffDeviceName, mode.DeviceName);
  Put16(b, kOffSpecVersion, mode.SpecVersion);
  Put16(b, kOffDriverVersion, mode.DriverVersion);
  Put16(b, kOffSize, static_cast<uint16_t>(size));
  Put16(b, kOffDriverExtra, static_cast<uint16_t>(mode.DriverData.size()));
  Put32(b, kOffFields, mode.Fields);
  Put16(b, kOffOrientation, static_cast<uint16_t>(mode.Orientation));
  Put16(b, kOffPaperSize, static_cast<uint16_t>(mode.PaperSize));
  Put16(b, kOffPaperLength, static_cast<uint16_t>(mode.PaperLength));
  Put16(b, kOffPaperWidth, static_cast<uint16_t>(mode.PaperWidth));
  Put16(b, kOffScale, static_cast<uint16_t>(mode.Scale));
  Put16(b, kOffCopies, static_cast<uint16_t>(mode.Copies));
  Put16(b, kOffDefaultSource, static_cast<uint16_t>(mode.DefaultSource));
  Put16(b, kOffPrintQuality, static_cast<uint16_t>(mode.PrintQuality));
  Put16(b, kOffColor, static_cast<uint16_t>(mode.Color));
  Put16(b, kOffDuplex, static_cast<uint16_t>(mode.Duplex));
  Put16(b, kOffYResolution, static_cast<uint16_t>(mode.YResolution));
  Put16(b, kOffCollate, static_cast<uint16_t>(mode.Collate));
  PutName(b, kOffFormName, mode.FormName);
  std::copy(mode.DriverData.begin(), mode.DriverData.end(), b.begin() + static_cast<std::ptrdiff_t>(size));
  return b;
}

bool SetDevModeOrientation(std::string& bytes, bool landscape) {
  if (!DevModeValid(bytes)) return false;
  Put16(bytes, kOffOrientation, static_cast<uint16_t>(landscape ? kDmLandscape : kDmPortrait));
  Put32(bytes, kOffFields, Get32(bytes, kOffFields) | kDmOrientation);
  return true;
}

bool PaperSizeOfCode(int16_t code, int32_t& width, int32_t& height) {
  struct TPaper {
    int16_t Code;
    int32_t Width, Height;
  };
  static constexpr TPaper kPapers[] = {
      {kPaperLetter, 2159, 2794}, {kPaperLegal, 2159, 3556}, {kPaperA3, 2970, 4200},
      {kPaperA4, 2100, 2970},     {kPaperA5, 1480, 2100},    {kPaperB5, 1820, 2570},
  };
  for (const TPaper& p : kPapers) {
    if (p.Code != code) continue;
    width = p.Width;
    height = p.Height;
    return true;
  }
  return false;
}

TPaperRequest PaperOfDevMode(const std::string& bytes) {
  TPaperRequest paper;
  TDevMode mode;
  if (!ReadDevMode(bytes, mode)) return paper;
  if ((mode.Fields & kDmPaperSize) != 0 && PaperSizeOfCode(mode.PaperSize, paper.Width, paper.Height))
    paper.Code = mode.PaperSize;
  if ((mode.Fields & kDmPaperWidth) != 0 && mode.PaperWidth > 0) paper.Width = mode.PaperWidth;
  if ((mode.Fields & kDmPaperLength) != 0 && mode.PaperLength > 0) paper.Height = mode.PaperLength;
  paper.Landscape = (mode.Fields & kDmOrientation) != 0 && mode.Orientation == kDmLandscape;
  return paper;
}

int32_t ScaleOfDevMode(const std::string& bytes) {
  TDevMode mode;
  if (!ReadDevMode(bytes, mode) || (mode.Fields & kDmScale) == 0) return 100;
  return mode.Scale >= 10 && mode.Scale <= 400 ? mode.Scale : 100;
}

}  // namespace vm
