#include "archive/components/masks.h"

#include "foundation/text/collation.h"

namespace vm {

TInternalMask::TInternalMask(std::string_view maskText) {
  endsWithDot_ = !maskText.empty() && maskText.back() == '.';
  bool star = false;
  for (char c : maskText) {
    if (c == '*') {
      star = true;
      continue;
    }
    // A "?" right after a star adds nothing: "*?" matches like "*" alone,
    // an empty remainder included.
    if (c == '?') {
      if (!star) elements_.push_back({false, true, 0});
      continue;
    }
    elements_.push_back({star, false, UpperChar1251(c)});
    star = false;
  }
  elements_.push_back({star, false, '\0'});
}

bool TInternalMask::Matches(std::string_view name) const {
  if (endsWithDot_ && name.find('.') == std::string_view::npos)
    return MatchesExactly(std::string(name) + ".");
  return MatchesExactly(name);
}

// Backtracking only to the latest star gives the same answers as trying
// every alternative, in time bounded by name length x mask length: a star
// that later fails can only be helped by letting the latest star absorb more.
bool TInternalMask::MatchesExactly(std::string_view name) const {
  const std::size_t n = name.size();
  std::size_t e = 0, i = 0;
  std::size_t starElement = 0, starPos = 0;
  bool haveStar = false;
  auto fits = [&](const Element& el, std::size_t pos) {
    if (el.anyChar) return pos < n;
    if (el.ch == '\0') return pos == n;
    return pos < n && UpperChar1251(name[pos]) == el.ch;
  };
  while (true) {
    const Element& el = elements_[e];
    if (el.starBefore && !(haveStar && starElement == e && starPos == i)) {
      haveStar = true;
      starElement = e;
      starPos = i;
    }
    if (fits(el, i)) {
      if (e + 1 == elements_.size()) return true;
      ++e;
      ++i;
      continue;
    }
    if (!haveStar || starPos >= n) return false;
    ++starPos;
    e = starElement;
    i = starPos;
  }
}

bool MatchesMask(std::string_view name, std::string_view maskText) {
  return TInternalMask(maskText).Matches(name);
}

}  // namespace vm
