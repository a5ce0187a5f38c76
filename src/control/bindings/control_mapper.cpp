// The binding table, the program's mapper, binding texts and display names.
#include "control/bindings/control_mapper.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "control/bindings/input_action.h"
#include "control/bindings/key_names.h"
#include "control/input/input.h"
#include "foundation/text/locale_table.h"

CControlMapper* g_ControlMapper = nullptr;

namespace {

// String-table texts of the display names.
constexpr std::uint32_t kTextNoBinding = 0x46400DED;
constexpr std::uint32_t kTextJoystickAxis = 0xD3AD8A9B;
constexpr std::uint32_t kTextJoystickButton = 0xC460C084;
constexpr std::uint32_t kTextMouseButton = 0xEBB0B866;
// The longest key name shown.
constexpr int kKeyNameShown = 20;

// Indices each device accepts (the joystick's 12 axis inputs, 16 buttons,
// 3 mouse buttons).
bool IndexFits(int device, long index) {
  switch (device) {
    case BINDING_JOY_AXIS: return index >= 0 && index < 12;
    case BINDING_JOY_BUTTON: return index >= 0 && index < 16;
    case BINDING_MOUSE_BUTTON: return index >= 0 && index < 3;
    default: return false;
  }
}

bool StartsWith(const char* text, std::size_t length, const char* prefix) {
  const std::size_t n = std::strlen(prefix);
  return length >= n && std::memcmp(text, prefix, n) == 0;
}

// A whole decimal number of at most 9 digits, or -1.
long Decimal(const char* text, std::size_t length) {
  if (length == 0 || length > 9) return -1;
  long value = 0;
  for (std::size_t i = 0; i < length; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

// Fills a string-table format with one number: the first "%d" becomes the
// number and "%%" a percent sign; anything else is copied as it stands (the
// text is data and never used as a format of its own).
void FillFormat(char* out, std::size_t size, const char* format, int number) {
  std::size_t n = 0;
  bool filled = false;
  for (const char* p = format; *p && n + 1 < size; ++p) {
    if (p[0] == '%' && p[1] == 'd' && !filled) {
      char digits[16];
      std::snprintf(digits, sizeof digits, "%d", number);
      for (const char* d = digits; *d && n + 1 < size; ++d) out[n++] = *d;
      filled = true;
      ++p;
    } else if (p[0] == '%' && p[1] == '%') {
      out[n++] = '%';
      ++p;
    } else {
      out[n++] = *p;
    }
  }
  out[n] = 0;
}

const char* LocaleText(std::uint32_t id) { return g_Locale ? g_Locale->GetString(id) : nullptr; }

}  // namespace

bool CControlMapper::Init(int players, int slots, int actions) {
  if (players < 1 || slots < 1 || actions < 1) return false;
  players_ = players;
  slots_ = slots;
  actions_ = actions;
  table_.assign(static_cast<std::size_t>(players) * slots * actions, kNoBinding);
  return true;
}

int CControlMapper::FlatIndex(int player, int slot, int action) const {
  if (player < 0 || player >= players_ || slot < 0 || slot >= slots_ || action < 0 || action >= actions_) return -1;
  return (slots_ * player + slot) * actions_ + action;
}

int CControlMapper::SetBinding(int player, int slot, int action, InputBindingCode code) {
  const int index = FlatIndex(player, slot, action);
  if (index >= 0) table_[static_cast<std::size_t>(index)] = code;
  return index;
}

InputBindingCode CControlMapper::GetBinding(int player, int slot, int action) const {
  const int index = FlatIndex(player, slot, action);
  return index >= 0 ? table_[static_cast<std::size_t>(index)] : kNoBinding;
}

InputBindingCode CControlMapper::FindDeviceBinding(int player, int device, int action) const {
  for (int slot = 0; slot < slots_; ++slot) {
    const InputBindingCode code = GetBinding(player, slot, action);
    if (code != kNoBinding && BindingDevice(code) == device) return code;
  }
  return kNoBinding;
}

void CControlMapper::ClearRow(int player) {
  for (int slot = 0; slot < slots_; ++slot)
    for (int action = 0; action < actions_; ++action) SetBinding(player, slot, action, kNoBinding);
}

InputBindingCode ParseBinding(const char* text, std::size_t length) {
  if (!text) return kNoBinding;
  if (StartsWith(text, length, "KEY_")) {
    const int code = KeyCodeFromName(text + 4, length - 4);
    return code < 0 ? kNoBinding : MakeBinding(BINDING_KEY, code);
  }
  struct Prefix {
    const char* text;
    InputBindingDevice device;
  };
  static constexpr Prefix kPrefixes[] = {
      {"JOY_AXIS_", BINDING_JOY_AXIS}, {"JOY_BUTTON_", BINDING_JOY_BUTTON}, {"MOUSE_BUTTON_", BINDING_MOUSE_BUTTON}};
  for (const Prefix& p : kPrefixes) {
    if (!StartsWith(text, length, p.text)) continue;
    const std::size_t n = std::strlen(p.text);
    const long index = Decimal(text + n, length - n);
    return IndexFits(p.device, index) ? MakeBinding(p.device, static_cast<int>(index)) : kNoBinding;
  }
  return kNoBinding;
}

InputBindingCode ParseBinding(const char* text) { return text ? ParseBinding(text, std::strlen(text)) : kNoBinding; }

bool FormatBinding(std::string& out, InputBindingCode code) {
  const int index = BindingIndex(code);
  char text[48];
  switch (BindingDevice(code)) {
    case BINDING_KEY: std::snprintf(text, sizeof text, "KEY_%s", KeyNameFromCode(index)); break;
    case BINDING_JOY_AXIS: std::snprintf(text, sizeof text, "JOY_AXIS_%d", index); break;
    case BINDING_JOY_BUTTON: std::snprintf(text, sizeof text, "JOY_BUTTON_%d", index); break;
    case BINDING_MOUSE_BUTTON: std::snprintf(text, sizeof text, "MOUSE_BUTTON_%d", index); break;
    default: return false;
  }
  out += text;
  return true;
}

const char* GetBindingDisplayName(InputBindingCode code) {
  static char buffer[128];
  const char* format = nullptr;
  int number = 0;
  if (code == kNoBinding) {
    const char* text = LocaleText(kTextNoBinding);
    std::snprintf(buffer, sizeof buffer, "%s", text ? text : "");
    return buffer;
  }
  const int index = BindingIndex(code);
  switch (BindingDevice(code)) {
    case BINDING_KEY:
      CInput::GetKeyName(index, buffer, kKeyNameShown + 1);
      return buffer;
    case BINDING_JOY_AXIS:
      // Three inputs per axis: axis 1 Y, 2 X, 3 Rz, 4 Z.
      format = LocaleText(kTextJoystickAxis);
      number = index / 3 + 1;
      break;
    case BINDING_JOY_BUTTON:
      format = LocaleText(kTextJoystickButton);
      number = index + 1;
      break;
    case BINDING_MOUSE_BUTTON:
      format = LocaleText(kTextMouseButton);
      number = index + 1;
      break;
    default:
      return buffer;
  }
  FillFormat(buffer, sizeof buffer, format ? format : "", number);
  return buffer;
}

int CreateControlMapper() {
  delete g_ControlMapper;
  g_ControlMapper = new CControlMapper();
  g_ControlMapper->Init(kBindingRows, kBindingSlots, kInputActionCount);
  for (int row = 0; row < kBindingRows; ++row) g_ControlMapper->LoadBindings("default.key", row);
  for (int row = 0; row < kBindingRows; ++row) g_ControlMapper->LoadBindings("current.key", row);
  return 1;
}

bool DestroyControlMapper() {
  if (!g_ControlMapper) return true;
  const bool saved = g_ControlMapper->SaveBindings("current.key", 0);
  delete g_ControlMapper;
  g_ControlMapper = nullptr;
  return saved;
}
