#include "ui/qt/message_box.h"

#include <QMessageBox>
#include <QPushButton>
#include <utility>
#include <vector>

#include "platform/encoding.h"
#include "platform/services.h"
#include "foundation/qt/qt_text.h"

namespace vm {

namespace {

QMessageBox::Icon IconOf(uint32_t flags) {
  switch (flags & 0x70) {
    case 0x10: return QMessageBox::Critical;
    case 0x20: return QMessageBox::Question;
    case 0x30: return QMessageBox::Warning;
    case 0x40: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

struct TButton {
  std::string_view Text;
  QMessageBox::ButtonRole Role;
  int32_t Id;
};

std::vector<TButton> ButtonsOf(uint32_t flags) {
  const TButton ok{"OK", QMessageBox::AcceptRole, kIdOk};
  const TButton cancel{"Отмена"_wv, QMessageBox::RejectRole, kIdCancel};
  const TButton yes{"Да"_wv, QMessageBox::YesRole, kIdYes};
  const TButton no{"Нет"_wv, QMessageBox::NoRole, kIdNo};
  switch (flags & 0x0F) {
    case 1: return {ok, cancel};
    case 3: return {yes, no, cancel};
    case 4: return {yes, no};
    default: return {ok};
  }
}

}  // namespace

int32_t ShowMessageBox(QWidget* parent, const std::string& text, const std::string& caption,
                       uint32_t flags) {
  QMessageBox box(IconOf(flags), ToQt(caption), ToQt(text), QMessageBox::NoButton, parent);
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  const std::vector<TButton> buttons = ButtonsOf(flags);
  std::vector<std::pair<QAbstractButton*, int32_t>> ids;
  for (const TButton& b : buttons) {
    QPushButton* button = box.addButton(ToQt(b.Text), b.Role);
    ids.emplace_back(button, b.Id);
    if (b.Id == kIdCancel || (buttons.size() == 1)) box.setEscapeButton(button);
  }
  size_t defaultIndex = (flags >> 8) & 0x03;
  if (defaultIndex >= ids.size()) defaultIndex = 0;
  box.setDefaultButton(static_cast<QPushButton*>(ids[defaultIndex].first));
  box.exec();
  for (const auto& [button, id] : ids)
    if (box.clickedButton() == button) return id;
  return ids[defaultIndex].second;
}

}  // namespace vm
