// The document's controls on the document window's surface: the selects,
// list selects and buttons brought onto it, the view cells made on it, all
// laid out again whenever the surface changes size (so the form follows the
// window and its zoom), and the focus order set by rows. The information
// window's cells are placed the same way on its panel.
#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

#include "documents/compiled_document.h"
#include "documents/form_layout.h"
#include "ui/qt/qt_controls.h"

namespace vm {

class TDataViewWidget;
class TInfoWindow;

class TFormSurface : public QObject {
  Q_OBJECT

 public:
  // The tables' widgets must stand on surface already. The window keeps
  // it and lets it go before the surface.
  TFormSurface(TCompiledDocument& doc, QWidget& surface);
  ~TFormSurface() override;

  // The information cells on the window's panel, laid out with it.
  void PlaceInfoCells(TInfoWindow& window);
  // The first control made that is shown and takes the focus: the focus
  // goes there when the window shows.
  QWidget* FirstControl() const;
  // Its tab order, and the control the focus moves on from.
  TDocumentForm& Form() { return form_; }
  const TDocumentForm& Form() const { return form_; }
  // The widget of a control of the tab order; nullptr for the information
  // window's, which keep their own order.
  QWidget* WidgetOf(const TFormControl& control) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Layout();
  TDataViewWidget* TableWidget(int32_t form) const;

  TCompiledDocument& doc_;
  QWidget& surface_;
  TQtControls controls_;
  std::unique_ptr<TQtControls> infoControls_;
  QPointer<TInfoWindow> info_;
  TDocumentForm form_;
};

}  // namespace vm
