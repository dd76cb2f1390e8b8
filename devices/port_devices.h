// Which device a configured port name means on this workstation. The
// settings name the port as "COM1".."COM8" (other workstations read them);
// here "COMn" is /dev/ttyS<n-1> unless "ports.ini" in the program directory
// names another device for it (a line "COM3=/dev/ttyUSB0"). A port name
// that is a path ("/dev/ttyACM0") is that device.
#pragma once

#include <string>
#include <vector>

namespace vm {

std::string PortsIniName();
// The device for a port name; empty for a name that is neither.
std::string PortDevice(const std::string& portName);
// The device "COMn" means when nothing is configured.
std::string DefaultPortDevice(const std::string& portName);
// Keeps the device for a "COMn" name; the default device removes the line.
// False when the name is no "COMn" or the file cannot be written.
bool SetPortDevice(const std::string& portName, const std::string& device);
// /dev/ttyS0../dev/ttyS7 and the USB serial devices that are plugged in.
std::vector<std::string> SerialDeviceChoices();

}  // namespace vm
