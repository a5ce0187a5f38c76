// A recorded input script: window-system input (keys, typed text, the mouse,
// the focus) and game controllers, each at a frame number, replayed into the
// program's pump as the real events (see event_injection.h and
// virtual_controller.h).  The program's "--input FILE" option runs one.
//
// Text, one event a line; blank lines and lines starting with '#' are
// skipped; frames never go back:
//   FRAME keydown KEY          KEY: an SDL key name ("W", "Left Ctrl", "Keypad Enter")
//   FRAME keyup KEY
//   FRAME text TEXT            UTF-8, the rest of the line
//   FRAME mousemove X Y DX DY  client point and relative motion
//   FRAME mousedown BUTTON     0 left, 1 right, 2 middle
//   FRAME mouseup BUTTON
//   FRAME wheel NOTCHES
//   FRAME focus gained|lost
//   FRAME padattach PAD        PAD 0..7: the script's own pad numbers
//   FRAME paddetach PAD
//   FRAME padaxis PAD AXIS VALUE   AXIS X, Y, Z, Rz, LT, RT; VALUE -1..1 (triggers 0..1)
//   FRAME padbutton PAD BUTTON 0|1 BUTTON 0..15
// Main thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/win_types.h"

enum class InputScriptKind {
  KeyDown, KeyUp, Text, MouseMove, MouseDown, MouseUp, Wheel, Focus,
  PadAttach, PadDetach, PadAxis, PadButton,
};

struct InputScriptEvent {
  std::uint32_t frame = 0;
  InputScriptKind kind = InputScriptKind::KeyDown;
  std::string text;     // key name or typed text
  int values[4] = {};   // numbers of the event (pad, axis or button, ...)
  float value = 0.0f;   // pad axis value
};

inline constexpr int kInputScriptPads = 8;
inline constexpr std::size_t kInputScriptLineLimit = 1024;

// Parses a script; false with a message naming the line when a line is not
// one of the forms above (nothing is kept then).
bool ParseInputScript(const char* text, std::size_t size, std::vector<InputScriptEvent>* events,
                      std::string* error);

class InputScriptPlayer {
 public:
  InputScriptPlayer() = default;
  ~InputScriptPlayer();
  InputScriptPlayer(const InputScriptPlayer&) = delete;
  InputScriptPlayer& operator=(const InputScriptPlayer&) = delete;

  // Reads and parses a script file; false with a message when it cannot.
  bool Load(const char* path, std::string* error);
  void SetEvents(std::vector<InputScriptEvent> events);
  // Pushes every event of frames up to `frame` not pushed yet, for the game
  // window `window`.  Answers how many could not be delivered.
  int PlayUpTo(std::uint32_t frame, HWND window);
  bool Finished() const { return next_ >= events_.size(); }
  std::size_t EventCount() const { return events_.size(); }

 private:
  std::vector<InputScriptEvent> events_;
  std::size_t next_ = 0;
  int pads_[kInputScriptPads] = {};  // virtual pad handles, 0 none
};
