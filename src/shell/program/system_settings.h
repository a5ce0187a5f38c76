// The system settings the game switches off while it runs: the screen saver
// and the monitor's low-power and power-off modes.  Read and switched off at
// start-up, written back at shut-down.  Main thread only.
#pragma once

// Reads the three "active" settings, keeps them, and switches all three off
// (each written with the send-change option).
void SaveAndDisableSystemSettings();
// Writes the kept settings back; nothing when none were saved.
void RestoreSystemSettings();
bool SystemSettingsSaved();
