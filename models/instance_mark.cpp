#include "models/instance_mark.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/encoding.h"

namespace vm {

namespace {

// FNV-1a: the title and the desktop may hold any bytes, the name of the
// mark only hex.
uint64_t Hash(std::string_view text, uint64_t h = 14695981039346656037ull) {
  for (unsigned char c : text) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

std::string Env(const char *name) {
  const char *value = std::getenv(name);
  return value != nullptr ? value : "";
}

// ":0.1" names screen 1 of display 0, and "unix:0" the same display as ":0".
std::string XDisplay(std::string display) {
  const std::size_t colon = display.rfind(':');
  if (colon == std::string::npos) return display;
  const std::size_t dot = display.find('.', colon);
  if (dot != std::string::npos) display.erase(dot);
  if (display.compare(0, colon, "unix") == 0) display.erase(0, colon);
  return display;
}

}  // namespace

std::string DesktopName(std::string_view platform) {
  if (platform == "xcb") return "x11 " + XDisplay(Env("DISPLAY"));
  if (platform == "wayland") {
    std::string socket = Env("WAYLAND_DISPLAY");
    return "wayland " + (socket.empty() ? std::string("wayland-0") : socket);
  }
  return std::string(platform);
}

TInstanceMark TInstanceMark::OfProgramDirectory(const std::string &dir) {
  TInstanceMark mark(dir);
  mark.name_ = kProgramDirectoryMarkName;
  return mark;
}

std::string TInstanceMark::PathFor(const std::string &title) {
  std::string folder = dir_;
  if (!name_.empty()) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder + name_;
  }
  if (folder.empty()) folder = Utf8ToCp1251(Env("XDG_RUNTIME_DIR"));
  if (folder.empty()) {
    // The temporary folder is everybody's: the marks go into a folder of
    // this user's alone there, so that nobody else can hold or plant one.
    std::error_code ec;
    const std::filesystem::path tmp = std::filesystem::temp_directory_path(ec);
    const std::filesystem::path own =
        (ec ? std::filesystem::path("/tmp") : tmp) / ("velomar-" + std::to_string(CurrentUserId()));
    folder = Utf8ToCp1251(own.string());
    if (!UserOnlyFolder(folder, failure_)) return {};
  }
  if (folder.back() != '/') folder += '/';
  char name[40];
  std::snprintf(name, sizeof name, "velomar-%016" PRIx64 ".mark", Hash(title, Hash(desktop_ + '\n')));
  return folder + name;
}

std::string ProgramDirectoryMarkTitle(const std::string &dir) {
  std::error_code ec;
  const std::filesystem::path found = std::filesystem::weakly_canonical(Cp1251ToUtf8(dir), ec);
  return ec ? dir : Utf8ToCp1251(found.string());
}

bool TInstanceMark::Take(const std::string &title, bool shared) {
  file_.reset();
  failure_.clear();
  const std::string path = PathFor(title);
  if (path.empty()) return false;
  FileError error = FileError::None;
  file_ = Files().OpenMark(path, !shared, &error);
  if (file_) return true;
  if (error != FileError::Busy)
    failure_ = "не удается создать отметку запущенной программы "_w + path;
  return false;
}

}  // namespace vm
