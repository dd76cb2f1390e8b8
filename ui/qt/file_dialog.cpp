#include "ui/qt/file_dialog.h"

#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QScreen>
#include <QTreeView>

#include <algorithm>

#include "foundation/qt/qt_text.h"
#include "platform/encoding.h"

namespace vm {

namespace {

enum { kNameColumn, kSizeColumn, kTypeColumn, kDateColumn };

// The file model writes a file's type in English ("Folder", "txt File")
// and its size and date in the machine's locale, whatever the program's;
// these columns are written here again, in the program's words.
class TRussianFileColumns : public QIdentityProxyModel {
 public:
  using QIdentityProxyModel::QIdentityProxyModel;

  QVariant data(const QModelIndex& index, int role) const override {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (role != Qt::DisplayRole || files == nullptr || index.column() == kNameColumn)
      return QIdentityProxyModel::data(index, role);
    const QFileInfo info = files->fileInfo(mapToSource(index));
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    switch (index.column()) {
      case kSizeColumn:
        return info.isDir() ? QString() : russian.formattedDataSize(info.size(), 1, QLocale::DataSizeTraditionalFormat);
      case kTypeColumn:
        if (info.isDir()) return ToQt("Папка"_w);
        return info.suffix().isEmpty() ? ToQt("Файл"_w) : ToQt("Файл "_w) + info.suffix().toUpper();
      case kDateColumn:
        return russian.toString(info.lastModified(), QStringLiteral("dd.MM.yyyy HH:mm"));
      default:
        return QIdentityProxyModel::data(index, role);
    }
  }
};

}  // namespace

void PrepareFileDialog(QFileDialog& dialog) {
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setLocale(QLocale(QLocale::Russian, QLocale::Russia));
  dialog.setProxyModel(new TRussianFileColumns(&dialog));
  dialog.setViewMode(QFileDialog::Detail);
  // The widest texts of the columns, with room for the margins and the
  // header's sort mark; the name takes what is left.
  if (auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
    QHeaderView* header = details->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(kNameColumn, QHeaderView::Stretch);
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    const QString widest[] = {
        russian.formattedDataSize(1023LL * 1024 * 1024 * 1024 + 1023LL * 1024 * 1024 * 1024 / 1024, 1,
                                  QLocale::DataSizeTraditionalFormat),
        ToQt("Файл XLSX"_w), QStringLiteral("31.12.2026 23:59")};
    const QFontMetrics cells(details->font());
    const QFontMetrics titles(header->font());
    for (int column : {kSizeColumn, kTypeColumn, kDateColumn}) {
      const QString title = dialog.proxyModel()->headerData(column, Qt::Horizontal).toString();
      header->setSectionResizeMode(column, QHeaderView::Interactive);
      header->resizeSection(column, std::max(cells.horizontalAdvance(widest[column - 1]),
                                             titles.horizontalAdvance(title) + 16) + 24);
    }
  }
  const QScreen* screen = dialog.parentWidget() != nullptr ? dialog.parentWidget()->screen()
                                                           : QGuiApplication::primaryScreen();
  const QRect room = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 800, 600);
  dialog.resize(std::min(900, room.width() - 40), std::min(560, room.height() - 60));
}

}  // namespace vm
