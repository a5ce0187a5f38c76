// Render-effects files (".rfx"): text that attaches per-object rendering
// effects to object templates already loaded (dot-3 bump maps, environment
// and cube reflections, detail textures), gives the level's glass its
// default reflection and makes plants sway.  A file is read with the
// engine's tokenizer (comments, quotes, words upper-cased) and applied at
// once.  Main thread only.
//
// A file is a list of top-level keywords, each with its block, ended by
// "REFX_END" (or the end of the text); words that are not keywords are
// skipped.  A block names its object by name (or, in a scoped read, by the
// scope's id text "#0x%X"); a block whose object is missing is read and
// applies nothing.
#pragma once

#include "foundation/text/file_parse.h"

class CEnvironment;
class CEnvObject;

// The top-level keywords and their values (the table ends with a null name
// and the value -1).
enum RenderEffectsKeyword : int {
  REFX_INCLUDE = 0,
  REFX_PERTERB_GRASS = 1,
  REFX_DOT3_BUMP = 2,
  REFX_REFLECT = 3,
  REFX_DOT3_BUMP_REFLECT = 4,  // accepted and ignored
  REFX_DEFAULT_GLAZIER_REFLECT = 5,
  REFX_DETAIL = 6,
  REFX_END = 7,
};
extern const FileParseKeyword kRenderEffectsKeywords[];
// "UV_SCALE" 0, "U_SCALE" 1, "V_SCALE" 2.
extern const FileParseKeyword kRenderEffectsScales[];
// The detail modes: "SHADERMODE_DETAILBLEND" 18 .. "SHADERMODE_DETAILSUBTRACT" 22.
extern const FileParseKeyword kRenderEffectsDetailModes[];

// The tokenizer flags a file is read with: comments skipped, quotes kept
// together, words upper-cased.
constexpr std::uint16_t kRenderEffectsParseFlags = FILEPARSE_SKIP_COMMENTS | FILEPARSE_QUOTES | FILEPARSE_UPPER_CASE;
// Files may include files this deep (the first file is depth 0); an
// "#INCLUDE" below that is refused, so a file that includes itself ends.
constexpr int kRenderEffectsMaxIncludeDepth = 8;

// What one read did (the file and everything it included).
struct RenderEffectsStats {
  int files = 0;             // files read
  int missingFiles = 0;      // files that could not be opened
  int refusedIncludes = 0;   // "#INCLUDE"s past the depth limit
  int blocks = 0;            // blocks read
  int appliedBlocks = 0;     // blocks that found their object (or the glass set)
  int nodeEffects = 0;       // effects a template node took
  int swayingInstances = 0;  // instances given a plant-sway record
};

// Reads the file at path (through the search path) into the environment:
// prints "Parsing \"<path>\" : " on the debug output, then "No File!\n" and
// answers 0 when it cannot be opened, else reads and applies it, prints
// "Done : <seconds> seconds\n" and answers 1.  The scope (a template, or
// null) and the depth are passed on to included files.  stats may be null.
int LoadRenderEffectsFile(CEnvironment* environment, const char* path, CEnvObject* scope, int depth,
                          RenderEffectsStats* stats);
// Reads text already in the tokenizer (open it with kRenderEffectsParseFlags)
// up to "REFX_END" or the end of the text, and applies it.
void ReadRenderEffects(CEnvironment* environment, CFileParse& text, CEnvObject* scope, int depth,
                       RenderEffectsStats* stats);
// The level's own file: the level path with the extension ".rfx", read when
// it exists.  Answers LoadRenderEffects' result, or 0 when there is none.
int LoadLevelRenderEffects(CEnvironment* environment, const char* levelPath);
