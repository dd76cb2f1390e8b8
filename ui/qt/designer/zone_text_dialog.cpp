#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "config/price_tags.h"
#include "platform/encoding.h"
#include "ui/qt/designer/checked_dialog.h"
#include "ui/qt/designer/designer_dialogs.h"
#include "foundation/qt/qt_text.h"
#include "ui/qt/window_rules.h"

namespace vm {

namespace {

// Radio buttons in a group, numbered from 0 as the stored value counts.
QButtonGroup* AddChoices(QBoxLayout* layout, QWidget* parent, std::initializer_list<const char*> names,
                         int checked) {
  auto* group = new QButtonGroup(parent);
  int id = 0;
  for (const char* name : names) {
    auto* button = new QRadioButton(ToQt(Utf8ToCp1251(name)), parent);
    layout->addWidget(button);
    group->addButton(button, id++);
  }
  group->button(checked)->setChecked(true);
  return group;
}

// The family the dialog opened on stands for the zone's own name, which
// may be one the system only substitutes.
void StoreFont(const QFont& font, const QFont& opened, TZoneDialogValues& v) {
  if (font.family() != opened.family()) v.FontName = FromQt(font.family());
  v.FontSize = ZoneFontSize(font.pointSize());
  v.FontStyle = static_cast<uint8_t>((font.bold() ? kFsBold : 0) | (font.italic() ? kFsItalic : 0) |
                                     (font.underline() ? kFsUnderline : 0) |
                                     (font.strikeOut() ? kFsStrikeOut : 0));
}

}  // namespace

QFont ZoneFont(const TZoneDialogValues& v) {
  QFont font(ToQt(v.FontName));
  font.setPointSize(std::max(1, ZoneFontPoints(v.FontSize)));
  font.setBold(v.FontStyle & kFsBold);
  font.setItalic(v.FontStyle & kFsItalic);
  font.setUnderline(v.FontStyle & kFsUnderline);
  font.setStrikeOut(v.FontStyle & kFsStrikeOut);
  return font;
}

QFont ZoneDialogFont(const TZoneDialogValues& v) {
  QFont font = ZoneFont(v);
  // The dialog picks its style by name, and a name it does not list (the
  // weight and slant spelt out) lands on whichever face comes first: the
  // face the system matches for the zone is named instead.
  const QFontInfo face(font);
  font.setFamily(face.family());
  font.setStyleName(face.styleName());
  return font;
}

bool ShowZoneTextDialog(const std::string& caption, TZoneDialogValues& v, QWidget* parent) {
  QDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("TEdCenTxt"));
  dialog.setWindowTitle(ToQt(caption));
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(ToQt("Выражение просмотра:"_w), &dialog));
  auto* text = new QLineEdit(ToQt(v.Text), &dialog);
  layout->addWidget(text);
  layout->addWidget(new QLabel(ToQt("Напечатаемые символы:"_w), &dialog));
  auto* drop = new QLineEdit(ToQt(v.NonPrintChars), &dialog);
  layout->addWidget(drop);
  auto* onlyFirst = new QCheckBox(ToQt("Только первый символ"_w), &dialog);
  onlyFirst->setChecked(v.OnlyFirst);
  layout->addWidget(onlyFirst);
  auto* barcode = new QCheckBox(ToQt("Штрихкод"_w), &dialog);
  barcode->setChecked(v.Barcode);
  layout->addWidget(barcode);
  auto* barLabel = new QLabel(ToQt("Шир. штриха (мм/100):"_w), &dialog);
  auto* bar = new QLineEdit(ToQt(v.BarWidth), &dialog);
  layout->addWidget(barLabel);
  layout->addWidget(bar);
  auto* fontButton = new QPushButton(ToQt("Шрифт"_w), &dialog);
  layout->addWidget(fontButton);
  auto* choices = new QHBoxLayout;
  auto* caseBox = new QGroupBox(&dialog);
  auto* caseLayout = new QVBoxLayout(caseBox);
  QButtonGroup* letterCase = AddChoices(
      caseLayout, caseBox, {"Все буквы прописные", "Все буквы строчные", "Без изменений"}, v.LetterCase);
  auto* alignBox = new QGroupBox(ToQt(" Выравнивание "_w), &dialog);
  auto* alignLayout = new QVBoxLayout(alignBox);
  QButtonGroup* alignment = AddChoices(
      alignLayout, alignBox, {"По левому краю", "По центру", "По правому краю"}, v.Alignment);
  choices->addWidget(caseBox);
  choices->addWidget(alignBox);
  layout->addLayout(choices);
  AddOkCancel(*layout, dialog);

  const auto showBar = [=] {
    barLabel->setVisible(barcode->isChecked());
    bar->setVisible(barcode->isChecked());
  };
  showBar();
  QObject::connect(barcode, &QCheckBox::toggled, &dialog, showBar);
  QObject::connect(fontButton, &QPushButton::clicked, &dialog, [&] {
    bool chosen = false;
    const QFont opened = ZoneDialogFont(v);
    const QFont font =
        QFontDialog::getFont(&chosen, opened, &dialog, ToQt("Шрифт"_w), QFontDialog::ScalableFonts);
    if (!chosen) return;
    StoreFont(font, opened, v);
    const QColor colour = QColorDialog::getColor(
        QColor(v.FontColor & 0xFF, (v.FontColor >> 8) & 0xFF, (v.FontColor >> 16) & 0xFF), &dialog,
        ToQt("Цвет"_w));
    if (colour.isValid()) v.FontColor = colour.red() | (colour.green() << 8) | (colour.blue() << 16);
  });
  MakeSmallDialog(dialog);
  if (dialog.exec() != QDialog::Accepted) return false;
  v.Text = FromQt(text->text());
  v.NonPrintChars = FromQt(drop->text());
  v.OnlyFirst = onlyFirst->isChecked();
  v.Barcode = barcode->isChecked();
  v.BarWidth = FromQt(bar->text());
  v.LetterCase = letterCase->checkedId();
  v.Alignment = alignment->checkedId();
  return true;
}

}  // namespace vm
