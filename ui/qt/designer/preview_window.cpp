#include <QDialog>
#include <QGuiApplication>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "config/price_tags.h"
#include "config/registries.h"
#include "documents/designer/designer.h"
#include "platform/encoding.h"
#include "ui/qt/designer/designer_dialogs.h"
#include "foundation/qt/qt_canvas.h"
#include "foundation/qt/qt_text.h"
#include "models/table_render.h"
#include "ui/qt/window_rules.h"

namespace vm {

namespace {

// The form's header drawn at the preview's zoom.
class TMyPaintBox : public QWidget {
 public:
  TMyPaintBox(TCurBlank& blank, const TAutoList& params, double zoom, QWidget* parent)
      : QWidget(parent), blank_(blank), params_(params), zoom_(zoom) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    TQtCanvas canvas(painter, logicalDpiX());
    // The header is drawn in the configured font, as the book and
    // document windows draw it, not in the painter's.
    canvas.SetFontName(TableFontName());
    const double perTenth = logicalDpiX() / 254.0;
    const int32_t l = blank_.LineWidth;
    const int32_t m = l + 6;
    const int32_t bottom = static_cast<int32_t>(height() / (perTenth * zoom_)) - 2 * m - 1;
    blank_.CalcLayout(canvas, &params_, zoom_);
    blank_.DrawHeader(canvas, l, m, bottom, zoom_, &params_);
  }

 private:
  TCurBlank& blank_;
  const TAutoList& params_;
  double zoom_;
};

}  // namespace

void ShowBlankPreview(TCurBlank& blank, const TAutoList& params, QWidget* parent) {
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  QDialog dialog(parent);
  const TPreviewGeometry g =
      PreviewGeometry(screen.width(), screen.height(), dialog.logicalDpiX(), blank.TotalWidth);
  dialog.setWindowTitle(ToQt(g.Caption));
  auto* layout = new QVBoxLayout(&dialog);
  layout->setContentsMargins(4, 4, 4, 4);
  auto* box = new TMyPaintBox(blank, params, g.Zoom, &dialog);
  box->setMinimumWidth(g.Width - 8);
  layout->addWidget(box, 1);
  auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
  layout->addWidget(ok, 0, Qt::AlignHCenter);
  QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
  dialog.resize(g.Width, g.Height);
  dialog.move(screen.left() + (screen.width() - g.Width) / 2, screen.top() + 10);
  KeepOwnPlace(dialog);
  dialog.exec();
}

}  // namespace vm
