#pragma once
#include "ui/model.h"
