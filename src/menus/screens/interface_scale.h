// The interface's scale, switched by a developer key: full scale, or the
// scale fitted to the render size.  Main thread only.
#pragma once

// Alternates, starting with the first: (1) the interface, script and
// backdrop sprite sets and the interface font's set at scale 100; (2) below
// 800 pixels wide each of the three sets at (width x 100 / 800, height x 100
// / 600) percent, and on any width but 800 the font at width x 100 / 800
// percent.  The pop-up menus and the in-game screen are laid out again.
void ToggleInterfaceScale();
// Back to the first state next (a new game).
void ResetInterfaceScale();
