#include "sound/sound_manager.h"

CSoundManager* g_SoundManager = nullptr;
