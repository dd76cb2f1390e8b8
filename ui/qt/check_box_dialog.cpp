#include "ui/qt/check_box_dialog.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QPushButton>
#include <algorithm>

#include "language/check_boxes.h"
#include "platform/encoding.h"
#include "foundation/qt/font_families.h"
#include "foundation/qt/qt_text.h"

namespace vm {

TCheckBoxDialog::TCheckBoxDialog(const std::string& caption, const std::vector<std::string>& items,
                                 uint32_t mask, int columns, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setWindowTitle(ToQt(caption));
  setFont(FontForFamily("MS Sans Serif", 11));
  const QFontMetrics metrics(font());
  int width = 0, height = 0;
  for (const std::string& item : items) {
    const QString text = ToQt(item);
    width = std::max(width, metrics.horizontalAdvance(text));
    height = std::max(height, metrics.height());
  }
  auto* ok = new QPushButton("OK", this);
  auto* cancel = new QPushButton(ToQt("Отмена"_wv), this);
  ok->resize(75, 25);
  cancel->resize(75, 25);
  const int count = std::min(static_cast<int>(items.size()), kMaxCheckBoxes);
  const TCheckBoxLayout layout =
      LayOutCheckBoxes(count, columns, width + 30, height + 6, ok->width(), ok->height());
  for (int i = 0; i < count; ++i) {
    auto* box = new QCheckBox(ToQt(items[static_cast<size_t>(i)]), this);
    box->setGeometry(layout.Boxes[static_cast<size_t>(i)].Left,
                     layout.Boxes[static_cast<size_t>(i)].Top, width + 30, height + 6);
    box->setChecked((mask >> i) & 1U);
    boxes_.push_back(box);
  }
  ok->move(layout.Button1Left, layout.ButtonTop);
  cancel->move(layout.Button2Left, layout.ButtonTop);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  setFixedSize(layout.ClientWidth, layout.ClientHeight);
}

uint32_t TCheckBoxDialog::Checked() const {
  uint32_t result = 0;
  for (size_t i = 0; i < boxes_.size(); ++i)
    if (boxes_[i]->isChecked()) result |= 1U << i;
  return result;
}

}  // namespace vm
