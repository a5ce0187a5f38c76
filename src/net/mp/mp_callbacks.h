// The game's callbacks of the network library and which layer they serve:
// the host-side callbacks go to the layer that hosts, the client-side ones
// to the layer that looks for or joins a host.  Callbacks 1, 2, 6, 8 and 11
// run on the network thread and only post their work for MPUpdate.
#pragma once

class CMultiplayer;

// Registers callbacks 0, 1, 2, 4, 5, 6, 8, 10 and 11 (once is enough).
void MPRegisterCallbacks();
void MPSetHostLayer(CMultiplayer* layer);
void MPSetClientLayer(CMultiplayer* layer);
// The layer no longer serves either side.
void MPForgetLayer(CMultiplayer* layer);

// Level end: the three shared state blocks (the item respawn queues) reset.
void MPResetSharedBlocks();
// A leaving player's items go back to their respawn queues.
void MPReleasePlayerItems(int slot);
