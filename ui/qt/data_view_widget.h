// The blank view on the screen: a thin window over the blank view model
// (models/data_view.h). The widget keeps only pixel geometry (zoom, header
// bottom, row heights, the first row shown); every key, click, wheel turn,
// focus change and edit goes to the model, which decides what it does.
#pragma once

#include <QFrame>
#include <QImage>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <functional>
#include <vector>

#include "models/data_view.h"
#include "models/table_render.h"

class QPaintEvent;
class QPainter;

namespace vm {

class TAutoList;
class TCanvas;
class TDataViewWidget;

// The in-place editor: a memo without a frame whose keys the model sees
// first. A text wraps in it as its cell wraps it; any other value stays on
// one line.
class TCellEditor : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit TCellEditor(TDataViewWidget& owner);
  // The height of the text's lines as the editor lays them out.
  int TextHeight();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  TDataViewWidget& owner_;
};

class TDataViewWidget : public QFrame, public TDataViewObserver {
  Q_OBJECT

 public:
  // The widget observes view until it goes; the view stays the caller's.
  explicit TDataViewWidget(TDataView& view, QWidget* parent = nullptr);
  ~TDataViewWidget() override;

  TDataView& View() { return view_; }
  // Expanded into header texts.
  const TAutoList* HeaderParams = nullptr;
  // Delta units of the wheel per row; the model's default when not positive.
  int32_t WheelUnit = 0;
  // A click on the header of a column; by default it sorts the rows by the
  // column, the other way round on a second click.
  std::function<void(int32_t col)> OnHeaderClick;

  // Geometry in pixels of the paint area.
  int32_t TopRow() const { return topRow_; }
  int32_t RowsTop() const { return rowsTop_; }
  int32_t RowsHeight() const { return rowsHeight_; }
  int32_t LinePen() const { return pen_.Width; }
  long double Scale() const { return scale_; }
  // The pixel rectangle of a cell; empty when the row is above TopRow or
  // below the rows shown.
  QRect CellRect(int32_t col, int32_t row);
  // The cell at a point of the paint area; false when none.
  bool HitTest(QPoint point, int32_t& row, int32_t& col);
  // The rows that fit from TopRow (the last one may be cut).
  int32_t VisibleRows();
  int32_t ScrollBarWidth() const { return rowBar_->width(); }
  QScrollBar* RowBar() const { return rowBar_; }
  TCellEditor* Editor() const { return editor_; }
  QWidget* PaintArea() const { return area_; }
  // Lays the view out for its size again (after a page became visible).
  void ResizeParts();

  // TDataViewObserver
  void BlankChanged() override;
  void RowsChanged() override;
  void CellChanged(int32_t col, int32_t row) override;
  void CurrentChanged() override;
  void EditingChanged() override;
  void UpdatingChanged() override;
  void FocusRequested() override;
  void RepaintRequested() override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend class TCellEditor;
  void Relayout();
  void PaintArea(const QPaintEvent& event);
  // What besides the cells decides the picture: the current cell, the rows
  // highlighted, the first row shown and the focus.
  struct TPicturePlace {
    int32_t Row, Col, Top, SelFirst, SelLast, SelCount;
    bool Focused;
    bool operator==(const TPicturePlace&) const = default;
  };
  TPicturePlace PlaceNow() const;
  // Whether the picture has the area's size.
  bool PictureFits() const;
  // Paints region of the picture the area shows; the rows only when they
  // may be drawn.
  void PaintPicture(const QRegion& region, bool rows);
  void PaintAll(QPainter& painter, bool rows);
  void PaintRows(TCanvas& canvas);
  int32_t RowHeight(TCanvas& canvas, int32_t row);
  int32_t RowHeight(int32_t row);
  void KeepCurrentVisible();
  void SyncRowBar();
  void PlaceEditor();
  void FitEditorHeight();
  void AreaMousePress(QMouseEvent* event);
  void AreaDoubleClick(QMouseEvent* event);

  TDataView& view_;
  QWidget* area_;
  QScrollBar* rowBar_;
  TCellEditor* editor_;
  long double scale_ = 1.0L;        // pixels per 0.1 mm
  long double headerScale_ = 1.0L;  // the zoom handed to the header drawing
  TLinePen pen_;
  std::vector<TColumnPixels> cols_;  // as the last layout computed them
  int32_t areaBottom_ = 0;
  int32_t rowsTop_ = 0;
  int32_t rowsHeight_ = 0;
  int32_t minRowHeight_ = 0;
  int32_t topRow_ = -1;
  bool inLayout_ = false;
  bool syncingBar_ = false;
  bool rangeShown_ = false;  // a range of rows was highlighted at the last paint
  QImage shown_;             // what the paint area shows, kept while the view is suspended
  bool pictureKept_ = false;  // shown_ stands for the present suspension
  bool pictureStale_ = true;  // the cells changed since shown_ was painted
  TPicturePlace placeShown_{};
  int32_t sortedCol_ = -1;
  bool sortedDescending_ = false;
};

// Windows key codes of a Qt key; 0 for keys the views do not know.
int32_t ViewKeyOf(int qtKey);
TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers);

}  // namespace vm
