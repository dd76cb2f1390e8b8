// The modeless progress window of long jobs: a message and a gauge that the
// job moves.
#pragma once

#include <QDialog>
#include <string>

class QLabel;

namespace vm {

class TGauge;

class TProgressWindow : public QDialog {
  Q_OBJECT

 public:
  explicit TProgressWindow(QWidget* parent = nullptr);

  // Message, gauge at 0 of max, caption the application's title; shown and
  // painted at once.
  void ShowMessage(const std::string& text, int max, const std::string& appTitle);
  void HideMessage();
  // Changes the message, sizes the window to it and centres it on the screen.
  void SetMessageText(const std::string& text);
  // What the job reports as it goes. The job holds the thread the window
  // lives on, so the window is painted at once rather than when the job
  // lets the events through.
  void ChangeMessage(const std::string& text);
  void SetPosition(int position);
  TGauge* Gauge() const { return gauge_; }
  QLabel* Message() const { return label_; }

 private:
  QLabel* label_;
  QLabel* image_;
  TGauge* gauge_;
};

}  // namespace vm
