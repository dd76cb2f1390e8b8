#include "ui/qt/main_window.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/encoding.h"
#include "platform/services.h"
#include "ui/qt/about_box.h"
#include "ui/qt/qt_text.h"

namespace vm {

TMyMenuItem::TMyMenuItem(TDocData *doc, QObject *parent)
    : QAction(ToQt(doc->MenuCaption), parent), doc_(doc) {}

TMyToolBar::TMyToolBar(TMyPanel &panel, QWidget *parent) : QFrame(parent), panel_(panel) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(1);
  caption_ = new QLabel(ToQt(panel.Name), this);
  caption_->setAlignment(Qt::AlignCenter);
  caption_->setFrameStyle(QFrame::Panel | QFrame::Raised);
  caption_->setLineWidth(2);
  QFont bold = caption_->font();
  bold.setBold(true);
  caption_->setFont(bold);
  caption_->setFixedHeight(kPanelCaptionHeight);
  for (int32_t i = 0; i < panel.ToolCount(); ++i) {
    TDocTools *tool = panel.GetTool(i);
    auto *button = new QToolButton(this);
    button->setFixedSize(kToolButtonSize, kToolButtonSize);
    button->setToolTip(ToQt(tool->Caption));
    button->setAutoRaise(true);
    // The picture number chooses the button's face; a number stands in for
    // the picture until the configuration brings images.
    button->setText(QString::number(tool->IconIndex + 1));
    connect(button, &QToolButton::clicked, this, [this, i] {
      if (TDocTools *t = panel_.GetTool(i); t && t->Doc) emit DocumentClicked(t->Doc);
    });
    buttons_.push_back(button);
  }
}

int32_t TMyToolBar::CaptionWidth() const {
  return caption_->fontMetrics().horizontalAdvance(caption_->text());
}

void TMyToolBar::Place(const TPanelPlace &place) {
  setGeometry(place.Left, place.Top, place.Layout.Width, place.Layout.Height);
  caption_->setGeometry(1, 1, place.Layout.Width - 2, kPanelCaptionHeight);
  const int32_t cols = std::max(place.Layout.Cols, 1);
  for (int32_t i = 0; i < ButtonCount(); ++i)
    buttons_[static_cast<std::size_t>(i)]->move(
        3 + (i % cols) * kToolButtonSize, kPanelCaptionHeight + 4 + (i / cols) * kToolButtonSize);
}

TMainWindow::TMainWindow(TSettingsModel &model, TMainWindowOptions options, QWidget *parent)
    : QMainWindow(parent), model_(model), options_(std::move(options)) {
  // A single border with a minimise box: the window's size follows its
  // menu and panels, never the user.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(ToQt(Ui().AppTitle()));
  panelArea_ = new QWidget(this);
  setCentralWidget(panelArea_);
  BuildFixedMenus();
  BuildDocMenus();
  BuildPanels();
}

TMainWindow::~TMainWindow() {
  for (TDocNode *node : model_.DocTree.Nodes())
    if (node->Data) node->Data->MenuItem = nullptr;
}

void TMainWindow::BuildFixedMenus() {
  QMenuBar *bar = menuBar();
  control_ = bar->addMenu(ToQt("Управление"_w));
  // The reference books, the designer's settings and the panel set-up are
  // commands of windows of their own, not built here.
  control_->addAction(ToQt("Справочники"_w))->setEnabled(false);
  control_->addAction(ToQt("Служебные настройки"_w))->setEnabled(false);
  connect(control_->addAction(ToQt("О программе"_w)), &QAction::triggered, this,
          [this] { ShowAboutBox(model_.AutoParams.GetValueText("CONFIGNAME"), this); });
  control_->addSeparator();
  exit_ = control_->addAction(ToQt("Выход"_w));
  connect(exit_, &QAction::triggered, this, &QWidget::close);

  service_ = bar->addMenu(ToQt("Сервис"_w));
  for (const char *caption : {"Архивация баз данных", "Восстановление из архива"})
    service_->addMenu(ToQt(Utf8ToCp1251(caption)))->setEnabled(false);
  service_->addSeparator();
  for (const char *caption : {"Удаление периода из архива", "Восстановление удаленного периода"})
    service_->addMenu(ToQt(Utf8ToCp1251(caption)))->setEnabled(false);
  service_->addSeparator();
  service_->addAction(ToQt("Создание резервной копии данных"_w))->setEnabled(false);
  service_->addAction(ToQt("Восстановление данных из резервной копии"_w))->setEnabled(false);
  service_->menuAction()->setVisible(options_.LocalBases);
  service_->menuAction()->setEnabled(options_.LocalBases);

  panels_ = bar->addMenu(ToQt("Панели"_w));
  panels_->addAction(ToQt("Настройка"_w))->setEnabled(false);
  panelsSeparator_ = panels_->addSeparator();
}

void TMainWindow::AddDocNode(TDocNode &node, QMenu *menu) {
  TDocData *data = node.Data.get();
  if (!data) return;
  if (node.HasChildren()) {
    QMenu *sub = menu->addMenu(ToQt(data->MenuCaption));
    for (int32_t i = 0; i < node.ChildCount(); ++i) AddDocNode(*node.Child(i), sub);
    return;
  }
  auto *item = new TMyMenuItem(data, menu);
  data->MenuItem = item;
  connect(item, &QAction::triggered, this, [this, data] { Run(data); });
  menu->addAction(item);
}

void TMainWindow::BuildDocMenus() {
  for (QMenu *menu : docMenus_) {
    menuBar()->removeAction(menu->menuAction());
    delete menu;
  }
  docMenus_.clear();
  model_.DocTree.CreateAllMenus();
  QAction *before = service_->menuAction();
  for (int32_t t = 0; t < model_.DocTree.TopCount(); ++t) {
    TDocNode &top = *model_.DocTree.Top(t);
    auto *menu = new QMenu(ToQt(top.Text), this);
    for (int32_t i = 0; i < top.ChildCount(); ++i) AddDocNode(*top.Child(i), menu);
    if (!top.HasChildren()) {
      auto *item = new TMyMenuItem(top.Data.get(), menu);
      top.Data->MenuItem = item;
      connect(item, &QAction::triggered, this, [this, d = top.Data.get()] { Run(d); });
      menu->addAction(item);
    }
    menuBar()->insertMenu(before, menu);
    docMenus_.push_back(menu);
  }
}

void TMainWindow::Run(TDocData *doc) {
  if (doc && doc->IsDocument && options_.RunDocument) options_.RunDocument(*doc);
}

void TMainWindow::BuildPanels() {
  for (QAction *item : panelItems_) {
    panels_->removeAction(item);
    delete item;
  }
  panelItems_.clear();
  for (int32_t i = 0; i < model_.Panels.Count(); ++i) {
    TMyPanel *panel = model_.Panels.GetPanel(i);
    // The buttons find their documents by ID, whatever the tree became.
    for (int32_t t = 0; t < panel->ToolCount(); ++t)
      panel->GetTool(t)->Doc = model_.DocTree.FindID(panel->GetTool(t)->DocID);
    QAction *item = panels_->addAction(ToQt(panel->Name));
    item->setCheckable(true);
    item->setChecked(panel->Shown);
    connect(item, &QAction::triggered, this, [this, panel, item] {
      panel->SetChecked(!panel->Shown);
      item->setChecked(panel->Shown);
      ArrangePanels();
    });
    panelItems_.push_back(item);
  }
  ArrangePanels();
}

QSize TMainWindow::ScreenSize() const {
  if (options_.ScreenSize) return options_.ScreenSize();
  const QScreen *screen = QGuiApplication::primaryScreen();
  return screen ? screen->size() : QSize(1024, 768);
}

void TMainWindow::ArrangePanels() {
  for (TMyToolBar *bar : toolBars_) delete bar;
  toolBars_.clear();
  for (int32_t i = 0; i < model_.Panels.Count(); ++i) {
    TMyPanel *panel = model_.Panels.GetPanel(i);
    if (!panel->Shown) continue;
    auto *bar = new TMyToolBar(*panel, panelArea_);
    connect(bar, &TMyToolBar::DocumentClicked, this, [this](TDocData *doc) { Run(doc); });
    toolBars_.push_back(bar);
  }
  const QSize screen = ScreenSize();
  const int32_t menuWidth = std::min(menuBar()->sizeHint().width(), screen.width());
  arrangement_ = vm::ArrangePanels(model_.Panels, menuWidth, [this](const TMyPanel &p) {
    for (TMyToolBar *bar : toolBars_)
      if (&bar->Panel() == &p) return bar->CaptionWidth();
    return 0;
  });
  for (std::size_t i = 0; i < toolBars_.size(); ++i) {
    toolBars_[i]->Place(arrangement_.Places[i]);
    toolBars_[i]->show();
  }
  panelArea_->setFixedSize(arrangement_.ClientWidth, arrangement_.PanelsHeight);
  setFixedSize(arrangement_.ClientWidth,
               arrangement_.PanelsHeight + menuBar()->heightForWidth(arrangement_.ClientWidth));
  // The window grew to the right: it steps back onto the screen.
  if (screen.width() < x() + width() - 1) move(screen.width() - arrangement_.ClientWidth + 1, y());
}

TMyPanel *TMainWindow::FindPanelAt(const QPoint &clientPoint) const {
  const QPoint p = panelArea_->mapFrom(this, clientPoint);
  return vm::FindPanelAt(arrangement_, p.x(), p.y());
}

void TMainWindow::RestorePlace() {
  const QSize screen = ScreenSize();
  TWindowRect r = model_.MainWindowRect;
  r.Width = width();
  r.Height = height();
  r = ClampWindowRect(r, screen.width(), screen.height(), screen.width(), screen.height());
  move(r.Left, r.Top);
}

void TMainWindow::StorePlace() { model_.MainWindowRect = {x(), y(), width(), height()}; }

void TMainWindow::closeEvent(QCloseEvent *event) {
  if (Ui().MsgBox("Вы действительно хотите выйти из программы?"_w, Ui().AppTitle(),
                  kMbYesNoQuestion) != kIdYes) {
    event->ignore();
    return;
  }
  StorePlace();
  event->accept();
}

void TMainWindow::contextMenuEvent(QContextMenuEvent *event) {
  popupPanel_ = FindPanelAt(mapFromGlobal(event->globalPos()));
  QMenu popup(this);
  popup.addAction(ToQt("Настройка"_w))->setEnabled(false);
  popup.addSeparator();
  QAction *hide = popup.addAction(ToQt("Скрыть"_w));
  hide->setEnabled(popupPanel_ != nullptr);
  if (popup.exec(event->globalPos()) == hide && popupPanel_) {
    popupPanel_->SetChecked(false);
    BuildPanels();
  }
  popupPanel_ = nullptr;
}

}  // namespace vm
