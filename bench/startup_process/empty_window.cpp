// The anchor of the whole-process start-up benchmark: a Qt program that
// shows an empty window and ends once it is on the screen.
#include <QApplication>
#include <QWidget>
#include <QWindow>
#include <cstdlib>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.resize(640, 480);
  window.show();
  while (!window.windowHandle() || !window.windowHandle()->isExposed())
    QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
  std::_Exit(0);
}
