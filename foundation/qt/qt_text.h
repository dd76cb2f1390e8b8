// The one crossing of text between the core (Windows-1251) and Qt (UTF-16).
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace vm {

QString ToQt(std::string_view cp1251);
// A character that Windows-1251 cannot hold becomes '?'.
std::string FromQt(const QString& text);

}  // namespace vm
