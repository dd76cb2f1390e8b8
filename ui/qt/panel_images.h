// The pictures of panel buttons: the program's own image list, drawn from
// the standard icons of the window style and chosen by picture number.
#pragma once

#include <QIcon>
#include <cstdint>

namespace vm {

int32_t PanelImageCount();
// The picture of that number; an empty icon outside the list.
QIcon PanelImage(int32_t index);

}  // namespace vm
