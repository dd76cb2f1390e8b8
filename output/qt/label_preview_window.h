// The label preview: the queued tags one at a time, fitted to the window,
// with "Печать" and "Отмена" to decide and "Предыдущий" and "Следующий" to
// page through them.
#pragma once

#include <QDialog>

#include "output/label_preview.h"

class QLabel;
class QPushButton;
class QStatusBar;
class QWidget;

namespace vm {

class TPrevCenForm : public QDialog {
  Q_OBJECT

 public:
  TPrevCenForm(TPrintCenList& queue, QWidget* parent = nullptr);

  QPushButton* PrintButton() const { return buttons_[0]; }
  QPushButton* CancelButton() const { return buttons_[1]; }
  QPushButton* PreviousButton() const { return buttons_[2]; }
  QPushButton* NextButton() const { return buttons_[3]; }
  QLabel* PositionPanel() const { return position_; }
  QLabel* CopiesPanel() const { return copies_; }
  QWidget* PaintBox() const { return box_; }
  const TLabelPreviewModel& Model() const { return model_; }

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void Redraw();
  void UpdateState();
  void SpaceButtons();

  TLabelPreviewModel model_;
  QWidget* panel2_;
  QWidget* box_;
  QWidget* panel1_;
  QPushButton* buttons_[4];
  QStatusBar* status_;
  QLabel* position_;
  QLabel* copies_;
};

// Shows the preview modally; true when closed with "Печать".
bool RunLabelPreview(TPrintCenList& queue);

}  // namespace vm
