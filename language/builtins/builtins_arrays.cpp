#include <algorithm>
#include <array>
#include <cmath>

#include "language/builtins/builtins_run.h"
#include "language/value_arrays.h"

namespace vm {

namespace {

enum {
  kErrBadSize = 46,
  kErrSizeNotNumber = 47,
  kErrBadDimCount = 48,
  kErrBadArrayId = 49,
  kErrBadIndexCount = 50,
  kErrBadIndex = 51,
};

// Beyond this the linear index can never come back into range, whatever
// the indices that follow add.
constexpr __int128 kIndexSaturation = static_cast<__int128>(1) << 90;

// -1 for a number that names no array.
int64_t ArrayId(long double x) {
  const long double r = std::rint(x);
  return r >= 1 && r <= 2147483647.0L ? static_cast<int64_t>(r) : -1;
}

// The array named by argument 1, or nullptr with error 49.
TDinArray* ArrayArg(TBuiltinCall& c) {
  TDinArray* array = nullptr;
  if (c.ArgCount >= 1 && NormalizeTypeChar(c.Arg(1).Kind) == 'N')
    array = DinArrays().FindById(ArrayId(c.Num(1)));
  if (array == nullptr) c.Fail(kErrBadArrayId);
  return array;
}

// The element index of the array's indices, which start at argument first;
// false with the error set when they do not name an element.
bool ElementIndex(TBuiltinCall& c, const TDinArray& array, int first, int64_t& index) {
  if (c.ArgCount - first + 1 != array.DimCount) {
    c.Fail(kErrBadIndexCount);
    return false;
  }
  // The first index varies fastest: fold from the last one.
  __int128 linear = 0;
  for (int d = array.DimCount; d >= 1; --d) {
    const int arg = first + d - 1;
    if (NormalizeTypeChar(c.Arg(arg).Kind) != 'N') {
      c.Fail(kErrBadIndex);
      return false;
    }
    int32_t i = 0;
    if (!c.IntArg(arg, i)) return false;
    linear = linear * array.Dims[static_cast<std::size_t>(d)] + (i - 1);
    if (linear > kIndexSaturation) linear = kIndexSaturation;
    if (linear < -kIndexSaturation) linear = -kIndexSaturation;
  }
  if (linear < 0 || linear >= array.Count()) {
    c.Fail(kErrBadIndex);
    return false;
  }
  index = static_cast<int64_t>(linear);
  return true;
}

}  // namespace

void FnAddarray(TBuiltinCall& c) {
  if (c.ArgCount < 1 || c.ArgCount > kMaxArrayDims) {
    c.Fail(kErrBadDimCount);
    return;
  }
  std::array<int32_t, kMaxArrayDims> sizes{};
  int64_t product = 1;
  for (int d = 1; d <= c.ArgCount; ++d) {
    if (NormalizeTypeChar(c.Arg(d).Kind) != 'N') {
      c.Fail(kErrSizeNotNumber);
      return;
    }
    int32_t size = 0;
    if (!c.IntArg(d, size)) return;
    if (size < 1) {
      c.Fail(kErrBadSize);
      return;
    }
    sizes[static_cast<std::size_t>(d - 1)] = size;
    // Sizes of up to 2^31 would overflow even 64 bits: stop at the limit.
    product = std::min(product * size, kMaxArrayItems);
  }
  TDinArray& array = DinArrays().AddNew();
  array.DimCount = c.ArgCount;
  for (int d = 1; d <= c.ArgCount; ++d)
    array.Dims[static_cast<std::size_t>(d)] = sizes[static_cast<std::size_t>(d - 1)];
  array.SetSize(product);
  c.SetNum(array.Id);
}

void FnDeletearray(TBuiltinCall& c) {
  DinArrays().Delete(DinArrays().IndexOfId(ArrayId(c.Num(1))));
}

void FnGetarraydata(TBuiltinCall& c) {
  const TDinArray* array = ArrayArg(c);
  int64_t index = 0;
  if (array == nullptr || !ElementIndex(c, *array, 2, index)) return;
  c.Result = array->GetItem(index);
}

void FnSetarraydata(TBuiltinCall& c) {
  TDinArray* array = ArrayArg(c);
  int64_t index = 0;
  if (array == nullptr) return;
  if (c.ArgCount < 2) {
    c.Fail(kErrBadIndexCount);
    return;
  }
  if (!ElementIndex(c, *array, 3, index)) return;
  array->SetItem(index, c.Arg(2));
}

}  // namespace vm
