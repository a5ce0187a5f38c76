// The two sets of route-marker links the mission switches between: set A
// joins the markers around the dump road, set B cuts most of them again.
#pragma once

namespace mission1 {

void ApplyRouteLinkSetA();
void ApplyRouteLinkSetB();
// Every frame: set B while no request stands or building 47 is dead, set A
// once a request stands and it is not; each set is applied when the state
// changes.
void RouteLinkSwitch();

}  // namespace mission1
