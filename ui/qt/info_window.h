// " Информация": the companion of the document window that shows a
// document's information cells on Panel(). It keeps the proportions of the
// document's information area and never closes by itself.
#pragma once

#include <QWidget>
#include <functional>

namespace vm {

class TInfoWindow : public QWidget {
  Q_OBJECT

 public:
  explicit TInfoWindow(QWidget* parent = nullptr);

  QWidget* Panel() const { return panel_; }
  // The information area of the running document, in its design size.
  void SetDesignSize(int width, int height);
  // Lays the cells out for a client width.
  std::function<void(int clientWidth)> OnLayout;
  // Brings the document window to the front and focuses it.
  std::function<void()> OnShowDocument;
  // Ctrl+H: the look-up window, as F12 in the document window.
  std::function<void()> OnShowLookup;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QWidget* panel_;
  int designWidth_ = 336;
  int designHeight_ = 263;
  bool resizing_ = false;
};

}  // namespace vm
