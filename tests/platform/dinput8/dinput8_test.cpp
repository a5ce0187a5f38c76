// The DirectInput stand-in over SDL: pads made as SDL virtual game
// controllers, the mouse from pushed SDL events, the rumble effect.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/dinput8/dinput8.h"
#include "platform/dinput8/dinput8_test_hooks.h"
#include "platform/dinput8/virtual_controller.h"
#include "platform/win32/cursor_position.h"
#include "platform/win32/event_injection.h"
#include "platform/win32/window.h"

namespace {

LRESULT Quiet(HWND, UINT, WPARAM, LPARAM) { return 0; }

class DirectInputStandIn : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool registered = false;
    if (!registered) {
      WNDCLASSA cls{};
      cls.lpfnWndProc = &Quiet;
      cls.lpszClassName = "DInputTest";
      ASSERT_NE(RegisterClassA(&cls), 0);
      registered = true;
    }
    window_ = CreateWindowExA(0, "DInputTest", "t", WS_POPUP, 0, 0, 64, 48, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    void* out = nullptr;
    ASSERT_EQ(DirectInput8Create(nullptr, DIRECTINPUT_VERSION, IID_IDirectInput8, &out, nullptr), DI_OK);
    di_ = static_cast<IDirectInput8*>(out);
  }
  void TearDown() override {
    for (IDirectInputDevice8* d : devices_) d->Release();
    di_->Release();
    DetachAllVirtualControllers();
    DInputClearFailures();
    DestroyWindow(window_);
    Pump();
  }
  static void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  std::vector<GUID> Pads() {
    std::vector<GUID> found;
    di_->EnumDevices(
        DI8DEVCLASS_GAMECTRL,
        [](const DIDEVICEINSTANCEA* i, void* c) -> BOOL {
          static_cast<std::vector<GUID>*>(c)->push_back(i->guidInstance);
          return DIENUM_CONTINUE;
        },
        &found, DIEDFL_ATTACHEDONLY);
    return found;
  }
  // A joystick set up as the game sets it: range -128..128 and a 40 % dead
  // zone on X, Y, Z and Rz, acquired.
  IDirectInputDevice8* OpenPad(const GUID& guid) {
    IDirectInputDevice8* d = nullptr;
    EXPECT_EQ(di_->CreateDevice(guid, &d, nullptr), DI_OK);
    if (!d) return nullptr;
    devices_.push_back(d);
    EXPECT_EQ(d->SetDataFormat(&c_dfDIJoystick2), DI_OK);
    EXPECT_EQ(d->SetCooperativeLevel(window_, DISCL_EXCLUSIVE | DISCL_FOREGROUND), DI_OK);
    for (DWORD offset : {DIJOFS_X, DIJOFS_Y, DIJOFS_Z, DIJOFS_RZ}) {
      DIPROPRANGE range{{sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), offset, DIPH_BYOFFSET}, -128, 128};
      EXPECT_EQ(d->SetProperty(DIPROP_RANGE, &range.diph), DI_OK);
      DIPROPDWORD zone{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), offset, DIPH_BYOFFSET}, 4000};
      EXPECT_EQ(d->SetProperty(DIPROP_DEADZONE, &zone.diph), DI_OK);
    }
    EXPECT_EQ(d->Acquire(), DI_OK);
    return d;
  }
  static DIJOYSTATE2 Read(IDirectInputDevice8* d, HRESULT* result = nullptr) {
    DIJOYSTATE2 state{};
    HRESULT hr = d->Poll();
    if (SUCCEEDED(hr)) hr = d->GetDeviceState(sizeof state, &state);
    if (result) *result = hr;
    return state;
  }
  HWND window_ = nullptr;
  IDirectInput8* di_ = nullptr;
  std::vector<IDirectInputDevice8*> devices_;
};

TEST_F(DirectInputStandIn, PadAxesFollowRangeAndDeadZone) {
  const int pad = AttachVirtualController();
  ASSERT_NE(pad, 0);
  std::vector<GUID> pads = Pads();
  ASSERT_EQ(pads.size(), 1u);
  IDirectInputDevice8* d = OpenPad(pads[0]);
  ASSERT_NE(d, nullptr);
  struct Case {
    float stick;  // -1..1 before the dead zone
    LONG expected;
  };
  // Inside 40 % the axis reads 0; beyond, the rest is stretched to 128.
  const Case cases[] = {{0.0f, 0}, {0.39f, 0}, {-0.39f, 0}, {0.55f, 32}, {-0.7f, -64}, {1.0f, 128}, {-1.0f, -128}};
  for (const Case& c : cases) {
    ASSERT_TRUE(SetVirtualControllerAxis(pad, VirtualAxis::X, c.stick));
    ASSERT_TRUE(SetVirtualControllerAxis(pad, VirtualAxis::Rz, -c.stick));
    HRESULT hr;
    DIJOYSTATE2 s = Read(d, &hr);
    ASSERT_EQ(hr, DI_OK);
    EXPECT_EQ(s.lX, c.expected) << c.stick;
    EXPECT_EQ(s.lRz, -c.expected) << c.stick;
    EXPECT_EQ(s.lY, 0);
  }
  // An axis without a range set keeps the default 0..65535.
  ASSERT_TRUE(SetVirtualControllerAxis(pad, VirtualAxis::RightTrigger, 1.0f));
  EXPECT_EQ(Read(d).lRy, 65535);
}

TEST_F(DirectInputStandIn, PadButtonsAndTriggersAsSixteenButtons) {
  const int pad = AttachVirtualController();
  IDirectInputDevice8* d = OpenPad(Pads().at(0));
  ASSERT_NE(d, nullptr);
  for (int b = 0; b < 16; ++b) {
    ASSERT_TRUE(SetVirtualControllerButton(pad, b, true));
    DIJOYSTATE2 s = Read(d);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(s.rgbButtons[i], i == b ? 0x80 : 0) << "button " << b << " read " << i;
    ASSERT_TRUE(SetVirtualControllerButton(pad, b, false));
  }
  EXPECT_FALSE(SetVirtualControllerButton(pad, 16, true));
  DIDEVCAPS caps{};
  caps.dwSize = sizeof caps;
  ASSERT_EQ(d->GetCapabilities(&caps), DI_OK);
  EXPECT_EQ(caps.dwButtons, 16u);
  EXPECT_NE(caps.dwFlags & DIDC_FORCEFEEDBACK, 0u);
}

TEST_F(DirectInputStandIn, PadsAreListedInAttachOrderAtMostEightAndRemovalIsReported) {
  std::vector<int> handles;
  for (int i = 0; i < 9; ++i) handles.push_back(AttachVirtualController());
  ASSERT_EQ(std::count(handles.begin(), handles.end(), 0), 0);
  std::vector<GUID> pads = Pads();
  ASSERT_EQ(pads.size(), 8u);
  IDirectInputDevice8* first = OpenPad(pads[0]);
  IDirectInputDevice8* second = OpenPad(pads[1]);
  ASSERT_TRUE(SetVirtualControllerButton(handles[1], 0, true));
  EXPECT_EQ(Read(second).rgbButtons[0], 0x80);
  EXPECT_EQ(Read(first).rgbButtons[0], 0);

  ASSERT_TRUE(DetachVirtualController(handles[0]));
  HRESULT hr;
  Read(first, &hr);
  EXPECT_EQ(hr, DIERR_UNPLUGGED);
  EXPECT_EQ(first->Acquire(), DIERR_UNPLUGGED);
  EXPECT_EQ(di_->GetDeviceStatus(pads[0]), DI_NOTATTACHED);
  EXPECT_EQ(di_->GetDeviceStatus(pads[1]), DI_OK);
  // The ninth pad now has a place in the list.
  std::vector<GUID> now = Pads();
  ASSERT_EQ(now.size(), 8u);
  EXPECT_TRUE(now[0] == pads[1]);
  EXPECT_EQ(Read(second).rgbButtons[0], 0x80);
  IDirectInputDevice8* gone = nullptr;
  EXPECT_EQ(di_->CreateDevice(pads[0], &gone, nullptr), DIERR_DEVICENOTREG);
  EXPECT_EQ(gone, nullptr);
}

TEST_F(DirectInputStandIn, ConstantForceIsSentAsRumbleOnBothMotors) {
  const int pad = AttachVirtualController();
  IDirectInputDevice8* d = OpenPad(Pads().at(0));
  ASSERT_NE(d, nullptr);
  DICONSTANTFORCE force{0};
  DWORD axes[1] = {DIJOFS_X};
  LONG direction[1] = {0};
  DIEFFECT effect{};
  effect.dwSize = sizeof effect;
  effect.dwFlags = DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS;
  effect.dwDuration = INFINITE;
  effect.dwGain = DI_FFNOMINALMAX;
  effect.cAxes = 1;
  effect.rgdwAxes = axes;
  effect.rglDirection = direction;
  effect.cbTypeSpecificParams = sizeof force;
  effect.lpvTypeSpecificParams = &force;
  IDirectInputEffect* e = nullptr;
  ASSERT_EQ(d->CreateEffect(GUID_ConstantForce, &effect, &e, nullptr), DI_OK);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(GetVirtualControllerRumble(pad).calls, 0);  // made silent, not started

  struct Case {
    LONG magnitude;
    std::uint16_t strength;
  };
  const Case cases[] = {{5000, 32768}, {-10000, 65535}, {20000, 65535}, {2500, 16384}};
  for (const Case& c : cases) {
    force.lMagnitude = c.magnitude;
    ASSERT_EQ(e->SetParameters(&effect, DIEP_TYPESPECIFICPARAMS | DIEP_DIRECTION | DIEP_START), DI_OK);
    VirtualRumble r = GetVirtualControllerRumble(pad);
    EXPECT_EQ(r.low, c.strength) << c.magnitude;
    EXPECT_EQ(r.high, c.strength) << c.magnitude;
  }
  // Releasing the playing effect stops the motors.
  e->Release();
  VirtualRumble r = GetVirtualControllerRumble(pad);
  EXPECT_EQ(r.low, 0);
  EXPECT_EQ(r.high, 0);
  EXPECT_EQ(d->CreateEffect(GUID_SysMouse, &effect, &e, nullptr), DIERR_UNSUPPORTED);
}

TEST_F(DirectInputStandIn, MouseSumsMotionBetweenReadsAndIsLostWithTheFocus) {
  IDirectInputDevice8* mouse = nullptr;
  ASSERT_EQ(di_->CreateDevice(GUID_SysMouse, &mouse, nullptr), DI_OK);
  devices_.push_back(mouse);
  ASSERT_EQ(mouse->SetDataFormat(&c_dfDIMouse), DI_OK);
  ASSERT_EQ(mouse->SetCooperativeLevel(window_, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
  DIMOUSESTATE s{};
  EXPECT_EQ(mouse->GetDeviceState(sizeof s, &s), DIERR_NOTACQUIRED);
  // Motion while the device is not acquired is not kept.
  ASSERT_TRUE(Win32InjectMouseMotion(window_, 5, 5, 50, 50));
  ASSERT_EQ(mouse->Acquire(), DI_OK);
  ASSERT_TRUE(Win32InjectMouseMotion(window_, 10, 12, 5, 7));
  ASSERT_TRUE(Win32InjectMouseMotion(window_, 8, 11, -2, -1));
  ASSERT_TRUE(Win32InjectMouseWheel(window_, 1));
  ASSERT_EQ(mouse->GetDeviceState(sizeof s, &s), DI_OK);
  EXPECT_EQ(s.lX, 3);
  EXPECT_EQ(s.lY, 6);
  EXPECT_EQ(s.lZ, WHEEL_DELTA);
  ASSERT_EQ(mouse->GetDeviceState(sizeof s, &s), DI_OK);
  EXPECT_EQ(s.lX, 0);
  EXPECT_EQ(s.lY, 0);

  ASSERT_TRUE(Win32InjectFocus(window_, false));
  EXPECT_EQ(mouse->GetDeviceState(sizeof s, &s), DIERR_INPUTLOST);
  EXPECT_EQ(mouse->GetDeviceState(sizeof s, &s), DIERR_NOTACQUIRED);
  EXPECT_EQ(mouse->Acquire(), DIERR_OTHERAPPHASPRIO);
  ASSERT_TRUE(Win32InjectFocus(window_, true));
  EXPECT_EQ(mouse->Acquire(), DI_OK);
  EXPECT_EQ(mouse->GetDeviceState(sizeof s, &s), DI_OK);
  EXPECT_EQ(mouse->GetDeviceState(12, &s), DIERR_INVALIDPARAM);
  Pump();
}

TEST_F(DirectInputStandIn, PlannedFailuresAndTheCallLog) {
  DInputSetCallLog(true);
  DInputFailNext("DirectInput8Create");
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(DirectInput8Create(nullptr, DIRECTINPUT_VERSION, IID_IDirectInput8, &out, nullptr), DIERR_GENERIC);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(DirectInput8Create(nullptr, 0x0700, IID_IDirectInput8, &out, nullptr), DIERR_NOINTERFACE);
  AttachVirtualController();
  IDirectInputDevice8* d = nullptr;
  ASSERT_EQ(di_->CreateDevice(Pads().at(0), &d, nullptr), DI_OK);
  devices_.push_back(d);
  DInputFailNext("Joystick.SetDataFormat");
  EXPECT_EQ(d->SetDataFormat(&c_dfDIJoystick2), DIERR_GENERIC);
  EXPECT_EQ(d->SetDataFormat(&c_dfDIMouse), DIERR_INVALIDPARAM);
  EXPECT_EQ(d->SetDataFormat(&c_dfDIJoystick2), DI_OK);
  EXPECT_EQ(d->SetCooperativeLevel(window_, DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND),
            DIERR_INVALIDPARAM);
  const std::vector<std::string>& log = DInputCallLog();
  EXPECT_EQ(std::count(log.begin(), log.end(), "Joystick.SetDataFormat"), 3);
  EXPECT_EQ(std::count(log.begin(), log.end(), "DirectInput8Create"), 2);
  DInputSetCallLog(false);
}

}  // namespace
