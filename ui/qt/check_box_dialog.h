// The check-box dialog: one box per item, laid out in columns, with "OK"
// and "Отмена".
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

class QCheckBox;

namespace vm {

class TCheckBoxDialog : public QDialog {
  Q_OBJECT

 public:
  TCheckBoxDialog(const std::string& caption, const std::vector<std::string>& items,
                  uint32_t mask, int columns, QWidget* parent = nullptr);

  // Bit i set for every checked box i.
  uint32_t Checked() const;
  const std::vector<QCheckBox*>& Boxes() const { return boxes_; }

 private:
  std::vector<QCheckBox*> boxes_;
};

}  // namespace vm
