// The player's walk of its soldier on foot: the turn axis turns the soldier
// at its movement state's turn rate, and the soldier moves along its facing
// (backwards and sideways as its state says) at the state's speed.  This
// stands in for the soldier's own think-and-move step, which takes the same
// axes once it is built; until then this is what walks a player's soldier.
#pragma once

class CLocalPlayer;

// One frame of `dt` seconds for the player's soldier (nothing without one,
// in a vehicle, or with no time passing).
void StepPlayerSoldierMove(CLocalPlayer* player, float dt);
