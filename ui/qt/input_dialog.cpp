#include "ui/qt/input_dialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/encoding.h"
#include "foundation/qt/qt_text.h"
#include "ui/qt/screen_place.h"

namespace vm {

TInputDialog::TInputDialog(const TInputRequest& request, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      prompt_(new QLabel(ToQt("Пароль:"_wv), this)),
      edit_(new QLineEdit(this)),
      check_(new QCheckBox(ToQt("Локальный"_wv), this)),
      ok_(new QPushButton("OK", this)),
      cancel_(new QPushButton(ToQt("Отмена"_wv), this)) {
  rules_.Kind = request.Kind;
  rules_.AllowEmpty = request.AllowEmpty;
  rules_.Names = request.Names;
  rules_.ExceptIndex = request.ExceptIndex;
  setFixedSize(219, 103);
  setWindowTitle(ToQt(request.Caption));

  QFont bold = prompt_->font();
  bold.setBold(true);
  prompt_->setFont(bold);
  prompt_->move(8, 16);
  prompt_->setVisible(!request.Prompt.empty());
  if (!request.Prompt.empty()) prompt_->setText(ToQt(request.Prompt));
  prompt_->adjustSize();
  const int left = request.Prompt.empty() ? 16 : prompt_->width() + 11;
  edit_->setGeometry(left, 12, request.Prompt.empty() ? 187 : 210 - left, 21);
  edit_->setText(ToQt(request.Text));
  if (request.PasswordChar) edit_->setEchoMode(QLineEdit::Password);

  check_->setVisible(!request.CheckCaption.empty());
  if (!request.CheckCaption.empty()) check_->setText(ToQt(request.CheckCaption));
  check_->setChecked(request.Ticked);
  check_->setGeometry(16, 40, 187, 20);

  ok_->setGeometry(24, 68, 80, 25);
  ok_->setDefault(true);
  cancel_->setGeometry(115, 68, 80, 25);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  connect(edit_, &QLineEdit::textChanged, this, &TInputDialog::Validate);
}

void TInputDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  CentreOnScreen(*this);
  edit_->setFocus();
  Validate();
}

void TInputDialog::Validate() { ok_->setEnabled(InputTextValid(Text(), rules_)); }

std::string TInputDialog::Text() const { return FromQt(edit_->text()); }

bool TInputDialog::Ticked() const { return check_->isChecked(); }

bool ShowInputDialog(TInputRequest& request, QWidget* parent) {
  TInputDialog dialog(request, parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  request.Text = dialog.Text();
  request.Ticked = dialog.Ticked();
  return true;
}

}  // namespace vm
