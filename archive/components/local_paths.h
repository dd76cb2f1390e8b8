// Splitting and joining local paths. The local separator is '/'; a '\' from a
// Windows-style setting or an archive member name counts as one too.
#pragma once

#include <string>
#include <string_view>

namespace vm {

inline bool IsPathSeparator(char c) { return c == '/' || c == '\\'; }

// The folder part with its trailing separator ("" when there is none).
std::string FolderOf(std::string_view path);
// What follows the last separator.
std::string NameOf(std::string_view path);
// The extension with its dot, "" when the name has none.
std::string ExtensionOf(std::string_view path);
// A non-empty path gets a trailing '/'.
std::string WithTrailingSlash(std::string path);
// Every '\' turned into '/'.
std::string ToSlashes(std::string path);

}  // namespace vm
