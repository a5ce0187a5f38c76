// A menu item: one row of a menu (a button, a line of text, or a value the
// player changes).  The plain item is the base of every kind; the kinds add
// their values after it (menu_choice_item.h, menu_slider_item.h,
// menu_edit_item.h, menu_index_item.h).  Items are allocated by the owner of
// the menu and freed by it through the virtual destructor.  Main thread only.
#pragma once

#include <cstdint>

class CMenu;

// The kind word every item holds.
enum MenuItemKind : std::int32_t {
  MENU_ITEM_PLAIN = 0,   // a button or a line of text
  MENU_ITEM_CHOICE = 1,  // one of up to 8 texts
  MENU_ITEM_SLIDER = 2,  // a value 0..max
  MENU_ITEM_EDIT = 3,    // an editable text in a caller's buffer
  MENU_ITEM_INDEX = 4,   // a position 0..count-1
};

// Item flag bits the menu reads; other bits belong to the owner's draw callbacks.
enum MenuItemFlags : std::uint16_t {
  MENU_ITEM_DISABLED = 0x2,  // skipped by moves, never accepted, stepped or edited
  MENU_ITEM_CENTRED = 0x4,   // text centred in the item
  MENU_ITEM_RIGHT = 0x8,     // text right-aligned
  MENU_ITEM_NO_BOX = 0x20,   // neither the plain box nor the highlight box
};

inline constexpr std::uint16_t kMenuNoId = 0xFFFF;
inline constexpr std::uint32_t kMenuNoText = 0xFFFFFFFF;

// Draws an item: (id, x, y of the item's top-left corner in screen pixels,
// the menu's width and height, the item's flags, the menu's owner).
using MenuItemDrawCallback = void (*)(std::uint16_t id, int x, int y, int menuWidth, int menuHeight,
                                      std::uint16_t flags, void* owner);
// Non-zero when the mouse is over the item of that id (replaces the row
// rectangle in the menu's mouse checks).
using MenuItemHitCheck = int (*)(CMenu* menu, std::uint16_t id);

// A rectangle in screen pixels, both edges inclusive.
struct MenuBox {
  std::int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  bool Contains(int x, int y) const { return x >= x1 && x <= x2 && y >= y1 && y <= y2; }
};

class CMenuItem {
 public:
  // A reset plain item.
  CMenuItem();
  virtual ~CMenuItem() = default;
  CMenuItem(const CMenuItem&) = delete;
  CMenuItem& operator=(const CMenuItem&) = delete;

  // Id 0xFFFF, text id -1, flags 0, value 0, both callbacks null; the label
  // id keeps its value.
  void Reset();
  // Sets the item's words at once.
  void Set(std::uint16_t id, std::uint32_t textId, std::uint16_t flags, std::uint32_t labelId, std::uint32_t value,
           MenuItemDrawCallback draw, MenuItemHitCheck hitCheck);
  bool IsDisabled() const { return (Flags & MENU_ITEM_DISABLED) != 0; }

  std::uint16_t Id = kMenuNoId;
  // String id of the item's text (-1 none); icon menus keep a sprite cell here.
  std::uint32_t TextId = kMenuNoText;
  MenuItemDrawCallback DrawCallback = nullptr;
  std::uint16_t Flags = 0;
  // A second string id for the owner's draw callbacks (a slider's or a
  // choice's label); non-zero moves the value's left arrow box to the
  // middle of the item.
  std::uint32_t LabelId = 0;
  // A free word of the owner (the soldier a row stands for, ...).
  std::uint32_t Value = 0;
  MenuItemHitCheck HitCheck = nullptr;
  std::int32_t Kind = MENU_ITEM_PLAIN;

 protected:
  explicit CMenuItem(MenuItemKind kind);
};
