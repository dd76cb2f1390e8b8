#include "archive/command_frame.h"

#include <new>

#include "platform/encoding.h"
#include "platform/services.h"

namespace vm {

std::string NoteFault(const std::string& caption, const std::exception& e) {
  const std::string text =
      dynamic_cast<const std::bad_alloc*>(&e) ? "Недостаточно памяти"_w : std::string(e.what());
  Ui().LogError(caption + ": " + text);
  return text;
}

std::string WithFault(const std::string& outcome, const std::string& fault) {
  return fault.empty() ? outcome : outcome + "\r" + fault;
}

void SayFault(const std::string& caption, const std::exception& e) {
  Ui().MsgBox(WithFault("Команда не была выполнена из-за возникшей ошибки"_w, NoteFault(caption, e)), caption,
              kMbError);
}

}  // namespace vm
