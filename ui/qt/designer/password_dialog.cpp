#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/encoding.h"
#include "platform/services.h"
#include "ui/qt/designer/designer_dialogs.h"
#include "foundation/qt/qt_text.h"
#include "ui/qt/window_rules.h"

namespace vm {

bool ShowPasswordDialog(const std::string& caption, std::string& password, QWidget* parent) {
  QDialog dialog(parent);
  dialog.setWindowTitle(ToQt(caption));
  auto* layout = new QVBoxLayout(&dialog);
  auto* form = new QFormLayout;
  auto* first = new QLineEdit(&dialog);
  auto* second = new QLineEdit(&dialog);
  for (QLineEdit* edit : {first, second}) {
    edit->setMaxLength(10);
    edit->setEchoMode(QLineEdit::Password);
  }
  form->addRow(ToQt("Пароль:"_w), first);
  form->addRow(ToQt("Повтор:"_w), second);
  layout->addLayout(form);
  auto* bar = new QHBoxLayout;
  auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
  auto* cancel = new QPushButton(ToQt("Отмена"_w), &dialog);
  // Enter goes from "Пароль" to "Повтор", and there presses OK: a focus
  // moved to OK looks like nothing happened, and the password left unset
  // would pass for set.
  for (QPushButton* b : {ok, cancel}) b->setAutoDefault(false);
  bar->addStretch();
  bar->addWidget(ok);
  bar->addWidget(cancel);
  layout->addLayout(bar);
  QObject::connect(first, &QLineEdit::returnPressed, second, [second] { second->setFocus(); });
  QObject::connect(second, &QLineEdit::returnPressed, ok, [ok] { ok->click(); });
  QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
  QObject::connect(ok, &QPushButton::clicked, &dialog, [&] {
    if (PasswordConfirmed(FromQt(first->text()), FromQt(second->text()))) {
      dialog.accept();
      return;
    }
    Ui().MsgBox("Неверное подтверждение пароля !"_w, "Ошибка ввода пароля"_w, kMbError);
    first->setFocus();
  });
  MakeSmallDialog(dialog);
  first->setFocus();
  if (dialog.exec() != QDialog::Accepted) return false;
  password = PasswordFromDialog(FromQt(first->text()));
  return true;
}

}  // namespace vm
