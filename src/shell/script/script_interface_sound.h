// Interface sounds and interface music the script functions play (an
// objective failed, a mission won or lost): events of the game's interface
// bank ("Interface.sbk", the one the menus load), a sound on the interface
// channel, music on the music channel as slot 14 plays it.
#pragma once

// Plays interface sound `event` on the interface channel.
void PlayInterfaceSound(int event);
// Starts interface music track `track` (slot 14).
void PlayInterfaceMusic(int track);
// The last track asked for (-1 none since the last clear); tests.
int LastInterfaceMusicTrack();
void ClearInterfaceMusicTrack();
