// Puts the animated-object module into the level loader: transform-animated
// templates are placed as animated objects, and the animation a level names
// for an instance starts looping on it.  Called before a level loads.
#pragma once

void InstallAnimationLoaderHooks();
