// The engine's log callback: a hook through which the engine's loaders tell
// the game what they are doing ("Loading dynamic data ..."), for a loading
// screen or a log window.  Loaders only log while the verbose-loading flag is
// set, and nothing is logged while no callback is installed.  Main thread.
#pragma once

// Receives one formatted line (no line end).
using EngineLogCallback = void (*)(const char* text);

// Installs the callback (null removes it).
void SetEngineLogCallback(EngineLogCallback callback);
EngineLogCallback GetEngineLogCallback();
// Switches verbose loading on or off (off at start).
void SetEngineVerboseLoading(bool verbose);
bool IsEngineVerboseLoading();
// Formats (at most 1023 characters, cut) and hands the text to the callback,
// when verbose loading is on and a callback is installed; else does nothing.
void EngineLogVerbose(const char* format, ...) __attribute__((format(printf, 1, 2)));
