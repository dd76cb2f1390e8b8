#include "archive/components/local_paths.h"

namespace vm {

namespace {

std::size_t LastSeparator(std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i)
    if (IsPathSeparator(path[i - 1])) return i - 1;
  return std::string_view::npos;
}

}  // namespace

std::string FolderOf(std::string_view path) {
  const std::size_t p = LastSeparator(path);
  return p == std::string_view::npos ? std::string() : std::string(path.substr(0, p + 1));
}

std::string NameOf(std::string_view path) {
  const std::size_t p = LastSeparator(path);
  return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

std::string ExtensionOf(std::string_view path) {
  const std::string name = NameOf(path);
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string WithTrailingSlash(std::string path) {
  if (!path.empty() && !IsPathSeparator(path.back())) path += '/';
  return path;
}

std::string ToSlashes(std::string path) {
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

}  // namespace vm
