// Interface sounds and interface music the script functions play (an
// objective failed, a mission won or lost).  The game's interface bank and
// its music tracks are the sound subsystem's to name; until they are, a
// sound request goes to the interface channel with no bank (the manager
// logs it and plays nothing), a music track is only remembered, and both
// say "not built yet".
#pragma once

// Plays interface sound `event` on the interface channel.
void PlayInterfaceSound(int event);
// Starts interface music track `track`.
void PlayInterfaceMusic(int track);
// The last track asked for (-1 none since the last clear); tests.
int LastInterfaceMusicTrack();
void ClearInterfaceMusicTrack();
