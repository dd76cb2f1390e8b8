#include "language/number_functions.h"

#include <array>
#include <string_view>
#include <utility>

#include "language/function_table.h"

namespace vm {

uint8_t NumberFunctionOf(int funcNo) {
  static const std::array<uint8_t, kFunctionCount + 1> byNumber = [] {
    constexpr std::pair<std::string_view, uint8_t> kNames[] = {
        {"EXP", kNumFnExp}, {"SQRT", kNumFnSqrt},   {"MAX", kNumFnMax}, {"MIN", kNumFnMin}, {"SIGN", kNumFnSign},
        {"ROUND", kNumFnRound}, {"INT", kNumFnInt}, {"ABS", kNumFnAbs}, {"DIV", kNumFnDiv}, {"MOD", kNumFnMod},
    };
    std::array<uint8_t, kFunctionCount + 1> a{};
    for (const auto& [name, function] : kNames) a[static_cast<std::size_t>(FindFunction(name))] = function;
    return a;
  }();
  if (funcNo < 1 || funcNo > kFunctionCount) return kNoNumberFunction;
  return byNumber[static_cast<std::size_t>(funcNo)];
}

}  // namespace vm
