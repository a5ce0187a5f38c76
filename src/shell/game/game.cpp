#include "shell/game/game.h"

#include <cstring>
#include <utility>

#include "control/keymap/lock_table.h"
#include "control/players/local_player.h"
#include "control/players/local_player_table.h"
#include "foundation/byte_reader.h"
#include "foundation/system/debug_output.h"
#include "foundation/system/not_built_yet.h"
#include "foundation/text/locale_table.h"
#include "foundation/time/timer.h"
#include "menus/screens/screen_manager.h"
#include "shell/cheats/cheat_settings.h"
#include "shell/game/callback_code_table.h"
#include "shell/game/object_records.h"
#include "shell/game/save_file.h"
#include "shell/level/mission_plugin.h"
#include "shell/mission/mission.h"
#include "shell/mission/mission_block.h"
#include "shell/program/game_initialise.h"
#include "shell/program/game_objects.h"
#include "shell/program/shell_state.h"
#include "shell/script/script_state.h"
#include "sound/environment_sound_section.h"
#include "sound/sound_manager.h"
#include "units/soldier/grunt.h"
#include "world/effects/effect_pool.h"
#include "world/effects/impact_debris.h"
#include "world/effects/particle_emitters.h"
#include "world/effects/particle_pool.h"
#include "world/effects/trails.h"
#include "world/engine.h"
#include "world/environment/env_instance.h"
#include "world/environment/environment.h"
#include "world/objects/chlo.h"
#include "world/objects/chlo_manager.h"
#include "world/sky/difficulty.h"
#include "world/text/message_list.h"
#include "world/timing/timed_callback_list.h"

CGame* g_Game = nullptr;

namespace {

constexpr std::uint32_t kInstanceMarkedForSaving = 1u << 22;
constexpr std::uint32_t kInstanceNotSaved = 1u << 17;
constexpr std::uint32_t kSavedInstanceFlags = INSTF_DISABLED | INSTF_HIDDEN | INSTF_NOT_COLLIDABLE;
constexpr int kSpawnPointEntries = 40;
constexpr std::size_t kScriptFixedPart = 328;
constexpr int kSwitchGroups = 5;
constexpr int kSwitchesPerGroup = 27;
constexpr int kStrikeRecords = 10;
constexpr int kStrikeRecordSize = 24;
constexpr int kEmitterStates = 40;
constexpr int kTimedSection = 3;
constexpr std::int32_t kDirectStartRefused[] = {5, 12, 14};

const char* const kWorldSectionNames[kSaveWorldSections] = {"trails",          "particles", "effects",
                                                            "timed callbacks", "strikes",   "impact pieces",
                                                            "emitters"};

// --- counting ------------------------------------------------------------------

template <typename Fn>
void ForEachSavedObject(int kind, Fn&& fn) {
  if (g_HLOManager == nullptr) return;
  for (int side = 0; side < g_HLOManager->Sides(); ++side)
    for (CHLO* head : {g_HLOManager->FirstActive(side, kind), g_HLOManager->FirstInactive(side, kind)})
      for (CHLO* o = head; o != nullptr; o = o->Next)
        if (IsSavedObject(o)) fn(o);
}

bool IsMarkedInstance(const CEnvInstance* i) {
  return (i->Flags & kInstanceMarkedForSaving) != 0 && (i->Flags & kInstanceNotSaved) == 0 && i->Parent == nullptr;
}

template <typename Fn>
void ForEachMarkedInstance(Fn&& fn) {
  if (g_Environment == nullptr) return;
  for (CEnvInstance* i = g_Environment->InstanceList; i != nullptr; i = i->EnvLink)
    if (IsMarkedInstance(i)) fn(i);
}

// Counts by kind; false when a kind has more objects than a u16 holds.
bool CountObjects(SaveObjectCounts* counts, std::uint16_t* instances) {
  bool fits = true;
  for (int kind : kSaveKindOrder) {
    std::size_t n = 0;
    ForEachSavedObject(kind, [&](CHLO*) { ++n; });
    if (n > 0xFFFF) fits = false;
    counts->SetKind(kind, static_cast<std::uint16_t>(n > 0xFFFF ? 0xFFFF : n));
  }
  std::size_t marked = 0;
  ForEachMarkedInstance([&](CEnvInstance*) { ++marked; });
  if (marked > 0xFFFF) fits = false;
  *instances = static_cast<std::uint16_t>(marked > 0xFFFF ? 0xFFFF : marked);
  return fits;
}

std::size_t ObjectSectionSize(const SaveObjectCounts& counts) {
  std::size_t size = 0;
  for (int kind : kSaveKindOrder) size += static_cast<std::size_t>(counts.OfKind(kind)) * SaveRecordSize(kind);
  return size;
}

// --- the clocks ------------------------------------------------------------------

void SetClockTime(CTimer* clock, std::uint32_t ms) {
  if (clock == nullptr) return;
  CTimer::State state;
  clock->SaveState(&state);
  state.gameTime = ms;
  clock->RestoreState(state);
}

std::uint32_t FloatBits(float f) {
  std::uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}

float BitsFloat(std::uint32_t bits) {
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

// --- the header ------------------------------------------------------------------

SaveHeader HeaderOfRunningGame() {
  SaveHeader h;
  h.missionId = static_cast<std::uint32_t>(CurrentMissionId());
  h.version = kSaveFormatVersion;
  h.gameTime = g_GameClock != nullptr ? g_GameClock->GetGameTime() : 0;
  h.realTime = g_RealClock != nullptr ? g_RealClock->GetGameTime() : 0;
  for (int i = 0; i < kSaveLocalPlayers; ++i) {
    CLocalPlayer* player = i < g_LocalPlayers.Count() ? g_LocalPlayers.Get(i) : nullptr;
    if (player == nullptr) continue;
    h.playerMask |= 1u << i;
    h.playerSoldiers[i] = player->Soldier != nullptr ? player->Soldier->Id : -1;
  }
  h.playerNation = PlayerNation;
  h.difficulty = g_Difficulty.GetLevel();
  h.cheatFlags = (GetPlayerDamage() != 0 ? SAVE_CHEAT_PLAYER_DAMAGE : 0u) |
                 (GetCheatWordA() != 0 ? SAVE_CHEAT_WORD_A : 0u) | (GetEnemyAI() != 0 ? SAVE_CHEAT_ENEMY_AI : 0u) |
                 (GetEnemySkillZero() != 0 ? SAVE_CHEAT_ENEMY_SKILL_ZERO : 0u);
  h.playerSkillBonus = GetPlayerSkillBonus();
  if (g_SoundManager != nullptr) {
    h.soundFloats[0] = g_SoundManager->GetEffectsVolume();
    h.soundFloats[1] = g_SoundManager->GetMusicVolume();
    const int entries = g_SoundManager->EnvironmentSoundCount();
    for (int i = 0; i < entries && i < kSaveSoundEntries; ++i) {
      const EnvironmentSound* sound = g_SoundManager->GetEnvironmentSound(i);
      if (sound != nullptr && sound->enabled != 0) SetSoundMaskEntry(h.soundMasks, i);
    }
  }
  if (CLocalPlayer* first = g_LocalPlayers.Count() > 0 ? g_LocalPlayers.Get(0) : nullptr) {
    h.mouseWords[0] = FloatBits(first->mouseXDivisor);
    h.mouseWords[1] = FloatBits(first->mouseYDivisor);
    h.mouseWords[2] = static_cast<std::uint32_t>(first->invertMouse);
    h.mouseWords[3] = static_cast<std::uint32_t>(first->mouseSquaredResponse);
  }
  return h;
}

void ApplyHeader(const SaveHeader& h) {
  if (h.difficulty <= 2) g_Difficulty.SetLevel(h.difficulty);
  SetPlayerNation(h.playerNation != 0 ? 1u : 0u);
  SetPlayerSkillBonus(h.playerSkillBonus);
  if (g_SoundManager != nullptr) {
    g_SoundManager->SetEffectsVolume(h.soundFloats[0]);
    g_SoundManager->SetMusicVolume(h.soundFloats[1]);
  }
  SetPlayerDamage((h.cheatFlags & SAVE_CHEAT_PLAYER_DAMAGE) != 0 ? 1u : 0u);
  SetCheatWordA((h.cheatFlags & SAVE_CHEAT_WORD_A) != 0 ? 1u : 0u);
  SetEnemyAI((h.cheatFlags & SAVE_CHEAT_ENEMY_AI) != 0 ? 1u : 0u);
  SetEnemySkillZero((h.cheatFlags & SAVE_CHEAT_ENEMY_SKILL_ZERO) != 0 ? 1u : 0u);
}

// --- the script block --------------------------------------------------------------

void WriteScriptBlock(ByteWriter& out) {
  const std::size_t start = out.Size();
  // Spawn points and switch groups belong to script functions that are not
  // here yet: their entries stay empty.
  NotBuiltYet("saved game: script spawn points and switch groups");
  for (int i = 0; i < kSpawnPointEntries; ++i) {
    out.U32(0);
    out.U32(0);
  }
  out.U8(static_cast<std::uint8_t>(g_ScriptState.cutsceneState));
  out.U8(static_cast<std::uint8_t>(g_ScriptState.squadSelection));
  out.U8(0);
  while (out.Size() - start < kScriptFixedPart) out.U8(0);
  for (int i = 0; i < kSwitchGroups * kSwitchesPerGroup; ++i) out.U8(0);
}

void ReadScriptBlock(ByteReader& in) {
  in.Skip(kSpawnPointEntries * 8);
  in.U8();  // the cut-scene state: a restored game starts outside any cut-scene
  g_ScriptState.squadSelection = in.U8();
  in.Skip(kSaveScriptBlockSize - kSpawnPointEntries * 8 - 2);
}

// --- the world library's sections ----------------------------------------------------

void WriteStrikes(ByteWriter& out) {
  NotBuiltYet("saved game: strike list");
  for (int i = 0; i < kStrikeRecords; ++i) {
    out.U32(0);
    out.I32(-1);
    out.U32(0);
    out.F32(0.0f);
    out.F32(0.0f);
    out.F32(0.0f);
  }
}

// Appends one section as {count, bytes, records}.
template <typename Fn>
void WriteSection(ByteWriter& out, Fn&& writeRecords) {
  const std::size_t head = out.Size();
  out.U32(0);
  out.U32(0);
  const std::uint32_t count = writeRecords(out);
  out.PatchU32(head, count);
  out.PatchU32(head + 4, static_cast<std::uint32_t>(out.Size() - head - 8));
}

void WriteWorldSections(ByteWriter& out, std::uint32_t* timedCount) {
  WriteSection(out, [](ByteWriter& w) { return g_Trails != nullptr ? g_Trails->SaveAll(w) : 0u; });
  WriteSection(out, [](ByteWriter& w) { return g_ParticlePool != nullptr ? g_ParticlePool->SaveAll(w) : 0u; });
  WriteSection(out, [](ByteWriter& w) { return g_EffectPool != nullptr ? g_EffectPool->SaveAll(w) : 0u; });
  WriteSection(out, [&](ByteWriter& w) {
    *timedCount = g_TimedCallbacks != nullptr ? g_TimedCallbacks->SaveAll(w) : 0u;
    return *timedCount;
  });
  WriteSection(out, [](ByteWriter& w) {
    WriteStrikes(w);
    return static_cast<std::uint32_t>(kStrikeRecords);
  });
  WriteSection(out, [](ByteWriter& w) {
    if (g_ImpactPieces == nullptr) return 0u;
    g_ImpactPieces->SaveAll(w);
    return 1u;
  });
  WriteSection(out, [](ByteWriter& w) {
    if (g_ParticleEmitters == nullptr) return 0u;
    g_ParticleEmitters->SaveStates(w, kEmitterStates);
    return static_cast<std::uint32_t>(kEmitterStates);
  });
}

struct SectionFrame {
  std::uint32_t count = 0;
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
};

bool ReadSectionFrames(ByteReader& in, SectionFrame frames[kSaveWorldSections], std::string* why) {
  for (int s = 0; s < kSaveWorldSections; ++s) {
    frames[s].count = in.U32();
    const std::uint32_t bytes = in.U32();
    if (!in.Ok() || !in.HasRoom(bytes)) {
      *why = std::string("the ") + kWorldSectionNames[s] + " section runs past the buffer";
      return false;
    }
    frames[s].size = bytes;
    frames[s].data = in.View(bytes);
  }
  return true;
}

bool ReadWorldSections(const SectionFrame frames[kSaveWorldSections], const SaveHeader& header) {
  bool ok = true;
  auto reader = [&](int s) { return ByteReader(frames[s].data, frames[s].size); };
  auto report = [&](int s, bool good) {
    if (!good) DebugTrace("saved game: the %s section could not be restored\n", kWorldSectionNames[s]);
    ok = ok && good;
  };
  {
    ByteReader in = reader(0);
    if (g_Trails != nullptr) report(0, g_Trails->LoadAll(in, frames[0].count));
  }
  {
    ByteReader in = reader(1);
    if (g_ParticlePool != nullptr) report(1, g_ParticlePool->LoadAll(in, frames[1].count));
  }
  {
    ByteReader in = reader(2);
    if (g_EffectPool != nullptr) report(2, g_EffectPool->LoadAll(in, frames[2].count));
  }
  if (header.timedCallbacks != 0 && g_TimedCallbacks != nullptr) {
    ByteReader in = reader(kTimedSection);
    report(kTimedSection, g_TimedCallbacks->LoadAll(in, frames[kTimedSection].count));
  }
  if (frames[4].count != 0) NotBuiltYet("saved game: strike list");
  if (frames[5].count != 0 && g_ImpactPieces != nullptr) {
    ByteReader in = reader(5);
    report(5, g_ImpactPieces->LoadAll(in));
  }
  if (frames[6].count != 0 && g_ParticleEmitters != nullptr) {
    ByteReader in = reader(6);
    report(6, g_ParticleEmitters->LoadStates(in, static_cast<int>(frames[6].count)));
  }
  return ok;
}

// --- objects and instances -------------------------------------------------------------

void WriteObjects(ByteWriter& out) {
  for (int kind : kSaveKindOrder) ForEachSavedObject(kind, [&](CHLO* o) { SaveObject(o, out); });
}

int ReadObjects(ByteReader& in, const SaveObjectCounts& counts) {
  int skipped = 0;
  for (int kind : kSaveKindOrder) {
    const std::uint32_t size = SaveRecordSize(kind);
    for (std::uint32_t n = 0; n < counts.OfKind(kind); ++n) {
      ByteReader peek(in.Current(), in.Remaining());
      const std::int32_t id = peek.I32();
      peek.I32();
      const std::uint32_t side = peek.U32();
      CHLO* object = g_HLOManager != nullptr && side < 256 ? g_HLOManager->FindByIdIn(id, static_cast<int>(side), kind)
                                                           : nullptr;
      if (object == nullptr || !IsSavedObject(object) || !LoadObject(object, in)) {
        // The object is gone: its record is passed by its full size.
        ++skipped;
        in.Skip(size);
      }
    }
  }
  return skipped;
}

void WriteInstanceStates(ByteWriter& out) {
  ForEachMarkedInstance([&](CEnvInstance* i) {
    out.U32(i->NameHash);
    out.U32(i->Flags);
  });
}

void ReadInstanceStates(ByteReader& in, std::uint16_t count) {
  for (std::uint16_t n = 0; n < count; ++n) {
    const std::uint32_t id = in.U32();
    const std::uint32_t state = in.U32();
    CEnvInstance* i = g_Environment != nullptr ? g_Environment->FindInstanceById(id) : nullptr;
    if (i == nullptr || !IsMarkedInstance(i)) continue;
    i->Flags = (i->Flags & ~kSavedInstanceFlags) | (state & kSavedInstanceFlags);
  }
}

// --- the overlay message ----------------------------------------------------------------

void ShowSaveMessage(std::uint32_t textId) {
  const char* text = g_Locale != nullptr ? g_Locale->GetString(textId) : nullptr;
  if (g_MessageList != nullptr && text != nullptr) g_MessageList->MessageAdd(text, kSaveMessageMs);
}

std::string WithSaveExtension(const char* name) {
  std::string file = name;
  const std::size_t slash = file.find_last_of("/\\");
  const std::size_t dot = file.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) file.resize(dot);
  return file + ".sav";
}

// --- the code converters ------------------------------------------------------------------

std::int32_t EffectCallbackCode(EffectAnyCallback callback) {
  const std::int32_t code = GetCallbackCode(callback);
  return code == kNoCallbackCode ? -1 : code;
}

EffectAnyCallback EffectCallbackByCode(std::int32_t code) { return GetCallbackFromCode(code); }

std::uint32_t EffectObjectId(const CHLO* object) {
  return object != nullptr && object->Id >= 0 ? static_cast<std::uint32_t>(object->Id) + 1 : 0u;
}

CHLO* EffectObjectById(std::uint32_t id) {
  return id != 0 && g_HLOManager != nullptr ? g_HLOManager->GetObjectById(static_cast<std::int32_t>(id - 1)) : nullptr;
}

int TimedCallbackCode(TimedCallback callback) {
  const std::int32_t code = GetCallbackCode(reinterpret_cast<EffectAnyCallback>(callback));
  return code == kNoCallbackCode ? -1 : code;
}

TimedCallback TimedCallbackByCode(int code) { return reinterpret_cast<TimedCallback>(GetCallbackFromCode(code)); }

std::uint32_t TimedOwnerId(const CHLO* owner) {
  return owner != nullptr && owner->Id >= 0 ? static_cast<std::uint32_t>(owner->Id) : 0u;
}

CHLO* TimedOwnerById(std::uint32_t id) {
  return g_HLOManager != nullptr ? g_HLOManager->GetObjectById(static_cast<std::int32_t>(id)) : nullptr;
}

}  // namespace

// --- layout check -----------------------------------------------------------------------------

bool CheckSaveBuffer(const std::uint8_t* data, std::size_t size, SaveHeader* header, SaveLayout* layout,
                     std::string* why) {
  if (data == nullptr || size != kSaveBufferSize) {
    *why = "the file is " + std::to_string(size) + " bytes, not " + std::to_string(kSaveBufferSize);
    return false;
  }
  ByteReader in(data, size);
  SaveHeader h;
  if (!ReadSaveHeader(in, &h)) {
    *why = "the header is cut short";
    return false;
  }
  *header = h;
  if (h.version != kSaveFormatVersion) {
    *why = "format version " + std::to_string(h.version) + ", not " + std::to_string(kSaveFormatVersion);
    return false;
  }
  // The mission record's block, read into a scratch record.
  {
    // A scratch record's resets clear the game-wide mission-end flag: it
    // is kept, so the check changes nothing of the running game.
    const std::uint32_t endFlag = g_MissionEndFlag;
    bool read = false;
    {
      CMission scratch;
      in.Seek(kSaveHeaderSize);
      read = MissionBlock::Read(scratch, in, true);
      layout->missionOver = scratch.MissionResult == MISSION_SUCCEEDED;
    }
    g_MissionEndFlag = endFlag;
    if (!read) {
      *why = "the mission record's block is damaged";
      return false;
    }
  }
  if (layout->missionOver) return true;
  std::size_t at = kSaveObjectSectionOffset;
  layout->plugin = at;
  layout->pluginSize = h.pluginStateSize;
  if (h.pluginStateSize > size - at) {
    *why = "the plug-in's state runs past the buffer";
    return false;
  }
  at += h.pluginStateSize;
  layout->script = at;
  if (kSaveScriptBlockSize > size - at) {
    *why = "the script block runs past the buffer";
    return false;
  }
  at += kSaveScriptBlockSize;
  layout->objects = at;
  layout->objectsSize = ObjectSectionSize(h.counts);
  if (layout->objectsSize > size - at) {
    *why = "the object counts need more than the buffer holds";
    return false;
  }
  at += layout->objectsSize;
  layout->instances = at;
  if (static_cast<std::size_t>(h.savedInstances) * 8 > size - at) {
    *why = "the instance states run past the buffer";
    return false;
  }
  at += static_cast<std::size_t>(h.savedInstances) * 8;
  layout->world = at;
  ByteReader world(data + at, size - at);
  SectionFrame frames[kSaveWorldSections];
  if (!ReadSectionFrames(world, frames, why)) return false;
  if (frames[kTimedSection].count != h.timedCallbacks) {
    *why = "the timed callback count does not match its section";
    return false;
  }
  return true;
}

// --- CGame ----------------------------------------------------------------------------------

CGame::CGame() : buffer_(kSaveBufferSize, 0) { header_.version = 0; }

void CGame::LevelStart() {
  if (RestorePending != 0) return;
  std::uint16_t instances = 0;
  CountObjects(&levelStartCounts_, &instances);
  header_.counts = levelStartCounts_;
  header_.savedInstances = instances;
}

bool CGame::Build() {
  checked_ = false;
  buffer_.assign(kSaveBufferSize, 0);
  SaveHeader h = HeaderOfRunningGame();
  // The counts are those of the objects written now, not of the level's start.
  if (!CountObjects(&h.counts, &h.savedInstances)) {
    DebugTrace("saved game: more objects of a kind than a saved game counts\n");
    return false;
  }
  ByteWriter body;
  const bool missionOver = CurrentMissionResult() == MISSION_SUCCEEDED;
  if (!missionOver) {
    if (MissionPluginBound() && MissionCallbacks->Save != nullptr) {
      // The plug-in writes into room of its own; a state longer than the
      // room left, or one that claims more than it was given, is refused.
      const std::size_t room = kSaveBufferSize - kSaveObjectSectionOffset;
      const std::uint32_t declared = MissionCallbacks->GetStateSize != nullptr ? MissionCallbacks->GetStateSize() : 0;
      if (declared > room) {
        DebugTrace("saved game: the plug-in's state (%u bytes) is larger than the room left\n", declared);
        return false;
      }
      std::vector<std::uint8_t> state(room, 0);
      const std::uint8_t* end = MissionCallbacks->Save(state.data());
      if (end == nullptr || end < state.data() || end > state.data() + declared) {
        DebugTrace("saved game: the plug-in's state did not stay within the %u bytes it declared\n", declared);
        return false;
      }
      h.pluginStateSize = static_cast<std::uint32_t>(end - state.data());
      body.Bytes(state.data(), h.pluginStateSize);
    }
    WriteScriptBlock(body);
    WriteObjects(body);
    WriteInstanceStates(body);
    std::uint32_t timed = 0;
    WriteWorldSections(body, &timed);
    if (timed > 0xFF) {
      DebugTrace("saved game: %u timed callbacks, more than a saved game counts\n", timed);
      return false;
    }
    h.timedCallbacks = static_cast<std::uint8_t>(timed);
  }
  ByteWriter front;
  WriteSaveHeader(h, front);
  if (g_Mission != nullptr) MissionBlock::Write(*g_Mission, front);
  if (front.Size() != kSaveObjectSectionOffset) {
    DebugTrace("saved game: the mission record is missing\n");
    return false;
  }
  if (body.Size() > kSaveBufferSize - kSaveObjectSectionOffset) {
    DebugTrace("saved game: the level's state (%zu bytes) does not fit the saved game\n", body.Size());
    return false;
  }
  std::memcpy(buffer_.data(), front.Data().data(), front.Size());
  if (body.Size() != 0) std::memcpy(buffer_.data() + kSaveObjectSectionOffset, body.Data().data(), body.Size());
  header_ = h;
  return true;
}

bool CGame::Save(const char* name, bool checkpoint) {
  const std::int32_t mission = CurrentMissionId();
  if (DirectStart != 0)
    for (std::int32_t refused : kDirectStartRefused)
      if (mission == refused) return false;
  if (!Build()) return false;
  if (!checkpoint && name != nullptr && name[0] != '\0') {
    const std::string file = WithSaveExtension(name);
    if (!WriteSaveFile(file, buffer_.data(), buffer_.size())) return false;
  }
  ShowSaveMessage(checkpoint ? kCheckpointMessageText : kSavedMessageText);
  if (g_Mission != nullptr && g_Mission->MissionResult == MISSION_SUCCEEDED) g_Mission->SpareByte = 1;
  return true;
}

bool CGame::Load(const char* name) {
  if (name == nullptr || name[0] == '\0') return false;
  std::vector<std::uint8_t> bytes;
  if (!ReadSaveFile(name, kSaveBufferSize, &bytes)) return false;
  SaveHeader h;
  h.version = kSaveFormatVersion;
  SaveLayout layout;
  std::string why;
  if (!CheckSaveBuffer(bytes.data(), bytes.size(), &h, &layout, &why)) {
    DebugTrace("saved game refused: %s\n", why.c_str());
    if (h.version != kSaveFormatVersion) SetScreen(kLoadFailedScreen);
    return false;
  }
  ApplyChecked(std::move(bytes), h, layout);
  return true;
}

bool CGame::LoadBuffer(const std::uint8_t* data, std::size_t size) {
  SaveHeader h;
  h.version = kSaveFormatVersion;
  SaveLayout layout;
  std::string why;
  if (!CheckSaveBuffer(data, size, &h, &layout, &why)) {
    DebugTrace("saved game refused: %s\n", why.c_str());
    // A whole file of another version goes to the load-failed screen.
    if (size == kSaveBufferSize && h.version != kSaveFormatVersion) SetScreen(kLoadFailedScreen);
    return false;
  }
  ApplyChecked(std::vector<std::uint8_t>(data, data + size), h, layout);
  return true;
}

void CGame::ApplyChecked(std::vector<std::uint8_t>&& bytes, const SaveHeader& h, const SaveLayout& layout) {
  buffer_ = std::move(bytes);
  header_ = h;
  layout_ = layout;
  checked_ = true;
  if (g_Mission != nullptr) {
    ByteReader in(buffer_.data(), buffer_.size());
    in.Seek(kSaveHeaderSize);
    MissionBlock::Read(*g_Mission, in, true);
  }
  RestorePending = layout.missionOver ? 0 : 1;
  LoadPending = 1;
  g_LoadingSavedGame = RestorePending;
  DirectStart = 0;
  ApplyHeader(h);
}

void CGame::ApplyPlayerViews() {
  for (int i = 0; i < kSaveLocalPlayers && i < g_LocalPlayers.Count(); ++i) {
    CLocalPlayer* player = g_LocalPlayers.Get(i);
    if (player == nullptr || (header_.playerMask >> i & 1u) == 0) continue;
    if (i == 0) {
      player->mouseXDivisor = BitsFloat(header_.mouseWords[0]);
      player->mouseYDivisor = BitsFloat(header_.mouseWords[1]);
      player->invertMouse = static_cast<std::int32_t>(header_.mouseWords[2]);
      player->mouseSquaredResponse = static_cast<std::int32_t>(header_.mouseWords[3]);
    }
    CHLO* soldier = g_HLOManager != nullptr ? g_HLOManager->GetObjectById(header_.playerSoldiers[i]) : nullptr;
    if (soldier != nullptr && soldier->Kind == HLO_GRUNT && soldier->IsUnit())
      player->AttachToGrunt(static_cast<CHLOGrunt*>(soldier));
  }
  LoadPending = 0;
}

bool CGame::Restore() {
  SaveHeader h;
  SaveLayout layout;
  std::string why;
  // The buffer was checked when it was loaded (a buffer built since then
  // is checked here).
  if (checked_) {
    h = header_;
    layout = layout_;
  } else if (!CheckSaveBuffer(buffer_.data(), buffer_.size(), &h, &layout, &why)) {
    DebugTrace("saved game: nothing restored: %s\n", why.c_str());
    ClearLoadState();
    return false;
  }
  bool ok = true;
  // The level's lock table starts empty again: the plug-in re-adds its entries.
  g_LockTable.Clear();
  SetClockTime(g_GameClock, h.gameTime);
  SetClockTime(g_RealClock, h.realTime);
  if (layout.pluginSize != 0) {
    if (MissionPluginBound() && MissionCallbacks->Load != nullptr) {
      const std::uint8_t* start = buffer_.data() + layout.plugin;
      const std::uint8_t* end = MissionCallbacks->Load(start);
      if (end != start + layout.pluginSize) {
        DebugTrace("saved game: the plug-in read %td bytes of its %zu\n", end - start, layout.pluginSize);
        ok = false;
      }
    } else {
      DebugTrace("saved game: no plug-in to take its state\n");
      ok = false;
    }
  }
  ByteReader script(buffer_.data() + layout.script, kSaveScriptBlockSize);
  ReadScriptBlock(script);
  if (g_Mission != nullptr) {
    ByteReader mission(buffer_.data(), buffer_.size());
    mission.Seek(kSaveHeaderSize);
    ok = MissionBlock::Read(*g_Mission, mission, false) && ok;
  }
  ByteReader worldIn(buffer_.data() + layout.world, buffer_.size() - layout.world);
  SectionFrame frames[kSaveWorldSections];
  if (ReadSectionFrames(worldIn, frames, &why))
    ok = ReadWorldSections(frames, h) && ok;
  else
    ok = false;
  ByteReader objects(buffer_.data() + layout.objects, layout.objectsSize);
  const int skipped = ReadObjects(objects, h.counts);
  if (skipped != 0) DebugTrace("saved game: %d records named no object of the level\n", skipped);
  ByteReader instances(buffer_.data() + layout.instances, static_cast<std::size_t>(h.savedInstances) * 8);
  ReadInstanceStates(instances, h.savedInstances);
  if (g_SoundManager != nullptr)
    for (int i = 0; i < g_SoundManager->EnvironmentSoundCount() && i < kSaveSoundEntries; ++i)
      g_SoundManager->SetEnvironmentSoundEnabled(i, SoundMaskEntry(h.soundMasks, i) ? 1 : 0);
  RaiseMissionEvent(kRestoredMissionEvent, nullptr, 0);
  ClearLoadState();
  g_LoadingSavedGame = 0;
  SetScreen(kRestoredScreen);
  return ok;
}

bool CGame::IsSaveValid() const {
  ByteReader in(buffer_.data(), buffer_.size());
  SaveHeader h;
  return ReadSaveHeader(in, &h) && h.version == kSaveFormatVersion;
}

void CGame::ClearLoadState() {
  LoadPending = 0;
  RestorePending = 0;
}

void InstallSaveCodeConverters() {
  EffectSaveResolver resolver;
  resolver.ObjectId = &EffectObjectId;
  resolver.ObjectById = &EffectObjectById;
  resolver.CallbackCode = &EffectCallbackCode;
  resolver.CallbackByCode = &EffectCallbackByCode;
  if (g_EffectPool != nullptr) g_EffectPool->SetResolver(resolver);
  if (g_TimedCallbacks != nullptr) {
    g_TimedCallbacks->SetCallbackCodes(&TimedCallbackCode, &TimedCallbackByCode);
    g_TimedCallbacks->SetOwnerIds(&TimedOwnerId, &TimedOwnerById);
  }
}
