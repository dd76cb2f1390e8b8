// What both reference-book windows ("Справочники" of the main menu and the
// one beside a document) are built of: the tabs, under them the search line
// with the window's buttons at its right, and the status line at the
// bottom.
#pragma once

#include <QLineEdit>
#include <QWidget>
#include <string>
#include <vector>

#include "foundation/qt/qt_text.h"
#include "ui/qt/search_line.h"

class QLabel;
class QPushButton;
class QStatusBar;
class QTabWidget;

namespace vm {

// The search line and the buttons under the tabs. It lays itself out: the
// buttons at the right in their order, "Поиск:" at the left, the line
// filling the room between. Its minimum width holds them all, with a
// little of the line; the windows take it as theirs.
class TBookSearchPanel : public QWidget {
 public:
  TBookSearchPanel(const std::vector<std::string>& buttons, QWidget* parent);

  QLabel* Label() const { return label_; }
  QLineEdit* Edit() const { return edit_; }
  QPushButton* Button(std::size_t index) const { return buttons_.at(index); }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QLabel* label_;
  QLineEdit* edit_;
  std::vector<QPushButton*> buttons_;
};

class TBookScaffold {
 public:
  // Builds the parts into window and lays them out top to bottom; the
  // buttons are named from left to right.
  TBookScaffold(QWidget& window, const std::vector<std::string>& buttons);

  QTabWidget* Tabs() const { return tabs_; }
  TBookSearchPanel* Panel() const { return panel_; }
  QLineEdit* SearchEdit() const { return panel_->Edit(); }
  QLabel* Status() const { return status_; }

  // What is typed into the search line searches the current book, and the
  // book shows its texts there.
  template <class Logic>
  void WireSearch(Logic& logic) {
    QLineEdit* edit = SearchEdit();
    QObject::connect(edit, &QLineEdit::textChanged, &window_,
                     [&logic](const QString& text) { logic.SearchChanged(FromQt(text)); });
    logic.Hooks.ShowSearchText = [edit](const std::string& text) { ShowInSearchLine(edit, text); };
    logic.Hooks.TypeIntoSearch = [edit](const std::string& text) { TypeIntoSearchLine(edit, text); };
  }

  // The search line and its label on or off; turned off, the line is
  // emptied without a search.
  void EnableSearch(bool on);
  void ShowStatus(const std::string& text);
  // The size grip only while the window is not maximised: called on each
  // change of the window's state.
  void WindowStateChanged();

 private:
  QWidget& window_;
  QTabWidget* tabs_;
  TBookSearchPanel* panel_;
  QStatusBar* statLine_;
  QLabel* status_;
};

}  // namespace vm
