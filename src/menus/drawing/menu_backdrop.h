// The menu backdrop: the backdrop sprite set drawn behind the menus, fading
// in over 330 ms while shown and out while not.  Main thread only.
#pragma once

class CSpriteRender;

// The backdrop sprite set ("Backdrop.img"; null until made) and the script
// sprite set that script slot 19 fills (the mission's map pictures).
extern CSpriteRender* g_BackdropSprites;
extern CSpriteRender* g_ScriptSprites;

// Shows (1) or hides (0) the backdrop; it fades towards its state.
void ShowMenuBackdrop(int shown = 1);
// The draw pass's step: the alpha moves by int(real frame ms x 255) / 330
// towards 255 while shown, towards 0 otherwise; while above 0 the set is
// drawn at that alpha with the render object's 2D scales neutral, which are
// put back after.
void DrawMenuBackdrop();
// The current alpha (0-255) and shown flag.
int MenuBackdropAlpha();
bool MenuBackdropShown();
// Back to hidden at alpha 0 (a new game).
void ResetMenuBackdrop();
