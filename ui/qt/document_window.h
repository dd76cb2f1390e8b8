// The document window: the tables of a running document, one under the
// other, with OK and Cancel. What the buttons and the closing do belongs
// to the document window logic; this window only shows the tables and
// passes the user's presses on.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "documents/compiled_document.h"
#include "documents/controls.h"
#include "documents/document_window.h"

class QPushButton;

namespace vm {

class TDataViewWidget;
class TFormSurface;

class TDocumentWindow : public QDialog {
  Q_OBJECT

 public:
  TDocumentWindow(TCompiledDocument& doc, TDocumentWindowLogic& logic, const std::string& caption,
                  QWidget* parent = nullptr);
  ~TDocumentWindow() override;

  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }
  TDataViewWidget* Table(int32_t index) const { return tables_[static_cast<std::size_t>(index)]; }
  int32_t TableCount() const { return static_cast<int32_t>(tables_.size()); }

  // The document's controls on the surface, at its scale.
  TFormSurface& Surface() const { return *surface_; }

 public slots:
  // Esc and the window's close box: Cancel with its question.
  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Ok();
  void DrainScanLines();

  TCompiledDocument& doc_;
  TDocumentWindowLogic& logic_;
  std::vector<TDataViewWidget*> tables_;
  std::unique_ptr<TFormSurface> surface_;
  std::vector<std::function<void(TDataView&)>> accepted_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

}  // namespace vm
