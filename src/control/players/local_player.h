// A local player: a person at this machine who steers one soldier of the
// squad.  The record holds that person's view of the controls (per-action
// states from the key bindings, the analogue axes, the mouse), the soldier it
// controls, its camera controller and the small toggles of play.  A soldier
// no local player controls is left to its own AI.  Main thread only.
#pragma once

#include <cstdint>

#include "control/bindings/input_action.h"
#include "control/players/player_input_msg.h"
#include "render/geometry/vector3.h"

class CHLO;
class CHLOGrunt;
class CPlayerCamera;

// Per-action flags (the same bits as a joystick input's).
enum ActionState : std::uint32_t {
  ACTION_STATE_UP = 1,
  ACTION_STATE_PRESSED = 2,  // went down this frame
  ACTION_STATE_DOWN = 4,
  ACTION_STATE_RELEASED = 8,  // went up this frame
};

enum ControlMode : std::int32_t {
  CONTROL_STEER = 0,         // the player steers the soldier
  CONTROL_FIRST_PERSON = 1,  // the first-person aiming view
  CONTROL_AI = 2,            // the soldier is left to its AI until a control is used
};

// Controller flag bits: which of the player's bindings are live.
enum ControllerFlags : std::uint32_t {
  CONTROLLER_KEYBOARD_MOUSE = 1,
  CONTROLLER_JOYSTICK = 2,
};

// The local players of this machine.
inline constexpr int kLocalPlayerCount = 4;
// The soldier screen, for the joystick bindings the key-binding screen
// leaves out and the cursor re-centre of the game screen.
inline constexpr int kScreenInGame = 14;
inline constexpr int kScreenKeyBinding = 33;

class CLocalPlayer {
 public:
  // Action states up, mouse divisors 200, first draw 1, no controller slot,
  // squared mouse response on, everything else 0.
  CLocalPlayer();
  virtual ~CLocalPlayer() = default;
  CLocalPlayer(const CLocalPlayer&) = delete;
  CLocalPlayer& operator=(const CLocalPlayer&) = delete;

  // Clears the control state (run by the table's Add): axes, toggles and
  // pop-up words 0, no soldier, input enabled, steering; keyboard and mouse
  // bindings live (and the world's mouse-control flag set), joystick
  // bindings too when a joystick exists.
  void Reset();
  // 1: keyboard and mouse bindings live, joystick bindings not, the world's
  // mouse-control flag set; 0 the other way round.
  void SetControllerType(int keyboard);

  // The binding checks of this record's binding row and controller slot.
  // `mode` is one ActionState bit; false without a controller slot.
  bool TestAction(int action, std::uint32_t mode);
  bool IsActionPressed(int action) { return TestAction(action, ACTION_STATE_PRESSED); }
  bool IsActionDown(int action) { return TestAction(action, ACTION_STATE_DOWN); }
  bool IsActionReleased(int action) { return TestAction(action, ACTION_STATE_RELEASED); }
  bool IsActionUp(int action) { return TestAction(action, ACTION_STATE_UP); }
  // The analogue value of a pair of actions (the negative one first; the
  // positive one kNoAction for a single action): a joystick axis while it is
  // moved, else -1 or +1 from the keys; 0 without a controller slot.
  float GetAxisValue(int negativeAction, int positiveAction);
  // This frame's state of an action (ActionState bits).
  std::uint32_t GetActionState(int action) const {
    return action >= 0 && action < kInputActionCount ? actionStates[action] : ACTION_STATE_UP;
  }

  // The per-frame sampling: axes, action states, mouse turn and pitch, the
  // cursor re-centre, then the control of the soldier.
  void SampleInput();
  // Every action state back to up.
  void ResetActionStates();
  // The frame's control of the soldier, in its fixed order.
  void ProcessControl();
  // Changes the control mode (only with a soldier that a player may control).
  void SetControlMode(int mode);
  // The hit marker: shown for 1000 ms of game time from now, pointing at `source`.
  void SetHitMarker(const CVector3& source);
  // A soldier is attached and a player may control it (capability 5).
  bool IsControllable() const;

  // --- The soldier this player steers -----------------------------------------------
  // Attaches the player to `soldier` (null: to none): the old soldier's link
  // and steering are cleared, the camera chases the new one.
  void AttachToGrunt(CHLOGrunt* soldier);
  // Level start: the controllable living soldier of the local side with the
  // lowest squad position 0..3 that no player has yet (none when there is none).
  void AttachToFirstSquadMember();
  // Whether the local side has a soldier this player could control.
  bool HasControllableUnit() const;
  // Switches to squad member n (1..4); 1 on success.  The mission may refuse
  // (event 43 answered 0).
  int SwitchToSquadMember(int n);
  // Switches to the next (or previous) eligible squad member; 1 on success.
  int SwitchToAdjacent(bool backwards, bool allowDying);
  // Another living member of the squad, or null.
  CHLOGrunt* FindOtherLivingSquadMember() const;
  // The death watch of the controlled soldier (each frame while controlled).
  void CheckDeath();
  // The stance key and the speed step of the soldier.
  void StanceKey();
  void StanceSpeedStepCommand();
  // NEXT_GRUNT, PREV_GRUNT and GRUNT_1..4: switches by key.
  void SwitchKeys();

  // A client's input step: builds this frame's input message and sends it
  // to the host when any field changed since the last one sent.  Only in a
  // network game in the playing state, on a client, while the world runs.
  void SendInputState();
  // The input message this frame would send (the candidate of SendInputState).
  PlayerInputMsg BuildInputState();
  // Plays rumble pattern n (-1: nothing) at `strength` (0..1, clamped) on
  // this player's controller; nothing while the world is paused unless the
  // options screen (4) is up.  A running pattern of higher priority stays.
  void StartRumble(int n, float strength);

  // --- Fields -------------------------------------------------------------------
  CPlayerCamera* camera = nullptr;
  std::int32_t inputEnabled = 0;
  std::uint32_t controllerFlags = 0;
  float TurnAxis = 0.0f;
  float ForwardAxis = 0.0f;
  float previousTurn = 0.0f;
  float previousForward = 0.0f;
  float StrafeAxis = 0.0f;
  float AimYawAxis = 0.0f;
  float AimPitchAxis = 0.0f;
  float previousAimYaw = 0.0f;
  float previousAimPitch = 0.0f;
  std::uint32_t actionStates[kInputActionCount];
  std::uint32_t actionDownTimes[kInputActionCount];
  std::int32_t orderKeyActive = 0;
  std::int32_t stanceKeyConsumed = 0;
  CHLOGrunt* Soldier = nullptr;
  std::uint32_t switchDeadline = 0;
  std::int32_t ControlMode = CONTROL_STEER;
  std::int32_t headView = 0;
  std::int32_t objectivesShown = 0;
  std::int32_t paused = 0;
  std::int32_t contextAction = 0;
  std::int32_t firstDraw = 1;
  CVector3 orderTargetPoint{};
  std::uint32_t zoomStepTime = 0;
  float yawRate = 0.0f;
  std::int32_t invertJoystickPitch = 0;
  std::int32_t bindingRow = 0;
  std::int32_t controllerSlot = -1;
  CHLO* orderMenuSelection = nullptr;
  std::uint32_t firstPersonStartTime = 0;
  std::int32_t cameraHold = 0;
  std::int32_t savedHeadView = 0;
  std::int32_t squadFollowState = 0;
  CHLO* contextTarget = nullptr;
  void* menus[3] = {};
  CHLOGrunt* giveTakePartner = nullptr;
  std::int32_t InventoryPopup = 0;
  std::int32_t GiveTakePopup = 0;
  std::int32_t VehiclePopup = 0;
  std::int32_t OrderPopup = 0;
  std::int32_t savedCollisionState = 0;
  float cameraHeadingOffset = 0.0f;
  std::uint32_t hitMarkerExpiry = 0;
  CVector3 hitMarkerSource{};
  // The last input message sent to the host.
  PlayerInputMsg inputMessage;
  float mouseXDivisor = 200.0f;
  float mouseYDivisor = 200.0f;
  std::int32_t invertMouse = 0;
  std::int32_t mouseSquaredResponse = 1;
  float mousePitch = 0.0f;
  float mousePitchDelta = 0.0f;
  std::int32_t mouseMoved = 0;
  std::int32_t mouseAimActive = 0;
  std::uint8_t waitForStanceRelease = 0;
  float zoomFogOffsets[2] = {};
  std::int32_t hudSlot = 0;
  // Set when a key drove an axis this frame (the mouse then leaves it alone).
  std::int32_t keyUsed = 0;
  // Aim words the soldier's torso turn reads: the aim lock (the torso turns
  // at once) and the fast-aim mode (135 degrees a second).  Zero unless set.
  std::int32_t aimLock = 0;
  std::int32_t fastAim = 0;
  // The menus' auto-repeat of the four directions (up, down, left, right:
  // 0 up, 1 held) and the real-clock time of the next repeat; kept across
  // screens and resets.
  std::uint8_t menuRepeat[4] = {};
  std::uint32_t menuRepeatTime = 0;
  // Words the soldier's use step and aiming read; the player controls that
  // fill them come later, so they stay zero unless a test sets them.
  std::uint32_t UseButtons = 0;      // 0x4 the use button, 0x2 the second button
  std::int32_t RadioWord = 0;        // 1 while the radio (pointer) mode is on
  CHLO* PointedObject = nullptr;     // what the player's pointer names
  float PointedDistance = 0.0f;
  CHLO* ObjectLink = nullptr;        // the player control's object link

 private:
  // The action state step of every action (in the sampling pass, a control
  // used while the soldier is left to its AI gives control back).
  void UpdateActionStates(bool sampling);
  // The mouse step: turn from sideways motion, an accumulated pitch.
  void SampleMouse();
  // A joystick axis binding's value: the last slot of the action bound to an
  // axis input wins; found says whether any was.
  float AxisBindingValue(int action, bool* found);
  // Whether any key bound to the action is down (sets keyUsed).
  bool ActionKeyDown(int action);
};
