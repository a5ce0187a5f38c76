// Slots 317, 318, 320-322, 326, 344, 361 and 362: the movie cameras a script
// starts and stops, and the timed callbacks of a plug-in.  Script posts are
// one-shot and may replace the entry at the cursor of a full list (flag 2);
// slot 326's posts are also removable and on the real clock while a
// cut-scene runs; slots 321 and 322 always post removable entries.  Delays
// are milliseconds as floats, cut to whole ms: a negative delay is 0, one
// that is not a number refuses the post.
#include <cmath>
#include <cstdint>

#include "shell/level/mission_plugin.h"
#include "shell/script/script_cutscene.h"
#include "shell/script/script_function_table.h"
#include "shell/script/script_state.h"
#include "shell/script/script_timed_callback.h"
#include "world/cameras/movie_camera.h"
#include "world/timing/timed_callback_list.h"

namespace {

constexpr std::uint32_t kScriptPostFlags = TCF_OVERWRITE_WHEN_FULL | TCF_ONE_SHOT;          // 6
constexpr std::uint32_t kCutscenePostFlags = kScriptPostFlags | TCF_REMOVABLE | TCF_REAL_CLOCK;  // 30
constexpr std::uint32_t kRemovablePostFlags = kScriptPostFlags | TCF_REMOVABLE;              // 14
constexpr std::uint32_t kEventTimer = 22;
// The longest delay taken as given (about 24 days); longer ones are cut to it.
constexpr float kLongestDelay = 2147483647.0f;

// The delay in whole ms; false for a value that is not a number.
bool DelayMs(float delay, std::uint32_t* out) {
  if (std::isnan(delay)) return false;
  if (!(delay > 0.0f)) {
    *out = 0;
  } else {
    *out = delay >= kLongestDelay ? 2147483647u : static_cast<std::uint32_t>(delay);
  }
  return true;
}

std::uint32_t ScriptPostFlags() {
  return ScriptCutsceneRunning() ? kCutscenePostFlags : kScriptPostFlags;
}

bool CameraUsable(int32_t camera) {
  return g_MovieCamera != nullptr && camera >= 0 && camera < kMaxMovieCameras && g_MovieCamera->IsUsed(camera);
}

// Starts camera params[0] in the first viewport as the current camera.
void StartCameraLater(TimedCallbackEntry* entry) {
  const int32_t camera = static_cast<int32_t>(entry->params[0]);
  if (!CameraUsable(camera)) return;
  g_MovieCamera->SetActiveCamera(camera);
  g_MovieCamera->StartCamera(0, camera);
}

// Raises event 22 with params[0] as its first word.
void RaiseTimerEvent(TimedCallbackEntry* entry) {
  std::int32_t block[1] = {static_cast<std::int32_t>(entry->params[0])};
  RaiseMissionEvent(kEventTimer, block, 1);
}

ScriptTimer* PostGameCallback(TimedCallback callback, std::uint32_t parameter, std::uint32_t delay,
                              std::uint32_t flags) {
  if (g_TimedCallbacks == nullptr) return nullptr;
  TimedCallbackRequest request;
  request.callback = callback;
  request.delay = delay;
  request.flags = flags;
  request.params[0] = parameter;
  return reinterpret_cast<ScriptTimer*>(g_TimedCallbacks->Post(request));
}

}  // namespace

namespace script_slot {

void MovieCamerasStopAll(void) {
  if (g_MovieCamera != nullptr) g_MovieCamera->StopAll();
}

void MovieCameraStop(int32_t camera) {
  if (g_MovieCamera != nullptr && camera >= 0 && camera < kMaxMovieCameras) g_MovieCamera->StopCamera(camera);
}

// 1 when no viewport shows a movie camera.
int32_t MovieCameraIsIdle(void) {
  if (g_MovieCamera == nullptr) return 1;
  for (int v = 0; v < kMovieViewports; ++v)
    if (g_MovieCamera->GetViewportCamera(v) >= 0) return 0;
  return 1;
}

// Null for a camera that does not exist.
ScriptTimer* MovieCameraStartDelayed(int32_t camera, float delayMs) {
  std::uint32_t delay = 0;
  if (!CameraUsable(camera) || !DelayMs(delayMs, &delay)) return nullptr;
  return PostGameCallback(StartCameraLater, static_cast<std::uint32_t>(camera), delay, kRemovablePostFlags);
}

ScriptTimer* TimerPostSimple(ScriptTimedCallback callback, float delayMs) {
  std::uint32_t delay = 0;
  if (!DelayMs(delayMs, &delay)) return nullptr;
  return PostScriptTimedCallback(g_TimedCallbacks, callback, 0, 0, delay, kRemovablePostFlags);
}

ScriptTimer* TimerPostCallback(ScriptTimedCallback cb, intptr_t param1, intptr_t param2, float delayMs) {
  std::uint32_t delay = 0;
  if (!DelayMs(delayMs, &delay)) return nullptr;
  return PostScriptTimedCallback(g_TimedCallbacks, cb, param1, param2, delay, ScriptPostFlags());
}

// Frees every pending entry that slot 344 may remove (flag 8).
void TimerClearCallbacks(void) {
  if (g_TimedCallbacks != nullptr) g_TimedCallbacks->ClearRemovable();
}

ScriptTimer* TimerRaiseEvent22Later(int32_t parameter, float delayMs) {
  std::uint32_t delay = 0;
  if (!DelayMs(delayMs, &delay)) return nullptr;
  return PostGameCallback(RaiseTimerEvent, static_cast<std::uint32_t>(parameter), delay, ScriptPostFlags());
}

// Frees the first pending event-22 timer or plug-in callback whose first
// parameter is the value.
void TimerCancelByParameter(int32_t parameter) {
  if (g_TimedCallbacks == nullptr) return;
  for (int i = 0; i < g_TimedCallbacks->GetCapacity(); ++i) {
    TimedCallbackEntry* e = g_TimedCallbacks->GetEntry(i);
    if (e->state != TIMED_CALLBACK_ARMED) continue;
    const bool match =
        (e->callback == RaiseTimerEvent && static_cast<int32_t>(e->params[0]) == parameter) ||
        (e->callback == ScriptTimedTrampoline && ScriptTimedParameter1(e) == static_cast<intptr_t>(parameter));
    if (match) {
      g_TimedCallbacks->FreeEntry(e);
      return;
    }
  }
}

}  // namespace script_slot
