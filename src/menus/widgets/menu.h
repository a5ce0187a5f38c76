// A menu: a list of items shown in a screen rectangle and driven once per
// frame.  It keeps a selection, moves it with the owner's input checks and
// the mouse, wraps around and scrolls (the rows are circular), lets choice,
// slider, index and edit items change their values, plays a sound when the
// selection moves, can slide into place, and draws its items and scroll
// arrows.  It knows no keys or screens: the owner hands it five input checks
// and reads back each frame the id that Process returns.
//
// Set-up, in the order owners use: once AllocateItems and AddItem for every
// item; then at each populate Reset, SetLayout, SetItemSprites, SetRect,
// SetState, SetKeepActive, SetInputHandlers, SetItemWidth, SetItemHeight, the
// sound and owner fields, then for each item shown CMenuItem::Set and
// OnItemAdded, and last SetArrowBoxes and the selection.
//
// The owner allocates the menu and its items and frees them: every item
// through its virtual destructor, then the item array (FreeItems), then the
// menu.  Main thread only.
#pragma once

#include <cstdint>

#include "menus/widgets/menu_item.h"

class CFont;
class CSoundBank;
class CSpriteRender;

// An input check: non-zero when its action fired this frame.  It is called
// with the argument word given with it.
using MenuInputCheck = int (*)(std::uint32_t arg);

enum MenuState : std::int32_t {
  MENU_STATE_INACTIVE = 0,  // not processed; drawn collapsed to its selection
  MENU_STATE_ACTIVE = 1,
  MENU_STATE_SLIDING = 2,
  MENU_STATE_SLIDING_ICONS = 3,  // sliding, the icon menu drawing its neighbours
};

enum MenuOrientation : std::int32_t {
  MENU_HORIZONTAL = 0,   // rows run rightwards
  MENU_VERTICAL = 1,     // rows run downwards
  MENU_VERTICAL_UP = 2,  // rows run upwards from the bottom edge
};

// Answered by Process for a menu without items.
inline constexpr std::uint16_t kMenuEmpty = 0xFFFF;
// The interface bank's move sound.
inline constexpr std::uint16_t kMenuMoveSound = 20;
inline constexpr std::uint16_t kMenuNoSound = 0xFFFF;

// An arrow box relative to an item: offset (x, y) and size.
struct MenuArrowBox {
  std::int32_t x = 0, y = 0, w = 0, h = 0;
};

class CMenu {
 public:
  // Everything 0, the three cells -1, wrap on, colours 0xc0fff261 (text),
  // 0xFFFFFFFF (highlight) and 0xc0a8a8a8 (disabled).
  CMenu(CFont* font, CSpriteRender* sprites, int mouseEnabled);
  // Frees nothing: the owner frees the items and the array.
  virtual ~CMenu() = default;
  CMenu(const CMenu&) = delete;
  CMenu& operator=(const CMenu&) = delete;

  // --- Items -----------------------------------------------------------------
  // Allocates the item pointer array for n items (game-lifetime category);
  // false when the allocation fails or n is not 1..32767.
  bool AllocateItems(int n);
  // Appends an item; false (and nothing stored) once the allocated array is
  // full or when none is allocated.
  bool AddItem(CMenuItem* item);
  // Deletes every appended item through its destructor, then the array.
  void FreeItems();
  // Makes the next appended item active (count + 1) and updates the layout.
  virtual void OnItemAdded(CMenuItem* item);

  // --- Set-up ----------------------------------------------------------------
  // Frame and highlight cells -1, item size 0, visible rows 0, then Clear.
  void Reset();
  // Count 0, selected id 0, selection 0, first visible 0.
  void Clear();
  void SetLayout(int orientation, int scrollFromFirst);
  // Nothing for a negative frame cell; otherwise both cells, and the items
  // sized to the frame cell.
  void SetItemSprites(int frameCell, int highlightCell);
  void SetItemWidth(int w);
  void SetItemHeight(int h);
  void SetRect(int x, int y, int width, int height);
  void SetInputHandlers(MenuInputCheck accept, MenuInputCheck previous, MenuInputCheck next, MenuInputCheck decrease,
                        MenuInputCheck increase, std::uint32_t acceptArg, std::uint32_t previousArg,
                        std::uint32_t nextArg, std::uint32_t decreaseArg, std::uint32_t increaseArg);
  void SetTextColours(std::uint32_t normal, std::uint32_t highlight);
  void SetState(int state) { State = state; }
  void SetKeepActive(int keep) { KeepActive = keep; }
  void SetSlideDuration(int ms) { SlideDuration = static_cast<std::int16_t>(ms); }
  // Starts a slide: orientation 0 sets slide x to the slide duration (the
  // first step recomputes it), 1 and 2 set slide y to the height; the start
  // time is the game clock's.  The owner then sets state 2 or 3.
  void StartSlide();
  // Zeroes the slide offset of the menu's orientation.
  void StopSlide();
  // The arrow boxes of choice items (first) and slider items (second), each
  // relative to the item's row.
  void SetArrowBoxes(const MenuArrowBox& choiceBox, const MenuArrowBox& sliderBox);
  // Selects the first enabled item, records its id and scrolls to it;
  // nothing when every item is disabled.
  void SelectFirstEnabled();
  void ScrollToSelection();
  // Moves the selection to the previous or next enabled item (see the wrap word).
  void SelectPrevious();
  void SelectNext();
  // Selects the item at an index (0..count-1) and scrolls to it; false outside.
  bool SelectIndex(int index);

  // --- Lookups by id (first active item with the id) ------------------------------
  CMenuItem* FindItem(std::uint16_t id) const;
  std::uint16_t GetItemFlags(std::uint16_t id) const;  // 0 when absent
  void SetItemFlags(std::uint16_t id, std::uint16_t flags);
  std::uint32_t GetItemValue(std::uint16_t id) const;  // 0 when absent
  void SetItemValue(std::uint16_t id, std::uint32_t value);
  std::uint32_t GetItemTextId(std::uint16_t id) const;  // -1 when absent
  // Pixel width of the item's text, or the item width when it has none.
  int GetItemTextWidth(int index) const;
  CMenuItem* SelectedItem() const;
  // The text of a string id from the game's string table, or null.  Every
  // text the menus show is asked for here.
  static const char* TextOf(std::uint32_t textId);
  // An observer of every id asked for (null: none), for checking the string
  // files against what the menus ask.
  using TextObserver = void (*)(std::uint32_t textId);
  static void SetTextObserver(TextObserver observer);

  // --- Per frame ---------------------------------------------------------------
  // Runs the menu for this frame; answers the id accepted or stepped (0 for
  // nothing, 0xFFFF for an active menu without items).
  std::uint16_t Process();
  virtual void Draw();
  virtual void DrawItem(CMenuItem* item, int x, int y) = 0;

  // --- Mouse ------------------------------------------------------------------
  // Whether the mouse lies over the selected item's drawn row (its hit check
  // when it has one).
  bool IsMouseOverSelection() const;
  // Where the scroll arrows stand and whether each is shown.
  struct ScrollArrows {
    bool shown;
    float nextX, nextY, previousX, previousY;
  };
  ScrollArrows GetScrollArrows() const;

  // --- Rows ----------------------------------------------------------------------
  // The index of the item the first row shows.
  int RowStart() const;
  // Row r's item index and top-left corner; false when the row is not drawn
  // (past the rows shown or outside the menu rectangle).
  bool RowPosition(int r, int* index, int* x, int* y) const;
  // The number of rows visited: min(count, visible rows), 1 for an inactive menu.
  int RowsShown() const;

  // --- Fields ------------------------------------------------------------------------
  CFont* Font;
  CSpriteRender* Sprites;
  std::int32_t State = MENU_STATE_INACTIVE;
  std::int32_t KeepActive = 0;
  std::int32_t Orientation = MENU_HORIZONTAL;
  std::int32_t ScrollFromFirst = 0;
  std::int16_t FrameCell = -1;
  std::int16_t HighlightCell = -1;
  std::int16_t ArrowCell = -1;
  std::uint8_t SideArrows = 0;
  std::uint8_t AlwaysArrows = 0;
  std::int16_t Capacity = 0;
  std::int16_t Count = 0;
  std::int16_t Selection = 0;
  CMenuItem** Items = nullptr;
  std::uint16_t SelectedId = 0;
  std::int16_t ItemWidth = 0, ItemHeight = 0, PitchX = 0, PitchY = 0;
  std::int16_t X = 0, Y = 0, Width = 0, Height = 0;
  std::int16_t VisibleRows = 0, FirstVisible = 0;
  std::int16_t SlideDuration = 0;
  std::int16_t CentringOffset = 0;
  std::int16_t SlideX = 0, SlideY = 0;
  std::uint32_t SlideStart = 0;
  std::uint32_t TextColour = 0xC0FFF261;
  std::uint32_t HighlightColour = 0xFFFFFFFF;
  std::uint32_t DisabledColour = 0xC0A8A8A8;
  MenuInputCheck AcceptCheck = nullptr, PreviousCheck = nullptr, NextCheck = nullptr, DecreaseCheck = nullptr,
                 IncreaseCheck = nullptr;
  std::uint32_t AcceptArg = 0, PreviousArg = 0, NextArg = 0, DecreaseArg = 0, IncreaseArg = 0;
  const CSoundBank* SoundBank = nullptr;
  std::uint16_t MoveSound = kMenuNoSound;
  void* Owner = nullptr;
  std::int32_t MouseEnabled;
  std::int32_t LastMouseX = 0, LastMouseY = 0;
  std::int32_t Wrap = 1;
  MenuArrowBox ChoiceBox, SliderBox;
  // The allocated size of the item array (AddItem refuses beyond it).
  std::int16_t Allocated = 0;

 protected:
  float ScaleX() const;
  float ScaleY() const;
  // Visible rows from the current pitch and the rectangle (nothing while the pitch is 0).
  void UpdateVisibleRows();
  void UpdateCentringOffset();
  // The slide step of states 2 and 3.
  void SlideStep();
  void PlayMoveSound() const;

 private:
  // Hover: the first drawn row under the mouse becomes the selection unless
  // it is already selected or disabled; true when the selection changed.
  bool Hover();
  // The arrow boxes of every drawn choice and slider item, from its drawn row.
  void PlaceArrowBoxes();
  bool MouseOverRow(int index, int x, int y) const;
  void StepValueItem(CMenuItem* item, std::uint16_t* result);
  void TakeTypedText(CMenuItem* item);
  void ScrollWithArrows();
};
