// The value arrays of the document language: arrays of typed values with
// 1 to 10 dimensions, created and addressed by the programs through their
// identifiers and freed with the document.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/values/values.h"

namespace vm {

// Elements past this count cannot be reached.
inline constexpr int64_t kMaxArrayItems = 1048576;
inline constexpr int kMaxArrayDims = 10;

class TDinArray {
 public:
  // 1-based; the array functions use 1 to kMaxArrayDims of them.
  std::array<int32_t, 16> Dims{};
  int32_t DimCount = 0;
  int32_t Id = 0;

  // Discards every element, then makes min(n, kMaxArrayItems) empty ones
  // (none when n is below 1).
  void SetSize(int64_t n);
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // A copy of element index (0-based); an empty value outside the array.
  TCommonVar GetItem(int64_t index) const;
  // An index outside the array is ignored.
  void SetItem(int64_t index, const TCommonVar& value);

 private:
  std::vector<TCommonVar> items_;
};

class TDinArrayList {
 public:
  // A new empty array with the next running identifier (from 1).
  TDinArray& AddNew();
  TDinArray* GetItem(int index) const;
  // nullptr when no live array has the identifier.
  TDinArray* FindById(int64_t id) const;
  int IndexOfId(int64_t id) const;
  void Delete(int index);
  // Frees every array; identifiers start at 1 again.
  void Clear();
  int Count() const { return static_cast<int>(items_.size()); }

 private:
  std::vector<std::unique_ptr<TDinArray>> items_;
  int32_t lastId_ = 0;
};

// The arrays of the running document.
TDinArrayList& DinArrays();

}  // namespace vm
