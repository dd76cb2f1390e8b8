// Window tests run on the offscreen platform unless another one is set
// (screenshots are taken under Xvfb).
#include <gtest/gtest.h>

#include <QApplication>

#include "ui/qt/font_families.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  vm::UseFormFont();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
