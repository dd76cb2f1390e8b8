// The tabs of the designer window: each shows the designer's working
// copies, passes on what the user does, and asks the window to bring the
// enabling of the controls up to date afterwards.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTreeWidget>
#include <QSplitter>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "documents/designer/designer.h"
#include "output/price_tag_draw.h"

namespace vm {

// What every tab shares: the designer, a fill-in guard and a call back to
// the window once something changed.
class TDesignerTabBase : public QWidget {
 public:
  TDesignerTabBase(TDesigner& designer, QWidget* parent) : QWidget(parent), d_(designer) {}
  // Fills the controls from the working copies.
  virtual void Refresh() = 0;
  // Enables the controls by the designer's table.
  virtual void Enable(const TDesignerEnabling& /*e*/) {}
  std::function<void()> Changed;

 protected:
  void Notify() {
    if (Changed) Changed();
  }
  // Puts the caret at the end of a memo line (0-based) and focuses it.
  static void ShowLine(QPlainTextEdit* memo, int32_t line);
  static QPushButton* AddButton(QLayout* bar, const std::string& caption);
  // The right part of a split: a caption over a description memo.
  static QPlainTextEdit* AddMemoPanel(QWidget* split, QLabel* caption);
  // A read-only grid of whole rows under a header of these titles.
  static QTableWidget* MakeGrid(const std::vector<std::string>& titles, QWidget* parent);
  // Descriptions keep their lines apart with CR LF, the memo with LF.
  static QString ToMemo(const std::string& text);
  // Shares of the grid's width less margin for its columns but the last,
  // which takes the rest (less the scroll bar when the rows do not all fit), kept so
  // whenever the grid is shown, resized or its scroll bar comes or goes.
  static void KeepColumnShares(QTableWidget* grid, std::vector<double> shares, int margin = 7);
  // Runs layOut whenever the grid is shown or resized or its scroll bar
  // comes or goes: only then does the grid know its own width.
  static void KeepLaidOut(QTableWidget* grid, std::function<void()> layOut);
  static std::string FromMemo(const QPlainTextEdit* memo);

  TDesigner& d_;
  bool filling_ = false;
};

// The tree of commands: only the designer's drag rules move a node.
class TCommandTree : public QTreeWidget {
 public:
  explicit TCommandTree(TCommandsPage& page, QWidget* parent);
  std::function<void()> Moved;

 protected:
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  TDocNode* NodeAt(const QPoint& pos) const;
  TCommandsPage& page_;
};

class TCommandsTab : public TDesignerTabBase {
 public:
  TCommandsTab(TDesigner& designer, QWidget* parent);
  void Refresh() override;
  void Enable(const TDesignerEnabling& e) override;
  void ShowSelected();
  void Select(TDocNode* node);

  TCommandTree* Tree;
  QPlainTextEdit* Memo;
  QSpinBox* Password;
  QLabel* PasswordLabel;
  QPushButton *Add, *Delete, *Preview, *Find, *FindNext, *CheckAll;

 protected:
  // Ctrl+F in the description searches it from the caret.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TCommandsPage& page_;
  void FillItem(QTreeWidgetItem* item, TDocNode* node);
  bool AskSearchText();
  void AfterFind();
};

class TFormsTab : public TDesignerTabBase {
 public:
  TFormsTab(TDesigner& designer, QWidget* parent);
  void Refresh() override;
  void Enable(const TDesignerEnabling& e) override;
  void ShowSelected();

  QListWidget* List;
  QLabel* Caption;
  QPlainTextEdit* Memo;
  QPushButton *Add, *Delete, *Rename, *Preview;

 private:
  TFormsPage& page_;
};

class TBasesTab : public TDesignerTabBase {
 public:
  TBasesTab(TDesigner& designer, QWidget* parent);
  void Refresh() override;
  void Enable(const TDesignerEnabling& e) override;
  void FillFields();

  QTableWidget* BasesGrid;
  QTableWidget* FieldsGrid;
  QLabel* StructureCaption;
  QPushButton *Add, *Delete, *Edit;

 private:
  TBasesPage& page_;
  void AddClicked();
  void DeleteClicked();
  void EditClicked();
};

class TBooksTab : public TDesignerTabBase {
 public:
  // The red square of a sort key column, the lime one of an editable one.
  void MarkColumns();
  // Over the current row's field cell while that row is in view.
  void PlaceFieldList();
  TBooksTab(TDesigner& designer, QWidget* parent);
  void Refresh() override;
  void Enable(const TDesignerEnabling& e) override;
  void ShowSelected();
  void FillColumns();

  QListWidget* List;
  QLineEdit *Title, *Sort, *EditColumns, *Filter;
  QComboBox* Form;
  QTableWidget* Columns;
  QComboBox* Field;
  QCheckBox *Insert, *Remove, *Edit, *AutoSort, *SortOnStart;
  QPushButton *Add, *Delete;

 private:
  TBooksPage& page_;
};

class TAutoParamsTab : public TDesignerTabBase {
 public:
  TAutoParamsTab(TDesigner& designer, QWidget* parent);
  void Refresh() override;
  void Enable(const TDesignerEnabling& e) override;

  QTableWidget* Grid;
  QPushButton *Add, *Delete, *Change;

 private:
  TAutoParamsPage& page_;
};

class TStartOfDayTab : public TDesignerTabBase {
 public:
  TStartOfDayTab(TDesigner& designer, QWidget* parent);
  void Refresh() override;

  QPlainTextEdit* Memo;
  QPushButton *Check, *Execute;

 private:
  TStartOfDayPage& page_;
};

class TMiscTab : public TDesignerTabBase {
 public:
  TMiscTab(TDesigner& designer, QWidget* parent);
  void Refresh() override;

  QLineEdit *Title, *BaseDir, *Scroll;
  QRadioButton *SystemClock, *ManualClock;
  QComboBox *Font, *Port;
  QCheckBox *Network, *ClosePort;
  QListWidget* Passwords;
  QPushButton *Browse, *PortSettings, *ChangePassword;

 private:
  TMiscPage& page_;
};

class TArchiveTab : public TDesignerTabBase {
 public:
  TArchiveTab(TDesigner& designer, QWidget* parent);
  void Refresh() override;
  void Enable(const TDesignerEnabling& e) override;

  QComboBox* Configs;
  QTableWidget* Grid;
  QPushButton *AddConfig, *DeleteConfig, *RenameConfig, *CheckConfig;
  QPushButton *AddEntry, *DeleteEntry, *EditEntry;

 private:
  TArchivePage& page_;
  void FillGrid();
  void LayOutColumns();
  void AskName(bool rename);
  void EditEntryDialog(bool editing);
};

class TPrintingTab : public TDesignerTabBase {
 public:
  TPrintingTab(TDesigner& designer, QWidget* parent);
  void Refresh() override;
  void Enable(const TDesignerEnabling& e) override;

  QListWidget* Formats;
  QLabel* DefaultFormat;
  QComboBox* Printer;
  QCheckBox* Compressed;
  QPushButton *Add, *Delete, *Format, *Rename, *MakeDefault;

 private:
  TPrintingPage& page_;
};

class TLabelsTab;

// The current tag fitted into the preview panel; a click chooses the zone
// under it.
class TTagPreview : public QWidget {
 public:
  TTagPreview(TLabelsPage& page, TLabelsTab& tab, QWidget* parent)
      : QWidget(parent), page_(page), tab_(tab) {}
  TFittedTag Fit;
  bool Borders = true;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  TLabelsPage& page_;
  TLabelsTab& tab_;
};

class TLabelsTab : public TDesignerTabBase {
 public:
  TLabelsTab(TDesigner& designer, QWidget* parent);
  void Refresh() override;
  void Enable(const TDesignerEnabling& e) override;
  // The tag's sizes and its zone shown again, the preview redrawn.
  void ShowTag();
  void ShowZone();
  void Redraw();

  QSpinBox *TagNumber, *TagHeight, *TagWidth, *Border;
  QSpinBox *ZoneNumber, *ZoneX, *ZoneY, *ZoneWidth, *ZoneHeight;
  QLabel* Sample;
  QCheckBox* ShowBorders;
  QWidget* PreviewPanel;
  TTagPreview* Preview;
  QPushButton *AddTag, *DeleteTag, *Print, *Graphics, *AddZone, *DeleteZone, *EditText;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TLabelsPage& page_;
  QSpinBox* AddSpin(QGridLayout* grid, int row, int column, const std::string& caption, int low,
                    int high, TCenSpin spin);
};

// "Ярлыки" before its editor: how many tags the configuration holds.
class TSummaryTab : public TDesignerTabBase {
 public:
  TSummaryTab(TDesigner& designer, TDesignerTab tab, QWidget* parent);
  void Refresh() override;

 private:
  TDesignerTab tab_;
  QLabel* text_;
};

}  // namespace vm
