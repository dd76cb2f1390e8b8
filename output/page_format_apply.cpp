#include "output/page_format_apply.h"

#include "output/device_mode.h"
#include "platform/encoding.h"
#include "platform/services.h"

namespace vm {

bool ApplyPageFormat(TPrinter& printer, const TPageFormat& format) {
  // A format saved without settings leaves the printer's own.
  if (format.DeviceMode.empty()) return false;
  std::string why;
  if (!DevModeValid(format.DeviceMode, &why)) {
    Ui().LogError("Формат страницы \""_w + format.Name + "\" не применён: неверные настройки принтера ("_w +
                  why + ")");
    return false;
  }
  printer.SetDeviceMode(format.DeviceMode);
  return true;
}

}  // namespace vm
