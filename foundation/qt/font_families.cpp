#include "foundation/qt/font_families.h"

#include <QApplication>
#include <array>
#include <utility>

#include "foundation/qt/qt_text.h"

namespace vm {

namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 8> kFamilies = {{
    {"times new roman", "Liberation Serif"},
    {"times", "Liberation Serif"},
    {"arial", "Liberation Sans"},
    {"ms sans serif", "Liberation Sans"},
    {"microsoft sans serif", "Liberation Sans"},
    {"helvetica", "Liberation Sans"},
    {"courier new", "Liberation Mono"},
    {"courier", "Liberation Mono"},
}};

}  // namespace

QString MapFontFamily(std::string_view family) {
  const QString name = ToQt(family).trimmed();
  const QString key = name.toLower();
  for (const auto& [windows, free] : kFamilies)
    if (key == QLatin1String(windows.data(), static_cast<qsizetype>(windows.size())))
      return QString::fromLatin1(free.data(), static_cast<qsizetype>(free.size()));
  return name;
}

QFont FontForFamily(std::string_view family, int pixels, bool bold) {
  QFont font(MapFontFamily(family));
  font.setPixelSize(pixels > 0 ? pixels : 1);
  font.setBold(bold);
  font.setStyleStrategy(QFont::PreferMatch);
  return font;
}

void UseFormFont() { QApplication::setFont(FontForFamily("MS Sans Serif", 11)); }

}  // namespace vm
