// Finds a document's item in the main window's document menus, as a user
// finds it to start the document.
#pragma once

#include <QMenu>

#include "ui/qt/main_window.h"

namespace vm::test {

inline TMyMenuItem* FindItem(QMenu* menu, const QString& caption) {
  for (QAction* a : menu->actions()) {
    if (a->menu())
      if (TMyMenuItem* found = FindItem(a->menu(), caption)) return found;
    if (auto* item = qobject_cast<TMyMenuItem*>(a); item && item->text() == caption) return item;
  }
  return nullptr;
}

}  // namespace vm::test
