// A menu item whose text the player types into a buffer the caller owns.
// The menu feeds it the typed-character queue while it is selected: editing
// keys move the cursor, characters are inserted (or overwrite), filtered and
// limited in count and pixel width, Enter ends text entry.
#pragma once

#include <cstdint>

#include "menus/widgets/menu_item.h"

class CFont;

// Which characters an edit item takes.
enum MenuEditFilter : std::uint32_t {
  MENU_EDIT_ANY = 0,
  MENU_EDIT_LETTERS = 1,          // A-Z and a-z
  MENU_EDIT_DIGITS = 2,           // 0-9
  MENU_EDIT_LETTERS_DIGITS = 3,   // letters, digits and space
};

enum MenuEditMode : std::uint8_t {
  MENU_EDIT_INSERT = 1,
  MENU_EDIT_OVERWRITE = 2,
};

class CMenuEditItem : public CMenuItem {
 public:
  CMenuEditItem();

  // Takes the buffer and its limits (the maximum length counts the
  // terminating NUL: at most maxLength - 1 characters can be typed; a
  // maximum pixel width of 0 is unlimited).  Cuts a longer text at the
  // maximum length and puts the cursor at its end.  0, changing nothing,
  // when the buffer is null or the maximum length is over 255; else 1.
  int SetBuffer(char* buffer, int maxLength, int maxPixelWidth);
  // Cursor 0 and, when the maximum length is not 0, an empty text.
  void Clear();
  // Applies one entry of the typed-character queue (a character or an
  // editing key).  Answers true for Enter, which ends text entry.  The font
  // measures the pixel-width limit (null: no width limit applies).
  bool TypeCode(std::uint32_t code, const CFont* font);
  // Whether the filter and the refused characters ("|", 0xA3, 0xAC) let the
  // character in.
  bool Accepts(unsigned char c) const;

  char* Buffer = nullptr;
  std::uint32_t Filter = MENU_EDIT_ANY;
  std::uint8_t MaxLength = 0;
  std::uint8_t Cursor = 0;
  std::uint8_t Mode = MENU_EDIT_INSERT;
  std::uint16_t MaxPixelWidth = 0;
};
