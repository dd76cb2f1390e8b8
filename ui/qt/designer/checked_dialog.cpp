#include "ui/qt/designer/checked_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>

#include "foundation/text/strutils.h"
#include "platform/encoding.h"
#include "foundation/qt/qt_text.h"

namespace vm {

std::string TextOf(const QLineEdit* edit) { return FromQt(edit->text()); }
std::string TextOf(const QComboBox* box) { return FromQt(box->currentText()); }
std::string TextOf(const QSpinBox* spin) { return FromQt(spin->cleanText()); }

TCheckedDialog::TCheckedDialog(const std::string& caption, QWidget* parent) : QDialog(parent) {
  setWindowTitle(ToQt(caption));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  auto* layout = new QVBoxLayout(this);
  form_ = new QFormLayout;
  layout->addLayout(form_);
  auto* bar = new QHBoxLayout;
  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setDefault(true);
  auto* cancel = new QPushButton(ToQt("Отмена"_w), this);
  bar->addStretch();
  bar->addWidget(ok_);
  bar->addWidget(cancel);
  layout->addLayout(bar);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QLineEdit* TCheckedDialog::AddEdit(const std::string& label, const std::string& text, bool upper,
                                   int maxLength) {
  auto* edit = new QLineEdit(ToQt(text), this);
  if (maxLength > 0) edit->setMaxLength(maxLength);
  form_->addRow(ToQt(label), edit);
  connect(edit, &QLineEdit::textEdited, this, [this, edit, upper](const QString& typed) {
    if (upper) {
      const QString up = ToQt(UpperStr(FromQt(typed)));
      if (up != typed) {
        const int at = edit->cursorPosition();
        edit->setText(up);
        edit->setCursorPosition(at);
      }
    }
    Check();
  });
  return edit;
}

QComboBox* TCheckedDialog::AddPickList(const std::string& label,
                                       const std::vector<std::string>& items) {
  auto* box = new QComboBox(this);
  for (const std::string& item : items) box->addItem(ToQt(item));
  form_->addRow(ToQt(label), box);
  connect(box, &QComboBox::currentTextChanged, this, [this] { Check(); });
  return box;
}

QSpinBox* TCheckedDialog::AddSpin(const std::string& label, const std::string& text, int low, int high) {
  auto* spin = new QSpinBox(this);
  spin->setRange(low, high);
  spin->setValue(std::clamp(TrimStrToInt(text), low, high));
  form_->addRow(ToQt(label), spin);
  connect(spin, &QSpinBox::textChanged, this, [this] { Check(); });
  return spin;
}

void TCheckedDialog::SetCheck(std::function<bool()> check) {
  check_ = std::move(check);
  Check();
}

void TCheckedDialog::Check() { ok_->setEnabled(!check_ || check_()); }

void TCheckedDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Check();
}

}  // namespace vm
