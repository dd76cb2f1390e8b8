#include "ui/qt/print_range_dialog.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/encoding.h"
#include "foundation/qt/qt_text.h"
#include "ui/qt/window_rules.h"

namespace vm {

TPrintRangeDialog::TPrintRangeDialog(QWidget* parent) : QDialog(parent) {
  first_ = new QRadioButton(this);
  second_ = new QRadioButton(this);
  ok_ = new QPushButton("OK", this);
  ok_->setDefault(true);
  cancel_ = new QPushButton(ToQt("Отмена"_w), this);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(first_);
  layout->addWidget(second_);
  layout->addLayout(buttons);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  MakeSmallDialog(*this);
}

int32_t AskPrintRange(const std::string& caption, const std::string& first, const std::string& second,
                      QWidget* parent) {
  TPrintRangeDialog dialog(parent);
  dialog.setWindowTitle(ToQt(caption));
  dialog.First()->setText(ToQt(first));
  dialog.Second()->setText(ToQt(second));
  dialog.First()->setChecked(true);
  if (dialog.exec() != QDialog::Accepted) return 0;
  return dialog.First()->isChecked() ? 1 : 2;
}

}  // namespace vm
