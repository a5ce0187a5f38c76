// The order in which start-up and shut-down made and freed the game's
// long-lived objects: one line per step, kept for tests and diagnostics.
// Main thread only.
#pragma once

#include <string>
#include <vector>

// Appends a step.
void TraceStep(const std::string& step);
// The steps since the last clear.
const std::vector<std::string>& TracedSteps();
void ClearTracedSteps();
