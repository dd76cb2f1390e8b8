// The graphic objects of one price tag while the designer's dialog edits
// them: a working list, the current object and the number field's rules.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/price_tags.h"

namespace vm {

// "Линия" to "Рисунок", by kind number.
const std::vector<std::string>& GraphKindNames();

class TGraphicsEditor {
 public:
  TGOList List;

  // The first object current, or none.
  void Start();
  TGraphObject* Current() const;
  int32_t Number() const { return current_ + 1; }
  bool CanDelete() const { return Current() != nullptr; }
  bool NumberEnabled() const { return List.size() >= 2; }
  std::string KindName() const;
  // A valid whole number, clamped to the list, chooses the object.
  void SelectNumberText(const std::string& text);
  // "Добавить": a new object at the end, to be edited; EndAdd keeps it
  // (current) on OK and removes it on cancel.
  TGraphObject* BeginAdd();
  void EndAdd(bool ok);
  // Asks first; the object now at its place, or the one before, becomes
  // current.
  bool Delete();

 private:
  int32_t current_ = -1;
};

}  // namespace vm
