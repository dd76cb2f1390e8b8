// The "Разное" page of the designer: single settings, the access passwords
// and the scanner port.
#pragma once

#include <string>
#include <vector>

#include "documents/designer/designer_page.h"
#include "platform/scanner.h"

namespace vm {

class TMiscPage : public TDesignerPage {
 public:
  using TDesignerPage::TDesignerPage;

  // The font list's text as typed: the closest font becomes the program's
  // font at once; its index, or -1 (then "Times New Roman").
  int32_t SetFontText(const std::string& text);
  // "Обзор" chose a directory, or "Сеть" was clicked: both take effect only
  // after a restart.
  void ChooseBaseDir(const std::string& dir);
  void ClickNetwork(bool on);
  static const std::vector<std::string>& PasswordItems();
  // Record k (1..16) of the working block takes the password the dialog
  // returned.
  void SetPassword(int32_t k, const std::string& text);
  static std::vector<std::string> ScannerPorts();
  std::string ScannerPortName() const;
  // The item of the port list the record names; -1 when none.
  int32_t ScannerPortIndex() const;
  void StoreScannerPort(int32_t index);
  // The port is closed before its settings are shown for editing.
  TPortConfig ScannerConfigForEdit();
  void SetScannerConfig(const TPortConfig& config);
  bool CloseAfterCommand() const;
  void SetCloseAfterCommand(bool on);
};

}  // namespace vm
