#include <QKeyEvent>
#include <QSpinBox>

#include "platform/encoding.h"
#include "ui/qt/designer/checked_dialog.h"
#include "ui/qt/designer/designer_dialogs.h"
#include "foundation/qt/qt_text.h"

namespace vm {

bool ShowFieldDialog(TFieldDialogTexts& field, const std::string& caption,
                     const std::vector<std::string>& names, int32_t exceptRow, QWidget* parent) {
  TCheckedDialog dialog(caption, parent);
  QLineEdit* name = dialog.AddEdit("Имя:"_w, field.Name, true, 10);
  // Only what a field name may hold gets into the box.
  name->setValidator(nullptr);
  QObject::connect(name, &QLineEdit::textEdited, name, [name](const QString& typed) {
    std::string kept;
    for (char c : FromQt(typed))
      if (const char k = FieldNameKey(c)) kept += k;
    if (ToQt(kept) != typed) name->setText(ToQt(kept));
  });
  QComboBox* type = dialog.AddPickList("Тип:"_w, {"Строка"_w, "Число"_w, "Дата"_w});
  type->setCurrentText(ToQt(field.TypeName));
  QSpinBox* length = dialog.AddSpin("Размер:"_w, field.Length, kMinFieldLength, kMaxFieldLength);
  QSpinBox* decimals = dialog.AddSpin("Дес. знаков:"_w, field.Decimals, 0, kMaxFieldDecimals);
  auto read = [&] {
    return TFieldDialogTexts{TextOf(name), TextOf(type), TextOf(length), TextOf(decimals)};
  };
  dialog.SetCheck([&] {
    decimals->setEnabled(FieldDecimalsEnabled(read()));
    return FieldDialogAcceptable(read(), names, exceptRow);
  });
  name->setFocus();
  if (dialog.exec() != QDialog::Accepted) return false;
  field = read();
  return true;
}

}  // namespace vm
