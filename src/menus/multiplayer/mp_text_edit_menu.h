// The text entry screen of the multiplayer flow: one edit line that serves
// the host address (43), the session name (44), the player name (45), the
// host port (51) and a chat message to everybody (56) or the own team (57).
// The text is edited in its home buffer; a cancelled entry gets the text it
// had on entry back, and the remembered texts are written to the registry
// on acceptance and on leaving.
#pragma once

#include <cstdint>

#include "menus/screens/menu_screen.h"

class CMenuEditItem;

class CMPTextEditMenu : public CMenuScreen {
 public:
  enum : std::uint16_t { kEditRow = 3401 };
  bool Create() override;
  void Populate() override;
  int Update() override;
  void Draw() override;
  void OnEnter() override;
  void OnLeave(int nextId) override;
  bool DimsGreenOnLeave(int) override { return editState_ == 0; }
  bool DimsRedOnLeave(int) override { return editState_ != 0; }
  std::uint32_t GetLeftHintTextId() override;

  CMenuEditItem* Edit() const;

 private:
  // The id whose text is bound (the id being edited).
  int boundId_ = 0;
  std::uint8_t editState_ = 0;
};

// The limits of each id's text: maximum length (terminator included),
// maximum pixel width (0 none), title, next screens, registry value (null none).
struct MPTextEntry {
  int id;
  int maxLength;
  int maxWidth;
  std::uint32_t title;
  int acceptNext;
  int backNext;
  const char* registryName;
};
const MPTextEntry* FindMPTextEntry(int id);
