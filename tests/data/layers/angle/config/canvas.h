#pragma once
#include <foundation/qt/qt_canvas.h>
