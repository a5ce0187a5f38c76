// The level loader's readers of the sections that belong to the engine's and
// the game's long-lived modules: the light table, the waypoint list, the
// regions, the switches, the particle emitters, the tracer batteries and the
// movie cameras.  Each reader fills the module of the moment (g_Lights,
// g_EnvWaypoints, g_Regions, g_Switches, g_ParticleEmitters,
// g_TracerBatteries, g_MovieCamera); while a module does not exist its
// section is read past by the built-in reader, so the rest of the file still
// loads.  Main thread only.
#pragma once

// Puts the readers into the level loader's section table.  Called before a
// level loads; calling it again changes nothing.
void InstallLevelSectionReaders();
// Puts the built-in readers of those sections back.
void RemoveLevelSectionReaders();
