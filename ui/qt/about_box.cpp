#include "ui/qt/about_box.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include "foundation/text/strutils.h"
#include "platform/encoding.h"
#include "foundation/qt/qt_text.h"

namespace vm {

namespace {

constexpr const char* kMail = "info@tamruv.example";
constexpr const char* kWeb = "http://www.tamruv.example/";

QLabel* MakeLabel(QWidget* parent, const QString& text, int x, int y) {
  auto* label = new QLabel(text, parent);
  label->move(x, y);
  label->adjustSize();
  return label;
}

}  // namespace

QUrl TAboutBox::MailLink() {
  QUrl url(QString("mailto:") + kMail);
  url.setQuery("subject=" + ToQt("Веломар"_wv));
  return url;
}

QUrl TAboutBox::WebLink() { return QUrl(kWeb); }

TAboutBox::TAboutBox(const std::string& configName, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      OpenLink([](const QUrl& url) { QDesktopServices::openUrl(url); }) {
  setWindowTitle(ToQt("О программе..."_wv));
  setFixedSize(399, 149);
  const std::string name = TrimBlanks(configName);
  title_ = MakeLabel(this, name.empty() ? ToQt("Ортевал"_wv) : ToQt(name), 16, 16);
  QFont bold = title_->font();
  bold.setBold(true);
  bold.setPixelSize(13);
  title_->setFont(bold);
  title_->adjustSize();
  MakeLabel(this, ToQt("Тамрув"_wv), 16, 40);
  MakeLabel(this, "email:", 16, 64);
  mail_ = MakeLabel(this, kMail, 64, 64);
  MakeLabel(this, "web:", 16, 84);
  web_ = MakeLabel(this, kWeb, 64, 84);
  auto* bevel = new QFrame(this);
  bevel->setFrameShape(QFrame::HLine);
  bevel->setFrameShadow(QFrame::Sunken);
  bevel->setGeometry(8, 116, 383, 2);
  auto* ok = new QPushButton("OK", this);
  auto* write = new QPushButton(ToQt("Написать письмо"_wv), this);
  auto* visit = new QPushButton(ToQt("Посетить сайт"_wv), this);
  ok->setGeometry(8, 121, 75, 24);
  write->setGeometry(150, 121, 115, 24);
  visit->setGeometry(276, 121, 115, 24);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(write, &QPushButton::clicked, this, [this] { OpenLink(MailLink()); });
  connect(visit, &QPushButton::clicked, this, [this] { OpenLink(WebLink()); });
  for (QLabel* link : {mail_, web_}) {
    link->setCursor(Qt::PointingHandCursor);
    link->setMouseTracking(true);
    link->installEventFilter(this);
  }
  setMouseTracking(true);
  installEventFilter(this);
  for (QWidget* child : findChildren<QWidget*>()) {
    child->setMouseTracking(true);
    if (child != mail_ && child != web_) child->installEventFilter(this);
  }
}

void TAboutBox::Highlight(QLabel* label, bool on) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, on ? QColor(0, 0, 255) : QColor(0, 0, 0));
  label->setPalette(palette);
  QFont font = label->font();
  font.setUnderline(on);
  label->setFont(font);
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Enter:
      Highlight(mail_, false);
      Highlight(web_, false);
      if (watched == mail_ || watched == web_) Highlight(static_cast<QLabel*>(watched), true);
      break;
    case QEvent::MouseMove:
      if (watched != mail_) Highlight(mail_, false);
      if (watched != web_) Highlight(web_, false);
      if (watched == mail_ || watched == web_) Highlight(static_cast<QLabel*>(watched), true);
      break;
    case QEvent::MouseButtonRelease:
      if (watched == mail_) OpenLink(MailLink());
      if (watched == web_) OpenLink(WebLink());
      break;
    default: break;
  }
  return QDialog::eventFilter(watched, event);
}

void ShowAboutBox(const std::string& configName, QWidget* parent) {
  TAboutBox box(configName, parent);
  box.exec();
}

}  // namespace vm
