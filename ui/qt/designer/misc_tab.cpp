#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "foundation/text/strutils.h"
#include "devices/qt/comm_config_dialog.h"
#include "platform/encoding.h"
#include "ui/qt/designer/designer_dialogs.h"
#include "ui/qt/designer/designer_tabs.h"
#include "ui/qt/dir_select_dialog.h"
#include "foundation/qt/qt_text.h"

namespace vm {

TMiscTab::TMiscTab(TDesigner& designer, QWidget* parent)
    : TDesignerTabBase(designer, parent), page_(designer.MiscPage) {
  auto* layout = new QHBoxLayout(this);
  auto* left = new QGridLayout;
  int row = 0;
  auto addRow = [&](const std::string& caption, QWidget* w, QWidget* extra = nullptr) {
    left->addWidget(new QLabel(ToQt(caption), this), row, 0);
    left->addWidget(w, row, 1, 1, extra ? 1 : 2);
    if (extra) left->addWidget(extra, row, 2);
    ++row;
  };
  Title = new QLineEdit(this);
  addRow("Заголовок:"_w, Title);
  SystemClock = new QRadioButton(ToQt("Использовать системные часы"_w), this);
  ManualClock = new QRadioButton(ToQt("Устанавливать значение даты вручную"_w), this);
  addRow("Дата:"_w, SystemClock);
  left->addWidget(ManualClock, row++, 1, 1, 2);
  Font = new QComboBox(this);
  Font->setEditable(true);
  Font->setInsertPolicy(QComboBox::NoInsert);
  addRow("Имя шрифта:"_w, Font);
  BaseDir = new QLineEdit(this);
  Browse = new QPushButton(ToQt("Обзор"_w), this);
  addRow("Каталог баз:"_w, BaseDir, Browse);
  Network = new QCheckBox(ToQt("Сеть"_w), this);
  left->addWidget(Network, row++, 1);
  Port = new QComboBox(this);
  for (const std::string& port : TMiscPage::ScannerPorts()) Port->addItem(ToQt(port));
  PortSettings = new QPushButton(ToQt("Настройка порта"_w), this);
  addRow("Порт сканера штрихкода:"_w, Port, PortSettings);
  ClosePort = new QCheckBox(ToQt("Закрывать порт после выполнения команды"_w), this);
  left->addWidget(ClosePort, row++, 1, 1, 2);
  auto* scrollBox = new QGroupBox(ToQt(" Коэф. прокрутки "_w), this);
  Scroll = new QLineEdit(scrollBox);
  (new QVBoxLayout(scrollBox))->addWidget(Scroll);
  left->addWidget(scrollBox, row++, 0, 1, 2);
  left->setRowStretch(row, 1);
  layout->addLayout(left, 3);

  auto* passwordBox = new QGroupBox(ToQt(" Пароли "_w), this);
  auto* passwordLayout = new QVBoxLayout(passwordBox);
  Passwords = new QListWidget(passwordBox);
  for (const std::string& item : TMiscPage::PasswordItems()) Passwords->addItem(ToQt(item));
  passwordLayout->addWidget(Passwords, 1);
  ChangePassword = new QPushButton(ToQt("Изменить"_w), passwordBox);
  passwordLayout->addWidget(ChangePassword);
  layout->addWidget(passwordBox, 2);

  connect(Title, &QLineEdit::textEdited, this, [this](const QString& t) { d_.Misc.Title = FromQt(t); });
  connect(Scroll, &QLineEdit::textEdited, this,
          [this](const QString& t) { d_.Misc.ScrollText = FromQt(t); });
  connect(BaseDir, &QLineEdit::textEdited, this,
          [this](const QString& t) { d_.Misc.BaseDir = FromQt(t); });
  connect(SystemClock, &QRadioButton::toggled, this, [this](bool on) {
    if (!filling_) d_.Misc.SystemClock = on;
  });
  connect(Font, &QComboBox::editTextChanged, this, [this](const QString& text) {
    if (filling_) return;
    const int32_t found = page_.SetFontText(FromQt(text));
    if (found < 0) return;
    filling_ = true;
    Font->setCurrentIndex(found);
    Font->setEditText(Font->itemText(found));
    filling_ = false;
  });
  connect(Browse, &QPushButton::clicked, this, [this] {
    std::string dir = TrimBlanks(FromQt(BaseDir->text()));
    if (!ShowDirSelect(dir, "Каталог баз"_w, this)) return;
    page_.ChooseBaseDir(dir);
    BaseDir->setText(ToQt(dir));
  });
  connect(Network, &QCheckBox::clicked, this, [this](bool on) { page_.ClickNetwork(on); });
  connect(Port, &QComboBox::activated, this, [this](int index) { page_.StoreScannerPort(index); });
  connect(PortSettings, &QPushButton::clicked, this, [this] {
    TPortConfig config = page_.ScannerConfigForEdit();
    if (ShowCommConfigDialog(this, page_.ScannerPortName(), config)) page_.SetScannerConfig(config);
  });
  connect(ClosePort, &QCheckBox::clicked, this,
          [this](bool on) { page_.SetCloseAfterCommand(on); });
  connect(Passwords, &QListWidget::currentRowChanged, this,
          [this](int row) { ChangePassword->setEnabled(row >= 0); });
  connect(ChangePassword, &QPushButton::clicked, this, [this] {
    const int row = Passwords->currentRow();
    std::string password;
    if (row >= 0 && ShowPasswordDialog(FromQt(Passwords->item(row)->text()), password, this))
      page_.SetPassword(row + 1, password);
  });
}

void TMiscTab::Refresh() {
  filling_ = true;
  const TDesignerMisc& m = d_.Misc;
  Title->setText(ToQt(m.Title));
  (m.SystemClock ? SystemClock : ManualClock)->setChecked(true);
  Font->clear();
  for (const std::string& name : d_.Fonts) Font->addItem(ToQt(name));
  Font->setEditText(ToQt(m.FontName));
  BaseDir->setText(ToQt(m.BaseDir));
  Network->setChecked(m.Network);
  Port->setCurrentIndex(page_.ScannerPortIndex());
  ClosePort->setChecked(page_.CloseAfterCommand());
  Scroll->setText(ToQt(m.ScrollText));
  ChangePassword->setEnabled(Passwords->currentRow() >= 0);
  filling_ = false;
}

}  // namespace vm
