// What the "Разное" tab does to the single settings, the access passwords
// and the scanner port.
#include "documents/designer/misc_page.h"

#include <algorithm>

#include "config/scramble.h"
#include "documents/designer/designer.h"
#include "foundation/text/strutils.h"
#include "devices/scanner_port.h"
#include "platform/encoding.h"

namespace vm {

namespace {

constexpr int32_t kScannerPortCount = 8;

}  // namespace

int32_t TMiscPage::SetFontText(const std::string& text) {
  const int32_t found = FindClosestString(text, d_.Fonts);
  if (found < 0) {
    // The field keeps its text, so that applying matches it as shown and
    // does not bring back the font matched before.
    d_.Misc.FontName = text;
    DefaultFontName() = "Times New Roman";
    return -1;
  }
  d_.Misc.FontName = DefaultFontName() = d_.Fonts[static_cast<std::size_t>(found)];
  return found;
}

void TMiscPage::ChooseBaseDir(const std::string& dir) {
  d_.Misc.BaseDir = dir;
  d_.SetRestartNeeded();
}

void TMiscPage::ClickNetwork(bool on) {
  d_.Misc.Network = on;
  d_.SetRestartNeeded();
}

namespace {

// A function of its own, not a lambda: clang 14 crashes when it tries the
// lambda as a constant initializer.
std::vector<std::string> MakePasswordItems() {
  std::vector<std::string> v;
  for (int i = 1; i <= 9; ++i) v.push_back("Пароль №"_w + std::to_string(i));
  for (const char* s :
       {"Пароль на справочники", "Пароль на вход в программу", "Пароль на служебные настройки",
        "Пароль на настройки панелей", "Пароль на сервисные функции"})
    v.push_back(Utf8ToCp1251(s));
  return v;
}

}  // namespace

const std::vector<std::string>& TMiscPage::PasswordItems() {
  static const std::vector<std::string> items = MakePasswordItems();
  return items;
}

void TMiscPage::SetPassword(int32_t k, const std::string& text) {
  if (k < 1 || k > static_cast<int32_t>(d_.Passwords.size())) return;
  PackPassword(text, d_.Passwords[static_cast<std::size_t>(k - 1)], k);
}

std::vector<std::string> TMiscPage::ScannerPorts() {
  std::vector<std::string> ports;
  for (int32_t i = 1; i <= kScannerPortCount; ++i) ports.push_back("COM" + std::to_string(i));
  return ports;
}

std::string TMiscPage::ScannerPortName() const { return d_.Serial.PortName(); }

int32_t TMiscPage::ScannerPortIndex() const {
  const std::vector<std::string> ports = ScannerPorts();
  const std::string name = UpperStr(TrimBlanks(ScannerPortName()));
  const auto it = std::find(ports.begin(), ports.end(), name);
  return it == ports.end() ? -1 : static_cast<int32_t>(it - ports.begin());
}

void TMiscPage::StoreScannerPort(int32_t index) {
  CloseScanner();
  if (index < 0 || index >= kScannerPortCount) return;
  d_.Serial.SetPortName("COM" + std::to_string(index + 1));
}

TPortConfig TMiscPage::ScannerConfigForEdit() {
  CloseScanner();
  return d_.Serial.PortConfig();
}

void TMiscPage::SetScannerConfig(const TPortConfig& config) {
  d_.Serial.SetPortConfig(config);
}

bool TMiscPage::CloseAfterCommand() const { return d_.Serial.CloseAfter(); }

void TMiscPage::SetCloseAfterCommand(bool on) {
  CloseScanner();
  d_.Serial.SetCloseAfter(on);
}

}  // namespace vm
