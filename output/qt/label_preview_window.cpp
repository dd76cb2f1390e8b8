#include "output/qt/label_preview_window.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "output/price_tag_draw.h"
#include "platform/encoding.h"
#include "foundation/qt/qt_canvas.h"
#include "foundation/qt/qt_text.h"

namespace vm {

namespace {

constexpr int kButtonWidth = 90;
constexpr int kPanel1Height = 41;

// The paint box draws the current tag over the whole of itself.
class TTagBox : public QWidget {
 public:
  TTagBox(const TLabelPreviewModel& model, QWidget* parent) : QWidget(parent), model_(model) {}
  TFittedTag Fit;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    const TPrintCenEntry* entry = model_.Current();
    if (entry == nullptr || Fit.Zoom <= 0) return;
    TQtCanvas canvas(painter);
    DrawCennik(*entry->Tag, canvas, Fit.Offset, Fit.Offset, Fit.Zoom, false);
  }

 private:
  const TLabelPreviewModel& model_;
};

}  // namespace

TPrevCenForm::TPrevCenForm(TPrintCenList& queue, QWidget* parent) : QDialog(parent), model_(queue) {
  setWindowTitle(ToQt("Предварительный просмотр ярлыков"_w));
  setMinimumSize(380, 150);
  resize(520, 420);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  panel2_ = new QWidget(this);
  panel2_->installEventFilter(this);
  box_ = new TTagBox(model_, panel2_);
  layout->addWidget(panel2_, 1);
  panel1_ = new QWidget(this);
  panel1_->setFixedHeight(kPanel1Height);
  panel1_->installEventFilter(this);
  layout->addWidget(panel1_);
  const std::string names[] = {"Печать"_w, "Отмена"_w, "Предыдущий"_w, "Следующий"_w};
  for (int i = 0; i < 4; ++i) {
    buttons_[i] = new QPushButton(ToQt(names[i]), panel1_);
    buttons_[i]->resize(kButtonWidth, 25);
    buttons_[i]->move(0, 8);
  }
  buttons_[0]->setDefault(true);
  connect(buttons_[0], &QPushButton::clicked, this, &QDialog::accept);
  connect(buttons_[1], &QPushButton::clicked, this, &QDialog::reject);
  connect(buttons_[2], &QPushButton::clicked, this, [this] {
    model_.Previous();
    Redraw();
    UpdateState();
  });
  connect(buttons_[3], &QPushButton::clicked, this, [this] {
    model_.Next();
    Redraw();
    UpdateState();
  });
  status_ = new QStatusBar(this);
  position_ = new QLabel(status_);
  position_->setMinimumWidth(80);
  copies_ = new QLabel(status_);
  status_->addWidget(position_);
  status_->addWidget(copies_, 1);
  layout->addWidget(status_);
}

void TPrevCenForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  model_.Start();
  Redraw();
  UpdateState();
  SpaceButtons();
}

bool TPrevCenForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize) {
    if (watched == panel2_) Redraw();
    if (watched == panel1_) SpaceButtons();
  }
  return QDialog::eventFilter(watched, event);
}

void TPrevCenForm::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowStateChange) status_->setSizeGripEnabled(!isMaximized());
  QDialog::changeEvent(event);
}

void TPrevCenForm::Redraw() {
  auto* box = static_cast<TTagBox*>(box_);
  const TPrintCenEntry* entry = model_.Current();
  if (entry == nullptr) {
    box->hide();
    return;
  }
  box->Fit = FitCennik(*entry->Tag, box->logicalDpiX(), panel2_->width(), panel2_->height());
  box->setGeometry(box->Fit.Left, box->Fit.Top, box->Fit.Width, box->Fit.Height);
  box->show();
  box->update();
}

void TPrevCenForm::UpdateState() {
  PreviousButton()->setEnabled(model_.CanGoBack());
  NextButton()->setEnabled(model_.CanGoOn());
  position_->setText(ToQt(model_.PositionText()));
  copies_->setText(ToQt(model_.CopiesText()));
}

void TPrevCenForm::SpaceButtons() {
  int sum = 0;
  for (QPushButton* b : buttons_) sum += b->width();
  const int gap = (panel1_->width() - sum) / 5;
  int left = gap;
  for (QPushButton* b : buttons_) {
    b->move(left, b->y());
    left += b->width() + gap;
  }
}

bool RunLabelPreview(TPrintCenList& queue) {
  if (queue.Count() == 0) return false;
  TPrevCenForm form(queue, QApplication::activeWindow());
  return form.exec() == QDialog::Accepted;
}

}  // namespace vm
