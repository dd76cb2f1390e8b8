#include "platform/volume_id.h"

#include <blkid.h>
#include <dirent.h>
#include <sys/stat.h>

#include <cctype>

#include "platform/encoding.h"

namespace vm {

namespace {

std::string LookUp(blkid_probe probe, const char* name) {
  const char* value = nullptr;
  std::size_t size = 0;
  if (blkid_probe_lookup_value(probe, name, &value, &size) != 0 || value == nullptr) return {};
  // The size counts the closing zero.
  return std::string(value, size > 0 && value[size - 1] == '\0' ? size - 1 : size);
}

// udev writes every byte its device names cannot hold as \xNN.
std::string UnescapeLink(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x' && std::isxdigit(static_cast<unsigned char>(s[i + 2])) &&
        std::isxdigit(static_cast<unsigned char>(s[i + 3]))) {
      out += static_cast<char>(std::stoi(std::string(s.substr(i + 2, 2)), nullptr, 16));
      i += 3;
      continue;
    }
    out += s[i];
  }
  return out;
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// The unescaped name of the first link in folder that leads to the file.
bool LinkTo(const std::string& folder, const struct stat& target, std::string& name) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return false;
  bool found = false;
  while (const dirent* e = ::readdir(dir)) {
    const std::string entry = e->d_name;
    struct stat st {};
    if (entry == "." || entry == ".." || ::stat((folder + "/" + entry).c_str(), &st) != 0 || !SameFile(st, target))
      continue;
    name = UnescapeLink(entry);
    found = true;
    break;
  }
  ::closedir(dir);
  return found;
}

bool FatType(std::string_view type) { return type == "vfat" || type == "msdos" || type == "fat"; }

}  // namespace

bool ProbeVolumeId(const std::string& device, std::string& label, std::string& uuid, std::string& type) {
  blkid_probe probe = blkid_new_probe_from_filename(device.c_str());
  if (!probe) return false;
  blkid_probe_enable_superblocks(probe, 1);
  blkid_probe_set_superblocks_flags(probe, BLKID_SUBLKS_LABEL | BLKID_SUBLKS_UUID | BLKID_SUBLKS_TYPE);
  const bool found = blkid_do_safeprobe(probe) == 0;
  if (found) {
    label = LookUp(probe, "LABEL");
    uuid = LookUp(probe, "UUID");
    type = LookUp(probe, "TYPE");
  }
  blkid_free_probe(probe);
  return found;
}

bool LinkedVolumeId(const std::string& device, const std::string& links, std::string& label, std::string& uuid) {
  struct stat target {};
  if (::stat(device.c_str(), &target) != 0) return false;
  const bool byLabel = LinkTo(links + "/by-label", target, label);
  const bool byUuid = LinkTo(links + "/by-uuid", target, uuid);
  return byLabel || byUuid;
}

bool VolumeIdOfMount(const TMount& mount, const TDriveSources& sources, TVolumeId& id) {
  std::string label, uuid, type;
  if (!ProbeVolumeId(mount.Device, label, uuid, type)) {
    label.clear();
    uuid.clear();
    if (!LinkedVolumeId(mount.Device, sources.DiskLinks, label, uuid)) return false;
    type = mount.Type;
  }
  // A FAT label keeps the code page of DOS, which Russian systems write in
  // 866; the other file systems keep UTF-8.
  id.Label = FatType(type) ? DosToWinStr(label) : Utf8ToCp1251(label);
  id.Uuid = uuid;
  return true;
}

std::optional<uint32_t> SerialOfUuid(std::string_view uuid) {
  std::string digits;
  for (const char c : uuid)
    if (std::isxdigit(static_cast<unsigned char>(c))) digits += c;
  if (digits.empty()) return std::nullopt;
  if (digits.size() > 8) digits.erase(0, digits.size() - 8);
  return static_cast<uint32_t>(std::stoul(digits, nullptr, 16));
}

}  // namespace vm
