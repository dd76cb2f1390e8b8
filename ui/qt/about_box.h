// "О программе...": the title (the configuration's name when it has one),
// the maker, and links to write to the maker and visit the maker's site.
#pragma once

#include <QDialog>
#include <QUrl>
#include <functional>
#include <string>

class QLabel;

namespace vm {

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  // configName: the value text of CONFIGNAME; blank keeps the default title.
  explicit TAboutBox(const std::string& configName, QWidget* parent = nullptr);

  static QUrl MailLink();
  static QUrl WebLink();
  QLabel* Title() const { return title_; }
  QLabel* MailLabel() const { return mail_; }
  QLabel* WebLabel() const { return web_; }
  // Opens a link through the desktop; tests replace it.
  std::function<void(const QUrl&)> OpenLink;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Highlight(QLabel* label, bool on);

  QLabel* title_;
  QLabel* mail_;
  QLabel* web_;
};

void ShowAboutBox(const std::string& configName, QWidget* parent = nullptr);

}  // namespace vm
