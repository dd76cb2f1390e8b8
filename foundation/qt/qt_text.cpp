#include "foundation/qt/qt_text.h"

#include <QTextDocument>

#include "platform/encoding.h"

namespace vm {

QString ToQt(std::string_view cp1251) {
  // Texts are measured character by character while they are wrapped, so
  // the table is read directly rather than through UTF-8.
  QString out;
  out.resize(static_cast<qsizetype>(cp1251.size()));
  QChar* p = out.data();
  for (char c : cp1251) {
    const auto b = static_cast<unsigned char>(c);
    *p++ = QChar(b < 0x80 ? char16_t(b) : enc_detail::kCp1251High[b - 0x80]);
  }
  return out;
}

std::string FromQt(const QString& text) {
  std::string out;
  out.reserve(static_cast<size_t>(text.size()));
  for (QChar ch : text) {
    const int b = enc_detail::CodePointToCp1251(ch.unicode());
    out.push_back(b < 0 ? '?' : static_cast<char>(b));
  }
  return out;
}

QString TypedText(const QTextDocument& document) {
  QString text = document.toRawText();
  for (QChar& ch : text) {
    switch (ch.unicode()) {
      case QChar::ParagraphSeparator:
      case QChar::LineSeparator:
      case 0xFDD0:  // a frame's start and end
      case 0xFDD1: ch = u'\n'; break;
      default: break;
    }
  }
  return text;
}

}  // namespace vm
