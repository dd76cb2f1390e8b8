// The confirmation of the working date and time in the date dialog.
#include <QApplication>
#include <QFont>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <cmath>

#include "documents/date_confirm.h"
#include "documents/value_edit.h"
#include "foundation/values/dates.h"
#include "platform/encoding.h"
#include "models/main_state.h"
#include "ui/qt/com_edit.h"
#include "ui/qt/date_dialog.h"
#include "ui/qt/qt_services.h"
#include "foundation/qt/qt_text.h"

namespace vm {

namespace {

class TQtDateTimeDialog : public TDateTimeDialog {
 public:
  explicit TQtDateTimeDialog(QWidget *parent) : parent_(parent) {}

  bool Show(TDateTimeEntry &entry, const std::function<bool(const TDateTimeEntry &)> &accept,
            const std::function<std::string(const TDateTimeEntry &)> &hint) override {
    TDateDialog form(parent_);
    auto *grid = new QGridLayout(form.Fields());
    QLineEdit *edits[2];
    const auto typed = [&edits] {
      return TDateTimeEntry{FromQt(edits[0]->text()), FromQt(edits[1]->text())};
    };
    auto *why = new QLabel(form.Fields());
    why->setObjectName(QStringLiteral("hint"));
    why->setWordWrap(true);
    const std::string labels[2] = {"Дата:"_w, "Время:"_w};
    const std::string texts[2] = {entry.Date, entry.Time};
    for (int i = 0; i < 2; ++i) {
      auto *label = new QLabel(ToQt(labels[i]), form.Fields());
      QFont bold = label->font();
      bold.setBold(true);
      label->setFont(bold);
      const TValueEdit format{i == 0 ? 'D' : 'T'};
      edits[i] = new TComEdit(format, ToQt(texts[i]), form.Fields());
      edits[i]->setMaxLength(format.DialogLength());
      grid->addWidget(label, i, 0);
      grid->addWidget(edits[i], i, 1);
      QObject::connect(edits[i], &QLineEdit::textChanged, &form, [&] {
        why->setText(ToQt(hint(typed())));
        form.CheckStates();
      });
    }
    why->setText(ToQt(hint(typed())));
    grid->addWidget(why, 2, 0, 1, 2);
    form.Valid = [&] { return accept(typed()); };
    form.SystemDate = [&edits] {
      TCommonVar now;
      GetNowRec(now.Date, now.Time);
      now.Kind = 'D';
      edits[0]->setText(ToQt(TValueEdit{'D'}.Show(now)));
      now.Kind = 'T';
      edits[1]->setText(ToQt(TValueEdit{'T'}.Show(now)));
    };
    form.setWindowTitle(ToQt("Текущие дата и время"_w));
    form.adjustSize();
    if (const QScreen *screen = QApplication::primaryScreen()) {
      const QSize s = screen->size();
      form.move((s.width() - form.width()) / 2,
                (static_cast<int>(std::lround(s.height() * 0.9)) - form.height()) / 2);
    }
    const bool ok = form.exec() == 1;
    entry = typed();
    return ok;
  }

 private:
  QWidget *parent_;
};

}  // namespace

bool TQtUiServices::AskDateTime(DateTimeFields &value) {
  TDateRec date{value.Day, value.Month, value.Year};
  TTimeRec time{value.Hour, value.Minute, value.Second};
  const TProgramClock &clock = MainState().Clock;
  TQtDateTimeDialog dialog(mainWindow_);
  if (!ConfirmDateTime(date, time, clock.BaseDate(), clock.BaseTime(), dialog)) return false;
  value = DateTimeFields{date.Day, date.Month, date.Year, time.Hour, time.Minute, time.Second};
  return true;
}

}  // namespace vm
