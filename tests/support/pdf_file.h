// A PDF file's bytes for comparing two files written by Qt: the moment of
// making and the identifier, which differ between any two files, left out.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstring>
#include <utility>

namespace vm::test {

inline QByteArray PdfWithoutStamps(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QByteArray bytes = file.readAll();
  for (const auto& [open, close] : {std::pair{"/CreationDate (", ")"}, std::pair{"/ID [", "]"}}) {
    const qsizetype at = bytes.indexOf(open);
    if (at < 0) continue;
    bytes.remove(at, bytes.indexOf(close, at + qsizetype(std::strlen(open))) + 1 - at);
  }
  return bytes;
}

}  // namespace vm::test
