// A second anchor of the whole-process start-up: a Qt program that shows a
// window with a menu bar and a panel of four tool buttons bearing the
// style's standard pictures, and ends once it is on the screen. It pays what
// any such window pays and the empty one does not: the font database read
// for the first text measured, and the icon theme and the pictures' files
// read for the first standard picture.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStyle>
#include <QToolButton>
#include <QWindow>
#include <cstdlib>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  for (const char* title : {"Документы", "Справочники", "Отчёты", "Сервис", "Панели"})
    window.menuBar()->addMenu(QString::fromUtf8(title))->addAction(QString::fromUtf8("Пункт"));
  auto* panel = new QWidget(&window);
  auto* caption = new QLabel(QString::fromUtf8("Панель"), panel);
  caption->setGeometry(1, 1, 120, 18);
  const QStyle::StandardPixmap pictures[] = {QStyle::SP_FileIcon, QStyle::SP_DirIcon, QStyle::SP_DialogSaveButton,
                                             QStyle::SP_DialogOpenButton};
  int x = 3;
  for (const QStyle::StandardPixmap picture : pictures) {
    auto* button = new QToolButton(panel);
    button->setIcon(QApplication::style()->standardIcon(picture));
    button->setIconSize(QSize(16, 16));
    button->setGeometry(x, 22, 24, 24);
    x += 24;
  }
  window.setCentralWidget(panel);
  window.resize(640, 480);
  window.show();
  while (!window.windowHandle() || !window.windowHandle()->isExposed())
    QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
  std::_Exit(0);
}
