// The question and base-question dialogs as the document language asks for
// them: labels and edits laid out row by row, and a grid of texts to pick a
// record from.
#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <cmath>

#include "ui/qt/base_question_dialog.h"
#include "ui/qt/com_edit.h"
#include "ui/qt/input_dialog.h"
#include "ui/qt/list_dialog.h"
#include "ui/qt/qt_services.h"
#include "foundation/qt/qt_text.h"
#include "ui/qt/question_dialog.h"

namespace vm {

namespace {

constexpr int kRowStep = 24;
constexpr int kMaxControlWidth = 250;
constexpr int kButtonPanelHeight = 39;

// Room for chars characters: half of them average, half the widest.
int EditWidth(const QFontMetrics& metrics, int chars) {
  const int margin = 8 + 2;
  const int width = (chars - chars / 2) * metrics.averageCharWidth() + (chars / 2) * metrics.maxWidth() + margin;
  return std::min(width, kMaxControlWidth);
}

}  // namespace

bool TQtUiServices::AskQuestion(const QuestionRequest& request, std::vector<std::string>& texts) {
  TQuestionDialog dialog(AskingWindow());
  dialog.setWindowTitle(ToQt(request.Caption));
  dialog.SetCancelVisible(request.CancelVisible);
  std::vector<QLineEdit*> edits;
  int widestLabel = 0;
  int widestEdit = 0;
  // The margins every other dialog's layout keeps from the window's edge.
  const QStyle* style = dialog.style();
  const int left = style->pixelMetric(QStyle::PM_LayoutLeftMargin);
  const int right = style->pixelMetric(QStyle::PM_LayoutRightMargin);
  const int topMargin = style->pixelMetric(QStyle::PM_LayoutTopMargin);
  for (std::size_t i = 0; i < request.Inputs.size(); ++i) {
    const QuestionInput& input = request.Inputs[i];
    const int top = topMargin + kRowStep * static_cast<int>(i);
    auto* label = new QLabel(ToQt(input.Label), dialog.Client());
    label->adjustSize();
    label->setGeometry(left, top, std::min(label->width(), kMaxControlWidth), label->height());
    widestLabel = std::max(widestLabel, label->width());
    auto* edit = new TComEdit(TValueEdit{input.Kind, input.Width, input.Decimals}, ToQt(input.Text), dialog.Client());
    edit->setGeometry(0, top - 2, EditWidth(edit->fontMetrics(), input.Length), edit->sizeHint().height());
    widestEdit = std::max(widestEdit, edit->width());
    QObject::connect(edit, &QLineEdit::textChanged, &dialog, [&dialog] { dialog.UpdateOk(); });
    edits.push_back(edit);
  }
  for (QLineEdit* edit : edits) edit->move(left + widestLabel + 7, edit->y());
  auto typed = [&edits] {
    std::vector<std::string> all;
    for (QLineEdit* edit : edits) all.push_back(FromQt(edit->text()));
    return all;
  };
  dialog.SetValidator([&] { return !request.Accept || request.Accept(typed()); });
  dialog.resize(std::max(left + widestLabel + 7 + widestEdit + right, 200),
                topMargin + kRowStep * static_cast<int>(edits.size()) + kButtonPanelHeight);
  const bool ok = dialog.ShowModal() == kIdOk;
  texts = ok ? typed() : std::vector<std::string>();
  return ok;
}

BaseQuestionEnd TQtUiServices::AskBaseQuestion(const BaseQuestionRequest& request, int32_t& row) {
  TBaseQuestionDialog dialog(AskingWindow());
  dialog.setWindowTitle(ToQt(request.Caption));
  const int cols = static_cast<int>(request.Titles.size());
  dialog.SetGrid(cols, static_cast<int>(request.Rows.size()) + 1);
  for (int c = 0; c < cols; ++c) {
    dialog.SetCell(c, 0, request.Titles[static_cast<std::size_t>(c)]);
    if (c < static_cast<int>(request.ColumnWidths.size()))
      dialog.SetColWidth(c, request.ColumnWidths[static_cast<std::size_t>(c)]);
  }
  for (std::size_t r = 0; r < request.Rows.size(); ++r)
    for (int c = 0; c < cols && c < static_cast<int>(request.Rows[r].size()); ++c)
      dialog.SetCell(c, static_cast<int>(r) + 1, request.Rows[r][static_cast<std::size_t>(c)]);
  dialog.SetNewRecordVisible(request.NewVisible);
  dialog.SetCancelVisible(request.CancelVisible);
  dialog.SetNewRecordHandler([&request] { return request.AddNew && request.AddNew() ? kIdOk : kIdCancel; });
  dialog.FitGrid(request.VisibleRows, request.GridWidth, static_cast<int>(std::lround(ScreenWidth() * 0.95)));
  if (!request.Rows.empty()) dialog.SetCurrentRow(1);
  const int result = dialog.ShowModal();
  row = -1;
  if (result == TBaseQuestionDialog::kNewRecord) return BaseQuestionEnd::NewRecord;
  if (result != kIdOk) return BaseQuestionEnd::Cancelled;
  row = dialog.CurrentRow() - 1;
  return BaseQuestionEnd::Chosen;
}

int32_t TQtUiServices::ScreenWidth() const {
  const QScreen* screen = QApplication::primaryScreen();
  return screen != nullptr ? screen->geometry().width() : UiServices::ScreenWidth();
}

int32_t TQtUiServices::TextWidth(const std::string& text) const {
  return QFontMetrics(QApplication::font()).horizontalAdvance(ToQt(text));
}

bool TQtUiServices::PickFromList(const ListPickRequest& request, std::string& text) {
  return ShowListPick(request, text, QApplication::activeWindow());
}

bool TQtUiServices::InputBox(InputBoxRequest& request) {
  TInputRequest input;
  input.Caption = request.Caption;
  input.Prompt = request.Prompt;
  input.Text = request.Text;
  input.Kind = request.Kind;
  input.AllowEmpty = request.AllowEmpty;
  if (!ShowInputDialog(input, QApplication::activeWindow())) return false;
  request.Text = input.Text;
  return true;
}

}  // namespace vm
