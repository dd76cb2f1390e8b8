// "Идет обработка": shown only when work lasts longer than about two
// seconds, with a running gauge and a button that asks the work to stop.
#pragma once

#include <QDialog>
#include <QTimer>
#include <functional>

namespace vm {

class TGauge;

class TBusyWindow : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kTickMs = 100;
  static constexpr int kTicksBeforeShown = 20;
  static constexpr int kGaugeMax = 50;

  // onCancel is called by the cancel button (it sets the break flag).
  explicit TBusyWindow(std::function<void()> onCancel, QWidget* parent = nullptr);

  // Tick count 0, gauge 0, timer on; the window stays hidden until enough
  // ticks have passed.
  void Start();
  void Stop();
  bool Running() const { return timer_.isActive(); }
  // One timer tick; public so that tests need not wait for the timer.
  void Tick();

  int Ticks() const { return ticks_; }
  TGauge* Gauge() const { return gauge_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::function<void()> onCancel_;
  TGauge* gauge_;
  QTimer timer_;
  int ticks_ = 0;
  int colorIndex_ = 0;
};

}  // namespace vm
