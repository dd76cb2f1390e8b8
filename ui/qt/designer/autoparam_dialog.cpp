#include "platform/encoding.h"
#include "ui/qt/designer/checked_dialog.h"
#include "ui/qt/designer/designer_dialogs.h"

namespace vm {

bool ShowAddAutoParamDialog(const std::string& caption, std::string& name, std::string& value,
                            const std::vector<std::string>& names, std::string& typeName,
                            QWidget* parent) {
  TCheckedDialog dialog(caption, parent);
  QLineEdit* nameEdit = dialog.AddEdit("Имя:"_w, {}, true, 10);
  QComboBox* type = dialog.AddPickList("Тип:"_w, {"Число"_w, "Строка"_w});
  QLineEdit* valueEdit = dialog.AddEdit("Значение:"_w, {}, false);
  dialog.SetCheck([&] {
    return AutoParamAcceptable(TextOf(nameEdit), TextOf(type), TextOf(valueEdit), names, -1);
  });
  if (dialog.exec() != QDialog::Accepted) return false;
  name = TextOf(nameEdit);
  value = TextOf(valueEdit);
  typeName = TextOf(type);
  return true;
}

}  // namespace vm
