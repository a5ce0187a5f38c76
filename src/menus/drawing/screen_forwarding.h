// Calls the HUD and the pop-up menus make into the soldier and objective
// screens through the screen manager.  Main thread only.
#pragma once

// The two added queries of the objective view: asked of the briefing screen
// while 20 is current, of the objective screen while 13 is, else 0.
int ObjectiveViewQueryA();
int ObjectiveViewQueryB();
// Whether the mouse is over the objective screen's menu selection.
bool IsMouseOverObjectiveSelection();
