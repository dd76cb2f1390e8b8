#include "ui/qt/panel_images.h"

#include <QApplication>
#include <QStyle>
#include <array>

namespace vm {

namespace {

// The order is the picture numbers that configurations store: append only.
constexpr std::array kImages = {
    QStyle::SP_FileIcon,          QStyle::SP_DirIcon,
    QStyle::SP_DialogSaveButton,  QStyle::SP_DialogOpenButton,
    QStyle::SP_FileDialogDetailedView, QStyle::SP_FileDialogListView,
    QStyle::SP_DialogApplyButton, QStyle::SP_DialogCancelButton,
    QStyle::SP_ArrowRight,        QStyle::SP_ArrowLeft,
    QStyle::SP_ArrowUp,           QStyle::SP_ArrowDown,
    QStyle::SP_BrowserReload,     QStyle::SP_TrashIcon,
    QStyle::SP_ComputerIcon,      QStyle::SP_DriveHDIcon,
    QStyle::SP_MessageBoxInformation, QStyle::SP_MessageBoxWarning,
    QStyle::SP_MessageBoxQuestion, QStyle::SP_DialogHelpButton,
    QStyle::SP_FileDialogNewFolder, QStyle::SP_FileDialogContentsView,
    QStyle::SP_MediaPlay,         QStyle::SP_DialogYesButton,
};

}  // namespace

int32_t PanelImageCount() { return static_cast<int32_t>(kImages.size()); }

QIcon PanelImage(int32_t index) {
  if (index < 0 || index >= PanelImageCount()) return {};
  return QApplication::style()->standardIcon(kImages[static_cast<std::size_t>(index)]);
}

}  // namespace vm
