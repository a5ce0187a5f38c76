// The cut-scene state the script functions share: whether subtitles are
// shown, and the skip question.  The state itself lives in g_ScriptState.
#pragma once

// Subtitles on (the default) or off; the options screen sets it.
void SetSubtitlesEnabled(bool on);
bool SubtitlesEnabled();
// Whether a local player pressed the skip control (control 54, a key or a
// mouse button bound to it) in this frame.
bool CutsceneSkipPressed();
// The subtitle line while it lasts (null when none or its time is over).
const char* CurrentSubtitle();
