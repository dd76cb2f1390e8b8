// What the "Печать" tab does to the working page formats.
#include "documents/designer/printing_page.h"

#include <algorithm>

#include "documents/designer/designer.h"
#include "platform/encoding.h"

namespace vm {

std::vector<std::string> TPrintingPage::PageFormatNames() const {
  std::vector<std::string> names;
  for (int32_t i = 0; i < d_.PageFormatList.Count(); ++i)
    names.push_back(d_.PageFormatList.GetItem(i).Name);
  return names;
}

void TPrintingPage::AddPageFormat() {
  TPageFormat& format = d_.PageFormatList.AddNew();
  format.Name = "Новый формат"_w;
  const std::string data = d_.Host().PrinterSettings(d_.Misc.PrinterName);
  if (!data.empty()) format.SetData(data);
  FormatIndex = d_.PageFormatList.Count() - 1;
}

void TPrintingPage::DeletePageFormat() {
  if (!d_.PageFormatList.GetFormat(FormatIndex)) return;
  d_.PageFormatList.Delete(FormatIndex);
  FormatIndex = std::min(FormatIndex, d_.PageFormatList.Count() - 1);
}

TFormatEdit TPrintingPage::EditPageFormat() {
  TPageFormat* format = d_.PageFormatList.GetFormat(FormatIndex);
  if (!format) return TFormatEdit::Cancelled;
  const std::string printer = d_.Host().PrinterSettings(d_.Misc.PrinterName);
  if (printer.empty()) return TFormatEdit::NoPrinter;
  std::string data = format->DeviceMode.empty() ? printer : format->DeviceMode;
  if (!d_.Host().EditPrinterSettings(d_.Misc.PrinterName, data)) return TFormatEdit::Cancelled;
  format->SetData(data);
  return TFormatEdit::Edited;
}

void TPrintingPage::RenamePageFormat(const std::string& text) {
  TPageFormat* format = d_.PageFormatList.GetFormat(FormatIndex);
  if (!format) return;
  format->Name = text;
  std::replace(format->Name.begin(), format->Name.end(), ',', '.');
}

void TPrintingPage::MakeDefaultFormat() {
  if (const TPageFormat* format = d_.PageFormatList.GetFormat(FormatIndex))
    d_.Misc.DefaultFormatName = format->Name;
}

std::string TPrintingPage::DefaultFormatText() const {
  const std::string& name = d_.Misc.DefaultFormatName;
  if (const TPageFormat* format = d_.PageFormatList.FindByName(name)) return format->Name;
  if (name.empty()) return "не выбран"_w;
  return "«"_w + name + "» не найден"_w;
}

void TPrintingPage::Enable(TDesignerEnabling& e) const {
  e.FormatCommands = d_.PageFormatList.GetFormat(FormatIndex) != nullptr;
}

}  // namespace vm
