#include "foundation/text/strutils.h"
#include "platform/encoding.h"
#include "ui/qt/designer/checked_dialog.h"
#include "ui/qt/designer/designer_dialogs.h"

namespace vm {

bool ShowAddBlankDialog(const std::string& caption, std::string& name,
                        const std::vector<std::string>& existing, QWidget* parent) {
  TCheckedDialog dialog(caption, parent);
  dialog.WithoutCloseButton();
  QLineEdit* edit = dialog.AddEdit({}, name, true, 10);
  dialog.SetCheck([&] { return BlankNameAcceptable(TextOf(edit), existing); });
  edit->setFocus();
  if (dialog.exec() != QDialog::Accepted) return false;
  name = UpperStr(TextOf(edit));
  return true;
}

}  // namespace vm
