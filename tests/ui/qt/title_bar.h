// What a window manager makes of a window, read from the X server: its
// properties, its frame and place, what the frame's title bar shows
// (which columns carry ink and where the title's text lies), and what its
// minimise does.
#pragma once

#include <QEvent>
#include <QImage>
#include <QRect>
#include <QRegularExpression>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace vm::test {

// What a command printed.
inline std::string Said(const std::string& command) {
  std::string said;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe)) said += buffer;
    pclose(pipe);
  }
  return said;
}

// A property of a shown window as the X server holds it, in the words of
// xprop.
inline std::string XProperty(const QWidget& window, const char* name) {
  return Said("xprop -id " + std::to_string(window.winId()) + " " + name);
}

// Where the window manager shows a window, frame included: the client's
// place as the X server has it and the frame put round it
// (_NET_FRAME_EXTENTS), read by xwininfo; empty until the window manager
// has framed and mapped the window.
inline QRect ShownFrame(const QWidget& window) {
  const QString said = QString::fromStdString(Said("xwininfo -stats -wm -id " + std::to_string(window.winId())));
  const auto number = [&said](const char* label) {
    const QRegularExpressionMatch m = QRegularExpression(QString(label) + R"(:\s+(-?\d+))").match(said);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
  };
  const QRegularExpressionMatch extents =
      QRegularExpression(R"(Frame extents: (\d+), (\d+), (\d+), (\d+))").match(said);
  if (!extents.hasMatch() || !said.contains("IsViewable")) return {};
  const QRect client(number("Absolute upper-left X"), number("Absolute upper-left Y"), number("Width"),
                     number("Height"));
  return client.marginsAdded(QMargins(extents.captured(1).toInt(), extents.captured(3).toInt(),
                                      extents.captured(2).toInt(), extents.captured(4).toInt()));
}

// Which columns of a window's title bar, as the screen shows it, carry
// ink: a pixel apart from the colour most of its row has. Columns count
// from the frame's left edge.
inline std::vector<bool> TitleInk(const QImage& screen, const QRect& frame, const QRect& client) {
  std::vector<bool> ink(static_cast<std::size_t>(frame.width()), false);
  // The bar without the frame's outer lines.
  for (int y = frame.top() + 2; y < client.top() - 2; ++y) {
    std::map<QRgb, int> counts;
    for (int x = frame.left(); x <= frame.right(); ++x) ++counts[screen.pixel(x, y)];
    const QRgb bar = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                       return a.second < b.second;
                     })->first;
    for (int x = frame.left(); x <= frame.right(); ++x) {
      const QRgb p = screen.pixel(x, y);
      const int apart = std::abs(qRed(p) - qRed(bar)) + std::abs(qGreen(p) - qGreen(bar)) +
                        std::abs(qBlue(p) - qBlue(bar));
      if (apart > 120) ink[static_cast<std::size_t>(x - frame.left())] = true;
    }
  }
  return ink;
}

// The ink of the title's text in a bar, however the window manager aligns
// it: the longest run of inked columns, letters and words joined across
// gaps narrower than a button's, that is not the window's icon at the left.
inline std::vector<bool> TitleText(const std::vector<bool>& ink) {
  constexpr int kJoin = 12, kIcon = 24;
  const int n = static_cast<int>(ink.size());
  int best = -1, bestEnd = -1;
  for (int x = 0; x < n;) {
    if (!ink[static_cast<std::size_t>(x)]) {
      ++x;
      continue;
    }
    const int start = x;
    int end = x, blank = 0;
    for (; x < n && blank < kJoin; ++x) {
      if (ink[static_cast<std::size_t>(x)]) {
        end = x;
        blank = 0;
      } else {
        ++blank;
      }
    }
    if (start >= kIcon && end - start > bestEnd - best) {
      best = start;
      bestEnd = end;
    }
  }
  if (best < 0) return {};
  return std::vector<bool>(ink.begin() + best, ink.begin() + bestEnd + 1);
}

// Minimises a shown window as the window manager's button does, and says
// whether the window went and came back, and the main window with it,
// shown on the screen.
inline bool MinimisedComesBack(QWidget& window, const QWidget& main) {
  struct TSeen : QObject {
    bool Minimised = false;
    bool eventFilter(QObject* watched, QEvent* event) override {
      if (event->type() == QEvent::WindowStateChange && static_cast<QWidget*>(watched)->isMinimized()) Minimised = true;
      return false;
    }
  } seen;
  window.installEventFilter(&seen);
  Said("xdotool windowminimize " + std::to_string(window.winId()));
  const bool back = QTest::qWaitFor(
      [&] {
        return seen.Minimised && !window.isMinimized() && !main.isMinimized() && !ShownFrame(window).isEmpty() &&
               !ShownFrame(main).isEmpty();
      },
      3000);
  window.removeEventFilter(&seen);
  return back;
}

}  // namespace vm::test
