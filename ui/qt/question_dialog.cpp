#include "ui/qt/question_dialog.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/encoding.h"
#include "platform/services.h"
#include "foundation/qt/qt_text.h"

namespace vm {

TQuestionDialog::TQuestionDialog(QWidget* parent)
    : TButtonClosedDialog(parent),
      client_(new QWidget(this)),
      panel_(new QWidget(this)),
      ok_(new QPushButton("OK", panel_)),
      cancel_(new QPushButton(ToQt("Отмена"_wv), panel_)) {
  panel_->setFixedHeight(39);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(client_, 1);
  layout->addWidget(panel_);
  ok_->resize(75, 25);
  cancel_->resize(75, 25);
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, [this] { Finish(kIdOk); });
  connect(cancel_, &QPushButton::clicked, this, [this] { Finish(kIdCancel); });
  resize(536, 348);
}

void TQuestionDialog::SetCancelVisible(bool visible) {
  cancel_->setVisible(visible);
  LayOutButtons();
}

void TQuestionDialog::UpdateOk() {
  if (validator_) ok_->setEnabled(validator_());
}

int TQuestionDialog::ShowModal() { return exec(); }

void TQuestionDialog::LayOutButtons() {
  const int top = (panel_->height() - ok_->height()) / 2;
  if (!cancel_->isHidden()) {
    const int gap = (panel_->width() - ok_->width() - cancel_->width()) / 3;
    ok_->move(gap, top);
    cancel_->move(2 * gap + ok_->width(), top);
  } else {
    ok_->move((panel_->width() - ok_->width()) / 2, top);
  }
}

void TQuestionDialog::showEvent(QShowEvent* event) {
  TButtonClosedDialog::showEvent(event);
  // The document's controls are made after the buttons: the first of them
  // in tab order after "Отмена" takes the focus.
  for (QWidget* w = cancel_->nextInFocusChain(); w && w != cancel_; w = w->nextInFocusChain()) {
    if (client_->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() &&
        w->isVisibleTo(this)) {
      w->setFocus();
      break;
    }
  }
  UpdateOk();
}

void TQuestionDialog::EscapePressed() {
  // Esc answers "Отмена" when the question offers it and is ignored when not.
  if (!cancel_->isHidden()) Finish(kIdCancel);
}

}  // namespace vm
