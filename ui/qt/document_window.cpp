#include "ui/qt/document_window.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "documents/document_recalc.h"
#include "platform/encoding.h"
#include "ui/qt/data_view_widget.h"
#include "ui/qt/form_surface.h"
#include "ui/qt/help_list_box.h"
#include "ui/qt/qt_services.h"
#include "ui/qt/qt_text.h"

namespace vm {

TDocumentWindow::TDocumentWindow(TCompiledDocument& doc, TDocumentWindowLogic& logic,
                                 const std::string& caption, QWidget* parent)
    : QDialog(parent), doc_(doc), logic_(logic) {
  setWindowTitle(ToQt(caption));
  auto* layout = new QVBoxLayout(this);
  // The surface of the document: its controls stand where the description
  // puts them, at the scale of the surface's width.
  auto* canvas = new QWidget(this);
  layout->addWidget(canvas, 1);
  doc_.Events.Recalc = [this] { RecalcDocument(doc_); };
  for (const auto& form : doc_.Forms) {
    TDataView& view = form->View();
    // Every accepted cell recalculates the document, after what the
    // document's own programs do with it.
    auto accepted = view.OnCellAccepted;
    accepted_.push_back(accepted);
    view.OnCellAccepted = [this, accepted](TDataView& v) {
      if (accepted) accepted(v);
      RecalcDocument(doc_);
    };
    // The tables filled while hidden; shown, they draw and edit.
    if (view.Updating()) view.SetUpdating(false);
    auto* table = new TDataViewWidget(view, canvas);
    table->installEventFilter(this);
    tables_.push_back(table);
    if (form->Help != nullptr) new THelpListBox(*form, *table, canvas);
  }
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  ok_ = new QPushButton(ToQt("OK"_w), this);
  cancel_ = new QPushButton(ToQt("Отмена"_w), this);
  ok_->setAutoDefault(false);
  cancel_->setAutoDefault(false);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  layout->addLayout(buttons);
  connect(ok_, &QPushButton::clicked, this, &TDocumentWindow::Ok);
  connect(cancel_, &QPushButton::clicked, this, &TDocumentWindow::reject);
  resize(584, 448);
  layout->activate();
  surface_ = std::make_unique<TFormSurface>(doc_, *canvas);
  if (QWidget* first = surface_->FirstControl()) first->setFocus();
  // Scanner lines come on the port's thread; they are handled here.
  logic_.SetScanWake([this] {
    QMetaObject::invokeMethod(this, &TDocumentWindow::DrainScanLines, Qt::QueuedConnection);
  });
  // A program's OKCLICK and CHECKALL act on this window.
  if (auto* qt = dynamic_cast<TQtUiServices*>(&Ui())) {
    qt->DocWindow.OkClick = [this](bool confirm) {
      logic_.OkButClick(false, confirm);
      if (logic_.MayClose()) QDialog::accept();
    };
    qt->DocWindow.CheckAll = [this] { return logic_.CheckAll(); };
  }
}

void TDocumentWindow::DrainScanLines() {
  if (logic_.DrainScanLines() > 0)
    for (TDataViewWidget* table : tables_) table->update();
  // A run under way keeps the lines waiting; come back when it may be over.
  if (logic_.ScanLinesWaiting())
    QTimer::singleShot(50, this, &TDocumentWindow::DrainScanLines);
}

TDocumentWindow::~TDocumentWindow() {
  logic_.SetScanWake(nullptr);
  if (auto* qt = dynamic_cast<TQtUiServices*>(&Ui())) {
    qt->DocWindow.OkClick = nullptr;
    qt->DocWindow.CheckAll = nullptr;
  }
  // The look-up lists hand the views' handlers back before the window's own
  // are restored.
  qDeleteAll(findChildren<THelpListBox*>());
  doc_.Events.Recalc = nullptr;
  std::size_t i = 0;
  for (const auto& form : doc_.Forms)
    if (i < accepted_.size()) form->View().OnCellAccepted = accepted_[i++];
}

// Insert outside editing adds a row to the table and puts the user in its
// first cell, the key.
bool TDocumentWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    for (TDataViewWidget* table : tables_) {
      if (table != watched || key->key() != Qt::Key_Insert) continue;
      TDataView& view = table->View();
      if (view.Editing()) return false;
      const int32_t row = view.AddRow();
      view.SetRow(row);
      view.SetCol(0);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TDocumentWindow::Ok() {
  logic_.OkButClick(true);
  if (logic_.MayClose()) QDialog::accept();
}

void TDocumentWindow::reject() {
  logic_.CanButClick(true);
  if (logic_.MayClose()) QDialog::reject();
}

}  // namespace vm
