// What the player camera reads of a soldier it chases: the head and anchor
// joints, the posture, the health and the facing.  Installed at game start.
#pragma once

class CHLO;
struct PlayerCameraTargetState;

// Fills `out` for a soldier (false for any other object; vehicles come with
// their class).
bool ReadSoldierCameraTarget(CHLO* target, int anchorJoint, PlayerCameraTargetState* out);
// Installs the reader above as the player camera's target reader.
void InstallSoldierCameraReader();
