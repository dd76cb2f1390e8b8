#include "output/label_preview.h"

#include "platform/encoding.h"

namespace vm {

std::string TLabelPreviewModel::PositionText() const {
  if (Current() == nullptr) return {};
  return std::to_string(index_ + 1) + "/" + std::to_string(queue_.Count());
}

std::string TLabelPreviewModel::CopiesText() const {
  if (Current() == nullptr) return {};
  return "Количество: "_w + std::to_string(Current()->Copies);
}

}  // namespace vm
