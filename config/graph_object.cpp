#include "config/graph_object.h"

#include <algorithm>
#include <filesystem>

#include "platform/files.h"

namespace vm {

TGraphKind GraphKindFromNumber(int32_t number) {
  return number >= 0 && number < kGraphKindCount ? static_cast<TGraphKind>(number) : TGraphKind::Line;
}

TGraphWords TGraphObject::Words() const {
  TGraphWords words{FillColor, X, Y, Width, Height, Transparent, TransparentColor, AutoTransparent};
  std::copy(Reserved.begin(), Reserved.end(), words.begin() + 8);
  return words;
}

void TGraphObject::SetWords(const TGraphWords& words) {
  FillColor = words[0];
  X = words[1];
  Y = words[2];
  Width = words[3];
  Height = words[4];
  Transparent = words[5];
  TransparentColor = words[6];
  AutoTransparent = words[7];
  std::copy(words.begin() + 8, words.end(), Reserved.begin());
}

std::string PicturePath(const std::string& name, const std::string& dataDir) {
  const std::string path = NativePath(name);
  if (path.empty() || path.front() == '/') return path;
  return NativePath(dataDir) + path;
}

std::string PictureNameToKeep(const std::string& path, const std::string& dataDir) {
  namespace fs = std::filesystem;
  const fs::path file = fs::path(NativePath(path)).lexically_normal();
  // The data directory may be reached through a link; either spelling of
  // it counts.
  std::error_code ignored;
  std::string named = NativePath(dataDir);
  while (named.size() > 1 && named.back() == '/') named.pop_back();
  if (named.empty()) return path;
  for (const fs::path& dir : {fs::path(named).lexically_normal(), fs::weakly_canonical(named, ignored)}) {
    for (const fs::path& spelt : {file, fs::weakly_canonical(file, ignored)}) {
      const fs::path inside = spelt.lexically_relative(dir);
      if (!inside.empty() && *inside.begin() != ".." && inside != ".") return inside.generic_string();
    }
  }
  return path;
}

}  // namespace vm
