// The document window: the document's surface (Panel1) under its visible
// area, its controls laid out at the surface's scale, scrolled and zoomed
// when the document asks for it, the button bar
// with the search line and the status bar, and the information window
// beside it. What the buttons, the keys, the selection and the status bar
// do belongs to the document frame and the window logic; this window only
// shows their states and passes the user's presses on.
#pragma once

#include <QDialog>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/registries.h"
#include "documents/compiled_document.h"
#include "documents/controls.h"
#include "documents/document_frame.h"
#include "documents/document_window.h"
#include "documents/frame_geometry.h"

class QCheckBox;
class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QToolButton;

namespace vm {

class TDataViewWidget;
class TFormSurface;
class THelpListBox;
class TInfoWindow;
class TWorkSprav;

class TDocumentWindow : public QDialog {
  Q_OBJECT

 public:
  // The modal result of a document that ended at its start.
  static constexpr int kNotShown = 3;

  TDocumentWindow(TCompiledDocument& doc, TDocumentWindowLogic& logic, TDocData& data,
                  QWidget* parent = nullptr);
  ~TDocumentWindow() override;

  // Puts the windows where the document had them and sets the zoom boxes.
  void ApplyDocLayout();
  // Opens the document (INIT or the re-entry part) and shows the window
  // modally; kNotShown when the document terminated at its start.
  int ShowModal(bool firstShowing);

  TDocumentFrame& Frame() { return frame_; }
  QPushButton* Button(TFrameButton b) const { return buttons_[static_cast<std::size_t>(b)]; }
  QPushButton* OkButton() const { return Button(kOkBut); }
  QPushButton* CancelButton() const { return Button(kCanBut); }
  TDataViewWidget* Table(int32_t index) const { return tables_[static_cast<std::size_t>(index)]; }
  int32_t TableCount() const { return static_cast<int32_t>(tables_.size()); }
  TDataViewWidget* TableOf(const TDataView& view) const;
  QWidget* Panel1() const { return panel1_; }
  QWidget* Panel2() const { return panel2_; }
  QWidget* VisibleArea() const { return panel8_; }
  QScrollBar* HScroll() const { return hScroll_; }
  QScrollBar* VScroll() const { return vScroll_; }
  QWidget* ZoomTools() const { return panel6_; }
  // Fit, enlarge, reduce.
  QToolButton* ZoomButton(int i) const { return zoom_[static_cast<std::size_t>(i)]; }
  QCheckBox* HorizontalZoom() const { return horz_; }
  QCheckBox* VerticalZoom() const { return vert_; }
  QLineEdit* SearchEdit() const { return edit1_; }
  QWidget* SearchLine() const { return panel4_; }
  QLabel* StatusRows() const { return statusRows_; }
  QLabel* StatusText() const { return statusText_; }
  TInfoWindow* InfoWindow() const { return info_; }
  // "Справочники", when the document has look-up pages.
  TWorkSprav* LookupWindow() const { return sprav_; }

  // The document's controls on the surface, at its scale.
  TFormSurface& Surface() const { return *surface_; }

  // --- Seams for what others build on the window ---------------------------------
  // Called once the window shows (tests work in the window there).
  std::function<void(TDocumentWindow&)> OnShown;
  // The look-up window of the document's pages, when there is one.
  void SetLookupWindow(QWidget* window) { lookup_ = window; }

 public slots:
  // Esc and the window's close box: Cancel with its question.
  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildFrame();
  void BuildZoomTools();
  void HookFrame();
  void LayOut();
  void Panel3Resize();
  void SyncScrollBars();
  void ScrollChanged();
  void ShowFrameState();
  void KeepInSight(TDataView& view, int32_t col, int32_t row);
  bool PreviewKey(QKeyEvent* key);
  void SaveDocLayout();
  void PlaceBeside(QWidget& window, int frameTop) const;
  TFrameSize VisibleSize() const;
  TFrameSize LargestSize() const;
  void Ok();
  // "Печать", automatic printing after OK and a program's PRINTCLICK.
  void Print();
  void DrainScanLines();
  void BuildLookupWindow();
  // The table of the form a program's SELECTTABLE named.
  void FocusForm(FocusableTable* table);

  TCompiledDocument& doc_;
  TDocumentWindowLogic& logic_;
  TDocData& data_;
  TDocumentFrame frame_;
  std::vector<TDataViewWidget*> tables_;
  // Each table's row entry with its look-up list, in the tables' order.
  std::vector<THelpListBox*> lists_;
  std::unique_ptr<TFormSurface> surface_;
  std::vector<std::function<void(TDataView&)>> accepted_;

  QFrame* panel3_ = nullptr;
  QWidget* panel8_ = nullptr;
  QWidget* panel1_ = nullptr;
  QScrollBar* hScroll_ = nullptr;
  QScrollBar* vScroll_ = nullptr;
  QWidget* panel2_ = nullptr;
  QWidget* panel4_ = nullptr;
  QLineEdit* edit1_ = nullptr;
  QLabel* label1_ = nullptr;
  QWidget* panel5_ = nullptr;
  QWidget* panel6_ = nullptr;
  std::array<QToolButton*, 3> zoom_{};
  QCheckBox* horz_ = nullptr;
  QCheckBox* vert_ = nullptr;
  QLabel* statusRows_ = nullptr;
  QLabel* statusText_ = nullptr;
  std::array<QPushButton*, kFrameButtons> buttons_{};
  TInfoWindow* info_ = nullptr;
  TWorkSprav* sprav_ = nullptr;
  QPointer<QWidget> lookup_;
  // The table the start program chose, focused when the window shows.
  QPointer<QWidget> pendingFocus_;
  // The event-loop level the window's own events come at; a deeper one is
  // a dialog's.
  int loopLevel_ = 0;
  bool searchLine_ = false;
  bool layingOut_ = false;
  bool resizedOnce_ = false;
};

}  // namespace vm
