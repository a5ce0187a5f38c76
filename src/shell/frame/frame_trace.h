// The steps of each in-game frame and render, recorded while a test asks
// for them (off otherwise: nothing is kept).  Main thread only.
#pragma once

#include <string>
#include <vector>

void SetFrameTraceEnabled(bool on);
bool FrameTraceEnabled();
// Appends a step while recording.
void FrameStep(const char* step);
const std::vector<std::string>& FrameSteps();
void ClearFrameSteps();
