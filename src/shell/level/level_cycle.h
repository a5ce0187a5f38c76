// The level's life: the level change of a FRAME_LEVEL_CHANGE frame, level
// initialise in its fixed order and level shut-down in its own.  Main
// thread only.
#pragma once

#include <cstdint>

// Runs the level change: picks the level (LevelName, or the level chooser
// when it is empty), shuts the running level down, shows two black frames on
// the first load and the loading screen later, resets the engine into the
// level pool and initialises the level.  Answers whether a level runs
// afterwards; a failed level closes the program (QuitGame).
int saveLoadUpdate();
// Loads the level `name` ("*.dll": a mission plug-in; else a load list).
// 1 on success, 0 on failure.
int levelInitialise(const char* name);
// Frees everything that belongs to the running level; safe when none runs.
void LevelShutdown();
// Whether a level runs (initialised and not shut down).
bool LevelRunning();
// The level chooser: every "*.dll" and "*.loa" of the working directory in
// the game set-up dialog.  The dialog comes later: the chooser answers
// "cancelled" (LevelName, empty).
const char* ChooseLevel();

// 1 until the first level with a splash sequence has loaded.
extern std::uint32_t FirstLoad;
// Set while the start-up splash pictures show.
extern std::uint32_t SplashActive;
// Set at the end of a successful level initialise, with its game time.
extern std::uint32_t LevelLoaded;
extern std::uint32_t LevelStartTime;
// When 0 only one full-screen view is drawn (set by level initialise).
extern std::uint32_t SplitDrawing;
// Set when no mission plug-in drives the level.
extern std::uint32_t NoMission;

// The splash pictures of the front end's first load.
inline constexpr const char* kSplashPictures[] = {"SplashMarlow.bmp", "SplashBrindle.bmp", "PCSplashLegal.bmp"};
// The text level initialise stops the music with.
inline constexpr const char* kLevelTemplates[] = {"WoodCrateFragment", "BipedStandDynBox", "BipedKneelDynBox",
                                                  "BipedProneDynBox"};
