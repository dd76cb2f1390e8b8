// The edit of one typed value in the question dialogs and the date dialog.
// Leaving it shows its text as the value reads ("10,5" in a number field of
// two decimals becomes "10.50"), so a comma typed for the point is taken
// once the field is left. Enter goes on to the next field of the same
// dialog, which leaves this one; in the last field it shows the text so and
// lets the dialog have Enter, whose OK takes it when every field is valid.
// A text edit of a width takes no more characters than that.
#pragma once

#include <QLineEdit>

#include "documents/value_edit.h"

namespace vm {

class TComEdit : public QLineEdit {
  Q_OBJECT

 public:
  TComEdit(const TValueEdit& format, const QString& text, QWidget* parent);

  const TValueEdit& Format() const { return format_; }
  // The text shown as the value reads; a change is a change of the text.
  void Normalize();

 protected:
  void focusOutEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // The next field after this one in tab order among its parent's
  // controls, or nullptr when this is the last.
  QWidget* NextField() const;

  TValueEdit format_;
};

}  // namespace vm
