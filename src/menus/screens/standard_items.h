// The standard looks of menu items on screens: a button, a slider, a choice
// with its two arrows, a choice showing a free text, and a text entry, each
// on the item background bar, with the item's label bar first when it has a
// label.  Each is called with the owning screen and the item's id and
// top-left corner; the Callback forms have the menu's draw-callback shape
// (the owner word is the screen) for items to point at.  Main thread only.
#pragma once

#include <cstdint>

class CMenuScreen;

void DrawButtonItem(CMenuScreen* screen, std::uint16_t id, int x, int y);
void DrawSliderItem(CMenuScreen* screen, std::uint16_t id, int x, int y);
void DrawChoiceItem(CMenuScreen* screen, std::uint16_t id, int x, int y);
// As a choice, showing `text` (at most 255 characters, cut from the end until
// it fits the value part less 64 pixels) centred.
void DrawChoiceItemString(CMenuScreen* screen, std::uint16_t id, int x, int y, const char* text);
void DrawEditItem(CMenuScreen* screen, std::uint16_t id, int x, int y);

void ButtonItemCallback(std::uint16_t id, int x, int y, int menuWidth, int menuHeight, std::uint16_t flags,
                        void* owner);
void SliderItemCallback(std::uint16_t id, int x, int y, int menuWidth, int menuHeight, std::uint16_t flags,
                        void* owner);
void ChoiceItemCallback(std::uint16_t id, int x, int y, int menuWidth, int menuHeight, std::uint16_t flags,
                        void* owner);
void EditItemCallback(std::uint16_t id, int x, int y, int menuWidth, int menuHeight, std::uint16_t flags,
                      void* owner);
