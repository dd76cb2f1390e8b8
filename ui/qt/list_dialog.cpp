#include "ui/qt/list_dialog.h"

#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "foundation/draw/canvas.h"
#include "foundation/text/strutils.h"
#include "platform/encoding.h"
#include "foundation/qt/qt_text.h"
#include "ui/qt/screen_place.h"

namespace vm {

TListDialog::TListDialog(const TListPick& pick, const std::string& preselect, QWidget* parent)
    : QDialog(parent),
      list_(new QListWidget(this)),
      panel_(new QWidget(this)),
      ok_(new QPushButton("OK", panel_)),
      cancel_(new QPushButton(ToQt("Отмена"_wv), panel_)),
      preselect_(TrimBlanks(preselect)) {
  const int ppi = logicalDpiY();
  resize(RoundEven(pick.Width * static_cast<long double>(ppi) / 254),
         RoundEven(pick.Height * static_cast<long double>(ppi) / 254));
  setWindowTitle(pick.Caption ? ToQt(*pick.Caption) : ToQt("Ошибка при вычислении!"_wv));
  for (const std::string& item : pick.Items) list_->addItem(ToQt(item));
  panel_->setFixedHeight(41);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(list_, 1);
  layout->addWidget(panel_);
  ok_->resize(75, 25);
  cancel_->resize(75, 25);
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  // Qt puts its cursor on the first item when the list takes the focus
  // without selecting it: an item counts as chosen only once selected.
  connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
    selected_ = !list_->selectedItems().isEmpty();
    UpdateOk();
  });
}

void TListDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  CentreOnScreen(*this);
  selected_ = false;
  LayOutButtons();
  if (!preselect_.empty()) {
    const QList<QListWidgetItem*> found = list_->findItems(ToQt(preselect_), Qt::MatchExactly);
    if (!found.isEmpty()) list_->setCurrentItem(found.front());
  }
  list_->setFocus();
  UpdateOk();
}

void TListDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  LayOutButtons();
}

void TListDialog::LayOutButtons() {
  const int gap = (panel_->width() - ok_->width() - cancel_->width()) / 3;
  const int top = (panel_->height() - ok_->height()) / 2;
  ok_->move(gap, top);
  cancel_->move(2 * gap + ok_->width(), top);
}

void TListDialog::UpdateOk() {
  ok_->setEnabled(selected_ && list_->count() > 0 && !list_->selectedItems().isEmpty());
}

std::string TListDialog::Chosen() const {
  const QList<QListWidgetItem*> items = list_->selectedItems();
  return items.isEmpty() ? std::string() : TrimBlanks(FromQt(items.front()->text()));
}

bool ShowListPick(const TListPick& pick, std::string& text, QWidget* parent) {
  TListDialog dialog(pick, text, parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  text = dialog.Chosen();
  return true;
}

}  // namespace vm
