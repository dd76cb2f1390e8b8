// The document window's controls: an editable drop-down for a select, a
// list box for a list select, a push button for a button, and a label or
// an input field for a view cell. Each keeps its items, choice, text and
// place in the core control it extends and shows them on its widget, so
// it stays right while the widget waits off every window (the selects,
// lists and buttons are made when the document compiles, before its
// window stands) and when the widget goes with its window first.
#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "documents/controls.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace vm {

class TQtControl {
 public:
  TQtControl(const TQtControl&) = delete;
  TQtControl& operator=(const TQtControl&) = delete;
  virtual ~TQtControl();

  QWidget* Widget() const { return widget_; }
  // Puts the widget on parent, shown as the control says; nullptr takes it
  // off every window.
  void SetParent(QWidget* parent);

 protected:
  explicit TQtControl(QWidget* widget) : widget_(widget) {}
  // Whether the control is to be shown when it stands on a window.
  virtual bool Shown() const = 0;
  // Shown only on a window: a widget without one would open as a window
  // of its own.
  void Show(bool visible);
  void Place(const TRect32& box);
  // The widget's box; fallback once the widget is gone.
  TRect32 Box(const TRect32& fallback) const;
  // The document's font family at a character height of -height pixels
  // (0: the widget's own size), in style.
  void ApplyFont(int32_t height, TFontStyles style);

  QPointer<QWidget> widget_;
};

// A control of the core with its visibility, font style and place shown on
// a widget.
template <class Headless>
class TQtShown : public Headless, public TQtControl {
 public:
  void SetVisible(bool visible) override;
  void SetFontStyle(TFontStyles style) override;
  void SetBounds(const TRect32& box) override;
  TRect32 Bounds() const override { return Box(Headless::Bounds()); }
  void SetFontHeight(int32_t height) override;

 protected:
  explicit TQtShown(QWidget* widget) : TQtControl(widget) {}
  bool Shown() const override { return this->Visible(); }
};

// A select or a list select: the items, the choice and the sorting are the
// core list's; the widget shows them.
class TQtListControl : public TQtShown<THeadlessList> {
 public:
  int Add(const std::string& s) override;
  void SetSorted(bool on) override;
  void Insert(int index, const std::string& s) override;
  void Clear() override;
  void SetItemIndex(int index) override;

 protected:
  explicit TQtListControl(QWidget* widget) : TQtShown(widget) {}
  // The user chose an item: the program of the control runs.
  void UserChose(int index);
  virtual void ClearWidget() = 0;
  virtual void InsertIntoWidget(int index, const QString& s) = 0;
  virtual void ShowChoice() = 0;

 private:
  void ShowItems();
};

// Typing into its edit field changes its text; only choosing an item runs
// the select's program.
class TQtDropDown : public TQtListControl {
 public:
  TQtDropDown();
  QComboBox* Combo() const;
  void SetFontHeight(int32_t height) override;

 protected:
  void ClearWidget() override;
  void InsertIntoWidget(int index, const QString& s) override;
  void ShowChoice() override;
};

class TQtListBox : public TQtListControl {
 public:
  TQtListBox();
  QListWidget* List() const;

 protected:
  void ClearWidget() override;
  void InsertIntoWidget(int index, const QString& s) override;
  void ShowChoice() override;
};

class TQtButton : public TQtShown<THeadlessButton> {
 public:
  TQtButton();
  QPushButton* Button() const;
  void SetCaption(const std::string& caption) override;
};

// A label takes the size of its text; an input field is fitted to its text
// whenever the text changes, and leaving it (or Enter) stores its value.
class TQtCell : public THeadlessCell, public TQtControl {
 public:
  explicit TQtCell(bool input);
  QLineEdit* Edit() const;
  void SetText(const std::string& text) override;
  void SetVisible(bool visible) override;
  void SetBold(bool bold) override;
  void SetMaxLength(int32_t length) override;
  TTextSize TextExtent() const override;
  void TakeFocus() override;
  bool Typed() const override;
  void SetBounds(const TRect32& box) override;
  TRect32 Bounds() const override { return Box(THeadlessCell::Bounds()); }
  void SetFontHeight(int32_t height) override;

 protected:
  bool Shown() const override { return Visible(); }

 private:
  void FitToText();
};

// Makes the controls on one surface: a window's panel, or none, where they
// wait until a window adopts them. Adopted widgets are given back when the
// factory goes, so that they outlive the window that showed them.
class TQtControls : public IControlFactory {
 public:
  explicit TQtControls(QWidget* surface = nullptr) : surface_(surface) {}
  ~TQtControls() override;

  std::unique_ptr<IListControl> CreateDropDown() override;
  std::unique_ptr<IListControl> CreateListBox() override;
  std::unique_ptr<IButtonControl> CreateButton() override;
  std::unique_ptr<ICellControl> CreateCell(bool input) override;
  void Adopt(IPlacedControl& control) override;

 private:
  template <class T>
  std::unique_ptr<T> OnSurface(std::unique_ptr<T> control);

  QPointer<QWidget> surface_;
  std::vector<QPointer<QWidget>> adopted_;
};

}  // namespace vm
