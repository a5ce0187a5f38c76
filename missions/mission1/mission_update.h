// The mission's per-frame update: the one-time start-up of the first frame,
// the skip of a running sequence, and in play the cue timeline, spawn
// control, timers, the one-shot triggers, the fail and end checks and the
// escape timer.
#pragma once

namespace mission1 {

void MissionUpdate();
// The game-start step: first frame in play, a load, the end of the opening.
void MissionGameFrame();
// The first frame of the intro: starts the cut-scene.
void MissionIdleFrame();
// The cue timeline's step of this frame (while it runs).
void UpdateCueTimeline();

}  // namespace mission1
