#pragma once
#include "models/model.h"
