#include "documents/controls.h"

#include <algorithm>

#include "foundation/text/strutils.h"

namespace vm {

std::string THeadlessList::Item(int index) const {
  if (index < 0 || index >= Count()) return {};
  return items_[static_cast<std::size_t>(index)];
}

namespace {

bool SortsBefore(const std::string& a, const std::string& b) { return CompareStrLocale(a, b, false) < 0; }

}  // namespace

int AddSorted(std::vector<std::string>& items, const std::string& s) {
  const auto at = std::upper_bound(items.begin(), items.end(), s, SortsBefore);
  const int index = static_cast<int>(at - items.begin());
  items.insert(at, s);
  return index;
}

int THeadlessList::Add(const std::string& s) {
  int index = Count();
  if (sorted_) {
    index = AddSorted(items_, s);
  } else {
    items_.push_back(s);
  }
  if (index_ >= index) ++index_;
  return index;
}

void THeadlessList::SetSorted(bool on) {
  if (on && !sorted_) {
    const std::string chosen = Item(index_);
    std::stable_sort(items_.begin(), items_.end(), SortsBefore);
    // The chosen text stays chosen (equal texts are interchangeable).
    if (index_ >= 0) index_ = static_cast<int>(std::find(items_.begin(), items_.end(), chosen) - items_.begin());
  }
  sorted_ = on;
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
  typed_ = true;
}

TTextSize THeadlessCell::TextExtent() const {
  const int32_t height = FontHeight() < 0 ? -FontHeight() : FontHeight();
  return {static_cast<int32_t>(text_.size()) * std::max(1, height / 2), height};
}

void THeadlessCell::Leave() {
  if (input_ && OnExit) OnExit();
}

}  // namespace vm
