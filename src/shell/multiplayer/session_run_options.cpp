#include "shell/multiplayer/session_run_options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "net/mp_layer.h"
#include "net/session/net_session.h"
#include "platform/win32/clocks.h"
#include "shell/frame/run_frame.h"
#include "shell/program/main_window.h"
#include "shell/program/shell_state.h"

namespace {

constexpr std::uint32_t kJoinWait = 15000;
constexpr std::uint32_t kResendInterval = 1000;

enum class Phase { kWaiting, kLooking, kJoined, kDone, kFailed };

struct Options {
  bool host = false;
  std::string join;
  std::string report;
  Phase phase = Phase::kWaiting;
  std::uint32_t deadline = 0;
  bool readyDeclared = false;
};
Options g_options;

void Fail(const char* why) {
  std::fprintf(stderr, "halberd: %s\n", why);
  g_options.phase = Phase::kFailed;
  QuitGame();
}

void ReportHook() {
  if (!g_options.report.empty() && !WriteSessionReport(g_options.report.c_str()))
    std::fprintf(stderr, "halberd: the session report could not be written to %s\n", g_options.report.c_str());
}

void HostStep(CMultiplayer* mp) {
  switch (g_options.phase) {
    case Phase::kWaiting:
      MPSetRole(1);
      if (MPStart() != 0) return Fail("the network session could not start");
      if (mp->settings_.sessionName[0] == '\0') mp->SetSessionName("Halberd");
      if (MPStartSession(0) != 0) return Fail("the session could not be hosted");
      // The lobby's choices: the host plays the attacking side.
      mp->SetTeam(0);
      std::printf("halberd: hosting \"%s\"\n", mp->settings_.sessionName);
      // The lobby's start: everyone loads the multiplayer level.
      mp->SendSessionState(MPS_LOAD_LEVEL, 3);
      g_options.phase = Phase::kJoined;
      break;
    case Phase::kJoined: ResendRoundToLateJoiners(mp); break;
    default: break;
  }
}

void JoinStep(CMultiplayer* mp) {
  const std::uint32_t now = timeGetTime();
  switch (g_options.phase) {
    case Phase::kWaiting:
      MPSetRole(0);
      if (MPStart() != 0) return Fail("the network session could not start");
      if (MPEnumHosts(g_options.join.c_str(), 8) != 0) return Fail("the host address could not be looked for");
      g_options.deadline = now + kJoinWait;
      g_options.phase = Phase::kLooking;
      break;
    case Phase::kLooking:
      if (!mp->hostList_.empty()) {
        MPStopEnumHosts();
        const int result = MPStartSession(0);
        if (result != 0) return Fail(result == -2 ? "the host refused the join" : "the join failed");
        std::printf("halberd: joined \"%s\" at %s\n", mp->settings_.sessionName, g_options.join.c_str());
        g_options.phase = Phase::kJoined;
      } else if (static_cast<std::int32_t>(now - g_options.deadline) >= 0) {
        return Fail("no host answered at the address given");
      }
      break;
    case Phase::kJoined:
      if (mp->welcomed_ && !g_options.readyDeclared) {
        // The lobby's choices: a joining player takes the defending side.
        mp->SetTeam(1);
        mp->SetPlayerState(2);
        g_options.readyDeclared = true;
      }
      // The host is past its lobby (it loads or runs the round): wait in the
      // client-load state for the round's state, then load the level.
      if (g_options.readyDeclared && mp->GetSessionState() == MPS_CONNECTED &&
          (mp->GetRequestedState() == MPS_PLAYING_STATE || mp->hostRequestedState_ == MPS_PLAYING_STATE ||
           mp->hostRequestedState_ == MPS_LOAD_LEVEL))
        MPSetSessionState(MPS_CLIENT_LOAD);
      break;
    default: break;
  }
}

}  // namespace

void ResendRoundToLateJoiners(CMultiplayer* mp) {
  static std::uint32_t nextResend = 0;
  const std::uint32_t now = timeGetTime();
  if (mp->GetRequestedState() != MPS_PLAYING_STATE || static_cast<std::int32_t>(now - nextResend) < 0) return;
  for (int slot = 1; slot < 8; ++slot) {
    const MPPlayerRecord& r = mp->players_[slot];
    if (r.state == 2 && r.spawned == 0) {
      CMultiplayer::Scope scope(mp);
      mp->SendSessionState(MPS_PLAYING_STATE, 3);
      break;
    }
  }
  nextResend = now + kResendInterval;
}

bool SetSessionRunOptions(bool host, const char* join, const char* report, std::string* error) {
  g_options = Options{};
  if (host && join != nullptr) {
    *error = "--host and --join cannot be used together";
    return false;
  }
  if (join != nullptr) {
    const char* colon = std::strrchr(join, ':');
    // The port: decimal digits only, 1 to 65535, and nothing after them.
    char* end = nullptr;
    const long port = colon != nullptr && colon[1] >= '0' && colon[1] <= '9' ? std::strtol(colon + 1, &end, 10) : 0;
    if (colon == nullptr || colon == join || port <= 0 || port > 65535 || *end != '\0') {
      *error = std::string("--join needs ADDRESS:PORT, not \"") + join + "\"";
      return false;
    }
    g_options.join = join;
  }
  g_options.host = host;
  if (report != nullptr) g_options.report = report;
  SetLastFrameHook(g_options.report.empty() ? nullptr : ReportHook);
  return true;
}

bool SessionRunOptionsActive() { return g_options.host || !g_options.join.empty(); }

void SessionRunOptionsStep() {
  if (!SessionRunOptionsActive() || g_options.phase == Phase::kFailed) return;
  // Start once the game has reached a level (the front end).
  if (g_options.phase == Phase::kWaiting && FrameMode != FRAME_IN_GAME) return;
  CMultiplayer* mp = MPCurrent();
  if (g_options.host)
    HostStep(mp);
  else
    JoinStep(mp);
}

std::string SessionReportText() {
  CMultiplayer* mp = MPCurrent();
  std::string out;
  char line[256];
  std::snprintf(line, sizeof line, "session state %u requested %u role %s slot %d running %d network %d round %d\n",
                mp->GetSessionState(), mp->GetRequestedState(),
                mp->IsHost() ? "host" : (mp->IsClient() ? "client" : "none"), mp->localSlot_,
                mp->IsSessionRunning() ? 1 : 0, mp->IsNetworkGame() ? 1 : 0, mp->roundStarted_ ? 1 : 0);
  out += line;
  std::snprintf(line, sizeof line, "settings level %s players %u max %u mission %u seed %u\n", mp->settings_.levelName,
                mp->settings_.playerCount, mp->settings_.maxPlayers, mp->settings_.missionType,
                mp->settings_.seed & 0xFF);
  out += line;
  for (int slot = 0; slot < 8; ++slot) {
    const MPPlayerRecord& r = mp->players_[slot];
    std::snprintf(line, sizeof line, "player %d state %u team %u character %u deaths %u score %u name \"%s\"\n", slot,
                  r.state, r.team, r.character, r.deaths, r.score, r.state != 0 ? r.name : "");
    out += line;
  }
  int objects = 0;
  for (int list = 0; list < CReplicationLists::kListCount; ++list) objects += mp->lists_.Count(list);
  std::snprintf(line, sizeof line, "objects %d replicated\n", objects);
  out += line;
  for (const CMPInterfaceQueue& q : mp->queues_) {
    std::uint8_t block[CMPInterfaceQueue::kBlockSize];
    {
      CMultiplayer::Scope scope(mp);
      q.WriteState(block);
    }
    std::snprintf(line, sizeof line, "queue %u block ", q.id_);
    out += line;
    for (std::uint8_t b : block) {
      std::snprintf(line, sizeof line, "%02x", b);
      out += line;
    }
    out += "\n";
  }
  out += "random";
  for (int i = 0; i < 8; ++i) {
    std::snprintf(line, sizeof line, " %d", mp->random_.Value(i));
    out += line;
  }
  out += "\n";
  std::snprintf(line, sizeof line, "left %d refused %d\n", mp->playersLeft_, mp->refusedMessages_);
  out += line;
  return out;
}

bool WriteSessionReport(const char* path) {
  std::FILE* f = std::fopen(path, "w");
  if (f == nullptr) return false;
  const std::string text = SessionReportText();
  const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && ok;
}
