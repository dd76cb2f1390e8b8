#include "ui/qt/qt_controls.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <cstdlib>
#include <functional>

#include "documents/form_layout.h"
#include "foundation/qt/font_families.h"
#include "foundation/qt/qt_text.h"
#include "models/table_render.h"

namespace vm {

namespace {

// As many rows as the drop-down of a select shows at once.
constexpr int kDropDownRows = 25;

// The field of a view cell is left when the focus goes from a text the
// user changed; a refused text stays changed, so every try to leave it is
// refused again. A pop-up of its own is no leaving.
class TCellField : public QLineEdit {
 public:
  std::function<void()> OnLeave;

 protected:
  void focusOutEvent(QFocusEvent* event) override {
    QLineEdit::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason && isModified() && OnLeave) OnLeave();
  }
};

}  // namespace

TQtControl::~TQtControl() { delete widget_.data(); }

void TQtControl::SetParent(QWidget* parent) {
  if (!widget_) return;
  widget_->setParent(parent);
  if (parent != nullptr) widget_->setVisible(Shown());
}

void TQtControl::Show(bool visible) {
  if (widget_ && widget_->parentWidget() != nullptr) widget_->setVisible(visible);
}

void TQtControl::Place(const TRect32& box) {
  if (widget_) widget_->setGeometry(box.Left, box.Top, box.Width, box.Height);
}

TRect32 TQtControl::Box(const TRect32& fallback) const {
  if (!widget_) return fallback;
  const QRect r = widget_->geometry();
  return {r.x(), r.y(), r.width(), r.height()};
}

void TQtControl::ApplyFont(int32_t height, TFontStyles style) {
  if (!widget_) return;
  QFont font = height != 0 ? FontForFamily(TableFontName(), std::abs(height)) : widget_->font();
  font.setBold(style & kFsBold);
  font.setItalic(style & kFsItalic);
  font.setUnderline(style & kFsUnderline);
  font.setStrikeOut(style & kFsStrikeOut);
  widget_->setFont(font);
}

template <class Headless>
void TQtShown<Headless>::SetVisible(bool visible) {
  Headless::SetVisible(visible);
  Show(visible);
}

template <class Headless>
void TQtShown<Headless>::SetFontStyle(TFontStyles style) {
  Headless::SetFontStyle(style);
  ApplyFont(this->FontHeight(), style);
}

template <class Headless>
void TQtShown<Headless>::SetBounds(const TRect32& box) {
  Headless::SetBounds(box);
  Place(box);
}

template <class Headless>
void TQtShown<Headless>::SetFontHeight(int32_t height) {
  Headless::SetFontHeight(height);
  ApplyFont(height, this->FontStyle());
}

template class TQtShown<THeadlessList>;
template class TQtShown<THeadlessButton>;

int TQtListControl::Add(const std::string& s) {
  const int index = THeadlessList::Add(s);
  if (widget_) {
    const QSignalBlocker quiet(widget_);
    InsertIntoWidget(index, ToQt(s));
    // A drop-down would choose the first item added on its own.
    ShowChoice();
  }
  return index;
}

void TQtListControl::SetSorted(bool on) {
  THeadlessList::SetSorted(on);
  ShowItems();
}

void TQtListControl::Insert(int index, const std::string& s) {
  THeadlessList::Insert(index, s);
  ShowItems();
}

void TQtListControl::Clear() {
  THeadlessList::Clear();
  ShowItems();
}

void TQtListControl::SetItemIndex(int index) {
  THeadlessList::SetItemIndex(index);
  if (!widget_) return;
  const QSignalBlocker quiet(widget_);
  ShowChoice();
}

void TQtListControl::ShowItems() {
  if (!widget_) return;
  const QSignalBlocker quiet(widget_);
  ClearWidget();
  for (int i = 0; i < Count(); ++i) InsertIntoWidget(i, ToQt(Item(i)));
  ShowChoice();
}

void TQtListControl::UserChose(int index) {
  THeadlessList::SetItemIndex(index);
  if (OnChange) OnChange();
}

TQtDropDown::TQtDropDown() : TQtListControl(new QComboBox) {
  QComboBox* combo = Combo();
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setMaxVisibleItems(kDropDownRows);
  QObject::connect(combo, &QComboBox::activated, combo, [this](int index) { UserChose(index); });
  QObject::connect(combo, &QComboBox::editTextChanged, combo,
                   [this](const QString& text) { THeadlessList::SetText(FromQt(text)); });
}

QComboBox* TQtDropDown::Combo() const { return static_cast<QComboBox*>(widget_.data()); }

void TQtDropDown::SetFontHeight(int32_t height) {
  TQtListControl::SetFontHeight(height);
  // Its font gives a drop-down its height.
  if (widget_) widget_->resize(widget_->width(), widget_->sizeHint().height());
}

void TQtDropDown::ClearWidget() { Combo()->clear(); }

void TQtDropDown::InsertIntoWidget(int index, const QString& s) { Combo()->insertItem(index, s); }

void TQtDropDown::ShowChoice() {
  Combo()->setCurrentIndex(ItemIndex());
  Combo()->setEditText(ToQt(Text()));
}

TQtListBox::TQtListBox() : TQtListControl(new QListWidget) {
  QObject::connect(List(), &QListWidget::currentRowChanged, List(), [this](int row) {
    if (row >= 0) UserChose(row);
  });
}

QListWidget* TQtListBox::List() const { return static_cast<QListWidget*>(widget_.data()); }

void TQtListBox::ClearWidget() { List()->clear(); }

void TQtListBox::InsertIntoWidget(int index, const QString& s) { List()->insertItem(index, s); }

void TQtListBox::ShowChoice() { List()->setCurrentRow(ItemIndex()); }

TQtButton::TQtButton() : TQtShown(new QPushButton) {
  Button()->setAutoDefault(false);
  QObject::connect(Button(), &QPushButton::clicked, Button(), [this] { Press(); });
}

QPushButton* TQtButton::Button() const { return static_cast<QPushButton*>(widget_.data()); }

void TQtButton::SetCaption(const std::string& caption) {
  THeadlessButton::SetCaption(caption);
  if (widget_) Button()->setText(ToQt(caption));
}

TQtCell::TQtCell(bool input)
    : THeadlessCell(input), TQtControl(input ? static_cast<QWidget*>(new TCellField) : new QLabel) {
  if (!input) return;
  auto* edit = static_cast<TCellField*>(Edit());
  // What is typed is the cell's text, also once the field has gone.
  QObject::connect(edit, &QLineEdit::textChanged, edit, [this](const QString& text) {
    THeadlessCell::SetText(FromQt(text));
    FitToText();
  });
  QObject::connect(edit, &QLineEdit::returnPressed, edit, [this] { Leave(); });
  edit->OnLeave = [this] { Leave(); };
}

QLineEdit* TQtCell::Edit() const { return qobject_cast<QLineEdit*>(widget_.data()); }

void TQtCell::SetText(const std::string& text) {
  THeadlessCell::SetText(text);
  if (QLineEdit* edit = Edit()) {
    edit->setText(ToQt(text));
  } else if (auto* label = qobject_cast<QLabel*>(widget_.data())) {
    label->setText(ToQt(text));
    label->adjustSize();
  }
}

void TQtCell::SetVisible(bool visible) {
  THeadlessCell::SetVisible(visible);
  Show(visible);
}

void TQtCell::SetBold(bool bold) {
  THeadlessCell::SetBold(bold);
  ApplyFont(FontHeight(), bold ? kFsBold : 0);
}

void TQtCell::SetMaxLength(int32_t length) {
  THeadlessCell::SetMaxLength(length);
  // Qt's own limit stands for none.
  if (QLineEdit* edit = Edit()) edit->setMaxLength(length > 0 ? length : 32767);
}

void TQtCell::TakeFocus() {
  if (QLineEdit* edit = Edit()) edit->setFocus(Qt::OtherFocusReason);
}

bool TQtCell::Typed() const {
  const QLineEdit* edit = Edit();
  return edit != nullptr && edit->isModified();
}

TTextSize TQtCell::TextExtent() const {
  if (!widget_) return THeadlessCell::TextExtent();
  const QFontMetrics metrics(widget_->font());
  return {metrics.horizontalAdvance(ToQt(Text())), metrics.height()};
}

void TQtCell::SetBounds(const TRect32& box) {
  THeadlessCell::SetBounds(box);
  if (!widget_) return;
  if (Input()) {
    Place(box);
  } else {
    // A label is as large as its text.
    widget_->move(box.Left, box.Top);
    widget_->adjustSize();
  }
}

void TQtCell::SetFontHeight(int32_t height) {
  THeadlessCell::SetFontHeight(height);
  ApplyFont(height, Bold() ? kFsBold : 0);
  if (!Input() && widget_) widget_->adjustSize();
}

void TQtCell::FitToText() {
  QLineEdit* edit = Edit();
  if (edit == nullptr || edit->parentWidget() == nullptr) return;
  FitEditToText(*this, edit->parentWidget()->width());
  // The beginning of the text shows in a field that stopped at the edge.
  const int caret = edit->cursorPosition();
  edit->setCursorPosition(0);
  edit->setCursorPosition(caret);
}

TQtControls::~TQtControls() {
  for (const QPointer<QWidget>& widget : adopted_)
    if (widget && widget->parentWidget() == surface_) widget->setParent(nullptr);
}

template <class T>
std::unique_ptr<T> TQtControls::OnSurface(std::unique_ptr<T> control) {
  if (surface_) control->SetParent(surface_);
  return control;
}

std::unique_ptr<IListControl> TQtControls::CreateDropDown() { return OnSurface(std::make_unique<TQtDropDown>()); }

std::unique_ptr<IListControl> TQtControls::CreateListBox() { return OnSurface(std::make_unique<TQtListBox>()); }

std::unique_ptr<IButtonControl> TQtControls::CreateButton() { return OnSurface(std::make_unique<TQtButton>()); }

std::unique_ptr<ICellControl> TQtControls::CreateCell(bool input) {
  return OnSurface(std::make_unique<TQtCell>(input));
}

void TQtControls::Adopt(IPlacedControl& control) {
  auto* shown = dynamic_cast<TQtControl*>(&control);
  if (shown == nullptr || !surface_ || shown->Widget() == nullptr) return;
  shown->SetParent(surface_);
  adopted_.emplace_back(shown->Widget());
}

}  // namespace vm
