#include "ui/qt/document_window.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "documents/document_recalc.h"
#include "documents/view_cells.h"
#include "platform/encoding.h"
#include "ui/qt/data_view_widget.h"
#include "ui/qt/help_list_box.h"
#include "ui/qt/qt_text.h"

namespace vm {

TDocumentWindow::TDocumentWindow(TCompiledDocument& doc, TDocumentWindowLogic& logic,
                                 const std::string& caption, QWidget* parent)
    : QDialog(parent), doc_(doc), logic_(logic) {
  setWindowTitle(ToQt(caption));
  auto* layout = new QVBoxLayout(this);
  // The tables and the view cells stand where the description puts them.
  auto* canvas = new QWidget(this);
  layout->addWidget(canvas, 1);
  int32_t width = 640, height = 0;
  for (const auto& form : doc_.Forms) height = std::max(height, form->Bottom);
  for (int32_t i = 0; i < doc_.Views.Count(); ++i)
    height = std::max(height, doc_.Views.GetItem(i)->Y + 24);
  canvas->setMinimumSize(width, height + 4);
  // The cells keep their values in controls of their own, which the
  // widgets below show and feed.
  doc_.Events.Recalc = [this] {
    RecalcDocument(doc_);
    RefreshViews();
  };
  doc_.Views.CreateControls(cellControls_, doc_.Events);
  for (int32_t i = 0; i < doc_.Views.Count(); ++i) {
    TViewCell* cell = doc_.Views.GetItem(i);
    ICellControl* control = cell->Control();
    if (!control) continue;
    QWidget* shown;
    if (cell->Input) {
      auto* edit = new QLineEdit(canvas);
      if (control->MaxLength() > 0) edit->setMaxLength(control->MaxLength());
      connect(edit, &QLineEdit::editingFinished, this, [this, edit, control] {
        control->SetText(FromQt(edit->text()));
        if (control->OnExit) control->OnExit();
      });
      shown = edit;
    } else {
      shown = new QLabel(canvas);
    }
    QFont font = shown->font();
    font.setBold(cell->Bold);
    shown->setFont(font);
    shown->move(cell->X, cell->Y);
    views_.push_back({control, shown});
  }
  for (const auto& form : doc_.Forms) {
    TDataView& view = form->View();
    // Every accepted cell recalculates the document, after what the
    // document's own programs do with it.
    auto accepted = view.OnCellAccepted;
    accepted_.push_back(accepted);
    view.OnCellAccepted = [this, accepted](TDataView& v) {
      if (accepted) accepted(v);
      RecalcDocument(doc_);
      RefreshViews();
    };
    // The tables filled while hidden; shown, they draw and edit.
    if (view.Updating()) view.SetUpdating(false);
    auto* table = new TDataViewWidget(view, canvas);
    table->setGeometry(form->Left + 4, form->Top, width - form->Left - 8,
                       std::max(form->Bottom - form->Top, 60));
    tables_.push_back(table);
    // Insert, the key and its look-up list belong to the table's row entry.
    new THelpListBox(doc_, logic_, *form, *table, canvas);
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
  RefreshViews();
  if (!tables_.empty()) tables_.front()->setFocus();
  // Scanner lines come on the port's thread; they are handled here.
  logic_.SetScanWake([this] {
    QMetaObject::invokeMethod(this, &TDocumentWindow::DrainScanLines, Qt::QueuedConnection);
  });
}

void TDocumentWindow::DrainScanLines() {
  if (logic_.DrainScanLines() > 0) {
    RefreshViews();
    for (TDataViewWidget* table : tables_) table->update();
  }
  // A run under way keeps the lines waiting; come back when it may be over.
  if (logic_.ScanLinesWaiting())
    QTimer::singleShot(50, this, &TDocumentWindow::DrainScanLines);
}

void TDocumentWindow::RefreshViews() {
  for (const TShownCell& v : views_) {
    v.Widget->setVisible(v.Control->Visible());
    if (auto* edit = qobject_cast<QLineEdit*>(v.Widget)) {
      if (!edit->hasFocus()) edit->setText(ToQt(v.Control->Text()));
    } else if (auto* label = qobject_cast<QLabel*>(v.Widget)) {
      label->setText(ToQt(v.Control->Text()));
      label->adjustSize();
    }
  }
}

TDocumentWindow::~TDocumentWindow() {
  logic_.SetScanWake(nullptr);
  // The look-up lists hand the views' handlers back before the window's own
  // are restored.
  qDeleteAll(findChildren<THelpListBox*>());
  doc_.Events.Recalc = nullptr;
  std::size_t i = 0;
  for (const auto& form : doc_.Forms)
    if (i < accepted_.size()) form->View().OnCellAccepted = accepted_[i++];
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
