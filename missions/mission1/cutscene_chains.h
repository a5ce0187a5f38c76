// The mission's two scripted sequences as chains of stages: the intro
// cut-scene (before the briefing) and the opening (after it, the objectives
// spoken over camera shots).  A stage posts its timed calls through the
// game's timed-callback queue; its last call starts the next stage, and the
// last stage's finish ends the sequence, on which the game raises "cut-scene
// ended".
#pragma once

#include <stdint.h>

namespace mission1 {

// Stages, in chain order; a "next stage" call carries one of these.
enum ChainStage : intptr_t {
  kStageCutscene1, kStageCutscene2, kStageCutscene3, kStageCutscene4, kStageCutscene5, kStageCutscene6,
  kStageOpening1, kStageOpening2, kStageOpening3, kStageOpening4, kStageOpening5, kStageOpening6, kStageOpening7,
  kChainStageCount
};

// Runs one stage (posts its calls); unknown stages do nothing.
void RunChainStage(intptr_t stage);

void CutsceneStage1();
void CutsceneStage2();
void CutsceneStage3();
void CutsceneStage4();
void CutsceneStage5();
void CutsceneStage6();
void OpeningStage1();
void OpeningStage2();
void OpeningStage3();
void OpeningStage4();
void OpeningStage5();
void OpeningStage6();
void OpeningStage7();

// A skip of the running sequence: its pending calls cleared and its last
// stage run at once, unless that stage has already started.
void SkipCutscene();
void SkipOpening();

// Set-up of the intro's handles (animations, samples, skies, the parameter
// pairs) and of the opening's speeches.
void CutsceneSetUp();
void OpeningSetUp();
// Forgets the handles and the stage progress (a new level).
void ResetCutsceneChains();

}  // namespace mission1
