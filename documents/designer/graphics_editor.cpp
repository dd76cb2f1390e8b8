#include "documents/designer/graphics_editor.h"

#include <algorithm>

#include "documents/designer/designer_rules.h"
#include "foundation/text/strutils.h"
#include "platform/encoding.h"

namespace vm {

const std::vector<std::string>& GraphKindNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> v;
    for (const char* s : {"Линия", "Прямоугольник", "Заполненный прямоугольник", "Эллипс",
                          "Заполненный эллипс", "Ромб", "Рисунок"})
      v.push_back(Utf8ToCp1251(s));
    return v;
  }();
  return names;
}

void TGraphicsEditor::Start() { current_ = List.empty() ? -1 : 0; }

TGraphObject* TGraphicsEditor::Current() const {
  return current_ >= 0 && current_ < static_cast<int32_t>(List.size())
             ? List[static_cast<std::size_t>(current_)].get()
             : nullptr;
}

std::string TGraphicsEditor::KindName() const {
  const TGraphObject* object = Current();
  if (object == nullptr) return {};
  const auto number = static_cast<std::size_t>(GraphKindNumber(object->Kind));
  return number < GraphKindNames().size() ? GraphKindNames()[number] : std::string();
}

void TGraphicsEditor::SelectNumberText(const std::string& text) {
  const std::string t = TrimBlanks(text);
  if (List.empty() || !IsValidIntStr(t, 1000000)) return;
  current_ = std::clamp(static_cast<int32_t>(std::stol(t)), 1, static_cast<int32_t>(List.size())) - 1;
}

TGraphObject* TGraphicsEditor::BeginAdd() { return NewGraphObject(List); }

void TGraphicsEditor::EndAdd(bool ok) {
  if (ok)
    current_ = static_cast<int32_t>(List.size()) - 1;
  else
    List.pop_back();
}

bool TGraphicsEditor::Delete() {
  if (!Current()) return false;
  if (!AskYesNo("Вы действительно хотите удалить графический объект '"_w + KindName() + "'?",
                "Удаление графического объекта"_w))
    return false;
  DeleteItem(List, current_);
  current_ = std::min(current_, static_cast<int32_t>(List.size()) - 1);
  return true;
}

}  // namespace vm
