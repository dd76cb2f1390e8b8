#include "ui/qt/archive_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

#include "foundation/values/dates.h"
#include "platform/drives.h"
#include "ui/qt/file_dialog.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/services.h"
#include "foundation/qt/font_families.h"
#include "ui/qt/qt_services.h"
#include "foundation/qt/qt_text.h"
#include "ui/qt/window_rules.h"

namespace vm {

TDriveDialog::TDriveDialog(const std::string& prompt, QWidget* parent, const TDriveSources& sources)
    : QDialog(parent) {
  setWindowTitle(ToQt("Выберите диск"_wv));
  setFont(FontForFamily("MS Sans Serif", 11));
  auto* label1 = new QLabel(ToQt(prompt), this);
  label1->setAlignment(Qt::AlignCenter);
  auto* label2 = new QLabel(ToQt("Диск:"_wv), this);
  drives_ = new QComboBox(this);
  drives_->setEditable(true);
  drives_->setMinimumWidth(260);
  for (const std::string& point : RemovableMountsOf(sources)) drives_->addItem(ToQt(point));
  // Without a removable disk nothing is offered in its place: a folder of
  // the fixed disk taken for one would hold the only copy on the very disk
  // the copy is to outlive.
  noDisk_ = new QLabel(ToQt("Съемный диск не найден. Вставьте его и выберите кнопкой \"Обзор...\" "
                            "или введите папку."_wv),
                       this);
  noDisk_->setWordWrap(true);
  noDisk_->setVisible(drives_->count() == 0);
  browse_ = new QPushButton(ToQt("Обзор..."_wv), this);
  connect(browse_, &QPushButton::clicked, this, [this] {
    const QString start = drives_->currentText().isEmpty() ? QDir::homePath() : drives_->currentText();
    QFileDialog chooser(this, ToQt("Выберите диск"_wv), start);
    chooser.setFileMode(QFileDialog::Directory);
    chooser.setOption(QFileDialog::ShowDirsOnly, true);
    PrepareFileDialog(chooser);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
    const QString dir = chooser.selectedFiles().front();
    drives_->insertItem(0, dir);
    drives_->setCurrentIndex(0);
  });
  yes_ = new QPushButton(ToQt("Да"_wv), this);
  no_ = new QPushButton(ToQt("Нет"_wv), this);
  // "Да" waits for a place to copy to; Enter in the typed folder presses it.
  yes_->setDefault(true);
  const auto named = [this] { yes_->setEnabled(!drives_->currentText().trimmed().isEmpty()); };
  connect(drives_, &QComboBox::editTextChanged, this, named);
  named();
  connect(yes_, &QPushButton::clicked, this, &QDialog::accept);
  connect(no_, &QPushButton::clicked, this, &QDialog::reject);
  auto* drive = new QHBoxLayout;
  drive->addWidget(label2);
  drive->addWidget(drives_, 1);
  drive->addWidget(browse_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(yes_);
  buttons->addWidget(no_);
  buttons->addStretch();
  auto* all = new QVBoxLayout(this);
  all->addWidget(label1);
  all->addLayout(drive);
  all->addWidget(noDisk_);
  all->addLayout(buttons);
  MakeSmallDialog(*this);
}

std::string TDriveDialog::Drive() const { return FromQt(drives_->currentText()); }

void TDriveDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (drives_->count() > 0) drives_->setCurrentIndex(0);
  (yes_->isEnabled() ? yes_ : browse_)->setFocus();
  if (const QScreen* screen = this->screen())
    move(screen->geometry().center() - QPoint(width() / 2, height() / 2));
}

TArchiveListDialog::TArchiveListDialog(const TArcIDList& list, const std::string& configName, QWidget* parent)
    : QDialog(parent), list_(list), configName_(configName) {
  setWindowTitle(ToQt("Удаление периода из архива"_wv));
  setFont(FontForFamily("MS Sans Serif", 11));
  auto* label1 = new QLabel(ToQt(configName), this);
  QFont bold = label1->font();
  bold.setBold(true);
  label1->setFont(bold);
  label1->setAlignment(Qt::AlignCenter);
  grid_ = new QTableWidget(static_cast<int>(list.size()), 2, this);
  grid_->setHorizontalHeaderLabels({ToQt("Дата создания архива"_wv), ToQt("Архивировано до"_wv)});
  grid_->verticalHeader()->hide();
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  for (int i = 0; i < grid_->rowCount(); ++i) {
    const TArchiveListRecord& r = list[static_cast<std::size_t>(i)].Record;
    grid_->setItem(i, 0, new QTableWidgetItem(ToQt(DateRecToLongStr(r.Made))));
    grid_->setItem(i, 1, new QTableWidgetItem(ToQt(DateRecToLongStr(r.CutDate))));
  }
  grid_->setFixedSize(330, 160);
  delete_ = new QPushButton(ToQt("Удалить"_wv), this);
  delete_->setDefault(true);
  auto* cancel = new QPushButton(ToQt("Отмена"_wv), this);
  move_ = new QCheckBox(ToQt("Переместить на дискеты"_wv), this);
  connect(delete_, &QPushButton::clicked, this, &TArchiveListDialog::DeleteClicked);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(move_);
  buttons->addStretch();
  buttons->addWidget(delete_);
  buttons->addWidget(cancel);
  auto* all = new QVBoxLayout(this);
  all->addWidget(label1);
  all->addWidget(grid_, 0, Qt::AlignHCenter);
  all->addLayout(buttons);
  MakeSmallDialog(*this);
}

bool TArchiveListDialog::MoveToMedia() const { return move_->isChecked(); }

void TArchiveListDialog::FitColumns() {
  const int rowsHeight = grid_->rowCount() * grid_->verticalHeader()->defaultSectionSize();
  const bool fit = rowsHeight <= grid_->height() - grid_->horizontalHeader()->height() - 4;
  const TPeriodColumns widths = PeriodColumnWidths(grid_->width(), fit);
  grid_->setColumnWidth(0, widths.First);
  grid_->setColumnWidth(1, widths.Second);
}

void TArchiveListDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FitColumns();
  if (grid_->rowCount() > 0) grid_->selectRow(0);
  move_->setChecked(true);
}

void TArchiveListDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  FitColumns();
}

void TArchiveListDialog::DeleteClicked() {
  const int row = grid_->currentRow();
  if (row < 0 || row >= static_cast<int>(list_.size())) return;
  const TArchiveListRecord& r = list_[static_cast<std::size_t>(row)].Record;
  if (Ui().MsgBox(DeletePeriodQuestion(configName_, r), "Удаление периода из архива"_w, kMbYesNoQuestion) != kIdYes)
    return;
  chosen_ = row;
  done(1);
}

TQtArchiveDialogs::TQtArchiveDialogs(QWidget* parent, TDriveSources sources)
    : parent_(parent), sources_(std::move(sources)) {
  dialogs_.SelectDrive = [this](const std::string& prompt, std::string& drive) {
    TDriveDialog form(prompt, parent_, sources_);
    const bool busy = SuspendBusy();
    const bool yes = form.exec() == QDialog::Accepted;
    SetBusy(busy);
    drive = NativePath(form.Drive());
    return yes;
  };
  dialogs_.ChoosePeriod = [this](const TArcIDList& list, const std::string& name, int32_t& index, bool& move) {
    TArchiveListDialog form(list, name, parent_);
    const bool busy = SuspendBusy();
    const bool chosen = form.exec() == 1;
    SetBusy(busy);
    index = form.ChosenIndex();
    move = form.MoveToMedia();
    return chosen;
  };
  dialogs_.AskVolumeFolder = [this](const std::string& filter, const std::string& initialDir,
                                    const std::string& fileName, std::string& folder) {
    QFileDialog dialog(parent_, QString(), ToQt(NativePath(initialDir)));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, true);
    PrepareFileDialog(dialog);
    dialog.setNameFilters(FileDialogFilters(filter));
    dialog.selectFile(ToQt(fileName));
    const bool busy = SuspendBusy();
    const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    SetBusy(busy);
    if (chosen) folder = FromQt(QFileInfo(dialog.selectedFiles().front()).absolutePath()) + "/";
    return chosen;
  };
  InstallArchiveDialogs(&dialogs_);
}

TQtArchiveDialogs::~TQtArchiveDialogs() { InstallArchiveDialogs(nullptr); }

}  // namespace vm
