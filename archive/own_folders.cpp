#include "archive/own_folders.h"

#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/services.h"

namespace vm {

bool OwnFoldersSound(const std::string& dir, std::initializer_list<const char*> names) {
  FileSystem& fs = Files();
  for (const char* name : names) {
    const std::string path = dir + name;
    if (!fs.IsSymlink(path) && (!fs.Exists(path) || fs.IsDirectory(path))) continue;
    Ui().MsgBox("Папка "_w + path + " должна быть обычной папкой, а не ссылкой или файлом!"_w, " Ошибка "_w,
                kMbError);
    return false;
  }
  return true;
}

}  // namespace vm
