// The light table lives with the rest of the lights code.
#pragma once

#include "scene/lights/light_table.h"
