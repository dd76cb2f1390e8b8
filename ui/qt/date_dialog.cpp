#include "ui/qt/date_dialog.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/encoding.h"
#include "foundation/qt/qt_text.h"
#include "ui/qt/window_rules.h"

namespace vm {

TDtQForm::TDtQForm(QWidget *parent) : QDialog(parent) {
  // No border icons: the window manager is asked to let the window be
  // moved and resized only, and so offers no close box that the dialog
  // would then refuse. One that draws its buttons all the same gets its
  // close request refused (closeEvent).
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setWindowTitle(QStringLiteral("DtQForm"));
  setModal(true);
  // Its caller places it.
  KeepOwnPlace(*this);
  auto *layout = new QVBoxLayout(this);
  // Of a fixed size, so that a window manager offers no maximise box.
  layout->setSizeConstraint(QLayout::SetFixedSize);
  fields_ = new QWidget(this);
  layout->addWidget(fields_);
  auto *panel = new QWidget(this);
  auto *buttons = new QHBoxLayout(panel);
  buttons->setContentsMargins(0, 0, 0, 0);
  ok_ = new QPushButton(QStringLiteral("OK"), panel);
  cancel_ = new QPushButton(ToQt("Отмена"_w), panel);
  systemDate_ = new QPushButton(ToQt("Системная дата"_w), panel);
  ok_->setDefault(true);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  buttons->addWidget(systemDate_);
  layout->addWidget(panel);
  connect(ok_, &QPushButton::clicked, this, [this] {
    closeAllowed_ = true;
    done(1);
  });
  connect(cancel_, &QPushButton::clicked, this, [this] {
    closeAllowed_ = true;
    done(2);
  });
  connect(systemDate_, &QPushButton::clicked, this, [this] {
    if (SystemDate) SystemDate();
    CheckStates();
  });
}

void TDtQForm::CheckStates() {
  if (Valid) ok_->setEnabled(Valid());
}

void TDtQForm::reject() {
  if (closeAllowed_) QDialog::reject();
}

void TDtQForm::showEvent(QShowEvent *event) {
  closeAllowed_ = false;
  QDialog::showEvent(event);
  // The control after "Системная дата" in tab order takes the focus: the
  // first field the caller placed, never a button that Enter would press.
  for (QWidget *w = systemDate_->nextInFocusChain(); w != systemDate_; w = w->nextInFocusChain()) {
    if (isAncestorOf(w) && w->isEnabled() && w->isVisibleTo(this) &&
        (w->focusPolicy() & Qt::TabFocus)) {
      w->setFocus();
      break;
    }
  }
  CheckStates();
}

void TDtQForm::closeEvent(QCloseEvent *event) {
  if (closeAllowed_)
    QDialog::closeEvent(event);
  else
    event->ignore();
}

}  // namespace vm
