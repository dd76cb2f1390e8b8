#include "config/graph_object.h"

#include <algorithm>

namespace vm {

TGraphKind GraphKindFromNumber(int32_t number) {
  return number >= 0 && number < kGraphKindCount ? static_cast<TGraphKind>(number) : TGraphKind::Line;
}

TGraphWords TGraphObject::Words() const {
  TGraphWords words{FillColor, X, Y, Width, Height, Transparent, TransparentColor, AutoTransparent};
  std::copy(Reserved.begin(), Reserved.end(), words.begin() + 8);
  return words;
}

void TGraphObject::SetWords(const TGraphWords& words) {
  FillColor = words[0];
  X = words[1];
  Y = words[2];
  Width = words[3];
  Height = words[4];
  Transparent = words[5];
  TransparentColor = words[6];
  AutoTransparent = words[7];
  std::copy(words.begin() + 8, words.end(), Reserved.begin());
}

}  // namespace vm
