#include "net/mp/mp_records.h"

#include <cstring>
#include <string>

namespace {

constexpr const char* kLevelPlugins[6] = {"MP_Mission1.dll", "MP_Mission2.dll", "MP_Mission3.dll",
                                          "MP_Mission4.dll", "MP_Mission5.dll", "MP_Mission6.dll"};

void ReadText(ByteReader& in, char* field, std::size_t size) {
  in.Bytes(field, size);
  field[size - 1] = '\0';
}

void WriteText(ByteWriter& out, const char* field, std::size_t size) {
  // Whatever follows the terminator goes out as zeros.
  const std::size_t length = strnlen(field, size);
  out.Bytes(field, length);
  for (std::size_t i = length; i < size; ++i) out.U8(0);
}

void Zeros(ByteWriter& out, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) out.U8(0);
}

bool ValidTeam(std::uint8_t team) { return team == 0 || team == 1 || team == MPPlayerRecord::kNoTeam; }

}  // namespace

const char* MPLevelPluginName(int levelIndex) {
  if (levelIndex < 0) levelIndex = 0;
  return kLevelPlugins[levelIndex > 5 ? 5 : levelIndex];
}

int MPGameModeOfMissionType(int missionType) {
  static constexpr int kModes[7] = {2, 0, 1, 3, 4, 5, 6};
  return missionType >= 0 && missionType < 7 ? kModes[missionType] : 2;
}

int MPArmyOfSide(int side) {
  static constexpr int kArmies[4] = {0, 1, 3, 2};
  return side >= 0 && side < 4 ? kArmies[side] : 0;
}

void MPCopyName(char* field, std::size_t capacity, const char* text) {
  if (capacity == 0) return;
  std::memset(field, 0, capacity);
  if (text != nullptr) std::strncpy(field, text, capacity - 1);
}

void MPSettings::Defaults() {
  std::memset(this, 0, sizeof *this);
  MPCopyName(hostName, sizeof hostName, "Player");
  SetLevel(0);
  maxPlayers = 8;
  playerCount = 1;
  attackers = 0;
  defenders = 1;
  timeOption = 1;
  weaponCache = 1;
  respawn = 1;
  friendlyFire = 1;
}

void MPSettings::SetLevel(int index) {
  if (index < 0) index = 0;
  levelIndex = static_cast<std::uint8_t>(index > 255 ? 255 : index);
  MPCopyName(levelName, sizeof levelName, MPLevelPluginName(index));
}

void MPSettings::Write(ByteWriter& out) const {
  out.U32(0);
  WriteText(out, hostName, sizeof hostName);
  out.U8(0);
  WriteText(out, sessionName, sizeof sessionName);
  WriteText(out, levelName, sizeof levelName);
  Zeros(out, 5);
  for (std::uint8_t v : {levelIndex, maxPlayers, playerCount, attackers, defenders, missionType, timeOption,
                         weaponCache, otSupport, respawn, friendlyFire})
    out.U8(v);
  out.U8(0);
  out.U32(requestedState);
  out.U32(seed);
}

bool MPSettings::Read(ByteReader& in) {
  if (!in.HasRoom(kSize)) return false;
  in.U32();
  ReadText(in, hostName, sizeof hostName);
  in.U8();
  ReadText(in, sessionName, sizeof sessionName);
  ReadText(in, levelName, sizeof levelName);
  in.Skip(5);
  for (std::uint8_t* v : {&levelIndex, &maxPlayers, &playerCount, &attackers, &defenders, &missionType, &timeOption,
                          &weaponCache, &otSupport, &respawn, &friendlyFire})
    *v = in.U8();
  in.U8();
  requestedState = in.U32();
  seed = in.U32();
  return in.Ok();
}

std::array<std::uint8_t, MPSettings::kSize> MPSettings::ToBytes() const {
  ByteWriter out;
  Write(out);
  std::array<std::uint8_t, kSize> bytes{};
  std::memcpy(bytes.data(), out.Data().data(), kSize);
  return bytes;
}

int MPSettings::ApplyReceived(const MPSettings& r) {
  int refused = 0;
  auto take = [&refused](std::uint8_t* field, std::uint8_t value, int low, int high) {
    if (value >= low && value <= high)
      *field = value;
    else
      ++refused;
  };
  MPCopyName(hostName, sizeof hostName, std::string(r.hostName, strnlen(r.hostName, sizeof r.hostName)).c_str());
  MPCopyName(sessionName, sizeof sessionName,
             std::string(r.sessionName, strnlen(r.sessionName, sizeof r.sessionName)).c_str());
  if (r.levelIndex <= 5)
    SetLevel(r.levelIndex);
  else
    ++refused;
  take(&maxPlayers, r.maxPlayers, 2, 8);
  take(&playerCount, r.playerCount, 1, 8);
  take(&missionType, r.missionType, 0, 6);
  take(&timeOption, r.timeOption, 0, 4);
  take(&weaponCache, r.weaponCache, 0, 1);
  take(&otSupport, r.otSupport, 0, 1);
  take(&respawn, r.respawn, 0, 1);
  take(&friendlyFire, r.friendlyFire, 0, 1);
  take(&attackers, r.attackers, 0, 3);
  take(&defenders, r.defenders, 0, 3);
  requestedState = r.requestedState;
  seed = r.seed;
  return refused;
}

void MPPlayerRecord::Empty(const char* defaultName) {
  std::memset(this, 0, sizeof *this);
  size = kSize;
  MPCopyName(name, sizeof name, defaultName);
  team = kNoTeam;
  pendingTeam = kNoTeam;
  pendingCharacter = kNoCharacter;
}

void MPPlayerRecord::Write(ByteWriter& out) const {
  out.U32(size);
  WriteText(out, name, sizeof name);
  out.U8(0);
  out.U8(team);
  out.U8(character);
  out.U8(dead);
  out.U32(deathTime);
  out.U32(deaths);
  out.U32(score);
  out.U32(state);
  out.U32(spawned);
  out.U8(pendingTeam);
  out.U8(pendingCharacter);
  Zeros(out, 2);
}

bool MPPlayerRecord::Read(ByteReader& in) {
  if (!in.HasRoom(kSize)) return false;
  size = in.U32();
  ReadText(in, name, sizeof name);
  in.U8();
  team = in.U8();
  character = in.U8();
  dead = in.U8();
  deathTime = in.U32();
  deaths = in.U32();
  score = in.U32();
  state = in.U32();
  spawned = in.U32();
  pendingTeam = in.U8();
  pendingCharacter = in.U8();
  in.Skip(2);
  return in.Ok();
}

bool MPPlayerRecord::IsValid() const {
  return ValidTeam(team) && character <= 3 && state <= 2 && ValidTeam(pendingTeam) &&
         (pendingCharacter <= 3 || pendingCharacter == kNoCharacter);
}

PlayerSummary PlayerSummary::Of(const MPPlayerRecord& r) {
  PlayerSummary s{};
  s.size = kSize;
  MPCopyName(s.name, sizeof s.name, std::string(r.name, strnlen(r.name, sizeof r.name)).c_str());
  s.team = r.team;
  s.character = r.character;
  s.deaths = r.deaths;
  s.score = r.score;
  s.state = r.state;
  s.pendingTeam = r.pendingTeam;
  s.pendingCharacter = r.pendingCharacter;
  return s;
}

void PlayerSummary::Write(ByteWriter& out) const {
  out.U32(size);
  WriteText(out, name, sizeof name);
  out.U8(team);
  out.U8(character);
  Zeros(out, 2);
  out.U32(deaths);
  out.U32(score);
  out.U32(state);
  out.U8(pendingTeam);
  out.U8(pendingCharacter);
  Zeros(out, 2);
}

bool PlayerSummary::Read(ByteReader& in) {
  if (!in.HasRoom(kSize)) return false;
  size = in.U32();
  ReadText(in, name, sizeof name);
  team = in.U8();
  character = in.U8();
  in.Skip(2);
  deaths = in.U32();
  score = in.U32();
  state = in.U32();
  pendingTeam = in.U8();
  pendingCharacter = in.U8();
  in.Skip(2);
  return in.Ok();
}

bool PlayerSummary::IsValid() const {
  return ValidTeam(team) && character <= 3 && state <= 2 && ValidTeam(pendingTeam) &&
         (pendingCharacter <= 3 || pendingCharacter == MPPlayerRecord::kNoCharacter);
}
