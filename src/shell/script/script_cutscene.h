// The cut-scene questions the script functions share: the skip control and
// the subtitle line.  The state itself lives in g_ScriptState; whether
// subtitles are shown is the menus' word (SubtitlesEnabled).
#pragma once

// Whether a cut-scene runs: from the script's cut-scene start to its end
// (level start leaves none running).
bool ScriptCutsceneRunning();
// Whether a local player pressed the skip control (control 54, a key or a
// mouse button bound to it) in this frame.
bool CutsceneSkipPressed();
// The subtitle line while it lasts (null when none or its time is over).
const char* CurrentSubtitle();
