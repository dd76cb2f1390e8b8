#include "documents/controls.h"

#include <algorithm>

#include "foundation/text/strutils.h"

namespace vm {

std::string THeadlessList::Item(int index) const {
  if (index < 0 || index >= Count()) return {};
  return items_[static_cast<std::size_t>(index)];
}

int AddSorted(std::vector<std::string>& items, const std::string& s) {
  const auto at = std::upper_bound(items.begin(), items.end(), s,
      [](const std::string& a, const std::string& b) { return CompareStrLocale(a, b, false) < 0; });
  const int index = static_cast<int>(at - items.begin());
  items.insert(at, s);
  return index;
}

int THeadlessList::Add(const std::string& s) {
  const int index = AddSorted(items_, s);
  if (index_ >= index) ++index_;
  return index;
}

void THeadlessList::Insert(int index, const std::string& s) {
  index = std::clamp(index, 0, Count());
  items_.insert(items_.begin() + index, s);
  if (index_ >= index) ++index_;
}

void THeadlessList::Clear() {
  items_.clear();
  index_ = -1;
  text_.clear();
}

void THeadlessList::SetItemIndex(int index) {
  index_ = index >= 0 && index < Count() ? index : -1;
  text_ = Item(index_);
}

void THeadlessList::Choose(int index) {
  SetItemIndex(index);
  if (OnChange) OnChange();
}

void THeadlessButton::Press() {
  if (OnClick) OnClick();
}

void THeadlessCell::Type(const std::string& text) {
  text_ = maxLength_ > 0 && static_cast<int32_t>(text.size()) > maxLength_
              ? text.substr(0, static_cast<std::size_t>(maxLength_))
              : text;
}

void THeadlessCell::Leave() {
  if (input_ && OnExit) OnExit();
}

}  // namespace vm
