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
  // Changes the message, sizes the window to it (and to its title) and
  // centres it on the screen.
  void SetMessageText(const std::string& text);
  // What the job reports as it goes. The job holds the thread the window
  // lives on, so the window is painted at once rather than when the job
  // lets the events through.
  void ChangeMessage(const std::string& text);
  void SetPosition(int position);
  TGauge* Gauge() const { return gauge_; }
  QLabel* Message() const { return label_; }

  // Only the job hides the window: Esc and the title bar's close do not.
  void reject() override {}

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // Picture, message and gauge from the left edge, the gauge across the
  // window's current width.
  void LayOut();
  void Settle();

  QLabel* label_;
  QLabel* image_;
  TGauge* gauge_;
};

}  // namespace vm
