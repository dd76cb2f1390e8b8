// The "Разное" and "Печать" tabs of the designer: single settings, the
// access passwords, the scanner port and the page formats.
#include <algorithm>

#include "config/scramble.h"
#include "documents/designer/designer.h"
#include "foundation/text/strutils.h"
#include "language/scanner_port.h"
#include "platform/encoding.h"

namespace vm {

namespace {

constexpr int32_t kScannerPortCount = 8;

}  // namespace

int32_t TDesigner::SetFontText(const std::string& text) {
  const int32_t found = FindClosestString(text, Fonts);
  if (found < 0) {
    // The field keeps its text, so that applying matches it as shown and
    // does not bring back the font matched before.
    Misc.FontName = text;
    DefaultFontName() = "Times New Roman";
    return -1;
  }
  Misc.FontName = DefaultFontName() = Fonts[static_cast<std::size_t>(found)];
  return found;
}

void TDesigner::ChooseBaseDir(const std::string& dir) {
  Misc.BaseDir = dir;
  restartNeeded_ = true;
}

void TDesigner::ClickNetwork(bool on) {
  Misc.Network = on;
  restartNeeded_ = true;
}

namespace {

// A function of its own, not a lambda: clang 14 crashes when it tries the
// lambda as a constant initializer.
std::vector<std::string> MakePasswordItems() {
  std::vector<std::string> v;
  for (int i = 1; i <= 9; ++i) v.push_back("Пароль №"_w + std::to_string(i));
  for (const char* s : {"Пароль на справочники", "Пароль на вход в программу", "Пароль на служебные настройки",
                        "Пароль на настройки панелей", "Пароль на сервисные функции"})
    v.push_back(Utf8ToCp1251(s));
  return v;
}

}  // namespace

const std::vector<std::string>& TDesigner::PasswordItems() {
  static const std::vector<std::string> items = MakePasswordItems();
  return items;
}

void TDesigner::SetPassword(int32_t k, const std::string& text) {
  if (k < 1 || k > static_cast<int32_t>(Passwords.size())) return;
  PackPassword(text, Passwords[static_cast<std::size_t>(k - 1)], k);
}

std::vector<std::string> TDesigner::ScannerPorts() {
  std::vector<std::string> ports;
  for (int32_t i = 1; i <= kScannerPortCount; ++i) ports.push_back("COM" + std::to_string(i));
  return ports;
}

std::string TDesigner::ScannerPortName() const { return Serial.PortName(); }

int32_t TDesigner::ScannerPortIndex() const {
  const std::vector<std::string> ports = ScannerPorts();
  const std::string name = UpperStr(TrimBlanks(ScannerPortName()));
  const auto it = std::find(ports.begin(), ports.end(), name);
  return it == ports.end() ? -1 : static_cast<int32_t>(it - ports.begin());
}

void TDesigner::StoreScannerPort(int32_t index) {
  CloseScanner();
  if (index < 0 || index >= kScannerPortCount) return;
  Serial.SetPortName("COM" + std::to_string(index + 1));
}

TPortConfig TDesigner::ScannerConfigForEdit() {
  CloseScanner();
  return Serial.PortConfig();
}

void TDesigner::SetScannerConfig(const TPortConfig& config) {
  Serial.SetPortConfig(config);
}

bool TDesigner::CloseAfterCommand() const { return Serial.CloseAfter(); }

void TDesigner::SetCloseAfterCommand(bool on) {
  CloseScanner();
  Serial.SetCloseAfter(on);
}

// --- "Печать" ------------------------------------------------------------------------

std::vector<std::string> TDesigner::PageFormatNames() const {
  std::vector<std::string> names;
  for (int32_t i = 0; i < PageFormatList.Count(); ++i) names.push_back(PageFormatList.GetItem(i).Name);
  return names;
}

void TDesigner::AddPageFormat() {
  TPageFormat& format = PageFormatList.AddNew();
  format.Name = "Новый формат"_w;
  const std::string data = host_.PrinterSettings(Misc.PrinterName);
  if (!data.empty()) format.SetData(data);
  FormatIndex = PageFormatList.Count() - 1;
}

void TDesigner::DeletePageFormat() {
  if (!PageFormatList.GetFormat(FormatIndex)) return;
  PageFormatList.Delete(FormatIndex);
  FormatIndex = std::min(FormatIndex, PageFormatList.Count() - 1);
}

bool TDesigner::EditPageFormat() {
  TPageFormat* format = PageFormatList.GetFormat(FormatIndex);
  if (!format) return false;
  std::string data = format->DeviceMode;
  if (data.empty()) data = host_.PrinterSettings(Misc.PrinterName);
  if (data.empty() || !host_.EditPrinterSettings(Misc.PrinterName, data)) return false;
  format->SetData(data);
  return true;
}

void TDesigner::RenamePageFormat(const std::string& text) {
  TPageFormat* format = PageFormatList.GetFormat(FormatIndex);
  if (!format) return;
  format->Name = text;
  std::replace(format->Name.begin(), format->Name.end(), ',', '.');
}

void TDesigner::MakeDefaultFormat() {
  if (const TPageFormat* format = PageFormatList.GetFormat(FormatIndex))
    Misc.DefaultFormatName = format->Name;
}

}  // namespace vm
