// Answers the next modal window once it shows, as a user would.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <utility>

namespace vm::test {

// Keys go to the window the user works in: under a window manager a window
// shown or asked to the front becomes active some moments later, and keys
// sent to it before then find no focus. Waits, two seconds at most, until
// window or one of its own windows (the look-up windows beside a document)
// is the active one.
inline bool WaitUntilActive(QWidget& window) {
  return QTest::qWaitFor(
      [&window] {
        const QWidget* active = QApplication::activeWindow();
        return active == &window || (active && active->parentWidget() && active->parentWidget()->window() == &window);
      },
      2000);
}

// Acts on the next modal window of type W once it shows, letting any other
// modal window that comes up before it pass.
template <class W>
void WhenModalOf(std::function<void(W*)> action) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, action] {
    auto* modal = qobject_cast<W*>(QApplication::activeModalWidget());
    if (!modal || !modal->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    action(modal);
  });
  timer->start();
}

inline void WhenModal(std::function<void(QWidget*)> action) { WhenModalOf<QWidget>(std::move(action)); }

// Types text as key presses; unlike QTest::keyClicks it takes any letter.
inline void TypeText(QWidget* widget, const QString& text) {
  for (QChar ch : text) {
    QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
  }
}

// Presses a key in the next modal window: in its focused control when it
// has one, else in the window itself.
inline void PressInModal(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  WhenModal([key, modifiers](QWidget* modal) {
    QWidget* target = modal->focusWidget() ? modal->focusWidget() : modal;
    QTest::keyClick(target, key, modifiers);
  });
}

// Clicks the button of that caption in the next message box, noting its
// text first when asked.
inline void ClickInMessageBox(const char* caption, QString* text = nullptr) {
  WhenModal([caption, text](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (!box) return;
    if (text) *text = box->text();
    for (QAbstractButton* b : box->buttons())
      if (b->text() == QString::fromUtf8(caption)) b->click();
  });
}

// The modal window now showing that no answerer has answered yet, or null.
inline QWidget* UnansweredModal() {
  QWidget* modal = QApplication::activeModalWidget();
  if (!modal || !modal->isVisible() || modal->property("answered").toBool()) return nullptr;
  return modal;
}

// Hands every modal window that shows while it lives, and that no answerer
// has answered yet, to answer; answer marks what it answers (AgreeTo does).
class ModalAnswerer {
 public:
  explicit ModalAnswerer(std::function<void(QWidget*)> answer) : answer_(std::move(answer)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (QWidget* modal = UnansweredModal()) answer_(modal);
    });
    timer_.start(10);
  }

 private:
  std::function<void(QWidget*)> answer_;
  QTimer timer_;
};

// Answers a message box as a user who agrees: "Да", else its default
// button, else its first.
inline void AgreeTo(QMessageBox* box) {
  box->setProperty("answered", true);
  for (QAbstractButton* b : box->buttons())
    if (b->text() == QString::fromUtf8("Да")) return b->click();
  if (box->defaultButton()) return box->defaultButton()->click();
  box->buttons().front()->click();
}

}  // namespace vm::test
