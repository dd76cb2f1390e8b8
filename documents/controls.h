// The controls that the run-time objects of a document own: a sorted list
// of texts (the drop-down of a select, the list box of a list select) and a
// push button. The windows implement them; the headless ones here keep the
// same state without a screen, for documents run without windows and for
// tests, which act as the user through Choose and Press.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/price_tags.h"
#include "foundation/draw/canvas.h"

namespace vm {

// A rectangle in pixels.
struct TRect32 {
  int32_t Left = 0, Top = 0, Width = 0, Height = 0;
  int32_t Right() const { return Left + Width; }
  int32_t Bottom() const { return Top + Height; }
  friend bool operator==(const TRect32&, const TRect32&) = default;
};

// What every control on a form has: its box on the panel, in pixels, and
// the height of its font (negative: the character height, as the form
// layout scales it; 0 until the layout sets it).
class IPlacedControl {
 public:
  virtual ~IPlacedControl() = default;
  virtual void SetBounds(const TRect32& box) = 0;
  virtual TRect32 Bounds() const = 0;
  virtual void SetFontHeight(int32_t height) = 0;
  virtual int32_t FontHeight() const = 0;
};

// The placement of a control without a screen: kept as given.
template <class Base>
class THeadlessPlaced : public Base {
 public:
  void SetBounds(const TRect32& box) override { box_ = box; }
  TRect32 Bounds() const override { return box_; }
  void SetFontHeight(int32_t height) override { fontHeight_ = height; }
  int32_t FontHeight() const override { return fontHeight_; }

 private:
  TRect32 box_;
  int32_t fontHeight_ = 0;
};

// Adds s after the items that sort before it or equal it, letters without
// case, as the sorted lists of the windows add; returns its index.
int AddSorted(std::vector<std::string>& items, const std::string& s);

class IListControl : public IPlacedControl {
 public:
  virtual int Count() const = 0;
  virtual std::string Item(int index) const = 0;
  // Adds at the place the sorting gives (the end when unsorted); returns
  // that index.
  virtual int Add(const std::string& s) = 0;
  // Lists start sorted; turning the sorting on sorts the items there are.
  virtual void SetSorted(bool on) = 0;
  // Puts s at index, whatever the sorting says.
  virtual void Insert(int index, const std::string& s) = 0;
  // No items, no text, nothing chosen.
  virtual void Clear() = 0;
  // -1 when nothing is chosen.
  virtual int ItemIndex() const = 0;
  // An index outside the items chooses nothing.
  virtual void SetItemIndex(int index) = 0;
  // What the edit field of a drop-down shows.
  virtual std::string Text() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool Visible() const = 0;
  virtual void SetFontStyle(TFontStyles style) = 0;
  virtual TFontStyles FontStyle() const = 0;

  // Called when the user changes the choice.
  std::function<void()> OnChange;
};

class IButtonControl : public IPlacedControl {
 public:
  virtual void SetCaption(const std::string& caption) = 0;
  virtual std::string Caption() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool Visible() const = 0;
  virtual void SetFontStyle(TFontStyles style) = 0;
  virtual TFontStyles FontStyle() const = 0;

  std::function<void()> OnClick;
};

// The control of a view cell: a label, or an edit that takes a typed value.
class ICellControl : public IPlacedControl {
 public:
  // The label's caption or the edit's text.
  virtual void SetText(const std::string& text) = 0;
  virtual std::string Text() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool Visible() const = 0;
  virtual void SetBold(bool bold) = 0;
  // Edits only: the most characters the user may type; 0 for no limit.
  virtual void SetMaxLength(int32_t length) = 0;
  virtual int32_t MaxLength() const = 0;
  // The size the text needs in the control's font.
  virtual TTextSize TextExtent() const = 0;
  // An edit whose text was refused takes the focus back to be mended.
  virtual void TakeFocus() {}
  // Edits only: the user has typed in it since its text was last set.
  virtual bool Typed() const = 0;

  // Called when the focus leaves an edit.
  std::function<void()> OnExit;
};

// Without a screen every character is half the font's height wide.
class THeadlessCell : public THeadlessPlaced<ICellControl> {
 public:
  explicit THeadlessCell(bool input) : input_(input) {}
  void SetText(const std::string& text) override {
    text_ = text;
    typed_ = false;
  }
  std::string Text() const override { return text_; }
  bool Typed() const override { return typed_; }
  void SetVisible(bool visible) override { visible_ = visible; }
  bool Visible() const override { return visible_; }
  void SetBold(bool bold) override { bold_ = bold; }
  bool Bold() const { return bold_; }
  void SetMaxLength(int32_t length) override { maxLength_ = length; }
  int32_t MaxLength() const override { return maxLength_; }
  TTextSize TextExtent() const override;
  bool Input() const { return input_; }

  // The user types text into an edit (cut at the length limit) and leaves it.
  void Type(const std::string& text);
  void Leave();

 private:
  bool input_;
  std::string text_;
  bool visible_ = true;
  bool bold_ = false;
  int32_t maxLength_ = 0;
  bool typed_ = false;
};

// Where the controls of a document are created: on the document window's
// panel, or nowhere.
class IControlFactory {
 public:
  virtual ~IControlFactory() = default;
  virtual std::unique_ptr<IListControl> CreateDropDown() = 0;
  virtual std::unique_ptr<IListControl> CreateListBox() = 0;
  virtual std::unique_ptr<IButtonControl> CreateButton() = 0;
  // A view cell: an edit when input, else a label.
  virtual std::unique_ptr<ICellControl> CreateCell(bool input) { return std::make_unique<THeadlessCell>(input); }
  // Puts a control made elsewhere on the surface this factory makes its
  // controls on.
  virtual void Adopt(IPlacedControl& /*control*/) {}
};

class THeadlessList : public THeadlessPlaced<IListControl> {
 public:
  int Count() const override { return static_cast<int>(items_.size()); }
  std::string Item(int index) const override;
  int Add(const std::string& s) override;
  void SetSorted(bool on) override;
  void Insert(int index, const std::string& s) override;
  void Clear() override;
  int ItemIndex() const override { return index_; }
  void SetItemIndex(int index) override;
  std::string Text() const override { return text_; }
  void SetVisible(bool visible) override { visible_ = visible; }
  bool Visible() const override { return visible_; }
  void SetFontStyle(TFontStyles style) override { style_ = style; }
  TFontStyles FontStyle() const override { return style_; }

  // The user types into the edit field of a drop-down.
  void SetText(std::string text) { text_ = std::move(text); }
  // The user chooses item index.
  void Choose(int index);

 private:
  std::vector<std::string> items_;
  bool sorted_ = true;
  int index_ = -1;
  std::string text_;
  bool visible_ = true;
  TFontStyles style_ = 0;
};

class THeadlessButton : public THeadlessPlaced<IButtonControl> {
 public:
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  std::string Caption() const override { return caption_; }
  void SetVisible(bool visible) override { visible_ = visible; }
  bool Visible() const override { return visible_; }
  void SetFontStyle(TFontStyles style) override { style_ = style; }
  TFontStyles FontStyle() const override { return style_; }
  // The user presses the button.
  void Press();

 private:
  std::string caption_;
  bool visible_ = true;
  TFontStyles style_ = 0;
};

class THeadlessControls : public IControlFactory {
 public:
  std::unique_ptr<IListControl> CreateDropDown() override { return std::make_unique<THeadlessList>(); }
  std::unique_ptr<IListControl> CreateListBox() override { return std::make_unique<THeadlessList>(); }
  std::unique_ptr<IButtonControl> CreateButton() override { return std::make_unique<THeadlessButton>(); }
};

}  // namespace vm
