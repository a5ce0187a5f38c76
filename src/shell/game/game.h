// The game record: the save buffer of the running level and what a saved
// game carries beside the world (object counts, clocks, the local players'
// soldiers, difficulty, nation, cheat words, sound and mouse settings).
//
// Saving builds the whole state into the fixed-size buffer and writes it
// atomically to a ".sav" file.  Loading reads a file whole and checks every
// part of it (size, version, counts and offsets, the mission record's
// block) before anything of the running game changes; then it applies the
// header and the mission record, and the world is restored once the
// saved game's level has been loaded again (Restore).
//
// Buffer layout (little-endian): the 148-byte header; the mission record's
// block up to 5128; unless the mission was over: the plug-in's state (its
// length in the header), the 463-byte script block, the object records by
// kind, the instance states (id, state word), then the world library's
// sections, each as {count, bytes, records}: trails, particles, effects,
// timed callbacks, strikes, impact pieces, emitters.  The rest is zero.
// Main thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "shell/game/save_header.h"

class ByteReader;
class ByteWriter;

inline constexpr std::uint32_t kSaveBufferSize = 175955 + 640 + 15 * 8;
inline constexpr std::uint32_t kSaveObjectSectionOffset = 5128;
inline constexpr std::uint32_t kSaveScriptBlockSize = 463;
inline constexpr int kSaveWorldSections = 7;
// The two overlay messages, shown 3000 ms.
inline constexpr std::uint32_t kSavedMessageText = 0xB4C9C719u;
inline constexpr std::uint32_t kCheckpointMessageText = 0x1D9B121Fu;
inline constexpr std::uint32_t kSaveMessageMs = 3000;
// The mission event raised once a saved game's world is restored, and the
// screen shown then.
inline constexpr std::uint32_t kRestoredMissionEvent = 82;
inline constexpr int kRestoredScreen = 14;
inline constexpr int kLoadFailedScreen = 60;

// Where each part of a checked buffer lies.
struct SaveLayout {
  std::size_t plugin = 0, pluginSize = 0;
  std::size_t script = 0;
  std::size_t objects = 0, objectsSize = 0;
  std::size_t instances = 0;
  std::size_t world = 0;
  bool missionOver = false;
};

class CGame {
 public:
  // Flags clear, the buffer made and zeroed.
  CGame();
  ~CGame() = default;
  CGame(const CGame&) = delete;
  CGame& operator=(const CGame&) = delete;

  // Once per level (not while a restore is pending): counts the objects
  // by kind and the instances marked for saving.
  void LevelStart();
  // Saves the running level.  Refused (false, nothing shown) for missions
  // 5, 12 and 14 started directly.  Without `checkpoint`: builds the
  // buffer and, with a name, writes it as "<name>.sav" (any extension
  // replaced) atomically; shows "saved".  With `checkpoint`: builds the
  // buffer in memory only and shows "checkpoint".  False, nothing shown,
  // when the state does not fit the buffer or the file cannot be written
  // (an older file of that name is then left whole).  A save after the
  // mission ended marks the mission record.
  bool Save(const char* name, bool checkpoint);
  // Reads a ".sav" file and, when it passes every check, applies it (see
  // LoadBuffer).  A file that cannot be opened answers false at once; a
  // file of another version switches to the load-failed screen; a damaged
  // one is refused with the running game unchanged.
  bool Load(const char* name);
  // The checks and the application of Load, over bytes in memory.
  bool LoadBuffer(const std::uint8_t* data, std::size_t size);
  // At level load: the saved mouse settings and, for each player of the
  // mask, the saved soldier; clears the load-pending flag.
  void ApplyPlayerViews();
  // At the end of a level load with a restore pending: reads every section
  // back into the level, raises mission event 82, clears the flags and
  // shows screen 14.  False (after what could be read) when a section is
  // damaged.
  bool Restore();
  // Whether the buffer holds a header of the current version.
  bool IsSaveValid() const;
  void ClearLoadState();

  // The names the menus use.
  bool SaveToFile(const char* name, int flag) { return Save(name, flag != 0); }
  bool LoadFromFile(const char* name) { return Load(name); }

  // Builds the level's state into the buffer (cleared first); false when it
  // does not fit, with the reason traced.
  bool Build();
  const std::vector<std::uint8_t>& Buffer() const { return buffer_; }
  const SaveHeader& Header() const { return header_; }
  const SaveObjectCounts& LevelStartCounts() const { return levelStartCounts_; }

  std::uint32_t LoadPending = 0;
  std::uint32_t RestorePending = 0;
  std::uint32_t ObjectSectionOffset = kSaveObjectSectionOffset;

 private:
  // Applies a buffer that passed the checks (taken over, not copied).
  void ApplyChecked(std::vector<std::uint8_t>&& bytes, const SaveHeader& header, const SaveLayout& layout);

  SaveHeader header_;
  SaveObjectCounts levelStartCounts_;
  std::vector<std::uint8_t> buffer_;
  // The layout of the loaded buffer, valid while `checked_`.
  SaveLayout layout_;
  bool checked_ = false;
};

// The game record; made by game initialise, null outside it.
extern CGame* g_Game;

// Checks a buffer's layout without touching the game: size, version,
// counts and offsets, the mission record's block and the world sections'
// frames.  False with the reason in `why`.
bool CheckSaveBuffer(const std::uint8_t* data, std::size_t size, SaveHeader* header, SaveLayout* layout,
                     std::string* why);

// The converters between the effect pool's and the timed callback list's
// callbacks and their codes (-1 for none), and their object ids; installed
// by game initialise.
void InstallSaveCodeConverters();
