// What the label preview shows: one queued tag at a time, the position in
// the queue and the entry's copies, and which way the user may page.
#pragma once

#include <cstdint>
#include <string>

#include "output/label_print.h"

namespace vm {

class TLabelPreviewModel {
 public:
  explicit TLabelPreviewModel(TPrintCenList& queue) : queue_(queue) {}

  // The first entry, when there is one.
  void Start() { index_ = queue_.Count() > 0 ? 0 : -1; }
  void Previous() {
    if (CanGoBack()) --index_;
  }
  void Next() {
    if (CanGoOn()) ++index_;
  }
  bool CanGoBack() const { return index_ > 0; }
  bool CanGoOn() const { return index_ >= 0 && index_ < queue_.Count() - 1; }
  // nullptr before Start or for an empty queue.
  const TPrintCenEntry* Current() const { return index_ >= 0 ? &queue_.GetItem(index_) : nullptr; }
  // "i/n" and "Количество: c".
  std::string PositionText() const;
  std::string CopiesText() const;

 private:
  TPrintCenList& queue_;
  int32_t index_ = -1;
};

}  // namespace vm
