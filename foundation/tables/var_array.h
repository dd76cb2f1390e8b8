// A large array of small fixed-size elements kept in pages of 32 KB, so that
// the archive commands never need one huge block. An element never straddles
// two pages: its size divides 32768.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace vm {

class TVarArray {
 public:
  static constexpr int32_t kPageBytes = 32768;

  // OK is false when the size does not divide a page or the memory is not
  // there; the array is then empty.
  TVarArray(int32_t elemSize, bool& ok, int32_t count);

  int32_t TotalSize() const { return totalSize_; }
  int32_t LastPageSize() const { return lastPageSize_; }
  int32_t PageCount() const { return static_cast<int32_t>(pages_.size()); }
  int32_t ElemSize() const { return elemSize_; }
  int32_t Count() const { return count_; }
  // The element's bytes; nullptr outside 0..Count()-1.
  uint8_t* GetItem(int32_t index);
  // The page's bytes; nullptr outside the pages.
  uint8_t* GetPage(int32_t n);

 private:
  int32_t totalSize_ = 0;
  int32_t lastPageSize_ = 0;
  int32_t elemSize_ = 0;
  int32_t count_ = 0;
  std::vector<std::unique_ptr<uint8_t[]>> pages_;
};

}  // namespace vm
