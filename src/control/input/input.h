// The input module: one object for the whole program (`CInput`, made by game
// initialise) turns the keyboard, the mouse and up to eight joysticks into
// per-frame states that the rest of the game polls.
//
// - Keys and mouse buttons come from the game window's messages: a table of
//   512 key slots indexed by key code (the scan code, plus 256 for extended
//   keys) and three mouse buttons, each a `KeyState`.
// - Mouse motion and joysticks come from DirectInput 8: the relative motion of
//   each frame with a smoothing ring, the cursor in client pixels, and per
//   joystick 28 inputs (16 buttons, then four axes Y, X, Rz, Z of three inputs
//   each: negative half, positive half, whole axis).
// - A queue of typed characters for text fields, a wait-for-any-input mode for
//   the key-binding screen, a blocking wait for splash screens, an idle clock,
//   and constant-force rumble on joysticks that have it.
//
// Per frame: window messages arrive while the loop pumps, UpdateInput runs
// before the game update, the game reads the states, AdvanceKeyStates runs
// after the frame.  Joysticks attached or removed while the game runs are
// taken in or let go at the next UpdateInput (a removed one reads as no
// input).  Main thread only.
#pragma once

#include <cstdint>

#include "platform/win32/win_types.h"

class CTimer;
class IDirectInput8A;
class IDirectInputDevice8A;
class IDirectInputEffect;

// A key's or mouse button's state in a frame.
enum KeyState : std::int32_t {
  KEY_STATE_UP = 0,
  KEY_STATE_PRESSED = 1,   // went down this frame
  KEY_STATE_HELD = 2,
  KEY_STATE_RELEASED = 3,  // went up this frame
  KEY_STATE_TAPPED = 4,    // went down and up within this frame
};

inline constexpr int kKeySlots = 512;
// The code that names no key ("???").
inline constexpr int kKeyCodeNone = 512;
// The no-key code of bindings; never looked up in the table.
inline constexpr int KEY_NONE = 4422;
inline constexpr int kMouseButtons = 3;
inline constexpr int kMaxJoysticks = 8;
inline constexpr int kJoystickInputs = 28;
inline constexpr int kJoystickButtons = 16;
// Inputs 16.. are the axes: Y 16-18, X 19-21, Rz 22-24, Z 25-27, each as
// negative half, positive half, whole axis.
inline constexpr int kFirstAxisInput = 16;

// Flags of a joystick input (the same bits as a player's action states).
enum JoystickInputFlags : std::uint32_t {
  JOY_INPUT_UP = 1,
  JOY_INPUT_PRESSED = 2,  // went down this frame
  JOY_INPUT_DOWN = 4,
  JOY_INPUT_RELEASED = 8,  // went up this frame
};

struct JoystickInput {
  std::uint32_t holdCount = 0;
  std::uint32_t flags = JOY_INPUT_UP;
  float value = 0.0f;  // buttons 1.0 while down; whole axes -1..1; halves 0..1
};

// Entries of the typed-character queue besides characters: editing keys.
enum TypedKey : std::uint32_t {
  TYPED_LEFT = 0x10000,
  TYPED_RIGHT = 0x20000,
  TYPED_UP = 0x30000,
  TYPED_DOWN = 0x40000,
  TYPED_HOME = 0x50000,
  TYPED_END = 0x60000,
  TYPED_INSERT = 0x70000,
  TYPED_DELETE = 0x80000,
  TYPED_PAGE_UP = 0x90000,
  TYPED_PAGE_DOWN = 0xA0000,
};

// Devices the wait-for-input mode listens to.
enum WaitInputMask : std::uint32_t {
  WAIT_KEYBOARD = 1,
  WAIT_JOYSTICK = 2,
  WAIT_MOUSE = 4,
};
// A capture that saw nothing of its device.
inline constexpr std::uint16_t kNoCapture = 0xFFFF;

// A rumble pattern started on one joystick.
struct JoystickEffectRequest {
  std::int16_t left = 0;       // left (strong) motor magnitude, -32768..32767
  std::int16_t right = 0;      // right motor magnitude
  std::uint16_t duration = 0;  // ms, 0 = endless
  std::int32_t priority = 0;
  std::int32_t envelope = 0;  // 0 steady, 1 linear fade-out, 2 half-sine pulses
  std::uint16_t period = 0;   // ms, envelope 2
};

class CInput {
 public:
  CInput();
  ~CInput();
  CInput(const CInput&) = delete;
  CInput& operator=(const CInput&) = delete;

  // Creates the DirectInput interface, the keyboard, the mouse and the
  // joysticks attached now; clears the key table, the mouse buttons and the
  // typed queue (text input off) and captures the mouse to the window.  When
  // DirectInput cannot be created, says so in an error box and goes on with
  // no device (key and button messages still work).  Answers false then.
  bool InitInput(HINSTANCE instance, HWND window);
  // Releases every device and the interface, and the mouse capture.
  void ShutdownInput();

  // Window activation: active acquires the mouse, inactive lets it go and
  // releases every key and mouse button that is down (keys going up while
  // the window is in the background are never reported).
  void SetInputActive(bool active);
  bool IsActive() const { return active_ != 0; }
  void AcquireMouse();
  // Keyboard (256..264) and mouse (512..521) messages of the game window.
  void HandleInputMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // After each frame: 1 becomes 2 and 3, 4 become 0, for keys and buttons.
  void AdvanceKeyStates();
  // Every key and mouse button back to up and the typed queue emptied (a
  // level change, a key prompt).
  void FlushInput();
  // Before the game update: joysticks (taking in new ones, letting removed
  // ones go), the mouse, the wait-for-input machine, the idle clock.
  void UpdateInput();

  // Key queries (false for codes outside the table; while waiting for input
  // every query answers false).  KEY_NONE is never down or pressed and
  // always released.
  bool IsKeyDown(int code) const;
  bool WasKeyPressed(int code) const;
  bool WasKeyReleased(int code) const;
  KeyState GetKeyState(int code) const;
  // Mouse buttons 0 left, 1 right, 2 middle.
  bool IsMouseButtonDown(int button) const;
  bool WasMouseButtonPressed(int button) const;
  bool WasMouseButtonReleased(int button) const;
  void ClearMouseButton(int button);
  // True when a key went down this frame (set by AdvanceKeyStates).
  bool AnyKeyPressed() const { return anyKeyPressed_ != 0; }

  // The key's name from the system ("???" for code 512), at most length - 1
  // characters.
  static void GetKeyName(int code, char* buffer, int length);
  // False for Esc, Backspace, Tab, Return, the Ctrl, Shift and Alt keys, the
  // locks and the Home .. Delete block.
  static bool IsCharacterKey(int code);

  // Typed text: on and emptied, off, and the next entry (0 when empty).
  void FlushTextInput();
  void StopTextInput() { textInputOn_ = 0; }
  bool IsTextInputOn() const { return textInputOn_ != 0; }
  std::uint32_t PopTypedChar();

  // Wait for any input (the key-binding screen): arm with a device mask,
  // then after it has ended read what was captured (kNoCapture: nothing).
  void StartWaitForInput(std::uint32_t mask);
  bool IsWaitingForInput() const { return waitState_ != 0; }
  int GetWaitState() const { return waitState_; }
  std::uint16_t GetCapturedKey() const { return captured_[0]; }
  std::uint16_t GetCapturedJoystickAxis() const { return captured_[1]; }
  std::uint16_t GetCapturedJoystickButton() const { return captured_[2]; }
  std::uint16_t GetCapturedMouseButton() const { return captured_[3]; }

  // Blocks until a key or mouse message arrives, a joystick button is
  // pressed, or (timeout above 0) that many ms passed on the real clock.
  // Pumps window events and sleeps 10 ms a pass through the sleep service.
  void WaitForAnyInput(std::uint32_t timeoutMs);

  // The smoothed mouse step (mouse units per thirtieth of a second, doubled).
  void GetSmoothedMouse(float* dx, float* dy) const;
  // This frame's relative motion, and the cursor in client pixels.
  int GetMouseDeltaX() const { return mouseDelta_[0]; }
  int GetMouseDeltaY() const { return mouseDelta_[1]; }
  int GetMouseWheel() const { return mouseDelta_[2]; }
  int GetCursorX() const { return cursor_[0]; }
  int GetCursorY() const { return cursor_[1]; }

  // Idle clock: seconds since the last key or joystick button went down.
  float GetIdleTime() const;
  void SetIdleOffsetToNow();
  void SetIdleOffsetToMax();

  // Joysticks: how many are present, and input `input` of slot `slot` (an
  // up input of value 0 for an empty slot or an index out of range).
  int GetJoystickCount() const;
  bool HasJoystick(int slot) const;
  const JoystickInput& GetJoystickInput(int slot, int input) const;
  void SetHalfAxisThresholds(float x, float y, float z, float rz);
  // Starts a rumble pattern, unless the running one has a higher priority.
  void StartJoystickEffect(const JoystickEffectRequest& request, int slot);

  // The clocks read (null: the engine's game and real clocks).
  void SetClocks(CTimer* game, CTimer* real);

 private:
  struct Joystick;
  struct Rumble {
    bool active = false;
    std::uint32_t start = 0;
    JoystickEffectRequest request;
  };
  struct SmoothEntry {
    float dx = 0, dy = 0, weight = 0;
  };

  bool CreateKeyboard();
  bool CreateMouse();
  void ReleaseMouse();
  void EnumerateJoysticks();
  void SetUpJoystick(const void* instance);
  void ReleaseJoystick(int slot);
  void RefreshJoysticks();
  void PollJoysticks();
  void PollJoystick(int slot);
  void StepJoystickInputs(int slot, const void* state);
  void StepRumble(int slot);
  void PollMouse();
  void PushMouse(float dx, float dy, float frameSeconds);
  void ResetMouseSmoothing();
  void StepWaitForInput();
  void StepIdleClock();
  void PushTyped(std::uint32_t entry, unsigned count);
  void ReleaseAllKeys();
  CTimer* GameClock() const;
  CTimer* RealClock() const;
  bool Querying() const { return waitState_ == 0; }

  IDirectInput8A* directInput_ = nullptr;
  IDirectInputDevice8A* keyboard_ = nullptr;
  IDirectInputDevice8A* mouse_ = nullptr;
  HWND window_ = nullptr;
  Joystick* joysticks_ = nullptr;  // kMaxJoysticks slots

  std::int32_t keys_[kKeySlots] = {};
  std::int32_t mouseButtons_[kMouseButtons] = {};
  int mouseDelta_[3] = {};
  int cursor_[2] = {};

  // Smoothing ring: scale 2.0, rate 30.0, capacity 1.
  static constexpr int kSmoothCapacity = 1;
  float smoothScale_ = 2.0f;
  float smoothRate_ = 30.0f;
  int smoothCount_ = 0;
  int smoothNewest_ = 0;
  SmoothEntry smooth_[kSmoothCapacity];

  float halfThreshold_[4] = {0.3f, 0.0f, 0.0f, 0.0f};  // X, Y, Z, Rz

  static constexpr int kTypedRing = 512;
  std::uint32_t typed_[kTypedRing] = {};
  int typedRead_ = 0;
  int typedWrite_ = 0;
  std::uint32_t textInputOn_ = 0;

  int waitState_ = 0;
  std::uint32_t waitMask_ = 0;
  std::uint32_t seen_[3] = {};  // key, joystick, mouse
  std::uint16_t captured_[4] = {kNoCapture, kNoCapture, kNoCapture, kNoCapture};

  std::uint32_t active_ = 0;
  std::uint32_t anyKeyPressed_ = 0;
  bool joystickButtonPressed_ = false;
  float idleLast_ = 0.0f;
  float idleOffset_ = 0.0f;

  CTimer* gameClock_ = nullptr;
  CTimer* realClock_ = nullptr;
};

// The program's input object (null before game initialise made it).
extern CInput* g_Input;

// The module's operations on g_Input, for the shell and every reader of keys;
// each does nothing (or answers false, 0) while there is no input object.
// InitInput makes g_Input when it does not exist; ShutdownInput frees it.
bool InitInput(HINSTANCE instance, HWND window);
void ShutdownInput();
void SetInputActive(bool active);
void AcquireMouse();
void HandleInputMessage(UINT message, WPARAM wParam, LPARAM lParam);
void AdvanceKeyStates();
void UpdateInput();
bool IsKeyDown(int code);
bool WasKeyPressed(int code);
bool WasKeyReleased(int code);
bool IsMouseButtonDown(int button);
bool IsCharacterKey(int code);
void FlushInput();
void FlushTextInput();
void WaitForAnyInput(std::uint32_t timeoutMs);
void SetHalfAxisThresholds(float x, float y, float z, float rz);
