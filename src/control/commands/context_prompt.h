// The blinking context prompt of a local player: the text of the context
// action the player's soldier can perform now (get in, climb, unlock ...),
// drawn right-aligned at the action hint anchor of the player's view.  It
// blinks on a 500 ms cycle: blank for the first 250 ms, shown for the rest.
#pragma once

#include <cstdint>

inline constexpr std::uint32_t kContextPromptCycleMs = 500;
inline constexpr std::uint32_t kContextPromptBlankMs = 250;
// The interface sound of the exchange prompt (code 17), once per blink.
inline constexpr int kExchangePromptSound = 1808;

// The text id of a context action's prompt; 0 for codes without one (0, 1,
// 19 and above 24).  Code 14 (unlock) reads otherwise when the current item
// is of kind 25.
std::uint32_t ContextPromptTextId(int code, bool currentItemKind25);

// Per player: set while the prompt is blank, cleared when the exchange
// prompt's sound has played for this blink.
struct ContextPromptBlink {
  int FirstDraw = 0;
};

// Draws the prompt of `code` for local player p at the given game time
// (the caller checks that the soldier may act: capability 5).  Answers
// whether text was drawn; the exchange prompt's sound is asked for through
// `sound` (may be null) once per blink.
bool DrawContextPrompt(int player, int code, bool currentItemKind25, std::uint32_t gameTime,
                       ContextPromptBlink* blink, void (*sound)(int event));
