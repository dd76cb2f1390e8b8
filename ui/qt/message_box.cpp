#include "ui/qt/message_box.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
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

// The box breaks its lines between words only: a word wider than it may
// grow (a scanner's line of 300 characters) would stretch it past the
// screen and cut it. Such a word is broken where it reaches the width, so
// the text stays whole and on the screen.
QString BreakLongWords(const QString& text, const QFontMetrics& metrics, int width) {
  QString out;
  int run = 0;
  for (const QChar ch : text) {
    if (ch.isSpace()) {
      run = 0;
    } else {
      const int advance = metrics.horizontalAdvance(ch);
      if (run > 0 && run + advance > width) {
        out += QLatin1Char('\n');
        run = 0;
      }
      run += advance;
    }
    out += ch;
  }
  return out;
}

// The width the box lets its text take before it wraps: half the screen,
// at most 500 pixels.
int TextWidthLimit(const QWidget& box) {
  const QScreen* screen = box.screen() ? box.screen() : QGuiApplication::primaryScreen();
  const int screenWidth = screen ? screen->availableGeometry().width() : 800;
  return std::min(screenWidth / 2, 500);
}

}  // namespace

int32_t ShowMessageBox(QWidget* parent, const std::string& text, const std::string& caption,
                       uint32_t flags) {
  QMessageBox box(IconOf(flags), ToQt(caption), QString(), QMessageBox::NoButton, parent);
  box.setTextFormat(Qt::PlainText);
  box.setText(BreakLongWords(ToQt(text), box.fontMetrics(), TextWidthLimit(box)));
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
