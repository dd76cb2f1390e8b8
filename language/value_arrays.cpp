#include "language/value_arrays.h"

#include <algorithm>

namespace vm {

void TDinArray::SetSize(int64_t n) {
  items_.clear();
  items_.shrink_to_fit();
  if (n < 1) return;
  items_.resize(static_cast<std::size_t>(std::min(n, kMaxArrayItems)));
}

TCommonVar TDinArray::GetItem(int64_t index) const {
  if (index < 0 || index >= Count()) return {};
  return items_[static_cast<std::size_t>(index)];
}

void TDinArray::SetItem(int64_t index, const TCommonVar& value) {
  if (index < 0 || index >= Count()) return;
  items_[static_cast<std::size_t>(index)] = value;
}

TDinArray& TDinArrayList::AddNew() {
  items_.push_back(std::make_unique<TDinArray>());
  items_.back()->Id = ++lastId_;
  return *items_.back();
}

TDinArray* TDinArrayList::GetItem(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return items_[static_cast<std::size_t>(index)].get();
}

int TDinArrayList::IndexOfId(int64_t id) const {
  for (int i = 0; i < Count(); ++i)
    if (items_[static_cast<std::size_t>(i)]->Id == id) return i;
  return -1;
}

TDinArray* TDinArrayList::FindById(int64_t id) const { return GetItem(IndexOfId(id)); }

void TDinArrayList::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  items_.erase(items_.begin() + index);
}

void TDinArrayList::Clear() {
  items_.clear();
  lastId_ = 0;
}

TDinArrayList& DinArrays() {
  static TDinArrayList arrays;
  return arrays;
}

}  // namespace vm
