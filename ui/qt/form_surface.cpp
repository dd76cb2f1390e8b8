#include "ui/qt/form_surface.h"

#include <QEvent>

#include "ui/qt/data_view_widget.h"
#include "ui/qt/info_window.h"

namespace vm {

namespace {

QWidget* WidgetOfControl(IPlacedControl& control) {
  const auto* shown = dynamic_cast<const TQtControl*>(&control);
  return shown != nullptr ? shown->Widget() : nullptr;
}

bool TakesFocus(const QWidget* w) {
  return w != nullptr && !w->isHidden() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus);
}

}  // namespace

TFormSurface::TFormSurface(TCompiledDocument& doc, QWidget& surface)
    : doc_(doc), surface_(surface), controls_(&surface), form_(doc) {
  form_.Build(controls_, surface.width(), surface.height());
  Layout();
  QWidget* previous = nullptr;
  for (const TFormControl& control : form_.TabOrder()) {
    QWidget* w = WidgetOf(control);
    if (w == nullptr) continue;
    if (previous != nullptr) QWidget::setTabOrder(previous, w);
    previous = w;
  }
  surface.installEventFilter(this);
}

TFormSurface::~TFormSurface() {
  surface_.removeEventFilter(this);
  if (info_) info_->OnLayout = nullptr;
}

void TFormSurface::PlaceInfoCells(TInfoWindow& window) {
  info_ = &window;
  window.SetDesignSize(doc_.InfViews.DesignWidth, doc_.InfViews.DesignHeight);
  infoControls_ = std::make_unique<TQtControls>(window.Panel());
  form_.BuildInfo(*infoControls_, window.Panel()->width(), window.Panel()->height());
  window.OnLayout = [this](int) {
    if (info_) form_.LayoutInfo(info_->Panel()->width(), info_->Panel()->height());
  };
}

TDataViewWidget* TFormSurface::TableWidget(int32_t form) const {
  TFormPar* par = doc_.Forms.GetItem(form);
  if (par == nullptr) return nullptr;
  for (TDataViewWidget* w : surface_.findChildren<TDataViewWidget*>(Qt::FindDirectChildrenOnly))
    if (&w->View() == &par->View()) return w;
  return nullptr;
}

QWidget* TFormSurface::WidgetOf(const TFormControl& control) const {
  const int32_t i = control.Index;
  switch (control.Kind) {
    case TFormControlKind::Table:
      return TableWidget(i);
    case TFormControlKind::Cell:
      return WidgetOfControl(*doc_.Views.GetItem(i)->Control());
    case TFormControlKind::Select:
      return WidgetOfControl(doc_.Selects.GetItem(i)->Combo());
    case TFormControlKind::Button:
      return WidgetOfControl(doc_.Buttons.GetItem(i)->Button());
    case TFormControlKind::ListSelect:
      return WidgetOfControl(doc_.ListSelects.GetItem(i)->List());
    case TFormControlKind::InfoCell:
      return nullptr;
  }
  return nullptr;
}

QWidget* TFormSurface::FirstControl() const {
  // In the order they were made: the tables with the document, the rest
  // with its form.
  using K = TFormControlKind;
  const std::pair<K, int32_t> lists[] = {{K::Table, doc_.Forms.Count()},
                                         {K::Select, doc_.Selects.Count()},
                                         {K::Button, doc_.Buttons.Count()},
                                         {K::ListSelect, doc_.ListSelects.Count()},
                                         {K::Cell, doc_.Views.Count()}};
  for (const auto& [kind, count] : lists)
    for (int32_t i = 0; i < count; ++i)
      if (QWidget* w = WidgetOf({kind, i}); TakesFocus(w)) return w;
  return nullptr;
}

void TFormSurface::Layout() {
  form_.Layout(surface_.width(), surface_.height());
  for (int32_t i = 0; i < doc_.Forms.Count(); ++i) {
    if (TDataViewWidget* table = TableWidget(i)) {
      const TRect32 box = form_.TableBox(i);
      table->setGeometry(box.Left, box.Top, box.Width, box.Height);
    }
  }
}

bool TFormSurface::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &surface_ && event->type() == QEvent::Resize) Layout();
  return QObject::eventFilter(watched, event);
}

}  // namespace vm
