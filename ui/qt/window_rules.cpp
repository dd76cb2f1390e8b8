#include "ui/qt/window_rules.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLayout>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>
#include <QTimer>
#include <QTranslator>
#include <algorithm>
#include <clocale>
#include <utility>
#include <vector>

#include "ui/qt/screen_place.h"

namespace vm {

namespace {

// Beside the title the window manager draws the window's icon and up to
// three buttons, each with its padding; the title itself is bold, often
// larger than the program's own font and spaced out (openbox's titles run
// about 1.4 times the width of the program's bold font).
constexpr int kTitleBarRoom = 110;
constexpr double kTitlePointSize = 10;
constexpr double kTitleSpread = 1.4;
constexpr const char* kOwnPlace = "velomarOwnPlace";
constexpr const char* kTitleSpacer = "velomarTitleSpacer";

class TWindowRules : public QObject {
 public:
  using QObject::QObject;

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (event->type() == QEvent::KeyPress) return PressFocusedButton(widget, *static_cast<QKeyEvent*>(event));
    if (event->type() == QEvent::Show && widget->isWindow()) Placing(*widget);
    if (event->type() == QEvent::WindowStateChange && widget->isWindow()) KeepSmallDialogShown(*widget);
    return false;
  }

 private:
  // A button without the default role would let Enter fall through to its
  // dialog, which presses nothing or another button.
  static bool PressFocusedButton(QWidget* widget, const QKeyEvent& key) {
    if (key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter) return false;
    if ((key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier || key.isAutoRepeat()) return false;
    auto* button = qobject_cast<QPushButton*>(widget);
    if (!button || !button->isEnabled() || !button->isVisible() || button->menu()) return false;
    button->click();
    return true;
  }

  // Openbox draws minimise on every window whatever the window asks for,
  // and minimising a dialog takes the windows it stands over, the main
  // window among them, off the screen with it: on a screen without a task
  // bar nothing is left to bring them back. A small dialog, which asks for
  // no minimise, comes back at once, and they with it.
  static void KeepSmallDialogShown(QWidget& window) {
    if (!window.isMinimized() || !qobject_cast<QDialog*>(&window)) return;
    if ((window.windowFlags() & Qt::WindowMinimizeButtonHint) || window.minimumSize() != window.maximumSize()) return;
    QTimer::singleShot(0, &window, [&window] {
      for (QWidget* w = &window; w; w = w->parentWidget() ? w->parentWidget()->window() : nullptr)
        if (w->isMinimized()) w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
      window.activateWindow();
    });
  }

  static void Placing(QWidget& window) {
    const Qt::WindowType type = window.windowType();
    if (type != Qt::Window && type != Qt::Dialog) return;
    const bool dialog = qobject_cast<QDialog*>(&window) != nullptr;
    if (dialog) WidenToTitle(window);
    FitOnScreen(window);
    // Qt puts a dialog over its parent, which may be a small main window
    // in a corner; dialogs stand in the middle of the screen instead.
    if (dialog && !window.property(kOwnPlace).toBool()) CentreOnScreen(window);
    // Fitted so far with its parent's frame, or none: fitted again with
    // its own once the window manager has made it, however long that
    // takes on a busy machine (and before it is centred again).
    WhenFramed(window, FitOnScreen);
  }
};

}  // namespace

int TitleWidth(const QWidget& window) {
  QFont font = QApplication::font();
  font.setBold(true);
  if (font.pointSizeF() < kTitlePointSize) font.setPointSizeF(kTitlePointSize);
  return static_cast<int>(QFontMetrics(font).horizontalAdvance(window.windowTitle()) * kTitleSpread) +
         kTitleBarRoom;
}

void WidenToTitle(QWidget& window) {
  const int need = TitleWidth(window);
  if (window.width() >= need) return;
  if (auto* box = qobject_cast<QMessageBox*>(&window)) {
    // A message box sizes itself from its layout as it shows.
    auto* grid = qobject_cast<QGridLayout*>(box->layout());
    if (grid && !box->property("widenedToTitle").toBool()) {
      box->setProperty("widenedToTitle", true);
      const QMargins m = grid->contentsMargins();
      grid->addItem(new QSpacerItem(need - m.left() - m.right(), 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
                    grid->rowCount(), 0, 1, grid->columnCount());
    }
    return;
  }
  // A layout of fixed size sets the window's size itself whenever it is
  // laid out again: the title's width goes into the layout instead.
  if (QLayout* layout = window.layout(); layout && layout->sizeConstraint() == QLayout::SetFixedSize) {
    const QMargins m = layout->contentsMargins();
    const int room = need - m.left() - m.right();
    auto* spacer = static_cast<QSpacerItem*>(window.property(kTitleSpacer).value<void*>());
    if (spacer == nullptr) {
      spacer = new QSpacerItem(room, 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
      layout->addItem(spacer);
      window.setProperty(kTitleSpacer, QVariant::fromValue(static_cast<void*>(spacer)));
    } else if (spacer->sizeHint().width() < room) {
      spacer->changeSize(room, 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
    }
    layout->invalidate();
    layout->activate();
    return;
  }
  const int gain = need - window.width();
  if (!window.layout()) {
    for (QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      if (!child->isWindow()) child->move(child->x() + gain / 2, child->y());
  }
  window.setMaximumWidth(std::max(window.maximumWidth(), need));
  window.setMinimumWidth(std::max(window.minimumWidth(), need));
  const QRect client = window.geometry();
  window.setGeometry(client.x() - gain / 2, client.y(), need, client.height());
}

void FitOnScreen(QWidget& window) {
  const QMargins frame = FrameMargins(window);
  const QRect area = ScreenArea(window);
  QRect client = window.geometry();
  const int width = std::min(client.width(), area.width() - frame.left() - frame.right());
  const int height = std::min(client.height(), area.height() - frame.top() - frame.bottom());
  if (width == client.width() && height == client.height() && area.contains(client.marginsAdded(frame)))
    return;
  client.setSize(QSize(std::max(width, window.minimumWidth()), std::max(height, window.minimumHeight())));
  window.setGeometry(ClampFrameToScreen(client, frame, area));
}

void MakeSmallDialog(QDialog& dialog) {
  dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                        Qt::WindowCloseButtonHint);
  if (QLayout* layout = dialog.layout()) layout->setSizeConstraint(QLayout::SetFixedSize);
}

void KeepOwnPlace(QWidget& window) { window.setProperty(kOwnPlace, true); }

namespace {

// The locale variables as the machine set them, given back once Qt has
// read its system locale.
struct TKeptVariable {
  const char* Name;
  bool Set;
  QByteArray Value;
};
std::vector<TKeptVariable>& KeptVariables() {
  static std::vector<TKeptVariable> kept;
  return kept;
}

}  // namespace

void UseRussianSystemLocale() {
  constexpr const char* kRussian = "ru_RU.UTF-8";
  const std::pair<const char*, const char*> variables[] = {
      {"LC_ALL", nullptr},      {"LC_MESSAGES", kRussian}, {"LC_TIME", kRussian},
      {"LC_NUMERIC", kRussian}, {"LC_MEASUREMENT", kRussian}, {"LANGUAGE", "ru"}};
  KeptVariables().clear();
  for (const auto& [name, value] : variables) {
    KeptVariables().push_back({name, qEnvironmentVariableIsSet(name), qgetenv(name)});
    if (value)
      qputenv(name, value);
    else
      qunsetenv(name);
  }
}

void PrepareApplication(QApplication& app) {
  // Qt has its system locale now and keeps it; programs started from
  // here get the machine's environment, and the C library its locale
  // but for numbers, which our own conversions read and write with a
  // point whatever the machine's locale.
  QLocale::system();
  for (const TKeptVariable& v : KeptVariables()) {
    if (v.Set)
      qputenv(v.Name, v.Value);
    else
      qunsetenv(v.Name);
  }
  KeptVariables().clear();
  std::setlocale(LC_ALL, "");
  std::setlocale(LC_NUMERIC, "C");
  // Qt's widgets write numbers and dates in the default locale: Russian
  // whatever the machine's, as their words are.
  QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
  // "qt_ru" gathers the catalogues of every Qt module; the program's own
  // texts are Russian already and need none.
  auto* translator = new QTranslator(&app);
  if (translator->load(QStringLiteral("qt_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(translator);
  else
    delete translator;
  app.installEventFilter(new TWindowRules(&app));
}

}  // namespace vm
