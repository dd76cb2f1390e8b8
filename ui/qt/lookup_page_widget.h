// A look-up page on the screen: the category list when the page offers
// one, the option buttons when it has options, and its shown view. Picking
// a category or an option goes to the page; the page decides what follows.
#pragma once

#include <QComboBox>
#include <QRadioButton>
#include <QWidget>
#include <vector>

#include "models/help_pages.h"

namespace vm {

class TDataViewWidget;

class TLookupPageWidget : public QWidget {
  Q_OBJECT

 public:
  explicit TLookupPageWidget(THelpItem& page, QWidget* parent = nullptr);

  THelpItem& Page() { return page_; }
  TDataViewWidget* ShownView() const { return shown_; }
  QComboBox* Categories() const { return combo_; }
  QWidget* OptionPanel() const { return options_; }
  const std::vector<QRadioButton*>& OptionButtons() const { return buttons_; }
  // Shows the page's categories and options as they stand now.
  void Refresh();

 private:
  THelpItem& page_;
  QComboBox* combo_;
  QWidget* options_;
  std::vector<QRadioButton*> buttons_;
  TDataViewWidget* shown_;
};

}  // namespace vm
