#include <QComboBox>

#include "platform/encoding.h"
#include "ui/qt/designer/checked_dialog.h"
#include "ui/qt/designer/designer_dialogs.h"
#include "foundation/qt/qt_text.h"

namespace vm {

namespace {

void Fill(QComboBox* box, const std::vector<std::string>& items, const std::string& text) {
  const QSignalBlocker block(box);
  box->clear();
  for (const std::string& item : items) box->addItem(ToQt(item));
  box->setCurrentIndex(box->findText(ToQt(text)));
}

}  // namespace

bool ShowArchiveEntryDialog(TArchiveEntryDialog& d, QWidget* parent) {
  TCheckedDialog dialog("Параметры удаления периода базы"_w, parent);
  QComboBox* base = dialog.AddPickList("База:"_w, {});
  QComboBox* date = dialog.AddPickList("Поле даты:"_w, {});
  QLineEdit* exclusion = dialog.AddEdit("Исключение:"_w, d.Values.Exclusion, false);
  QLineEdit* links = dialog.AddEdit("Связь полей:"_w, d.Values.Links, false);
  dialog.NextColumn();
  QComboBox* group = dialog.AddPickList("Поле группы:"_w, {});
  QComboBox* last = dialog.AddPickList("Посл. запись:"_w, {});
  dialog.BoldLabels();
  // Its first controls are lists to pick from, where nothing typed would
  // be kept: "Отмена" holds the focus until the user takes one.
  dialog.FocusCancel();
  Fill(base, d.BaseChoices, d.Values.Base);
  Fill(date, d.DateFields, d.Values.DateField);
  Fill(group, d.GroupFields, d.Values.GroupField);
  Fill(last, {"Удалять"_w, "Оставлять"_w}, d.Values.LastRecord);
  QObject::connect(base, &QComboBox::currentTextChanged, &dialog, [&](const QString& text) {
    d.ChooseBase(FromQt(text));
    Fill(date, d.DateFields, d.Values.DateField);
    Fill(group, d.GroupFields, d.Values.GroupField);
    dialog.Check();
  });
  dialog.SetCheck([&] {
    d.Values.DateField = TextOf(date);
    d.Values.GroupField = TextOf(group);
    d.Values.LastRecord = TextOf(last);
    d.Values.Exclusion = TextOf(exclusion);
    d.Values.Links = TextOf(links);
    return d.CanConfirm();
  });
  if (dialog.exec() != QDialog::Accepted) return false;
  dialog.Check();
  return true;
}

}  // namespace vm
