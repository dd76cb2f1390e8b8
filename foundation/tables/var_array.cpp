#include "foundation/tables/var_array.h"

#include <limits>
#include <new>

namespace vm {

TVarArray::TVarArray(int32_t elemSize, bool& ok, int32_t count) {
  ok = false;
  if (elemSize <= 0 || kPageBytes % elemSize != 0 || count < 0) return;
  const int64_t total = static_cast<int64_t>(elemSize) * count;
  if (total > std::numeric_limits<int32_t>::max()) return;
  totalSize_ = static_cast<int32_t>(total);
  int32_t pageCount = totalSize_ / kPageBytes;
  lastPageSize_ = totalSize_ - pageCount * kPageBytes;
  if (lastPageSize_ >= 1)
    ++pageCount;
  else
    lastPageSize_ = kPageBytes;
  try {
    pages_.reserve(static_cast<std::size_t>(pageCount));
    for (int32_t p = 0; p < pageCount; ++p) {
      const int32_t bytes = p == pageCount - 1 ? lastPageSize_ : kPageBytes;
      pages_.emplace_back(new uint8_t[static_cast<std::size_t>(bytes)]());
    }
  } catch (const std::bad_alloc&) {
    pages_.clear();
    totalSize_ = 0;
    return;
  }
  elemSize_ = elemSize;
  count_ = count;
  ok = true;
}

uint8_t* TVarArray::GetItem(int32_t index) {
  if (index < 0 || index >= count_) return nullptr;
  const int64_t offset = static_cast<int64_t>(index) * elemSize_;
  const auto page = static_cast<std::size_t>(offset / kPageBytes);
  return pages_[page].get() + (offset % kPageBytes);
}

uint8_t* TVarArray::GetPage(int32_t n) {
  return n >= 0 && n < PageCount() ? pages_[static_cast<std::size_t>(n)].get() : nullptr;
}

}  // namespace vm
