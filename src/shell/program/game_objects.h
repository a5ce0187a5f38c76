// The game's long-lived objects that the shell owns itself (the world,
// foundation, menu and sound ones are declared beside their classes): the
// font and interface sprite sets, the two fonts, the load-list context and
// the saved start-up state.  Made by GameInitialise, freed by GameShutdown;
// null outside.  Main thread only.
#pragma once

#include <cstdint>

class CFont;
class CSpriteRender;

// The record load lists report through (only its error word is used).
struct LoadListContext {
  std::uint32_t Error = 0;
  std::uint8_t Unused[68] = {};
};

extern CSpriteRender* g_FontSprites;       // "VHBFont.img"
extern CFont* g_MainFont;                  // glyph map A over the font set
extern CFont* g_LargeFont;                 // glyph map B over the font set
extern CSpriteRender* g_InterfaceSprites;  // "GWInt.img"
extern CSpriteRender* g_PanelSprites;      // "8060.img", or "6448.img" on a 640-pixel-wide screen
extern CSpriteRender* g_EffectsSprites;    // "Effects.img" (81 the moon, 82 the mouse cursor)
extern LoadListContext* g_LoadListContext;

// The two glyph maps (256 entries each): A maps code c to sprite c; B maps
// codes 33..126 to sprites 128 + c - 32 and nothing else.
const std::uint16_t* GlyphMapA();
const std::uint16_t* GlyphMapB();

// The player's nation: 0 UK, 1 US (letter S; training levels force 1).
extern std::uint32_t PlayerNation;
// Set by SelectDevice when the user cancels or a component is missing: a
// failed engine start-up then ends silently.
extern std::uint32_t StartupCancelled;
