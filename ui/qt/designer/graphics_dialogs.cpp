#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "config/data_dir.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "ui/qt/designer/checked_dialog.h"
#include "ui/qt/designer/designer_dialogs.h"
#include "foundation/qt/qt_text.h"
#include "ui/qt/file_dialog.h"
#include "ui/qt/window_rules.h"

namespace vm {

namespace {

QColor ToColor(int32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
int32_t FromColor(const QColor& c) { return c.red() | (c.green() << 8) | (c.blue() << 16); }

// A colour sample with its button; the button opens the colour dialog on
// the sample's colour.
class TColorSample {
 public:
  TColorSample(QGridLayout* grid, int row, const std::string& caption, const std::string& button,
               int32_t color, QWidget* parent)
      : label_(new QLabel(ToQt(caption), parent)), sample_(new QLabel(parent)),
        button_(new QPushButton(ToQt(button), parent)), color_(color) {
    sample_->setFixedSize(40, 20);
    sample_->setAutoFillBackground(true);
    Paint();
    grid->addWidget(label_, row, 0);
    grid->addWidget(sample_, row, 1);
    grid->addWidget(button_, row, 2);
    QObject::connect(button_, &QPushButton::clicked, parent, [this, parent] {
      const QColor c = QColorDialog::getColor(ToColor(color_), parent);
      if (!c.isValid()) return;
      color_ = FromColor(c);
      Paint();
    });
  }
  int32_t Color() const { return color_; }
  void SetVisible(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{label_, sample_, button_}) w->setVisible(on);
  }

 private:
  void Paint() {
    QPalette p = sample_->palette();
    p.setColor(QPalette::Window, ToColor(color_));
    sample_->setPalette(p);
  }
  QLabel* label_;
  QLabel* sample_;
  QPushButton* button_;
  int32_t color_;
};

QSpinBox* AddSpin(QGridLayout* grid, int row, const std::string& caption, int low, int high, int value,
                  QWidget* parent) {
  grid->addWidget(new QLabel(ToQt(caption), parent), row, 0);
  auto* spin = new QSpinBox(parent);
  spin->setRange(low, high);
  spin->setValue(value);
  grid->addWidget(spin, row, 1);
  return spin;
}

}  // namespace

bool ShowGraphObjectDialog(TGraphObject& object, QWidget* parent) {
  QDialog dialog(parent);
  dialog.setWindowTitle(ToQt("Графический объект"_w));
  auto* layout = new QVBoxLayout(&dialog);
  auto* grid = new QGridLayout;
  layout->addLayout(grid);
  grid->addWidget(new QLabel(ToQt("Вид объекта:"_w), &dialog), 0, 0);
  auto* kind = new QComboBox(&dialog);
  for (const std::string& name : GraphKindNames()) kind->addItem(ToQt(name));
  kind->setCurrentIndex(GraphKindNumber(object.Kind));
  grid->addWidget(kind, 0, 1, 1, 2);
  QSpinBox* x = AddSpin(grid, 1, "X (мм/10):"_w, 0, 100000, object.X, &dialog);
  QSpinBox* y = AddSpin(grid, 2, "Y (мм/10):"_w, 0, 100000, object.Y, &dialog);
  QSpinBox* w = AddSpin(grid, 3, "Шир.(мм/10):"_w, 1, 10000, object.Width, &dialog);
  QSpinBox* h = AddSpin(grid, 4, "Выс.(мм/10):"_w, 1, 10000, object.Height, &dialog);
  auto* lineLabel = new QLabel(ToQt("Толщина линии (мм/10):"_w), &dialog);
  auto* line = new QSpinBox(&dialog);
  line->setRange(0, 99);
  line->setValue(object.LineWidth);
  grid->addWidget(lineLabel, 5, 0);
  grid->addWidget(line, 5, 1);
  TColorSample lineColor(grid, 6, "Цвет линии:"_w, "Выбрать"_w, object.Color, &dialog);
  TColorSample fillColor(grid, 7, "Цвет фигуры:"_w, "Выбрать"_w, object.FillColor, &dialog);
  auto* fileLabel = new QLabel(ToQt("Файл:"_w), &dialog);
  auto* file = new QLineEdit(ToQt(object.FileName), &dialog);
  auto* browse = new QPushButton(ToQt("Обзор"_w), &dialog);
  grid->addWidget(fileLabel, 8, 0);
  grid->addWidget(file, 8, 1);
  grid->addWidget(browse, 8, 2);
  auto* replace = new QCheckBox(ToQt("Подменить фон"_w), &dialog);
  replace->setChecked(object.IsTransparent());
  auto* automatic = new QCheckBox(ToQt("Автоматически"_w), &dialog);
  automatic->setChecked(object.TakesTransparentColor());
  grid->addWidget(replace, 9, 0);
  grid->addWidget(automatic, 9, 1);
  TColorSample background(grid, 10, "Фон:"_w, "Цвет фона"_w, object.TransparentColor, &dialog);
  AddOkCancel(*layout, dialog);
  MakeSmallDialog(dialog);

  const auto arrange = [&] {
    const bool picture = GraphKindFromNumber(kind->currentIndex()) == TGraphKind::Picture;
    for (QWidget* c : std::initializer_list<QWidget*>{fileLabel, file, browse, replace, automatic})
      c->setVisible(picture);
    lineLabel->setVisible(!picture);
    line->setVisible(!picture);
    lineColor.SetVisible(!picture);
    fillColor.SetVisible(!picture);
    automatic->setEnabled(replace->isChecked());
    background.SetVisible(picture && replace->isChecked() && !automatic->isChecked());
  };
  arrange();
  QObject::connect(kind, &QComboBox::currentIndexChanged, &dialog, arrange);
  QObject::connect(replace, &QCheckBox::clicked, &dialog, arrange);
  QObject::connect(automatic, &QCheckBox::clicked, &dialog, arrange);
  QObject::connect(browse, &QPushButton::clicked, &dialog, [&] {
    // The pictures of a configuration lie with its data: the dialog opens
    // there, on the picture named so far when it exists.
    const QFileInfo named(ToQt(ResolvePathCase(PicturePath(FromQt(file->text()), DataDir()))));
    const bool shown = !file->text().isEmpty() && named.isFile();
    QFileDialog chooser(&dialog, QString(), shown ? named.absolutePath() : ToQt(NativePath(DataDir())),
                        ToQt("Файлы рисунков (*.bmp *.BMP);;Все файлы (*)"_w));
    chooser.setFileMode(QFileDialog::ExistingFile);
    PrepareFileDialog(chooser);
    if (shown) chooser.selectFile(named.absoluteFilePath());
    if (chooser.exec() == QDialog::Accepted && !chooser.selectedFiles().isEmpty())
      file->setText(ToQt(PictureNameToKeep(FromQt(chooser.selectedFiles().front()), DataDir())));
  });
  if (dialog.exec() != QDialog::Accepted) return false;
  object.Kind = GraphKindFromNumber(kind->currentIndex());
  object.LineWidth = line->value();
  object.Color = lineColor.Color();
  object.FillColor = fillColor.Color();
  object.X = x->value();
  object.Y = y->value();
  object.Width = w->value();
  object.Height = h->value();
  object.Transparent = replace->isChecked() ? 1 : 0;
  object.TransparentColor = background.Color();
  object.SetTakesTransparentColor(automatic->isChecked());
  object.FileName = FromQt(file->text());
  return true;
}

bool ShowGraphObjects(TGraphicsEditor& editor, QWidget* parent) {
  QDialog dialog(parent);
  dialog.setWindowTitle(ToQt("Графические объекты"_w));
  auto* layout = new QVBoxLayout(&dialog);
  auto* grid = new QGridLayout;
  layout->addLayout(grid);
  grid->addWidget(new QLabel(ToQt("Номер объекта:"_w), &dialog), 0, 0);
  auto* number = new QSpinBox(&dialog);
  grid->addWidget(number, 0, 1);
  grid->addWidget(new QLabel(ToQt("Вид объекта:"_w), &dialog), 1, 0);
  auto* kindName = new QLabel(&dialog);
  grid->addWidget(kindName, 1, 1);
  auto* bar = new QHBoxLayout;
  auto* add = new QPushButton(ToQt("Добавить"_w), &dialog);
  auto* remove = new QPushButton(ToQt("Удалить"_w), &dialog);
  auto* change = new QPushButton(ToQt("Изменить"_w), &dialog);
  for (QPushButton* b : {add, remove, change}) bar->addWidget(b);
  layout->addLayout(bar);
  AddOkCancel(*layout, dialog);
  MakeSmallDialog(dialog);

  bool filling = false;
  const auto update = [&] {
    filling = true;
    const int count = static_cast<int>(editor.List.size());
    number->setRange(count > 0 ? 1 : 0, count);
    number->setValue(editor.Number());
    number->setEnabled(editor.NumberEnabled());
    remove->setEnabled(editor.CanDelete());
    change->setEnabled(editor.CanDelete());
    kindName->setText(ToQt(editor.KindName()));
    filling = false;
  };
  update();
  QObject::connect(number, &QSpinBox::textChanged, &dialog, [&](const QString& text) {
    if (filling) return;
    editor.SelectNumberText(FromQt(text));
    update();
  });
  QObject::connect(add, &QPushButton::clicked, &dialog, [&] {
    TGraphObject* object = editor.BeginAdd();
    editor.EndAdd(ShowGraphObjectDialog(*object, &dialog));
    update();
  });
  QObject::connect(remove, &QPushButton::clicked, &dialog, [&] {
    editor.Delete();
    update();
  });
  QObject::connect(change, &QPushButton::clicked, &dialog, [&] {
    if (TGraphObject* object = editor.Current()) ShowGraphObjectDialog(*object, &dialog);
    update();
  });
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace vm
