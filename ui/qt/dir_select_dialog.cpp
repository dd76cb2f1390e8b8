#include "ui/qt/dir_select_dialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/drives.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "foundation/qt/qt_text.h"

namespace vm {

namespace {

constexpr int kPathRole = Qt::UserRole;

std::string ParentOf(const std::string& dir) {
  if (dir.size() <= 1) return dir;
  const std::size_t slash = dir.find_last_of('/', dir.size() - 2);
  return slash == 0 || slash == std::string::npos ? "/" : dir.substr(0, slash);
}

std::string Joined(const std::string& dir, const std::string& name) {
  return dir.back() == '/' ? dir + name : dir + "/" + name;
}

}  // namespace

TDirSelForm::TDirSelForm(QWidget* parent, const TDriveSources& sources) : QDialog(parent), sources_(sources) {
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  resize(563, 320);
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(ToQt("Каталог:"_w), this));
  dirLab_ = new QLabel(this);
  top->addWidget(dirLab_, 1);
  layout->addLayout(top);
  auto* middle = new QHBoxLayout;
  auto* resGroup = new QGroupBox(ToQt(" Доступные ресурсы "_w), this);
  auto* resLayout = new QVBoxLayout(resGroup);
  resTree_ = new QTreeWidget(resGroup);
  resTree_->header()->hide();
  resTree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  resLayout->addWidget(resTree_);
  auto* dirGroup = new QGroupBox(ToQt(" Доступные каталоги "_w), this);
  auto* dirLayout = new QVBoxLayout(dirGroup);
  dirList_ = new QListWidget(dirGroup);
  dirLayout->addWidget(dirList_);
  middle->addWidget(resGroup, 1);
  middle->addWidget(dirGroup, 1);
  layout->addLayout(middle, 1);
  auto* buttons = new QHBoxLayout;
  auto* refresh = new QPushButton(ToQt("Обновить"_w), this);
  ok_ = new QPushButton(ToQt("OK"_w), this);
  auto* cancel = new QPushButton(ToQt("Отмена"_w), this);
  refresh->setAutoDefault(false);
  cancel->setAutoDefault(false);
  ok_->setDefault(true);
  buttons->addWidget(refresh);
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(refresh, &QPushButton::clicked, this, &TDirSelForm::RefreshDisks);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(resTree_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { ResTreeClick(item); });
  connect(resTree_, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* item) { ResTreeClick(item); });
  connect(dirList_, &QListWidget::itemActivated, this, &TDirSelForm::DirListOpen);
  RefreshDisks();
}

void TDirSelForm::RefreshDisks() {
  resTree_->clear();
  QTreeWidgetItem* local = nullptr;
  QTreeWidgetItem* network = nullptr;
  const QIcon drive = style()->standardIcon(QStyle::SP_DriveHDIcon);
  const QIcon netDrive = style()->standardIcon(QStyle::SP_DriveNetIcon);
  for (const TDrive& d : DrivesOf(sources_)) {
    QTreeWidgetItem*& group = d.Network ? network : local;
    if (group == nullptr) {
      group = new QTreeWidgetItem(resTree_, {ToQt(d.Network ? "Сетевые диски"_w : "Локальные диски"_w)});
      group->setIcon(0, style()->standardIcon(d.Network ? QStyle::SP_DriveNetIcon : QStyle::SP_ComputerIcon));
    }
    auto* item = new QTreeWidgetItem(group, {ToQt(d.Root)});
    item->setIcon(0, d.Network ? netDrive : drive);
    item->setData(0, kPathRole, ToQt(d.Root));
  }
  // Network drives come after the local ones whatever the mount order.
  if (local != nullptr && network != nullptr && resTree_->indexOfTopLevelItem(network) == 0)
    resTree_->addTopLevelItem(resTree_->takeTopLevelItem(0));
  resTree_->expandAll();
  ClearDirList();
}

void TDirSelForm::ClearDirList() {
  dir_.clear();
  dirList_->clear();
  dirLab_->clear();
  ok_->setEnabled(false);
}

void TDirSelForm::ResTreeClick(QTreeWidgetItem* item) {
  const QVariant root = item != nullptr ? item->data(0, kPathRole) : QVariant();
  if (!root.isValid()) return ClearDirList();
  const std::string dir = FromQt(root.toString());
  if (dir_.empty() || dir_.rfind(dir, 0) != 0) SetDirectory(dir);
}

void TDirSelForm::SetDirectory(const std::string& dir) {
  dirList_->clear();
  std::vector<DirEntry> entries;
  const std::string path = dir.empty() ? "/" : dir;
  if (!Files().IsDirectory(path)) return ClearDirList();
  dir_ = path;
  dirLab_->setText(ToQt(dir_));
  const QIcon folder = style()->standardIcon(QStyle::SP_DirIcon);
  if (dir_ != "/") {
    auto* up = new QListWidgetItem(style()->standardIcon(QStyle::SP_FileDialogToParent), "..", dirList_);
    up->setData(kPathRole, ToQt(ParentOf(dir_)));
  }
  std::vector<std::string> names;
  if (Files().ListDirectory(dir_, entries))
    for (const DirEntry& e : entries)
      if (e.IsDir) names.push_back(e.Name);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    auto* item = new QListWidgetItem(folder, ToQt(name), dirList_);
    item->setData(kPathRole, ToQt(Joined(dir_, name)));
  }
  dirList_->setCurrentRow(0);
  ok_->setEnabled(!dir_.empty());
}

void TDirSelForm::DirListOpen(QListWidgetItem* item) {
  if (item != nullptr) SetDirectory(FromQt(item->data(kPathRole).toString()));
}

bool ShowDirSelect(std::string& dir, const std::string& caption, QWidget* parent) {
  TDirSelForm form(parent);
  form.setWindowTitle(ToQt(caption));
  if (form.exec() != QDialog::Accepted || form.Directory().empty()) return false;
  dir = form.Directory();
  return true;
}

}  // namespace vm
