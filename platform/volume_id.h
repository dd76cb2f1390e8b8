// The label and identifier of a file system, read from its device.
//
// libblkid reads them from the device itself, as blkid does: it needs no
// udev (a container may have no /dev/disk at all) and reads an image file
// as it reads a disk, but it needs read access to the device, which root
// and the disk group have and an ordinary user lacks. udev's links
// /dev/disk/by-label and /dev/disk/by-uuid, on every desktop, answer anyone;
// they are asked when the device cannot be read. Without either the label
// is empty and the identifier unknown.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/drives.h"

namespace vm {

struct TVolumeId {
  std::string Label;  // Windows-1251
  std::string Uuid;   // as blkid writes it: "F486-E1F1", "0a1b2c3d-4e5f-..."
};

// The label in the file system's own bytes (FAT keeps the DOS code page,
// the others UTF-8) and the identifier; false when the device cannot be
// read or holds no file system libblkid knows.
bool ProbeVolumeId(const std::string& device, std::string& label, std::string& uuid, std::string& type);
// The names of udev's links in links/by-label and links/by-uuid that lead
// to the device, unescaped; false when there are none.
bool LinkedVolumeId(const std::string& device, const std::string& links, std::string& label, std::string& uuid);

// The device's own answer, else udev's; the label in Windows-1251.
bool VolumeIdOfMount(const TMount& mount, const TDriveSources& sources, TVolumeId& id);

// The serial number a file system's identifier gives: its last eight
// hexadecimal digits, the dashes left out. For FAT and exFAT that is the
// whole volume id ("F486-E1F1" is F486E1F1); for NTFS the low half of its
// 64-bit serial, as Windows shows it; for a UUID its low 32 bits read as
// one 128-bit number, written first byte first. Empty for an identifier
// without hexadecimal digits.
std::optional<uint32_t> SerialOfUuid(std::string_view uuid);

}  // namespace vm
