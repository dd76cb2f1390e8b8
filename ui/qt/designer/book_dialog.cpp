#include <algorithm>

#include "platform/encoding.h"
#include "ui/qt/designer/checked_dialog.h"
#include "ui/qt/designer/designer_dialogs.h"

namespace vm {

bool ShowAddBookDialog(const std::vector<std::string>& aliases,
                       const std::vector<std::string>& existing, std::string& alias,
                       std::string& name, QWidget* parent) {
  TCheckedDialog dialog("Добавить справочник"_w, parent);
  std::vector<std::string> sorted = aliases;
  std::sort(sorted.begin(), sorted.end());
  QComboBox* base = dialog.AddPickList("База:"_w, sorted);
  QLineEdit* edit = dialog.AddEdit("Псевдоним:"_w, sorted.empty() ? "" : sorted.front(), false);
  QObject::connect(base, &QComboBox::currentTextChanged, edit,
                   [edit](const QString& chosen) { edit->setText(chosen); });
  dialog.SetCheck([&] { return BookAcceptable(TextOf(base), aliases, TextOf(edit), existing); });
  if (dialog.exec() != QDialog::Accepted) return false;
  alias = TextOf(base);
  name = TextOf(edit);
  return true;
}

}  // namespace vm
