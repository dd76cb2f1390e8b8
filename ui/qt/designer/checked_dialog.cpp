#include "ui/qt/designer/checked_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

#include "foundation/text/strutils.h"
#include "platform/encoding.h"
#include "foundation/qt/qt_text.h"
#include "ui/qt/window_rules.h"

namespace vm {

TOkCancel AddOkCancel(QBoxLayout& layout, QDialog& dialog) {
  auto* bar = new QHBoxLayout;
  const TOkCancel buttons{new QPushButton(QStringLiteral("OK"), &dialog), new QPushButton(ToQt("Отмена"_w), &dialog)};
  buttons.Ok->setDefault(true);
  bar->addStretch();
  bar->addWidget(buttons.Ok);
  bar->addWidget(buttons.Cancel);
  layout.addLayout(bar);
  QObject::connect(buttons.Ok, &QPushButton::clicked, &dialog, &QDialog::accept);
  QObject::connect(buttons.Cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
  return buttons;
}

std::string TextOf(const QLineEdit* edit) { return FromQt(edit->text()); }
std::string TextOf(const QComboBox* box) { return FromQt(box->currentText()); }
std::string TextOf(const QSpinBox* spin) { return FromQt(spin->cleanText()); }

TCheckedDialog::TCheckedDialog(const std::string& caption, QWidget* parent) : QDialog(parent) {
  setWindowTitle(ToQt(caption));
  auto* layout = new QVBoxLayout(this);
  columns_ = new QHBoxLayout;
  layout->addLayout(columns_);
  form_ = nullptr;
  NextColumn();
  const TOkCancel buttons = AddOkCancel(*layout, *this);
  ok_ = buttons.Ok;
  cancel_ = buttons.Cancel;
  // As large as its fields and its title need and no larger: a window
  // manager offers no maximise box on a window that cannot be resized.
  MakeSmallDialog(*this);
}

void TCheckedDialog::WithoutCloseButton() {
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
}

void TCheckedDialog::NextColumn() {
  form_ = new QFormLayout;
  columns_->addLayout(form_, 1);
}

void TCheckedDialog::AddRow(const std::string& label, QWidget* field) {
  auto* caption = new QLabel(ToQt(label), this);
  caption->setBuddy(field);
  form_->addRow(caption, field);
  labels_.push_back(caption);
  fields_.push_back(field);
}

void TCheckedDialog::BoldLabels() {
  for (QLabel* label : labels_) {
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
  }
}

QLineEdit* TCheckedDialog::AddEdit(const std::string& label, const std::string& text, bool upper,
                                   int maxLength) {
  auto* edit = new QLineEdit(ToQt(text), this);
  if (maxLength > 0) edit->setMaxLength(maxLength);
  AddRow(label, edit);
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
  AddRow(label, box);
  connect(box, &QComboBox::currentTextChanged, this, [this] { Check(); });
  return box;
}

QSpinBox* TCheckedDialog::AddSpin(const std::string& label, const std::string& text, int low, int high) {
  auto* spin = new QSpinBox(this);
  spin->setRange(low, high);
  spin->setValue(std::clamp(TrimStrToInt(text), low, high));
  AddRow(label, spin);
  // Every keystroke, also one that leaves the spin below its range, which
  // the spin itself does not report until it has set the text right.
  if (auto* edit = spin->findChild<QLineEdit*>())
    connect(edit, &QLineEdit::textChanged, this, [this] { Check(); });
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
  // What is typed goes into the first field, and Enter there confirms it:
  // with OK still disabled, "Отмена" would otherwise take both.
  if (focusCancel_) {
    cancel_->setFocus();
    return;
  }
  for (QWidget* field : fields_)
    if (field->isEnabled() && (field->focusPolicy() & Qt::TabFocus)) {
      field->setFocus();
      return;
    }
}

}  // namespace vm
