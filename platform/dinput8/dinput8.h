// DirectInput 8 over SDL2: the interface object, the system keyboard and mouse
// devices, game controllers as joysticks, and the constant-force effect as
// controller rumble.
//
// - The mouse device reports relative motion (x, y, wheel) summed from SDL's
//   mouse events since the last read, and its three buttons.  Motion that a
//   cursor warp made is not counted.
// - Each SDL game controller is one joystick, listed in the order the
//   controllers were attached (at most 8 at a time): the left stick is X and
//   Y, the right stick Z and Rz, the left and right triggers Rx and Ry; the
//   buttons are 0 A, 1 B, 2 X, 3 Y, 4 left shoulder, 5 right shoulder, 6 back,
//   7 start, 8 left stick, 9 right stick, 10..13 the pad up, down, left,
//   right, 14 and 15 the left and right trigger pulled past half.  Axis values
//   are scaled to the range set with DIPROP_RANGE and cut by DIPROP_DEADZONE
//   (the range's centre inside the dead zone, the rest stretched to the full
//   range).  A removed controller answers DIERR_UNPLUGGED; new ones appear
//   in EnumDevices as they are attached.
// - The constant-force effect sends its magnitude (0..10000) as SDL rumble on
//   both motors each time its parameters are set with DIEP_START, and stops
//   the rumble when it is released or stopped.
// - Foreground devices are lost (DIERR_INPUTLOST once, then
//   DIERR_NOTACQUIRED) when their window loses the focus, and cannot be
//   acquired again until it has it back.
// Main thread only.
#pragma once

#include "platform/win32/unknown.h"
#include "platform/win32/win_types.h"

inline constexpr DWORD DIRECTINPUT_VERSION = 0x0800;

// ---- Results -------------------------------------------------------------
inline constexpr HRESULT DI_OK = 0;
inline constexpr HRESULT DI_NOTATTACHED = 1;
inline constexpr HRESULT DI_NOEFFECT = 1;
inline constexpr HRESULT DI_PROPNOEFFECT = 1;
inline constexpr HRESULT DIERR_GENERIC = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT DIERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT DIERR_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT DIERR_OTHERAPPHASPRIO = static_cast<HRESULT>(0x80070005u);
inline constexpr HRESULT DIERR_NOTACQUIRED = static_cast<HRESULT>(0x8007000Cu);
inline constexpr HRESULT DIERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT DIERR_NOTINITIALIZED = static_cast<HRESULT>(0x80070015u);
inline constexpr HRESULT DIERR_INPUTLOST = static_cast<HRESULT>(0x8007001Eu);
inline constexpr HRESULT DIERR_INVALIDPARAM = static_cast<HRESULT>(0x80070057u);
inline constexpr HRESULT DIERR_DEVICENOTREG = static_cast<HRESULT>(0x80040154u);
inline constexpr HRESULT DIERR_NOTEXCLUSIVEACQUIRED = static_cast<HRESULT>(0x80040205u);
inline constexpr HRESULT DIERR_UNPLUGGED = static_cast<HRESULT>(0x80040209u);

// ---- Cooperative levels, enumeration ---------------------------------------
inline constexpr DWORD DISCL_EXCLUSIVE = 0x01;
inline constexpr DWORD DISCL_NONEXCLUSIVE = 0x02;
inline constexpr DWORD DISCL_FOREGROUND = 0x04;
inline constexpr DWORD DISCL_BACKGROUND = 0x08;
inline constexpr DWORD DISCL_NOWINKEY = 0x10;

inline constexpr DWORD DI8DEVCLASS_ALL = 0;
inline constexpr DWORD DI8DEVCLASS_DEVICE = 1;
inline constexpr DWORD DI8DEVCLASS_POINTER = 2;
inline constexpr DWORD DI8DEVCLASS_KEYBOARD = 3;
inline constexpr DWORD DI8DEVCLASS_GAMECTRL = 4;
inline constexpr DWORD DI8DEVTYPE_GAMEPAD = 0x15;
inline constexpr DWORD DIEDFL_ALLDEVICES = 0x0;
inline constexpr DWORD DIEDFL_ATTACHEDONLY = 0x1;
inline constexpr DWORD DIEDFL_FORCEFEEDBACK = 0x100;
inline constexpr BOOL DIENUM_STOP = 0;
inline constexpr BOOL DIENUM_CONTINUE = 1;

// ---- Device objects, capabilities, properties -------------------------------
inline constexpr DWORD DIDFT_ALL = 0x00000000;
inline constexpr DWORD DIDFT_RELAXIS = 0x00000001;
inline constexpr DWORD DIDFT_ABSAXIS = 0x00000002;
inline constexpr DWORD DIDFT_AXIS = 0x00000003;
inline constexpr DWORD DIDFT_PSHBUTTON = 0x00000004;
inline constexpr DWORD DIDFT_BUTTON = 0x0000000C;
inline constexpr DWORD DIDFT_FFACTUATOR = 0x01000000;
inline constexpr DWORD DIDOI_FFACTUATOR = 0x00000001;

inline constexpr DWORD DIDC_ATTACHED = 0x00000001;
inline constexpr DWORD DIDC_POLLEDDEVICE = 0x00000002;
inline constexpr DWORD DIDC_FORCEFEEDBACK = 0x00000100;

inline constexpr DWORD DIPH_DEVICE = 0;
inline constexpr DWORD DIPH_BYOFFSET = 1;
inline constexpr DWORD DIPROPAXISMODE_ABS = 0;
inline constexpr DWORD DIPROPAXISMODE_REL = 1;

// Offsets into the joystick and mouse states.
inline constexpr DWORD DIJOFS_X = 0;
inline constexpr DWORD DIJOFS_Y = 4;
inline constexpr DWORD DIJOFS_Z = 8;
inline constexpr DWORD DIJOFS_RX = 12;
inline constexpr DWORD DIJOFS_RY = 16;
inline constexpr DWORD DIJOFS_RZ = 20;
constexpr DWORD DIJOFS_BUTTON(int n) { return 48 + static_cast<DWORD>(n); }
inline constexpr DWORD DIMOFS_X = 0;
inline constexpr DWORD DIMOFS_Y = 4;
inline constexpr DWORD DIMOFS_Z = 8;

// ---- Effects --------------------------------------------------------------
inline constexpr DWORD INFINITE = 0xFFFFFFFFu;
inline constexpr LONG DI_FFNOMINALMAX = 10000;
inline constexpr DWORD DI_SECONDS = 1000000;
inline constexpr DWORD DIEB_NOTRIGGER = 0xFFFFFFFFu;
inline constexpr DWORD DIEFF_OBJECTIDS = 0x01;
inline constexpr DWORD DIEFF_OBJECTOFFSETS = 0x02;
inline constexpr DWORD DIEFF_CARTESIAN = 0x10;
inline constexpr DWORD DIEFF_POLAR = 0x20;
inline constexpr DWORD DIEFF_SPHERICAL = 0x40;
inline constexpr DWORD DIEP_DURATION = 0x00000001;
inline constexpr DWORD DIEP_SAMPLEPERIOD = 0x00000002;
inline constexpr DWORD DIEP_GAIN = 0x00000004;
inline constexpr DWORD DIEP_TRIGGERBUTTON = 0x00000008;
inline constexpr DWORD DIEP_TRIGGERREPEATINTERVAL = 0x00000010;
inline constexpr DWORD DIEP_AXES = 0x00000020;
inline constexpr DWORD DIEP_DIRECTION = 0x00000040;
inline constexpr DWORD DIEP_ENVELOPE = 0x00000080;
inline constexpr DWORD DIEP_TYPESPECIFICPARAMS = 0x00000100;
inline constexpr DWORD DIEP_START = 0x20000000;
inline constexpr DWORD DIEP_NORESTART = 0x40000000;

// ---- GUIDs ----------------------------------------------------------------
extern const GUID IID_IDirectInput8A;
extern const GUID GUID_SysKeyboard;
extern const GUID GUID_SysMouse;
extern const GUID GUID_ConstantForce;
extern const GUID GUID_XAxis;
extern const GUID GUID_YAxis;
extern const GUID GUID_ZAxis;
extern const GUID GUID_RzAxis;
extern const GUID GUID_Button;
// Properties (each one a distinct GUID here).
extern const GUID DIPROP_BUFFERSIZE;
extern const GUID DIPROP_AXISMODE;
extern const GUID DIPROP_RANGE;
extern const GUID DIPROP_DEADZONE;
#define IID_IDirectInput8 IID_IDirectInput8A

// ---- Records --------------------------------------------------------------
struct DIOBJECTDATAFORMAT {
  const GUID* pguid;
  DWORD dwOfs;
  DWORD dwType;
  DWORD dwFlags;
};

struct DIDATAFORMAT {
  DWORD dwSize;
  DWORD dwObjSize;
  DWORD dwFlags;
  DWORD dwDataSize;
  DWORD dwNumObjs;
  const DIOBJECTDATAFORMAT* rgodf;
};
// The standard formats: 256 key bytes, the 16-byte mouse state, the 272-byte
// extended joystick state.
extern const DIDATAFORMAT c_dfDIKeyboard;
extern const DIDATAFORMAT c_dfDIMouse;
extern const DIDATAFORMAT c_dfDIJoystick2;

struct DIMOUSESTATE {
  LONG lX;
  LONG lY;
  LONG lZ;
  BYTE rgbButtons[4];
};

struct DIJOYSTATE2 {
  LONG lX, lY, lZ;
  LONG lRx, lRy, lRz;
  LONG rglSlider[2];
  DWORD rgdwPOV[4];
  BYTE rgbButtons[128];
  LONG lVX, lVY, lVZ, lVRx, lVRy, lVRz;
  LONG rglVSlider[2];
  LONG lAX, lAY, lAZ, lARx, lARy, lARz;
  LONG rglASlider[2];
  LONG lFX, lFY, lFZ, lFRx, lFRy, lFRz;
  LONG rglFSlider[2];
};
static_assert(sizeof(DIMOUSESTATE) == 16 && sizeof(DIJOYSTATE2) == 272);

struct DIDEVICEINSTANCEA {
  DWORD dwSize;
  GUID guidInstance;
  GUID guidProduct;
  DWORD dwDevType;
  CHAR tszInstanceName[260];
  CHAR tszProductName[260];
  GUID guidFFDriver;
  WORD wUsagePage;
  WORD wUsage;
};

struct DIDEVICEOBJECTINSTANCEA {
  DWORD dwSize;
  GUID guidType;
  DWORD dwOfs;
  DWORD dwType;
  DWORD dwFlags;
  CHAR tszName[260];
  DWORD dwFFMaxForce;
  DWORD dwFFForceResolution;
  WORD wCollectionNumber;
  WORD wDesignatorIndex;
  WORD wUsagePage;
  WORD wUsage;
  DWORD dwDimension;
  WORD wExponent;
  WORD wReportId;
};

struct DIDEVCAPS {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwDevType;
  DWORD dwAxes;
  DWORD dwButtons;
  DWORD dwPOVs;
  DWORD dwFFSamplePeriod;
  DWORD dwFFMinTimeResolution;
  DWORD dwFirmwareRevision;
  DWORD dwHardwareRevision;
  DWORD dwFFDriverVersion;
};

struct DIPROPHEADER {
  DWORD dwSize;
  DWORD dwHeaderSize;
  DWORD dwObj;
  DWORD dwHow;
};
struct DIPROPDWORD {
  DIPROPHEADER diph;
  DWORD dwData;
};
struct DIPROPRANGE {
  DIPROPHEADER diph;
  LONG lMin;
  LONG lMax;
};

struct DIENVELOPE {
  DWORD dwSize;
  DWORD dwAttackLevel;
  DWORD dwAttackTime;
  DWORD dwFadeLevel;
  DWORD dwFadeTime;
};
struct DICONSTANTFORCE {
  LONG lMagnitude;
};
struct DIEFFECT {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwDuration;
  DWORD dwSamplePeriod;
  DWORD dwGain;
  DWORD dwTriggerButton;
  DWORD dwTriggerRepeatInterval;
  DWORD cAxes;
  DWORD* rgdwAxes;
  LONG* rglDirection;
  DIENVELOPE* lpEnvelope;
  DWORD cbTypeSpecificParams;
  void* lpvTypeSpecificParams;
  DWORD dwStartDelay;
};

using LPDIENUMDEVICESCALLBACKA = BOOL (*)(const DIDEVICEINSTANCEA* instance, void* context);
using LPDIENUMDEVICEOBJECTSCALLBACKA = BOOL (*)(const DIDEVICEOBJECTINSTANCEA* object, void* context);

// ---- Interfaces -------------------------------------------------------------
class IDirectInputEffect : public IUnknown {
 public:
  // Applies the parameters named by `flags`; with DIEP_START the effect
  // (re)starts.  DIERR_INVALIDPARAM for a missing record.
  virtual HRESULT SetParameters(const DIEFFECT* effect, DWORD flags) = 0;
  // Starts the effect with its current parameters.
  virtual HRESULT Start(DWORD iterations, DWORD flags) = 0;
  virtual HRESULT Stop() = 0;
};

class IDirectInputDevice8A : public IUnknown {
 public:
  virtual HRESULT GetCapabilities(DIDEVCAPS* caps) = 0;
  // Calls back once per object of the kinds in `flags` (DIDFT_ALL: all).
  virtual HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, void* context, DWORD flags) = 0;
  virtual HRESULT SetProperty(const GUID& property, const DIPROPHEADER* header) = 0;
  virtual HRESULT Acquire() = 0;
  virtual HRESULT Unacquire() = 0;
  // Copies the device's state in its data format; `size` must be the
  // format's size.
  virtual HRESULT GetDeviceState(DWORD size, void* data) = 0;
  virtual HRESULT SetDataFormat(const DIDATAFORMAT* format) = 0;
  virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
  virtual HRESULT CreateEffect(const GUID& kind, const DIEFFECT* effect, IDirectInputEffect** out,
                               IUnknown* outer) = 0;
  virtual HRESULT Poll() = 0;
};
using IDirectInputDevice8 = IDirectInputDevice8A;
using LPDIRECTINPUTDEVICE8 = IDirectInputDevice8A*;
using LPDIRECTINPUTEFFECT = IDirectInputEffect*;

class IDirectInput8A : public IUnknown {
 public:
  // GUID_SysKeyboard, GUID_SysMouse, or a joystick's instance GUID from
  // EnumDevices; DIERR_DEVICENOTREG for one that is not attached.
  virtual HRESULT CreateDevice(const GUID& instance, IDirectInputDevice8A** out, IUnknown* outer) = 0;
  virtual HRESULT EnumDevices(DWORD deviceClass, LPDIENUMDEVICESCALLBACKA callback, void* context,
                              DWORD flags) = 0;
  // DI_OK while the device is attached, DI_NOTATTACHED when it is not.
  virtual HRESULT GetDeviceStatus(const GUID& instance) = 0;
};
using IDirectInput8 = IDirectInput8A;
using LPDIRECTINPUT8 = IDirectInput8A*;

// Creates the interface (and starts SDL's game controller support); the
// version must be DIRECTINPUT_VERSION and the interface IID_IDirectInput8.
HRESULT DirectInput8Create(HINSTANCE instance, DWORD version, const GUID& iid, void** out, IUnknown* outer);
