// Window places worked out for the whole frame, title bar included.
#include "ui/qt/screen_place.h"

#include <gtest/gtest.h>

namespace vm {
namespace {

TEST(ScreenPlace, AFrameIsKeptOnTheScreenWithItsTitleBar) {
  const QRect screen(0, 0, 1280, 1024);
  const QMargins frame(4, 24, 4, 4);
  // A client at the top edge: its title bar would lie above the screen.
  EXPECT_EQ(ClampFrameToScreen(QRect(0, 0, 300, 200), frame, screen), QRect(4, 24, 300, 200));
  // Past the right and bottom edges: moved back in, frame and all.
  EXPECT_EQ(ClampFrameToScreen(QRect(1200, 950, 300, 200), frame, screen), QRect(976, 820, 300, 200));
  // A place that fits stays where it is.
  EXPECT_EQ(ClampFrameToScreen(QRect(100, 100, 300, 200), frame, screen), QRect(100, 100, 300, 200));
  // Larger than the screen: the top-left corner, title bar first, stays on it.
  EXPECT_EQ(ClampFrameToScreen(QRect(-50, -50, 2000, 1500), frame, screen), QRect(4, 24, 2000, 1500));
}

}  // namespace
}  // namespace vm
