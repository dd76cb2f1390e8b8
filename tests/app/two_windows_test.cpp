// Two window programs on one program directory, each on a display of its
// own, driven by the keys a user would press (xdotool): each keeps the
// workstation's settings in memory from its start and writes "local.ini"
// at its commits and at its end.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/encoding.h"
#include "run_rig.h"
#include "support/temp_dir.h"

namespace vm::test {
namespace {

// What both scripts share: the program started on the display the script
// runs on, and the windows it shows found by their titles, each handled once.
const char* const kWindowSteps = R"(
set -u
export QT_QPA_PLATFORM=xcb ASAN_OPTIONS=detect_leaks=0
"$VELOMAR" >"$LOG" 2>&1 &
P=$!
handled=""
# The next visible window of the title that was not handled yet, in W.
window() {
  for i in $(seq 900); do
    for w in $(xdotool search --onlyvisible --name "$1" 2>/dev/null); do
      case " $handled " in *" $w "*) ;; *) handled="$handled $w"; W=$w; return 0 ;; esac
    done
    kill -0 $P 2>/dev/null || break
    sleep 0.2
  done
  echo "no window $1" >&2
  exit 3
}
press() { xdotool windowactivate --sync "$W" >/dev/null 2>&1; sleep 0.5; xdotool "$@"; }
# Whether a menu of the program shows: one of its windows mapped straight
# on the root, where the window manager frames none of the program's own.
menu_shown() {
  for w in $(xwininfo -root -children | sed -n 's/^ *\(0x[0-9a-f]*\) .*("velomar" .*/\1/p'); do
    xwininfo -id "$w" | grep -q 'Map State: IsViewable' && return 0
  done
  return 1
}
# Until a menu shows (up) or none does (down).
menu_is() {
  for i in $(seq 300); do
    if menu_shown; then [ "$1" = up ] && return 0; else [ "$1" = down ] && return 0; fi
    sleep 0.1
  done
  echo "the menu is not $1" >&2
  exit 5
}
# The menu bar's menu the keys after Alt open, once the last one has gone.
open_menu() { menu_is down; W=$MAIN; press key alt; xdotool key "$@"; menu_is up; }
# The n-th item of the menu "Документы".
menu() {
  open_menu Right Down
  for i in $(seq $1); do xdotool key Down; done
  xdotool key Return
}
# The date dialog takes the moment it proposes.
moment() { window 'Текущие дата'; press key Return; sleep 0.3; xdotool key Return; }
# Until the commit that brings the operation number to n.
committed() {
  for i in $(seq 900); do
    iconv -f cp1251 -t utf-8 manager.ini 2>/dev/null | grep -q "НОМЕР_ОПЕРАЦИИ=$1" && return 0
    sleep 0.2
  done
  echo "no commit $1" >&2
  exit 4
}
until_file() { for i in $(seq 900); do [ -e "$1" ] && return 0; sleep 0.2; done; }
# "Управление", "Выход", and Yes to the question.
quit() {
  open_menu Down; xdotool key Up Return
  window 'Колосок'; press key shift+Tab; sleep 0.2; xdotool key Return
  wait $P
}
window 'Колосок'; MAIN=$W
)";

bool Installed(const char* program) {
  return std::system(("command -v " + std::string(program) + " >/dev/null 2>&1").c_str()) == 0;
}

// The script on a display of its own; its output and the program's go to
// log files in dir.
std::string OnDisplay(const std::string& dir, const std::string& name, const std::string& steps) {
  return "cd " + ShellQuoted(dir) + " && VELOMAR=" + ShellQuoted(VELOMAR_EXE) + " LOG=" + name +
         ".log " + ShellQuoted(std::string(VELOMAR_SOURCE_DIR) + "/scripts/on-display") +
         " --window-manager sh -c " + ShellQuoted(std::string(kWindowSteps) + steps) + " >" + name +
         ".out 2>&1";
}

bool AwaitFile(const std::string& path) {
  for (int i = 0; i < 1800 && !std::filesystem::exists(path); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  return std::filesystem::exists(path);
}

// The VAT rate made this workstation's own: "Ставка НДС" sets it.
std::string WithLocalRate(std::string text, const std::string& rate, bool add) {
  const std::string lines = Utf8ToCp1251("    ИМЯ_ПАРАМ=НДС\r\n    ТИП_ПАРАМ=Число\r\n    ЗНАЧЕН_ПАРАМ='" + rate + "'\r\n");
  const std::string after = Utf8ToCp1251("ЗНАЧЕН_ПАРАМ='1'\r\n");
  const std::size_t at = add ? text.find(after) : text.find(lines);
  if (at == std::string::npos) return {};
  return add ? text.insert(at + after.size(), lines) : text.erase(at, lines.size());
}

bool HoldsRate(const std::string& local, const std::string& rate) {
  return Cp1251ToUtf8(local).find("ИМЯ_ПАРАМ=НДС\r\n    ТИП_ПАРАМ=Число\r\n    ЗНАЧЕН_ПАРАМ='" + rate + "'") !=
         std::string::npos;
}

// A window that sets its local VAT rate and ends, its start of day and its
// document committed under the operation number given.
int FirstWindow(const std::string& dir, const std::string& rate, int operation) {
  return std::system(OnDisplay(dir, "first", R"(
menu 3; moment
window '^Ставка НДС$'; press type )" + rate + R"(; xdotool key Return
window '^Ставка НДС$'; press key Return
window '^Ставка НДС$'; press key Return
committed )" + std::to_string(operation) + R"(
quit
)").c_str());
}

// One window sets its local VAT rate while the other, started before, has
// the old one in memory: the other's commit keeps the new rate, and so does
// its end after the first window has set it once more.
TEST(TwoWindows, ALocalParameterOneCommittedStaysWhenTheOtherCommitsAndEnds) {
  for (const char* program : {"xdotool", "xwininfo", "Xvfb", "xauth", "openbox", "iconv"})
    if (!Installed(program)) GTEST_SKIP() << program << " is not installed";
  RunRig r;
  const std::string dir = r.Dir();
  const std::string manager = WithLocalRate(ReadBytes(dir + "/manager.ini"), "20", false);
  const std::string local = WithLocalRate(ReadBytes(dir + "/local.ini"), "20", true);
  ASSERT_FALSE(manager.empty() || local.empty());
  WriteBytes(dir + "/manager.ini", manager);
  WriteBytes(dir + "/local.ini", local);

  // The second window: up, then, when told, "Выручка за период" (a
  // commit of its own), then, when told, its end.
  FILE* second = ::popen(OnDisplay(dir, "second", R"(
touch up
until_file go
menu 6; moment
window '^Выручка за период$'; press key Return; sleep 0.3; xdotool key Return
window '^Выручка$'; press key Return
committed 16
touch committed
until_file end
quit
)").c_str(), "r");
  ASSERT_NE(second, nullptr);
  struct Ending {
    std::string dir;
    FILE* second;
    ~Ending() {
      for (const char* name : {"/go", "/end"}) WriteBytes(dir + name, "");
      if (second != nullptr) ::pclose(second);
    }
  } ending{dir, second};
  ASSERT_TRUE(AwaitFile(dir + "/up")) << ReadBytes(dir + "/second.out");

  ASSERT_EQ(FirstWindow(dir, "18", 14), 0) << ReadBytes(dir + "/first.out") << ReadBytes(dir + "/first.log");
  EXPECT_TRUE(HoldsRate(ReadBytes(dir + "/local.ini"), "18"));
  WriteBytes(dir + "/go", "");
  ASSERT_TRUE(AwaitFile(dir + "/committed")) << ReadBytes(dir + "/second.out");
  EXPECT_TRUE(HoldsRate(ReadBytes(dir + "/local.ini"), "18")) << "after the second window's commit";

  ASSERT_EQ(FirstWindow(dir, "19", 18), 0) << ReadBytes(dir + "/first.out") << ReadBytes(dir + "/first.log");
  EXPECT_TRUE(HoldsRate(ReadBytes(dir + "/local.ini"), "19"));
  WriteBytes(dir + "/end", "");
  const int status = ::pclose(second);
  ending.second = nullptr;
  EXPECT_EQ(status, 0) << ReadBytes(dir + "/second.out") << ReadBytes(dir + "/second.log");
  EXPECT_TRUE(HoldsRate(ReadBytes(dir + "/local.ini"), "19")) << "after the second window's end";
}

}  // namespace
}  // namespace vm::test
