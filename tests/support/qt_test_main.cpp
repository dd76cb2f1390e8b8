// Window tests run on the offscreen platform unless another one is set
// (screenshots are taken under Xvfb), with the rules every window of the
// program keeps to.
#include <gtest/gtest.h>

#include <QApplication>

#include "foundation/qt/font_families.h"
#include "ui/qt/window_rules.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  vm::UseRussianSystemLocale();
  QApplication app(argc, argv);
  vm::UseFormFont();
  vm::PrepareApplication(app);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
