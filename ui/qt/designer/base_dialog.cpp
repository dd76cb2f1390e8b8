#include "platform/encoding.h"
#include "ui/qt/designer/checked_dialog.h"
#include "ui/qt/designer/designer_dialogs.h"

namespace vm {

bool ShowBaseDialog(const std::string& caption, TBaseDialogTexts& texts,
                    const std::vector<std::string>& fileNames,
                    const std::vector<std::string>& aliases, int32_t exceptRow, QWidget* parent) {
  TCheckedDialog dialog(caption, parent);
  QLineEdit* file = dialog.AddEdit("Имя файла:"_w, texts.FileName, true);
  QLineEdit* alias = dialog.AddEdit("Псевдоним:"_w, texts.Alias, true);
  QLineEdit* comment = dialog.AddEdit("Комментарий:"_w, texts.Comment, false);
  dialog.BoldLabels();
  auto read = [&] { return TBaseDialogTexts{TextOf(file), TextOf(alias), TextOf(comment)}; };
  dialog.SetCheck([&] { return BaseDialogAcceptable(read(), fileNames, aliases, exceptRow); });
  if (dialog.exec() != QDialog::Accepted) return false;
  texts = read();
  return true;
}

}  // namespace vm
