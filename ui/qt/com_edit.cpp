#include "ui/qt/com_edit.h"

#include <QFocusEvent>
#include <QKeyEvent>

#include "foundation/qt/qt_text.h"

namespace vm {

TComEdit::TComEdit(const TValueEdit& format, const QString& text, QWidget* parent)
    : QLineEdit(text, parent), format_(format) {
  if (format.TextLimit() > 0) setMaxLength(format.TextLimit());
}

void TComEdit::Normalize() {
  const QString shown = ToQt(format_.Normalized(FromQt(text())));
  if (shown != text()) setText(shown);
}

void TComEdit::focusOutEvent(QFocusEvent* event) {
  // A dialog going inactive (a message box over it) is no leaving.
  if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) Normalize();
  QLineEdit::focusOutEvent(event);
}

QWidget* TComEdit::NextField() const {
  // The window heads its circular focus chain: passing it would start the
  // round of fields again from the first.
  for (QWidget* w = nextInFocusChain(); w != nullptr && w != this && w != window(); w = w->nextInFocusChain()) {
    // The chain also runs through the dialog's buttons and other panels.
    if (w->parentWidget() != parentWidget()) continue;
    if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(window())) return w;
  }
  return nullptr;
}

void TComEdit::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (!enter || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  if (QWidget* next = NextField()) {
    next->setFocus(Qt::TabFocusReason);
    event->accept();
    return;
  }
  Normalize();
  // Not taken: the dialog's default button has it.
  event->ignore();
}

}  // namespace vm
