// The environment file: the one text file that describes a level.  Its
// header, the instance list, the game-object list, the portals, then the
// sections of the other modules (lights, sounds, waypoints, route markers,
// regions, switches, sky, glass, emitters, shrubbery, tracer batteries; see
// env_file_sections.h), read in one pass in that fixed order; the
// movie-camera section that closes the file is read by the level load after
// this loader returns.  Every optional field is gated by the file's version.
//
// Missing templates, parents and portal ends are reported with warning boxes
// and skipped.  Damaged text (a value missing or of the wrong form, a count
// out of range, the text ending inside a list) stops the load where it
// stands: what was made stays, the finishing steps still run, and the load
// answers failure.  A section whose reader fails is reported and the load
// goes on behind the section's end word.  Main thread only.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"
#include "world/environment/env_file_sections.h"
#include "world/environment/hlo_record_create.h"

class CEnvInstance;
class CEnvironment;
class CEnvObject;
class EnvTextCursor;
struct RenderInfoBlock;

// The version of the file this loader writes and reads in full.
constexpr int kEnvFileVersion = 72;

// Loading progress: (caption, total steps, 0).
using EnvLoadProgress = void (*)(const char* caption, int total, int unused);

// The version of the file being (or last) loaded; the level load hands it to
// the movie-camera reader.
extern int g_EnvFileVersion;

// What went wrong in a load, for the caller that wants more than the answer.
struct EnvFileLoadReport {
  // Bit (1 << EnvSectionId) for each section whose reader failed.
  std::uint32_t failedSections = 0;
  // The instance, game-object or portal list (or the header) was cut or
  // damaged; the load stopped there.
  bool structureFailed = false;
  // Line of the text where the structural failure stood (0 none).
  int failedLine = 0;
  // Counts of what the lists held.
  int instanceRecords = 0;
  int objectRecords = 0;
  int portalRecords = 0;
};

// Reads the whole environment file from the cursor into the environment,
// creating each game object through `spawn` (may be null: records are read
// and dropped) and reporting progress through `progress` (may be null).
// Answers 1 when every list and section was read whole, 0 otherwise (see
// the report); the cursor then stands where the movie-camera section
// begins, or where reading stopped.
int EnvFileLoadEnvironment(CEnvironment* environment, EnvTextCursor& text, HLOSpawnCallback spawn,
                           EnvLoadProgress progress, EnvFileLoadReport* report = nullptr);

// Loads the template "<name>.evo" by load kind: -1 any type; 0, 3 and 4 that
// type; 5 a landscape tile.  Kinds 1, 2, below -1 or above 5 load nothing.
// The template is added to the environment.  Null when nothing was loaded.
CEnvObject* EnvFileLoadObjectByKind(CEnvironment* environment, int kind, const char* name);

// Loads a landscape template (the file must hold type 5), sets its type to
// `type`, adds it to the environment and, when `place` is non-zero, creates
// an instance of it at the origin named "<name>-<counter>", returned through
// `instance` (may be null).  Answers 1 on success, 0 otherwise.
int EnvFileLoadLandscape(CEnvironment* environment, int type, const char* name, int place,
                         CEnvInstance** instance);

// Applies a render-info block to an instance: environment-map entries whose
// texture the template's plain mesh parts use, and the render value.
void EnvFileApplyRenderInfo(CEnvInstance* instance, const RenderInfoBlock& block);
// The inverse, for saving a level: the instance's environment-map entries and
// its render value (when its render mode is 24) into `block` (cleared first).
void EnvFileGetRenderInfo(RenderInfoBlock& block, const CEnvInstance* instance);
// Whether a plain mesh part of the instance's template uses the texture name
// (any case).
bool EnvFileHasEnvMapMaterial(const CEnvInstance* instance, const char* name);
// Whether the instance has anything a render-info block would carry.
bool EnvFileNeedsRenderInfo(const CEnvInstance* instance);
// Reads an instance's active-light list (n, then n indices): at most 6 are
// kept, the others dropped after a warning.  False when the text is cut or
// n is negative.
bool EnvFileReadInstanceLights(CEnvInstance* instance, EnvTextCursor& text);

// Active lights an instance of the level file keeps.
constexpr int kEnvFileMaxInstanceLights = 6;

// --- modules that plug into the loader ------------------------------------------------

// The damage block of a breakable instance (flag 0x400000).
struct EnvDamageBlock {
  float strength = 0.0f;
  std::int32_t kind = 0;
  CEnvObject* debris = nullptr;  // loaded with any type; null for none
  float value1 = 0.0f;
  float value2 = 0.0f;
  std::uint8_t byteValue = 255;
  std::int32_t int1 = -1;
  std::int32_t int2 = -1;
};
// Gives a new instance its damage record (the breakable instances' module);
// without one the block is read and not kept.
using EnvDamageBlockHandler = void (*)(CEnvInstance* instance, const EnvDamageBlock& block);
void SetEnvDamageBlockHandler(EnvDamageBlockHandler handler);

// Creates the animated instance of a transform-animated template (the
// animated-object module); without one a plain instance is made.
using EnvAnimatedInstanceMaker = CEnvInstance* (*)(CEnvironment* environment, const char* name,
                                                   CEnvObject* templ, const CVector3& position,
                                                   const CVector3& rotation, const CVector3& scale);
void SetEnvAnimatedInstanceMaker(EnvAnimatedInstanceMaker maker);
EnvAnimatedInstanceMaker GetEnvAnimatedInstanceMaker();
// Starts the named animation set looping on channel 0 ("NOANIM" is never
// passed); without one the name is not used.
using EnvPlayNamedAnim = void (*)(CEnvInstance* instance, const char* animation);
void SetEnvPlayNamedAnim(EnvPlayNamedAnim play);
// Registers a plain instance with the ladder table.
using EnvLadderRegistrar = void (*)(CEnvInstance* instance);
void SetEnvLadderRegistrar(EnvLadderRegistrar registrar);
EnvLadderRegistrar GetEnvLadderRegistrar();
// Called once at the end of every load (after the bounds and the animated
// list), e.g. the light table's per-level state.  Up to 8; adding one twice
// keeps one.
using EnvLoadFinishHook = void (*)(CEnvironment* environment);
void AddEnvLoadFinishHook(EnvLoadFinishHook hook);
void RemoveEnvLoadFinishHook(EnvLoadFinishHook hook);
