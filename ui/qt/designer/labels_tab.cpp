#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <cmath>

#include "config/page_format.h"
#include "output/label_print.h"
#include "output/price_tag_draw.h"
#include "platform/encoding.h"
#include "ui/qt/designer/designer_dialogs.h"
#include "ui/qt/designer/designer_tabs.h"
#include "foundation/qt/qt_canvas.h"
#include "foundation/qt/qt_text.h"

namespace vm {

void TTagPreview::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  const TCennik* tag = page_.CurrentTag();
  if (!tag || Fit.Zoom <= 0) return;
  TQtCanvas canvas(painter);
  DrawCennik(*tag, canvas, Fit.Offset, Fit.Offset, Fit.Zoom, Borders);
}

void TTagPreview::mousePressEvent(QMouseEvent* event) {
  if (!page_.CurrentTag() || Fit.Zoom <= 0) return;
  const long double scale = logicalDpiX() / 254.0L * Fit.Zoom;
  const QPoint at = event->position().toPoint();
  page_.ClickTag(static_cast<int32_t>(std::lround((at.x() - Fit.Offset) / scale)),
                 static_cast<int32_t>(std::lround((at.y() - Fit.Offset) / scale)));
  tab_.ShowZone();
}

QSpinBox* TLabelsTab::AddSpin(QGridLayout* grid, int row, int column, const std::string& caption,
                              int low, int high, TCenSpin spin) {
  grid->addWidget(new QLabel(ToQt(caption), this), row, column);
  auto* box = new QSpinBox(this);
  box->setRange(low, high);
  grid->addWidget(box, row, column + 1);
  connect(box, &QSpinBox::textChanged, this, [this, spin](const QString& text) {
    if (filling_) return;
    page_.ApplyCenSpin(spin, FromQt(text));
    Redraw();
  });
  return box;
}

TLabelsTab::TLabelsTab(TDesigner& designer, QWidget* parent)
    : TDesignerTabBase(designer, parent), page_(designer.LabelsPage) {
  auto* layout = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  auto* tagGrid = new QGridLayout;
  tagGrid->addWidget(new QLabel(ToQt("Номер ярлыка:"_w), this), 0, 0);
  TagNumber = new QSpinBox(this);
  tagGrid->addWidget(TagNumber, 0, 1);
  AddTag = new QPushButton(ToQt("Добавить"_w), this);
  DeleteTag = new QPushButton(ToQt("Удалить"_w), this);
  tagGrid->addWidget(AddTag, 0, 2);
  tagGrid->addWidget(DeleteTag, 0, 3);
  TagHeight = AddSpin(tagGrid, 1, 0, "Высота (мм/10):"_w, 1, 10000, TCenSpin::Height);
  TagWidth = AddSpin(tagGrid, 2, 0, "Ширина (мм/10):"_w, 1, 10000, TCenSpin::Width);
  Border = AddSpin(tagGrid, 3, 0, "Толщ. рамки(мм/10):"_w, 0, 99, TCenSpin::Border);
  Print = new QPushButton(ToQt("Печать"_w), this);
  tagGrid->addWidget(Print, 1, 2, 1, 2);
  Graphics = new QPushButton(ToQt("Графика"_w), this);
  tagGrid->addWidget(Graphics, 2, 2, 1, 2);
  left->addLayout(tagGrid);

  auto* zones = new QGroupBox(ToQt(" Параметры зон "_w), this);
  auto* zoneGrid = new QGridLayout(zones);
  zoneGrid->addWidget(new QLabel(ToQt("Текущая зона:"_w), zones), 0, 0);
  ZoneNumber = new QSpinBox(zones);
  zoneGrid->addWidget(ZoneNumber, 0, 1);
  ZoneX = AddSpin(zoneGrid, 1, 0, "X (мм/10):"_w, 0, 10000, TCenSpin::ZoneX);
  ZoneY = AddSpin(zoneGrid, 1, 2, "Y (мм/10):"_w, 0, 10000, TCenSpin::ZoneY);
  ZoneWidth = AddSpin(zoneGrid, 2, 0, "Шир.(мм/10):"_w, 0, 10000, TCenSpin::ZoneWidth);
  ZoneHeight = AddSpin(zoneGrid, 2, 2, "Выс.(мм/10):"_w, 0, 10000, TCenSpin::ZoneHeight);
  zoneGrid->addWidget(new QLabel(ToQt("Текст"_w), zones), 3, 0);
  Sample = new QLabel(zones);
  Sample->setMinimumHeight(40);
  Sample->setAlignment(Qt::AlignCenter);
  Sample->setAutoFillBackground(true);
  zoneGrid->addWidget(Sample, 3, 1, 1, 3);
  EditText = new QPushButton(ToQt("Изменить текст"_w), zones);
  zoneGrid->addWidget(EditText, 5, 0, 1, 2);
  AddZone = new QPushButton(ToQt("Добавить зону"_w), zones);
  DeleteZone = new QPushButton(ToQt("Удалить зону"_w), zones);
  zoneGrid->addWidget(AddZone, 4, 0, 1, 2);
  zoneGrid->addWidget(DeleteZone, 4, 2, 1, 2);
  left->addWidget(zones);
  left->addStretch(1);
  layout->addLayout(left, 2);

  auto* previewBox = new QGroupBox(ToQt(" Просмотр "_w), this);
  auto* previewLayout = new QVBoxLayout(previewBox);
  PreviewPanel = new QWidget(previewBox);
  PreviewPanel->installEventFilter(this);
  Preview = new TTagPreview(page_, *this, PreviewPanel);
  previewLayout->addWidget(PreviewPanel, 1);
  ShowBorders = new QCheckBox(ToQt("Показывать границы зон"_w), previewBox);
  ShowBorders->setChecked(true);
  previewLayout->addWidget(ShowBorders);
  layout->addWidget(previewBox, 3);

  connect(TagNumber, &QSpinBox::textChanged, this, [this](const QString& text) {
    if (filling_) return;
    page_.SelectTagText(FromQt(text));
    ShowTag();
  });
  connect(ZoneNumber, &QSpinBox::textChanged, this, [this](const QString& text) {
    if (filling_) return;
    page_.SelectZoneText(FromQt(text));
    ShowZone();
  });
  connect(AddTag, &QPushButton::clicked, this, [this] {
    page_.AddTag();
    ShowTag();
  });
  connect(DeleteTag, &QPushButton::clicked, this, [this] {
    if (page_.DeleteTag()) ShowTag();
  });
  connect(AddZone, &QPushButton::clicked, this, [this] {
    page_.AddZone();
    ShowTag();
  });
  connect(DeleteZone, &QPushButton::clicked, this, [this] {
    if (page_.DeleteZone()) ShowTag();
  });
  connect(EditText, &QPushButton::clicked, this, [this] {
    TZoneDialogValues values = page_.ZoneDialog();
    if (ShowZoneTextDialog("Зона №"_w + std::to_string(page_.CurrentZoneIndex() + 1), values, this))
      page_.StoreZoneDialog(values);
    ShowZone();
  });
  connect(Graphics, &QPushButton::clicked, this, [this] {
    TGraphicsEditor editor;
    page_.StartGraphics(editor);
    if (ShowGraphObjects(editor, this)) page_.TakeGraphics(editor);
    Redraw();
  });
  connect(ShowBorders, &QCheckBox::toggled, this, [this](bool on) {
    Preview->Borders = on;
    Redraw();
  });
  connect(Print, &QPushButton::clicked, this, [this] {
    const TCennik* tag = page_.CurrentTag();
    int32_t cols = 0, rows = 0;
    TPrintCenList& queue = PrintCenList();
    queue.Clear();
    TPageFormat page;
    if (!tag || !SetupLabelPage(*tag, cols, rows, &page)) return;
    AddPrintCen(queue, *tag, cols * rows);
    window()->setEnabled(false);
    PrintLabels(queue, &page);
    window()->setEnabled(true);
    queue.Clear();
  });
}

void TLabelsTab::Refresh() { ShowTag(); }

void TLabelsTab::ShowTag() {
  filling_ = true;
  TagNumber->setRange(std::min(1, d_.PriceTags.Count()), d_.PriceTags.Count());
  TagNumber->setValue(page_.CurrentTagIndex() + 1);
  TagHeight->setValue(page_.SpinValue(TCenSpin::Height));
  TagWidth->setValue(page_.SpinValue(TCenSpin::Width));
  Border->setValue(page_.SpinValue(TCenSpin::Border));
  filling_ = false;
  ShowZone();
}

void TLabelsTab::ShowZone() {
  filling_ = true;
  const TCennik* tag = page_.CurrentTag();
  const int zones = tag ? tag->ZoneCount() : 0;
  ZoneNumber->setRange(std::min(1, zones), zones);
  ZoneNumber->setValue(page_.CurrentZoneIndex() + 1);
  const TCenZone* zone = page_.CurrentZone();
  ZoneX->setValue(page_.SpinValue(TCenSpin::ZoneX));
  ZoneY->setValue(page_.SpinValue(TCenSpin::ZoneY));
  ZoneWidth->setValue(page_.SpinValue(TCenSpin::ZoneWidth));
  ZoneHeight->setValue(page_.SpinValue(TCenSpin::ZoneHeight));
  if (zone) {
    const TZoneDialogValues values = page_.ZoneDialog();
    const QFont font = ZoneFont(values);
    Sample->setFont(font);
    QPalette palette = Sample->palette();
    const int c = zone->FontColor;
    palette.setColor(QPalette::WindowText, QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
    Sample->setPalette(palette);
    Sample->setText(ToQt(EvalCenZone(*zone)));
  } else {
    Sample->clear();
  }
  filling_ = false;
  Redraw();
  Notify();
}

void TLabelsTab::Redraw() {
  TCennik* tag = page_.TagToDraw();
  Preview->setVisible(tag != nullptr);
  if (!tag) return;
  Preview->Fit = FitCennik(*tag, Preview->logicalDpiX(), PreviewPanel->width(), PreviewPanel->height());
  Preview->setGeometry(Preview->Fit.Left, Preview->Fit.Top, Preview->Fit.Width, Preview->Fit.Height);
  Preview->update();
}

bool TLabelsTab::eventFilter(QObject* watched, QEvent* event) {
  if (watched == PreviewPanel && event->type() == QEvent::Resize) Redraw();
  return TDesignerTabBase::eventFilter(watched, event);
}

void TLabelsTab::Enable(const TDesignerEnabling& e) {
  for (QWidget* w : std::initializer_list<QWidget*>{DeleteTag, TagHeight, TagWidth, Border, Print, Graphics, AddZone})
    w->setEnabled(e.TagCommands);
  for (QWidget* w : std::initializer_list<QWidget*>{DeleteZone, EditText, ZoneX, ZoneY, ZoneWidth, ZoneHeight})
    w->setEnabled(e.ZoneCommands);
  TagNumber->setEnabled(e.TagSpin);
  ZoneNumber->setEnabled(e.ZoneSpin);
}

}  // namespace vm
