// What the "Разное" tab does to the single settings, the access passwords
// and the scanner port.
#include "documents/designer/misc_page.h"

#include <algorithm>
#include <cstring>

#include "config/scramble.h"
#include "documents/designer/designer.h"
#include "foundation/text/strutils.h"
#include "language/scanner_port.h"
#include "platform/encoding.h"

namespace vm {

namespace {

// The serial-settings record: the port configuration, the port name and
// the close-after-command flag.
constexpr std::size_t kPortNameAt = sizeof(TPortConfig);
constexpr std::size_t kPortNameSize = 16;
constexpr std::size_t kCloseAfterAt = kPortNameAt + kPortNameSize;
static_assert(kCloseAfterAt < sizeof(TSerialRecord));

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

std::string TMiscPage::ScannerPortName() const {
  const char* name = reinterpret_cast<const char*>(d_.Serial.data() + kPortNameAt);
  return std::string(name, strnlen(name, kPortNameSize));
}

int32_t TMiscPage::ScannerPortIndex() const {
  const std::vector<std::string> ports = ScannerPorts();
  const std::string name = UpperStr(TrimBlanks(ScannerPortName()));
  const auto it = std::find(ports.begin(), ports.end(), name);
  return it == ports.end() ? -1 : static_cast<int32_t>(it - ports.begin());
}

void TMiscPage::StoreScannerPort(int32_t index) {
  CloseScanner();
  if (index < 0 || index >= kScannerPortCount) return;
  const std::string name = ("COM" + std::to_string(index + 1)).substr(0, kPortNameSize - 1);
  std::fill_n(d_.Serial.begin() + kPortNameAt, kPortNameSize, uint8_t{0});
  std::copy(name.begin(), name.end(), d_.Serial.begin() + kPortNameAt);
}

TPortConfig TMiscPage::ScannerConfigForEdit() {
  CloseScanner();
  TPortConfig config{};
  std::copy_n(d_.Serial.begin(), config.size(), config.begin());
  return config;
}

void TMiscPage::SetScannerConfig(const TPortConfig& config) {
  std::copy(config.begin(), config.end(), d_.Serial.begin());
}

bool TMiscPage::CloseAfterCommand() const { return d_.Serial[kCloseAfterAt] != 0; }

void TMiscPage::SetCloseAfterCommand(bool on) {
  CloseScanner();
  d_.Serial[kCloseAfterAt] = on ? 1 : 0;
}

}  // namespace vm
