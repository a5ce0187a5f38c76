// The animation slot table as the level fills it: each of the 222 named
// slots takes an animation file for the current level (script slots 1 and
// 2, the ANIM lines of load lists), and level shut-down empties them all.
// The slots' names and handles are the units' (units/base/anim_slot_ids.h).
// Main thread only.
#pragma once

#include <cstdint>

// Fills the slot of that name (compared exactly) with the animation file:
// 1 when a handle was stored or the slot was already filled (that shows
// "Attempt to load anim twice!" and keeps the first); 0 with "Anim slot name
// not defined in code!" for an unknown or null name, and with "bad anim"
// when the file gives no animation (or the name is null or empty).  Each
// message is a plain box with the file name as its text.
int AnimSlotLoad(const char* slotName, const char* fileName);
// The same for a slot number; outside 0..221 shows "Anim slot index out of
// range!" and answers 0.
int AnimSlotLoadIndex(int slot, const char* fileName);
// Empties every slot (level shut-down).
void AnimSlotClearAll();
// Milliseconds spent loading slots since start.
extern std::uint32_t AnimLoadTime;
