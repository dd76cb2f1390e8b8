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

namespace vm {

// Adds s after the items that sort before it or equal it, letters without
// case, as the sorted lists of the windows add; returns its index.
int AddSorted(std::vector<std::string>& items, const std::string& s);

class IListControl {
 public:
  virtual ~IListControl() = default;
  virtual int Count() const = 0;
  virtual std::string Item(int index) const = 0;
  // Adds at the place the sorting gives; returns that index.
  virtual int Add(const std::string& s) = 0;
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

class IButtonControl {
 public:
  virtual ~IButtonControl() = default;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual std::string Caption() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool Visible() const = 0;
  virtual void SetFontStyle(TFontStyles style) = 0;
  virtual TFontStyles FontStyle() const = 0;

  std::function<void()> OnClick;
};

// The control of a view cell: a label, or an edit that takes a typed value.
class ICellControl {
 public:
  virtual ~ICellControl() = default;
  // The label's caption or the edit's text.
  virtual void SetText(const std::string& text) = 0;
  virtual std::string Text() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool Visible() const = 0;
  virtual void SetBold(bool bold) = 0;
  // Edits only: the most characters the user may type; 0 for no limit.
  virtual void SetMaxLength(int32_t length) = 0;
  virtual int32_t MaxLength() const = 0;

  // Called when the focus leaves an edit.
  std::function<void()> OnExit;
};

class THeadlessCell : public ICellControl {
 public:
  explicit THeadlessCell(bool input) : input_(input) {}
  void SetText(const std::string& text) override { text_ = text; }
  std::string Text() const override { return text_; }
  void SetVisible(bool visible) override { visible_ = visible; }
  bool Visible() const override { return visible_; }
  void SetBold(bool bold) override { bold_ = bold; }
  bool Bold() const { return bold_; }
  void SetMaxLength(int32_t length) override { maxLength_ = length; }
  int32_t MaxLength() const override { return maxLength_; }
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
};

class THeadlessList : public IListControl {
 public:
  int Count() const override { return static_cast<int>(items_.size()); }
  std::string Item(int index) const override;
  int Add(const std::string& s) override;
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
  int index_ = -1;
  std::string text_;
  bool visible_ = true;
  TFontStyles style_ = 0;
};

class THeadlessButton : public IButtonControl {
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
