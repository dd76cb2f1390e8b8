#pragma once
#include "output/qt/b.h"
