// Wildcard masks of the archive components: "*" and "?", without regard to
// letter case (Windows-1251). Used by the file scan, the exclusion test and
// the member selection of extractors.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vm {

class TInternalMask {
 public:
  explicit TInternalMask(std::string_view maskText);

  // A mask that ends with "." also matches a name without any dot.
  bool Matches(std::string_view name) const;
  bool EndsWithDot() const { return endsWithDot_; }

 private:
  struct Element {
    bool starBefore = false;
    bool anyChar = false;  // "?"; otherwise a literal, '\0' being the end of the name
    char ch = 0;           // upper-cased
  };
  bool MatchesExactly(std::string_view name) const;

  std::vector<Element> elements_;  // the last is always the end-of-name literal
  bool endsWithDot_ = false;
};

// Compiles the mask for one test.
bool MatchesMask(std::string_view name, std::string_view maskText);

}  // namespace vm
