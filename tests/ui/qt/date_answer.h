// Confirms the next date dialog of a document run one minute past the time
// it shows, as a user who keeps the program clock would.
#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QTime>

#include "tests/ui/qt/modal.h"
#include "ui/qt/date_dialog.h"

namespace vm::test {

inline void ConfirmNextDateDialog() {
  WhenModal([](QWidget* modal) {
    auto* form = qobject_cast<TDateDialog*>(modal);
    if (!form) return;
    const QList<QLineEdit*> edits = form->Fields()->findChildren<QLineEdit*>();
    if (edits.size() != 2) return;
    const QTime shown = QTime::fromString(edits[1]->text(), "h:mm");
    edits[1]->setText(shown.addSecs(60).toString("h:mm"));
    form->OkButton()->click();
  });
}

}  // namespace vm::test
