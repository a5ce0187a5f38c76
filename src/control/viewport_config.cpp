#include "control/viewport_config.h"

CViewportConfig g_ViewportConfig;
