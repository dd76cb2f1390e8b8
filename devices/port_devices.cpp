#include "devices/port_devices.h"

#include <algorithm>
#include <map>

#include "config/data_dir.h"
#include "foundation/files/fileutils.h"
#include "foundation/text/strutils.h"
#include "platform/files.h"

namespace vm {

namespace {

constexpr int kStandardPorts = 8;

// n of "COMn" (any case), 0 for any other name.
int ComNumber(const std::string& name) {
  std::string head = name.substr(0, 3);
  MakeUpperCase(head);
  if (name.size() < 4 || name.size() > 6 || head != "COM") return 0;
  int n = 0;
  for (std::size_t i = 3; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return 0;
    n = n * 10 + (name[i] - '0');
  }
  return n;
}

std::string ComName(int n) { return "COM" + std::to_string(n); }

std::map<int, std::string> ReadPortsIni() {
  std::map<int, std::string> devices;
  std::string text;
  if (!ReadWholeFile(PortsIniName(), text, 65536)) return devices;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = TrimBlanks(line);
    const std::size_t eq = line.find('=');
    if (eq != std::string::npos) {
      const int n = ComNumber(TrimBlanks(line.substr(0, eq)));
      const std::string device = TrimBlanks(line.substr(eq + 1));
      if (n > 0 && !device.empty()) devices[n] = device;
    }
    start = end + 1;
  }
  return devices;
}

}  // namespace

std::string PortsIniName() { return ProgramDirectory() + "ports.ini"; }

std::string DefaultPortDevice(const std::string& portName) {
  const int n = ComNumber(portName);
  return n > 0 ? "/dev/ttyS" + std::to_string(n - 1) : std::string();
}

std::string PortDevice(const std::string& portName) {
  if (!portName.empty() && portName[0] == '/') return portName;
  const int n = ComNumber(portName);
  if (n == 0) return {};
  const std::map<int, std::string> devices = ReadPortsIni();
  const auto it = devices.find(n);
  return it != devices.end() ? it->second : DefaultPortDevice(portName);
}

bool SetPortDevice(const std::string& portName, const std::string& device) {
  const int n = ComNumber(portName);
  if (n == 0) return false;
  std::map<int, std::string> devices = ReadPortsIni();
  if (device.empty() || device == DefaultPortDevice(portName)) {
    if (devices.erase(n) == 0) return true;
  } else {
    devices[n] = device;
  }
  std::string text;
  for (const auto& [number, path] : devices) text += ComName(number) + "=" + path + "\r\n";
  return ReplaceFileWith(PortsIniName(), text);
}

std::vector<std::string> SerialDeviceChoices() {
  std::vector<std::string> choices;
  for (int i = 0; i < kStandardPorts; ++i) choices.push_back("/dev/ttyS" + std::to_string(i));
  std::vector<DirEntry> entries;
  std::vector<std::string> plugged;
  if (Files().ListDirectory("/dev", entries))
    for (const DirEntry& e : entries)
      if (e.Name.rfind("ttyUSB", 0) == 0 || e.Name.rfind("ttyACM", 0) == 0) plugged.push_back("/dev/" + e.Name);
  std::sort(plugged.begin(), plugged.end());
  choices.insert(choices.end(), plugged.begin(), plugged.end());
  return choices;
}

}  // namespace vm
