// The one crossing of text between the core (Windows-1251) and Qt (UTF-16).
#pragma once

#include <QString>
#include <string>
#include <string_view>

class QTextDocument;

namespace vm {

QString ToQt(std::string_view cp1251);
// A character that Windows-1251 cannot hold becomes '?'.
std::string FromQt(const QString& text);
// An editor's text as typed, its paragraph and line breaks as '\n':
// QTextDocument::toPlainText would also make a no-break space a space.
QString TypedText(const QTextDocument& document);

}  // namespace vm
