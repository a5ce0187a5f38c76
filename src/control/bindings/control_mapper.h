// The control mapper: for each player row and each action, up to three
// bindings to physical inputs (a key, a joystick axis input, a joystick button
// or a mouse button).  The program's mapper (made at start-up) has four player
// rows, one per local player, each loaded from "default.key" and then
// "current.key"; only row 0 is written back to "current.key" at exit.
//
// Binding file: plain text, one binding a line, "ACTION,slot=BINDING", lines
// ended by CR LF when written; a reader skips every CR, ends a line at LF and
// stops at the first empty line.  BINDING is "KEY_" and a key name,
// "JOY_AXIS_n", "JOY_BUTTON_n" or "MOUSE_BUTTON_n".  Lines naming an unknown
// action or key, a slot other than 0, 1 and 2, an index outside the device's
// inputs, or longer than 247 characters are ignored.
// Main thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A binding: the device in the high 16 bits, the index in the low 16 bits;
// -1 is no binding.
using InputBindingCode = std::int32_t;
inline constexpr InputBindingCode kNoBinding = -1;

enum InputBindingDevice : std::int32_t {
  BINDING_KEY = 0,           // index: key code
  BINDING_JOY_AXIS = 1,      // index 0..11: joystick input 16 + n
  BINDING_JOY_BUTTON = 2,    // index 0..15
  BINDING_MOUSE_BUTTON = 4,  // index 0..2
};
constexpr InputBindingCode MakeBinding(InputBindingDevice device, int index) {
  return static_cast<InputBindingCode>((static_cast<std::uint32_t>(device) << 16) |
                                       (static_cast<std::uint32_t>(index) & 0xFFFF));
}
constexpr int BindingDevice(InputBindingCode code) { return static_cast<int>(static_cast<std::uint32_t>(code) >> 16); }
constexpr int BindingIndex(InputBindingCode code) { return static_cast<int>(code & 0xFFFF); }

inline constexpr int kBindingSlots = 3;
// Player rows of the program's mapper: one per local player.
inline constexpr int kBindingRows = 4;
// The longest line a binding file may have.
inline constexpr std::size_t kBindingLineLimit = 247;

// What reading a binding file did with its lines.
struct BindingFileReport {
  int linesRead = 0;     // lines looked at (up to the first empty line)
  int linesApplied = 0;  // lines that set a binding
  std::vector<int> ignoredLines;  // numbers (from 1) of the lines ignored
  bool stoppedAtEmptyLine = false;
};

class CControlMapper {
 public:
  CControlMapper() = default;
  CControlMapper(const CControlMapper&) = delete;
  CControlMapper& operator=(const CControlMapper&) = delete;

  // Sizes the table and fills it with kNoBinding; false for sizes below 1.
  bool Init(int players, int slots, int actions);
  int Players() const { return players_; }
  int Slots() const { return slots_; }
  int Actions() const { return actions_; }

  // Sets one binding; answers its flat index ((slots x player + slot) x
  // actions + action), or -1, changing nothing, when player, slot or action
  // lies outside the table.
  int SetBinding(int player, int slot, int action, InputBindingCode code);
  // The binding, or kNoBinding outside the table.
  InputBindingCode GetBinding(int player, int slot, int action) const;
  // The binding of the first slot whose device is `device`, or kNoBinding.
  InputBindingCode FindDeviceBinding(int player, int device, int action) const;
  // Every binding of one row back to kNoBinding.
  void ClearRow(int player);

  // Reads a binding file into a row (a later line overwrites an earlier
  // binding of the same action and slot).  False, with nothing changed, when
  // the file cannot be opened or the row does not exist.
  bool LoadBindings(const char* fileName, int player, BindingFileReport* report = nullptr);
  // The same from bytes in memory (the file's whole content).
  bool LoadBindingsFromText(const char* bytes, std::size_t size, int player, BindingFileReport* report = nullptr);
  // Writes a row: each (action, slot) with a binding once, in action-code and
  // slot order, CR LF after each line.  The file is written under a
  // temporary name and then moved over the old one, so a write that fails
  // leaves the old file as it was.  False when any step fails.
  bool SaveBindings(const char* fileName, int player) const;
  // The text SaveBindings writes.
  std::string FormatRow(int player) const;

 private:
  int FlatIndex(int player, int slot, int action) const;

  int players_ = 0;
  int slots_ = 0;
  int actions_ = 0;
  std::vector<InputBindingCode> table_;
};

// The program's mapper (null outside CreateControlMapper .. DestroyControlMapper).
extern CControlMapper* g_ControlMapper;

// Makes the mapper (4 rows x 3 slots x 80 actions) and reads "default.key"
// then "current.key" into every row; a missing file changes nothing.
// Answers 1.
int CreateControlMapper();
// Writes row 0 to "current.key" and frees the mapper; answers whether the
// file was written (true when there was no mapper).
bool DestroyControlMapper();

// The binding text of a file line ("KEY_SPACE", "JOY_AXIS_3" ...), upper
// case; kNoBinding for an unknown prefix or key name or an index outside the
// device's inputs.
InputBindingCode ParseBinding(const char* text);
InputBindingCode ParseBinding(const char* text, std::size_t length);
// Appends a binding's file text to `out` ("KEY_UnknownKey" for a key without
// a name); false, appending nothing, for an unknown device.
bool FormatBinding(std::string& out, InputBindingCode code);
// The text shown for a binding on the key-binding screen, in one shared
// buffer: the string table's texts for no binding, axes and buttons, the
// system's key name for keys.  A device without a text leaves the buffer as
// it was.
const char* GetBindingDisplayName(InputBindingCode code);
