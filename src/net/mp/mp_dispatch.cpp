// The receiving side of the multiplayer layer: the game-message dispatch of
// host and client, the session (27) and event (26) handlers, and the
// senders.  Everything that comes from the network is checked before it is
// used: slots below 8 (and, at the host, the sender's own), queue ids 1..3,
// respawn points below the queue's count, records with known values; the
// host takes from a client only the kinds clients send.
#include <cstdio>
#include <cstring>
#include <string>

#include "net/bits/bit_stream.h"
#include "net/messages/game_event_message.h"
#include "net/messages/game_message.h"
#include "net/mp/mp_callbacks.h"
#include "net/mp/mp_game_hooks.h"
#include "net/mp/mp_queues.h"
#include "net/mp/multiplayer.h"
#include "net/queues/net_message_record.h"
#include "net/session/net_session.h"
#include "net/session/player_table.h"
#include "platform/dplay8/dplay8_counters.h"

namespace {

constexpr std::uint32_t kNoKiller = 255;
constexpr std::uint32_t kNoCaller = 15;

std::string NameOf(const MPPlayerRecord& r) { return std::string(r.name, strnlen(r.name, sizeof r.name)); }

// Kinds a client may send to the host.
bool ClientSendsSessionKind(std::uint32_t kind) {
  return kind == GSK_TEXT || kind == GSK_READY || kind == GSK_NOT_READY || kind == GSK_PLAYER_RECORD ||
         kind == GSK_WORLD_REQUEST;
}
bool ClientSendsEventKind(std::uint32_t kind) {
  return kind == GEK_CHAT || kind == GEK_LOADOUT || kind == GEK_STRIKE || kind == GEK_LEAVE_OBJECT;
}

}  // namespace

int CMultiplayer::SenderSlot(const NetMessageRecord* record) const {
  if (session_ == nullptr || session_->GetServer() == nullptr || record == nullptr) return -1;
  return session_->GetServer()->GetPlayers().FindSlot(record->peer);
}

int CMultiplayer::DispatchGameMessage(NetMessageRecord* record, CBitStream* stream, bool atHost) {
  Scope current(this);
  std::uint32_t type = 0;
  if (!stream->ReadBits(&type, 5)) return -1;
  const int sender = atHost ? SenderSlot(record) : -1;
  switch (type) {
    case GMT_WELCOME: {
      std::uint32_t slot = 0;
      if (!stream->ReadBits(&slot, 8)) return -1;
      if (atHost) return 0;
      if (slot >= 8) {
        ++refusedMessages_;
        DPlay8NoteDrop("welcome with a slot past the table", std::to_string(slot).c_str());
        return 0;
      }
      OnWelcome(static_cast<int>(slot));
      return 0;
    }
    case GMT_SESSION: {
      CGameMessage m;
      if (!m.Read(*stream)) return -1;
      return DispatchSession(m, sender, atHost);
    }
    case GMT_CHAT: {
      CGameEventMessage m;
      if (!m.Read(*stream)) return -1;
      return DispatchEvent(m, sender, atHost);
    }
    case GMT_PLAYER_INPUT:
      // Only the host steers remote soldiers, from their own players' input.
      if (!atHost || sender <= 0) return MPHooks().playerInput(-1, stream) ? 0 : -1;
      return MPHooks().playerInput(sender, stream) ? 0 : -1;
    case GMT_GRUNT_STATE:
    case GMT_GRUNT_EVENT:
    case GMT_GRUNT_ITEM:
    case GMT_GRUNT_PAIR:
    case GMT_GRUNT_EVENT_TO_HOST:
    case GMT_DOOR_STATE:
    case GMT_VEHICLE_STATE:
    case GMT_VEHICLE_STATE2:
      return MPHooks().unitMessage(type, atHost ? sender : localSlot_, record, stream) ? 0 : -1;
    default: return -1;
  }
}

void CMultiplayer::OnWelcome(int slot) {
  welcomed_ = true;
  localSlot_ = slot;
  MPPlayerRecord& r = players_[slot];
  r.Empty(DefaultName());
  r.team = 0;
  r.character = 0;
  r.dead = 0;
  r.state = 1;
  SendPlayerRecord();
}

int CMultiplayer::DispatchSession(CGameMessage& m, int sender, bool atHost) {
  const MPGameHooks& hooks = MPHooks();
  const bool fromClient = atHost && sender != 0;
  auto refuse = [this](const char* why, std::uint32_t what) {
    ++refusedMessages_;
    DPlay8NoteDrop(why, std::to_string(what).c_str());
    return 0;
  };
  if (fromClient) {
    if (sender < 0) return refuse("session message from a player without a slot", m.kind);
    if (!ClientSendsSessionKind(m.kind)) return refuse("session message kind a client does not send", m.kind);
    if (m.slot != static_cast<std::uint32_t>(sender)) return refuse("session message for another player's slot", m.slot);
  }
  switch (m.kind) {
    case GSK_TEXT: {
      if (m.slot >= 8) return refuse("text from a slot past the table", m.slot);
      if (atHost && fromClient) {
        SendText(m.text, static_cast<int>(m.slot));
        return 0;
      }
      char line[128];
      std::snprintf(line, sizeof line, "%s: %s", NameOf(players_[m.slot]).c_str(), m.text);
      hooks.showMessage(line);
      return 0;
    }
    case GSK_SETTINGS:
      if (atHost) return 0;
      settings_.ApplyReceived(m.settings);
      hostRequestedState_ = m.settings.requestedState;
      settings_.requestedState = requested_;
      random_.Seed(settings_.seed & 0xFF);
      return 0;
    case GSK_STATE:
      target_ = m.target;
      SetRequestedState(m.state);
      return 0;
    case GSK_READY: {
      if (m.slot >= 8) return refuse("ready from a slot past the table", m.slot);
      if (!atHost && state_ != MPS_PLAYING_STATE) return 0;
      MPPlayerRecord& r = players_[m.slot];
      if (r.spawned == 0) {
        r.spawned = 1;
        r.state = 2;
      }
      if (atHost) {
        SendReady(static_cast<int>(m.slot));
        if (m.slot != 0 && requested_ == MPS_PLAYING_STATE) {
          if (hooks.soldierExists(static_cast<int>(m.slot)) && r.team != MPPlayerRecord::kNoTeam) {
            hooks.activateSoldier(static_cast<int>(m.slot));
            std::int32_t block[16] = {hooks.soldierId(static_cast<int>(m.slot)), -1, GetSessionTime()};
            hooks.raiseEvent(53, block, 16);
          }
          // The player's round starts with its loadout.
          std::uint16_t loadout[CGameEventMessage::kListSize] = {};
          SendLoadout(static_cast<int>(m.slot), loadout);
        }
      }
      return 0;
    }
    case GSK_NOT_READY:
      if (m.slot >= 8) return refuse("not-ready from a slot past the table", m.slot);
      players_[m.slot].state = 1;
      players_[m.slot].spawned = 0;
      if (atHost) SendNotReady(static_cast<int>(m.slot));
      return 0;
    case GSK_PLAYER_LEFT: {
      if (m.slot >= 8) return refuse("player-left for a slot past the table", m.slot);
      if (!atHost && static_cast<int>(m.slot) == localSlot_) return 0;
      const std::string name = NameOf(players_[m.slot]);
      EmptySlot(static_cast<int>(m.slot));
      hooks.removeSoldier(static_cast<int>(m.slot));
      if (state_ == MPS_PLAYING_STATE) ShowText(kTextPlayerLeft, name.c_str());
      return 0;
    }
    case GSK_PLAYER_RECORD: {
      if (!atHost) return 0;
      if (m.slot >= 8) return refuse("player record for a slot past the table", m.slot);
      if (m.slot == 0) return 0;
      if (!m.record.IsValid()) return refuse("player record with values out of range", m.slot);
      MPPlayerRecord& r = players_[m.slot];
      std::memcpy(r.name, m.record.name, sizeof r.name);
      r.name[sizeof r.name - 1] = '\0';
      r.team = m.record.team;
      r.character = m.record.character;
      r.pendingTeam = m.record.pendingTeam;
      r.pendingCharacter = m.record.pendingCharacter;
      r.state = m.record.state;
      SendPlayerTable();
      return 0;
    }
    case GSK_WORLD_STATE:
      if (atHost) return 0;
      if (!ApplyWorldState(m)) return 0;
      players_[localSlot_ & 7].state = 2;
      SendPlayerRecord();
      return 0;
    case GSK_PLAYER_TABLE: {
      if (atHost) return 0;
      for (const PlayerSummary& p : m.table)
        if (!p.IsValid()) return refuse("player table with values out of range", p.state);
      for (int i = 0; i < 8; ++i) {
        const PlayerSummary& p = m.table[i];
        MPPlayerRecord& r = players_[i];
        if (i == localSlot_) {
          if (settings_.missionType == 5) {
            r.pendingTeam = p.pendingTeam;
            r.pendingCharacter = p.pendingCharacter;
          }
          continue;
        }
        const std::uint32_t before = r.state;
        r.state = p.state;
        if (before == 0 && p.state == 1) ShowText(kTextPlayerJoined, p.name);
        if (p.state == 1 || p.state == 2) {
          MPCopyName(r.name, sizeof r.name, p.name);
          r.team = p.team;
          r.character = p.character;
          r.pendingTeam = p.pendingTeam;
          r.pendingCharacter = p.pendingCharacter;
        }
      }
      return 0;
    }
    case GSK_WORLD_REQUEST: {
      if (!atHost) return 0;
      if (m.slot >= 8) return refuse("world request for a slot past the table", m.slot);
      PlayerSlot slot{};
      if (session_->GetServer()->GetPlayers().CopySlot(static_cast<int>(m.slot), &slot) && slot.playerId != 0)
        SendWorldState(slot.playerId);
      return 0;
    }
    default: return 0;
  }
}

bool CMultiplayer::ApplyWorldState(const CGameMessage& m) {
  const MPWorldBlock& w = m.world;
  auto refuse = [this](const char* why, std::uint32_t what) {
    ++refusedMessages_;
    DPlay8NoteDrop(why, std::to_string(what).c_str());
    return false;
  };
  if (w.size != MPWorldBlock::kSize) return refuse("world state of another size", w.size);
  // Every object the block names must be one of this level's lists (built in
  // the same order on every machine); checked before anything is applied.
  auto destroyed = [&w](int list, int i) {
    return list == 0 ? ((w.destroyedList0 >> i) & 1) != 0 : ((w.destroyedList2[i / 32] >> (i % 32)) & 1) != 0;
  };
  for (int i = lists_.Count(0); i < 32; ++i)
    if (destroyed(0, i)) return refuse("world state destroying an object past list 0", static_cast<std::uint32_t>(i));
  for (int i = lists_.Count(2); i < 64; ++i)
    if (destroyed(2, i)) return refuse("world state destroying an object past list 2", static_cast<std::uint32_t>(i));
  for (int slot = 0; slot < 8; ++slot)
    if (w.seats[slot].inVehicle != 0 && lists_.ObjectAt(w.seats[slot].vehicle, 5) == nullptr)
      return refuse("world state seating a soldier in a vehicle past list 5", w.seats[slot].vehicle);
  const MPGameHooks& hooks = MPHooks();
  for (int i = 0; i < 32; ++i)
    if (destroyed(0, i)) hooks.destroyObject(0, i);
  for (int i = 0; i < 64; ++i)
    if (destroyed(2, i)) hooks.destroyObject(2, i);
  MPReadQueueBlocks(w);
  for (int slot = 0; slot < 8; ++slot)
    if (slot != localSlot_ && w.seats[slot].inVehicle != 0) hooks.putIntoVehicle(slot, w.seats[slot].vehicle);
  ++worldStatesApplied_;
  return true;
}

int CMultiplayer::DispatchEvent(CGameEventMessage& m, int sender, bool atHost) {
  const MPGameHooks& hooks = MPHooks();
  const bool fromClient = atHost && sender != 0;
  auto refuse = [this](const char* why, std::uint32_t what) {
    ++refusedMessages_;
    DPlay8NoteDrop(why, std::to_string(what).c_str());
    return 0;
  };
  if (fromClient) {
    if (sender < 0) return refuse("event message from a player without a slot", m.kind);
    if (!ClientSendsEventKind(m.kind)) return refuse("event message kind a client does not send", m.kind);
    const std::uint32_t claimed = m.kind == GEK_CHAT ? m.b : (m.kind == GEK_STRIKE ? m.b : m.a);
    const bool noCaller = m.kind == GEK_STRIKE && claimed == kNoCaller;
    if (!noCaller && claimed != static_cast<std::uint32_t>(sender))
      return refuse("event message for another player's slot", claimed);
  }
  if (fromClient || m.fromClient != 0) {
    // The host acts on a client's event by sending it again to everyone.
    if (!atHost) return 0;
    m.fromClient = 0;
    SendMessage(m, 0, 1, 1, m.kind == GEK_CHAT ? 0 : 1);
    return 0;
  }
  switch (m.kind) {
    case GEK_CHAT: {
      if (m.b >= 8) return refuse("chat from a slot past the table", m.b);
      char line[80];
      std::snprintf(line, sizeof line, "%s: %s", NameOf(players_[m.b]).c_str(), m.text);
      if (m.a == 2 || m.a == players_[localSlot_ & 7].team) hooks.showChat(line);
      return 0;
    }
    case GEK_KILL: {
      if (m.a >= 8 || m.a >= settings_.playerCount) return refuse("kill of a slot past the players", m.a);
      if (m.b != kNoKiller && m.b >= 8) return refuse("kill by a slot past the table", m.b);
      MPPlayerRecord& victim = players_[m.a];
      victim.deaths += 1;
      victim.dead = 1;
      victim.deathTime = m.c;
      const int mode = GetGameMode();
      if (m.b != kNoKiller && players_[m.b].team != MPPlayerRecord::kNoTeam) {
        MPPlayerRecord& killer = players_[m.b];
        if (killer.team != victim.team || mode == 1)
          killer.score += 1;
        else
          killer.score -= 2;
      }
      if (victim.team != MPPlayerRecord::kNoTeam) {
        const bool local = static_cast<int>(m.a) == localSlot_;
        std::uint32_t id;
        if (mode != 1)
          id = victim.team != players_[localSlot_ & 7].team ? kTextKilledEnemy : kTextKilledFriend;
        else
          id = local ? 0 : kTextKilledEnemy;
        if (id != 0) ShowText(id, NameOf(victim).c_str());
      }
      // A dead local player watching the victim moves on to the next player.
      if (spectator_ && watchedSlot_ == static_cast<int>(m.a)) WatchNextPlayer();
      return 0;
    }
    case GEK_LOADOUT: {
      if (m.a >= 8 || m.a >= settings_.playerCount) return refuse("loadout for a slot past the players", m.a);
      MPPlayerRecord& r = players_[m.a];
      if (r.pendingCharacter != MPPlayerRecord::kNoCharacter) r.character = r.pendingCharacter;
      if (r.pendingTeam != MPPlayerRecord::kNoTeam) {
        if (r.pendingTeam != r.team) r.deathTime = 0;
        r.team = r.pendingTeam;
      }
      r.pendingCharacter = MPPlayerRecord::kNoCharacter;
      r.pendingTeam = MPPlayerRecord::kNoTeam;
      r.dead = 0;
      const bool local = static_cast<int>(m.a) == localSlot_;
      if (hooks.soldierExists(static_cast<int>(m.a)))
        hooks.respawnSoldier(static_cast<int>(m.a), GetTeamArmy(r.team == 1 ? 1 : 0), r.character,
                             atHost ? nullptr : m.list, local);
      if (local) roundStarted_ = true;
      return 0;
    }
    case GEK_ITEM_RESPAWNED:
      if (atHost) return 0;
      if (!MPQueueOnRespawn(m.c, m.b, m.a)) return refuse("item respawn with a queue or point out of range", m.c);
      return 0;
    case GEK_STRIKE: {
      if (m.b != kNoCaller && m.b >= 8) return refuse("strike by a slot past the table", m.b);
      const float target[3] = {m.x, m.y, m.z};
      hooks.addStrike(static_cast<int>(m.a), target);
      if (m.b != kNoCaller) {
        std::int32_t block[16] = {players_[m.b].team == 0 ? 51 : 50};
        hooks.raiseEvent(54, block, 16);
      }
      return 0;
    }
    case GEK_MISSION_NOTICE: {
      std::int32_t block[16] = {static_cast<std::int32_t>(m.a)};
      hooks.raiseEvent(54, block, 16);
      return 0;
    }
    case GEK_ROUND_RESET: {
      ClearRoundTotals();
      hooks.resetList2Objects();
      std::int32_t none[16] = {};
      hooks.raiseEvent(57, none, 16);
      for (int slot = 0; slot < 8; ++slot) {
        if (players_[slot].team == MPPlayerRecord::kNoTeam || !hooks.soldierExists(slot)) continue;
        std::int32_t block[16] = {hooks.soldierId(slot), -1, GetSessionTime()};
        hooks.raiseEvent(53, block, 16);
      }
      if (atHost) {
        SetRequestedState(MPS_LEAVE);
        if (session_->GetServer() != nullptr) session_->GetServer()->GetTimer().Reset();
      } else {
        state_ = MPS_LEAVE;
      }
      hooks.resetRoundData();
      return 0;
    }
    case GEK_LEAVE_OBJECT:
      if (m.a >= 8) return refuse("leave-object for a slot past the table", m.a);
      hooks.leaveObject(static_cast<int>(m.a), static_cast<int>(m.b));
      return 0;
    default: return 0;
  }
}

void CMultiplayer::ClearRoundTotals() {
  for (MPPlayerRecord& r : players_) {
    r.dead = 0;
    r.deathTime = 0;
    r.deaths = 0;
  }
}

// --- senders -------------------------------------------------------------------

int CMultiplayer::SendMessage(CNetMessage& message, std::uint32_t timeout, std::uint32_t guaranteed,
                              std::uint32_t loopback, std::uint32_t urgent, std::uint32_t peer) {
  if (!running_ || session_ == nullptr) return -1;
  NetMessageRecord record;
  record.Blank();
  record.kind = NetMessageRecord::kKindOutgoing;
  record.timeout = timeout;
  record.guaranteed = guaranteed;
  record.loopback = loopback;
  record.urgent = urgent;
  record.peer = peer;
  return CNetMessage::Send(message, session_, IsHost(), record);
}

void CMultiplayer::SendSessionState(std::uint32_t state, std::uint32_t target) {
  CGameMessage m(GSK_STATE);
  m.state = state;
  m.target = target;
  SendMessage(m, 0, 1, 1, 1);
}

void CMultiplayer::SendPlayerSettings() {
  if (!running_) return;
  MPCopyName(settings_.hostName, sizeof settings_.hostName, players_[localSlot_ & 7].name);
  if (IsHost()) settings_.playerCount = static_cast<std::uint8_t>(session_->GetServer()->GetPlayerCount());
  CGameMessage m(GSK_SETTINGS);
  m.settings = settings_;
  SendMessage(m, 0, 1, 0, 1);
}

void CMultiplayer::SendText(const char* text, int slot) {
  CGameMessage m(GSK_TEXT);
  m.fromClient = IsHost() ? 0 : 1;
  m.slot = static_cast<std::uint32_t>(slot);
  m.SetText(text);
  const int latency = GetLatency();
  SendMessage(m, latency > 0 ? static_cast<std::uint32_t>(latency) : 0, 0, IsHost() ? 1 : 0, 0);
}

void CMultiplayer::SendPlayerRecord() {
  if (!running_) return;
  if (!IsHost() && localSlot_ == 0) return;
  if (settings_.missionType == 5) players_[localSlot_ & 7].team = 0;
  CGameMessage m(GSK_PLAYER_RECORD);
  m.fromClient = IsHost() ? 0 : 1;
  m.slot = static_cast<std::uint32_t>(localSlot_);
  m.record = players_[localSlot_ & 7];
  SendMessage(m, 0, 1, 0, 1);
}

void CMultiplayer::SendPlayerTable() {
  if (!running_) return;
  if (settings_.missionType == 5)
    for (MPPlayerRecord& r : players_) r.team = 0;
  CGameMessage m(GSK_PLAYER_TABLE);
  for (int i = 0; i < 8; ++i) m.table[i] = PlayerSummary::Of(players_[i]);
  SendMessage(m, 0, 1, 0, 1);
}

void CMultiplayer::SendReady(int slot) { SendReadiness(GSK_READY, slot); }

void CMultiplayer::SendNotReady(int slot) { SendReadiness(GSK_NOT_READY, slot); }

void CMultiplayer::SendReadiness(std::uint32_t kind, int slot) {
  if (!running_) return;
  CGameMessage m(kind);
  m.fromClient = IsHost() ? 0 : 1;
  m.slot = static_cast<std::uint32_t>(slot < 0 ? localSlot_ : slot);
  // The local player's own news also marks it spawned or not.
  if (slot < 0) players_[localSlot_ & 7].spawned = kind == GSK_READY ? 1 : 0;
  SendMessage(m, 0, 1, 0, 1);
}

void CMultiplayer::SendPlayerLeft(int slot) {
  CGameMessage m(GSK_PLAYER_LEFT);
  m.slot = static_cast<std::uint32_t>(slot);
  SendMessage(m, 0, 1, 0, 1);
}

void CMultiplayer::SendWorldRequest(int slot) {
  if (!running_) return;
  CGameMessage m(GSK_WORLD_REQUEST);
  m.fromClient = IsHost() ? 0 : 1;
  m.slot = static_cast<std::uint32_t>(slot);
  SendMessage(m, 0, 1, 0, 1);
}

void CMultiplayer::SendWorldState(std::uint32_t playerId) {
  if (!running_) return;
  const MPGameHooks& hooks = MPHooks();
  CGameMessage m(GSK_WORLD_STATE);
  MPWorldBlock& w = m.world;
  for (int slot = 0; slot < 8; ++slot) {
    const int vehicle = hooks.soldierVehicle(slot);
    if (vehicle >= 0) {
      w.seats[slot].inVehicle = 1;
      w.seats[slot].vehicle = static_cast<std::uint16_t>(vehicle);
    }
  }
  MPWriteQueueBlocks(w);
  for (int i = 0; i < 32 && i < lists_.Count(0); ++i)
    if (hooks.objectDestroyed(0, i)) w.destroyedList0 |= 1u << i;
  for (int i = 0; i < 64 && i < lists_.Count(2); ++i)
    if (hooks.objectDestroyed(2, i)) w.destroyedList2[i / 32] |= 1u << (i % 32);
  SendMessage(m, 0, 1, 0, 1, playerId);
}

void CMultiplayer::SendChatMessage(const char* text, int channel, int slot) {
  if (!running_) return;
  CGameEventMessage m(GEK_CHAT);
  m.fromClient = IsHost() ? 0 : 1;
  m.a = static_cast<std::uint32_t>(channel);
  m.b = static_cast<std::uint32_t>(slot < 0 ? localSlot_ : slot);
  m.SetText(text);
  SendMessage(m, 0, 1, IsHost() ? 1 : 0, 0);
}

void CMultiplayer::SendKill(int victim, int killer, std::uint32_t value) {
  if (!running_ || !networkGame_ || requested_ != MPS_PLAYING_STATE) return;
  CGameEventMessage m(GEK_KILL);
  m.fromClient = IsHost() ? 0 : 1;
  m.a = static_cast<std::uint32_t>(victim);
  m.b = killer < 0 ? kNoKiller : static_cast<std::uint32_t>(killer);
  m.c = value;
  SendMessage(m, 0, 1, IsHost() ? 1 : 0, 1);
}

void CMultiplayer::SendLoadout(int slot, const std::uint16_t* entries) {
  if (!running_) return;
  CGameEventMessage m(GEK_LOADOUT);
  m.fromClient = IsHost() ? 0 : 1;
  m.a = static_cast<std::uint32_t>(slot);
  if (entries != nullptr) std::memcpy(m.list, entries, sizeof m.list);
  SendMessage(m, 0, 1, IsHost() ? 1 : 0, 1);
}

void CMultiplayer::SendStrike(int slot, int strikeObject, const float target[3]) {
  if (!running_ || !networkGame_ || requested_ != MPS_PLAYING_STATE) return;
  CGameEventMessage m(GEK_STRIKE);
  m.fromClient = IsHost() ? 0 : 1;
  m.a = static_cast<std::uint32_t>(strikeObject);
  m.b = slot < 0 ? kNoCaller : static_cast<std::uint32_t>(slot);
  m.x = target[0];
  m.y = target[1];
  m.z = target[2];
  SendMessage(m, 0, 1, IsHost() ? 1 : 0, 1);
}

void CMultiplayer::SendMissionNotice(int value) {
  if (!running_ || !networkGame_ || requested_ != MPS_PLAYING_STATE) return;
  CGameEventMessage m(GEK_MISSION_NOTICE);
  m.fromClient = IsHost() ? 0 : 1;
  m.a = static_cast<std::uint32_t>(value);
  SendMessage(m, 0, 1, IsHost() ? 1 : 0, 1);
}

void CMultiplayer::SendRoundReset(std::uint32_t value) {
  if (!running_) return;
  ClearRoundTotals();
  CGameEventMessage m(GEK_ROUND_RESET);
  m.fromClient = IsHost() ? 0 : 1;
  m.a = value;
  SendMessage(m, 0, 1, IsHost() ? 1 : 0, 1);
}

void CMultiplayer::SendLeaveObject(int object, int slot) {
  if (!running_ || !networkGame_ || requested_ != MPS_PLAYING_STATE) return;
  CGameEventMessage m(GEK_LEAVE_OBJECT);
  m.fromClient = IsHost() ? 0 : 1;
  m.a = static_cast<std::uint32_t>(slot);
  m.b = static_cast<std::uint32_t>(object);
  SendMessage(m, 0, 1, IsHost() ? 1 : 0, 1);
}
