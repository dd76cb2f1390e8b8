#include "ui/qt/designer/designer_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QTabBar>
#include <QVBoxLayout>

#include "platform/encoding.h"
#include "foundation/qt/qt_text.h"

namespace vm {

TDesignerWindow::TDesignerWindow(TDesigner& designer, QWidget* parent)
    : QDialog(parent), d_(designer) {
  setWindowTitle(ToQt("Служебные настройки"_w));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
  setMinimumSize(430, 435);
  resize(980, 620);
  auto* layout = new QVBoxLayout(this);
  auto* pages = new QVBoxLayout;
  pages->setSpacing(0);
  TabRows = new TTabRows(this);
  pages->addWidget(TabRows);
  Tabs = new QTabWidget(this);
  // The rows above show the tabs; the widget's own bar would scroll them.
  Tabs->tabBar()->hide();
  pages->addWidget(Tabs, 1);
  layout->addLayout(pages, 1);
  Commands = new TCommandsTab(d_, Tabs);
  Forms = new TFormsTab(d_, Tabs);
  Bases = new TBasesTab(d_, Tabs);
  Books = new TBooksTab(d_, Tabs);
  AutoParams = new TAutoParamsTab(d_, Tabs);
  StartOfDay = new TStartOfDayTab(d_, Tabs);
  Misc = new TMiscTab(d_, Tabs);
  Archive = new TArchiveTab(d_, Tabs);
  Printing = new TPrintingTab(d_, Tabs);
  Labels = new TLabelsTab(d_, Tabs);
  tabs_ = {Commands,
           Forms,
           Bases,
           Books,
           AutoParams,
           Misc,
           StartOfDay,
           Archive,
           Labels,
           Printing};
  const char* captions[] = {"Команды",     "Формы",      "Зарегистрированные базы",
                            "Справочники", "Автопараметры", "Разное",
                            "Автозапуск",  "Архивация",  "Ярлыки",
                            "Печать"};
  for (int i = 0; i < kDesignerTabCount; ++i) {
    Tabs->addTab(tabs_[static_cast<std::size_t>(i)], ToQt(Utf8ToCp1251(captions[i])));
    TabRows->AddTab(ToQt(Utf8ToCp1251(captions[i])));
    tabs_[static_cast<std::size_t>(i)]->Changed = [this] { UpdateControls(); };
  }
  auto* bar = new QHBoxLayout;
  Ok = new QPushButton(QStringLiteral("OK"), this);
  Save = new QPushButton(ToQt("Сохранить"_w), this);
  Cancel = new QPushButton(ToQt("Отмена"_w), this);
  for (QPushButton* b : {Ok, Save, Cancel}) {
    b->setAutoDefault(false);
    bar->addStretch();
    bar->addWidget(b);
  }
  bar->addStretch();
  layout->addLayout(bar);

  connect(TabRows, &TTabRows::CurrentChanged, Tabs, &QTabWidget::setCurrentIndex);
  connect(Tabs, &QTabWidget::currentChanged, this, [this](int index) {
    TabRows->SetCurrentIndex(index);
    d_.TabChanged(static_cast<TDesignerTab>(index));
    tabs_[static_cast<std::size_t>(index)]->Refresh();
    UpdateControls();
  });
  connect(Ok, &QPushButton::clicked, this, [this] {
    if (d_.Ok()) accept();
  });
  connect(Save, &QPushButton::clicked, this, [this] {
    d_.Save();
    RefreshAll();
  });
  connect(Cancel, &QPushButton::clicked, this, [this] {
    if (d_.Cancel()) QDialog::reject();
  });
}

void TDesignerWindow::RefreshAll() {
  for (TDesignerTabBase* tab : tabs_) tab->Refresh();
  UpdateControls();
}

void TDesignerWindow::ShowDesigner() {
  d_.Show();
  {
    const QSignalBlocker block(Tabs), blockRows(TabRows);
    Tabs->setCurrentIndex(0);
    TabRows->SetCurrentIndex(0);
  }
  RefreshAll();
}

void TDesignerWindow::Run() {
  ShowDesigner();
  exec();
  d_.Hide();
}

void TDesignerWindow::UpdateControls() {
  if (updating_) return;
  updating_ = true;
  const TDesignerEnabling e = d_.Enabling();
  for (TDesignerTabBase* tab : tabs_) tab->Enable(e);
  updating_ = false;
}

void TDesignerWindow::closeEvent(QCloseEvent* event) {
  if (d_.MayClose())
    event->accept();
  else
    event->ignore();
}

void TDesignerWindow::reject() {
  // Escape and the close box do not close the window; "Отмена" asks.
  if (d_.MayClose()) QDialog::reject();
}

void TDesignerWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F5) {
    setWindowState(windowState() ^ Qt::WindowMaximized);
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace vm
