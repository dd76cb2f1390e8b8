#include "ui/qt/main_window.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionMenuItem>
#include <QToolButton>
#include <algorithm>

#include "archive/backup_menu.h"
#include "config/data_dir.h"
#include "platform/encoding.h"
#include "platform/services.h"
#include "models/main_state.h"
#include "ui/qt/about_box.h"
#include "ui/qt/main_commands.h"
#include "ui/qt/panel_images.h"
#include "foundation/qt/qt_text.h"

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
    button->setIcon(PanelImage(tool->IconIndex));
    button->setIconSize(QSize(16, 16));
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
  // Further lines of the menu bar go above the panels.
  client_ = new QWidget(this);
  panelArea_ = new QWidget(client_);
  setCentralWidget(client_);
  packer_ = std::make_unique<TArchivePacker>(ProgramDirectory() + "WORK/");
  archiveDialogs_ = std::make_unique<TQtArchiveDialogs>(this);
  BuildFixedMenus();
  BuildDocMenus();
  BuildArchiveMenus();
  BuildPanels();
}

TMainWindow::~TMainWindow() = default;

void TMainWindow::BuildFixedMenus() {
  control_ = new QMenu(ToQt("Управление"_w), this);
  books_ = control_->addAction(ToQt("Справочники"_w));
  connect(books_, &QAction::triggered, this, [this] { OpenReferenceBooks(*this); });
  AddDesignerItem(control_);
  connect(control_->addAction(ToQt("О программе"_w)), &QAction::triggered, this,
          [this] { ShowAboutBox(model_.AutoParams.GetValueText("CONFIGNAME"), this); });
  control_->addSeparator();
  exit_ = control_->addAction(ToQt("Выход"_w));
  connect(exit_, &QAction::triggered, this, &QWidget::close);

  service_ = new QMenu(ToQt("Сервис"_w), this);
  const char *archiveCaptions[] = {"Архивация баз данных", "Восстановление из архива",
                                   "Удаление периода из архива",
                                   "Восстановление удаленного периода"};
  for (int i = 0; i < 4; ++i) {
    archiveMenus_.push_back(service_->addMenu(ToQt(Utf8ToCp1251(archiveCaptions[i]))));
    if (i == 1 || i == 3) archiveSeparators_.push_back(service_->addSeparator());
  }
  backup_ = service_->addAction(ToQt("Создание резервной копии данных"_w));
  restoreBackup_ = service_->addAction(ToQt("Восстановление данных из резервной копии"_w));
  connect(backup_, &QAction::triggered, this, [this] { RunBackupItem(false); });
  connect(restoreBackup_, &QAction::triggered, this, [this] { RunBackupItem(true); });
  service_->menuAction()->setVisible(options_.LocalBases);
  service_->menuAction()->setEnabled(options_.LocalBases);

  panels_ = new QMenu(ToQt("Панели"_w), this);
  panelSetup_ = panels_->addAction(ToQt("Настройка"_w));
  connect(panelSetup_, &QAction::triggered, this, [this] { ConfigurePanels(*this); });
  panelsSeparator_ = panels_->addSeparator();

  panelPopup_ = new QMenu(this);
  panelPopup_->addAction(panelSetup_);
  panelPopup_->addSeparator();
  hidePanel_ = panelPopup_->addAction(ToQt("Скрыть"_w));
  connect(hidePanel_, &QAction::triggered, this, [this] {
    if (!popupPanel_) return;
    popupPanel_->SetChecked(false);
    BuildPanels();
  });
  windowPopup_ = new QMenu(this);
  AddDesignerItem(windowPopup_);
}

void TMainWindow::AddDesignerItem(QMenu *menu) {
  QAction *item = menu->addAction(ToQt("Служебные настройки"_w));
  item->setEnabled(static_cast<bool>(options_.OpenDesigner));
  connect(item, &QAction::triggered, this, [this] {
    if (options_.OpenDesigner) options_.OpenDesigner();
  });
}

std::vector<QMenu *> TMainWindow::TopMenus() const {
  std::vector<QMenu *> menus{control_};
  menus.insert(menus.end(), docMenus_.begin(), docMenus_.end());
  menus.push_back(service_);
  menus.push_back(panels_);
  return menus;
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
  connect(item, &QAction::triggered, this, [this, data] { Run(data); });
  menu->addAction(item);
}

void TMainWindow::BuildDocMenus() {
  for (QMenu *menu : docMenus_) delete menu;
  docMenus_.clear();
  model_.DocTree.CreateAllMenus();
  for (int32_t t = 0; t < model_.DocTree.TopCount(); ++t) {
    TDocNode &top = *model_.DocTree.Top(t);
    auto *menu = new QMenu(ToQt(top.Text), this);
    for (int32_t i = 0; i < top.ChildCount(); ++i) AddDocNode(*top.Child(i), menu);
    if (!top.HasChildren()) {
      auto *item = new TMyMenuItem(top.Data.get(), menu);
      connect(item, &QAction::triggered, this, [this, d = top.Data.get()] { Run(d); });
      menu->addAction(item);
    }
    docMenus_.push_back(menu);
  }
  WrapMenu();
}

void TMainWindow::BuildArchiveMenus() {
  for (QMenu *sub : archiveMenus_) sub->clear();
  bool any = false;
  for (int32_t id : options_.ValidArchives) {
    const TArchiveConfig *config = model_.ArchiveConfigs.FindByID(id);
    if (!config) continue;
    any = true;
    for (std::size_t i = 0; i < archiveMenus_.size(); ++i) {
      QAction *item = archiveMenus_[i]->addAction(ToQt(config->Name));
      const auto command = static_cast<TArchiveCommand>(i);
      item->setEnabled(options_.LocalBases);
      connect(item, &QAction::triggered, this, [this, command, id] { RunArchiveItem(command, id); });
    }
  }
  for (QMenu *sub : archiveMenus_) sub->menuAction()->setVisible(any);
  for (QAction *separator : archiveSeparators_) separator->setVisible(any);
}

void TMainWindow::RunArchiveItem(TArchiveCommand command, int32_t configId) {
  TArchiveConfig *config = model_.ArchiveConfigs.FindByID(configId);
  if (!config || !options_.LocalBases) return;
  TArchiveMenuHooks hooks;
  hooks.AskPassword = options_.AskPassword;
  hooks.EnableMainWindow = [this](bool on) { setEnabled(on); };
  RunArchiveMenuCommand(command, *config, model_.Bases, ProgramArchiveEnv(model_, packer_.get()), hooks);
}

void TMainWindow::RunBackupItem(bool restore) {
  if (!options_.LocalBases) return;
  TArchiveMenuHooks hooks;
  hooks.AskPassword = options_.AskPassword;
  hooks.EnableMainWindow = [this](bool on) { setEnabled(on); };
  TBackupEnv env = ProgramBackupEnv(model_.Bases, packer_.get());
  if (options_.ExitAfterRestore) env.Exit = options_.ExitAfterRestore;
  RunBackupMenuCommand(restore, env, hooks);
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
  BindPanelTools(model_.Panels, model_.DocTree, PanelImageCount());
  for (int32_t i = 0; i < model_.Panels.Count(); ++i) {
    TMyPanel *panel = model_.Panels.GetPanel(i);
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

TMenuLines TMainWindow::MenuWidth() const {
  const QMenuBar *bar = menuBar();
  const QStyle *style = bar->style();
  // As the menu bar itself measures its items.
  const int32_t offset = style->pixelMetric(QStyle::PM_MenuBarHMargin, nullptr, bar) +
                         style->pixelMetric(QStyle::PM_MenuBarPanelWidth, nullptr, bar);
  const int32_t spacing = style->pixelMetric(QStyle::PM_MenuBarItemSpacing, nullptr, bar);
  std::vector<int32_t> widths;
  int32_t itemHeight = bar->fontMetrics().height();
  for (const QMenu *menu : TopMenus()) {
    if (!menu->menuAction()->isVisible()) {
      widths.push_back(0);
      continue;
    }
    QStyleOptionMenuItem option;
    option.initFrom(bar);
    option.menuItemType = QStyleOptionMenuItem::Normal;
    option.text = menu->title();
    const QSize text = bar->fontMetrics().size(Qt::TextShowMnemonic, menu->title());
    const QSize item = style->sizeFromContents(QStyle::CT_MenuBarItem, &option, text, bar);
    widths.push_back(item.width() + spacing);
    itemHeight = std::max(itemHeight, item.height());
  }
  const int32_t vmargin = style->pixelMetric(QStyle::PM_MenuBarVMargin, nullptr, bar) +
                          style->pixelMetric(QStyle::PM_MenuBarPanelWidth, nullptr, bar);
  const int32_t frame = std::max(frameGeometry().width() - width(), 0);
  const int32_t margin = 2 * offset;
  return WrapMenuItems(widths, ScreenSize().width() - frame - margin, margin,
                       itemHeight + 2 * vmargin);
}

void TMainWindow::WrapMenu() {
  QMenuBar *first = menuBar();
  for (QAction *a : first->actions()) first->removeAction(a);
  for (QMenuBar *line : menuLines_) delete line;
  menuLines_.clear();
  const TMenuLines lines = MenuWidth();
  const std::vector<QMenu *> menus = TopMenus();
  std::size_t line = 0;
  QMenuBar *bar = first;
  for (std::size_t i = 0; i < menus.size(); ++i) {
    if (line + 1 < lines.Starts.size() &&
        static_cast<int32_t>(i) >= lines.Starts[line + 1]) {
      ++line;
      bar = new QMenuBar(client_);
      menuLines_.push_back(bar);
    }
    bar->addAction(menus[i]->menuAction());
  }
}

void TMainWindow::ArrangePanels() {
  WrapMenu();
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
  arrangement_ = vm::ArrangePanels(model_.Panels, MenuWidth().Width, [this](const TMyPanel &p) {
    for (TMyToolBar *bar : toolBars_)
      if (&bar->Panel() == &p) return bar->CaptionWidth();
    return 0;
  });
  for (std::size_t i = 0; i < toolBars_.size(); ++i) {
    toolBars_[i]->Place(arrangement_.Places[i]);
    toolBars_[i]->show();
  }
  const int32_t clientWidth = arrangement_.ClientWidth;
  int32_t linesHeight = 0;
  for (QMenuBar *line : menuLines_) {
    const int32_t h = line->heightForWidth(clientWidth) > 0 ? line->heightForWidth(clientWidth)
                                                             : line->sizeHint().height();
    line->setGeometry(0, linesHeight, clientWidth, h);
    line->show();
    linesHeight += h;
  }
  panelArea_->setGeometry(0, linesHeight, clientWidth, arrangement_.PanelsHeight);
  client_->setFixedSize(clientWidth, linesHeight + arrangement_.PanelsHeight);
  setFixedSize(clientWidth, linesHeight + arrangement_.PanelsHeight +
                                menuBar()->heightForWidth(clientWidth));
  // The window grew to the right: it steps back onto the screen.
  if (screen.width() < x() + width() - 1) move(screen.width() - clientWidth + 1, y());
}

TMyPanel *TMainWindow::FindPanelAt(const QPoint &clientPoint) const {
  const QPoint p = panelArea_->mapFrom(this, clientPoint);
  return vm::FindPanelAt(arrangement_, p.x(), p.y());
}

void TMainWindow::RestorePlace() {
  const QSize screen = ScreenSize();
  const TWindowRect r = PlaceMainWindow(model_.MainWindowRect, width(), height(), screen.width(),
                                        screen.height());
  move(r.Left, r.Top);
}

void TMainWindow::StorePlace() { model_.MainWindowRect = {x(), y(), width(), height()}; }

QMenu *TMainWindow::PopupFor(const QPoint &clientPoint) {
  popupPanel_ = FindPanelAt(clientPoint);
  hidePanel_->setEnabled(popupPanel_ != nullptr);
  return popupPanel_ ? panelPopup_ : windowPopup_;
}

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
  PopupFor(mapFromGlobal(event->globalPos()))->exec(event->globalPos());
  popupPanel_ = nullptr;
}

}  // namespace vm
