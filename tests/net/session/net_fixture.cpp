#include "net_fixture.h"

GameRecorder& Game() {
  static GameRecorder recorder;
  return recorder;
}

namespace {

int IndicateConnect() { return Game().refuseConnections ? -1 : 0; }

int PlayerCreated(PlayerSlot* slot) {
  std::lock_guard<std::mutex> hold(Game().mutex);
  Game().created.push_back(*slot);
  return 0;
}

int PlayerDestroyed(int slot) {
  std::lock_guard<std::mutex> hold(Game().mutex);
  Game().destroyed.push_back(slot);
  return 0;
}

int HostMessage(NetMessageRecord* record, CBitStream* stream) {
  ReceivedMessage m;
  const int r = ReadTestMessage(Game().seed, record, stream, &m);
  if (r < 0) return r;
  std::lock_guard<std::mutex> hold(Game().mutex);
  Game().atHost.push_back(m);
  return 0;
}

int ClientMessage(NetMessageRecord* record, CBitStream* stream) {
  // The library's slot message (type 1, slot in 8 bits) reaches the game too.
  std::uint32_t type = 0;
  ReceivedMessage m;
  m.sender = record->peer;
  if (!stream->ReadBits(&type, 5)) return -1;
  if (type == 1) {
    if (!stream->ReadBits(&m.sequence, 8)) return -1;
    m.type = 1;
    m.intact = true;
  } else {
    m.type = type;
    if (!stream->ReadBits(&m.sequence, 32)) return -1;
    m.intact = true;
    if (type == kTestMessageType) {
      for (const TestField& f : TestFields(Game().seed, m.sequence)) {
        std::uint32_t v = 0;
        if (!stream->ReadBits(&v, f.bits)) return -1;
        if (v != f.value) m.intact = false;
      }
    } else if (type != kTestAckType) {
      return -1;
    }
  }
  std::lock_guard<std::mutex> hold(Game().mutex);
  Game().atClient.push_back(m);
  return 0;
}

int EnumQuery(void** data, DWORD* size) {
  *data = Game().enumResponse.empty() ? nullptr : Game().enumResponse.data();
  *size = static_cast<DWORD>(Game().enumResponse.size());
  return 0;
}

HRESULT ConnectComplete(DPNMSG_CONNECT_COMPLETE* message) {
  std::lock_guard<std::mutex> hold(Game().mutex);
  Game().connectResults.push_back(message->hResultCode);
  return DPN_OK;
}

HRESULT SessionEnded(DWORD reason) {
  std::lock_guard<std::mutex> hold(Game().mutex);
  Game().endings.push_back(reason);
  return DPN_OK;
}

int HostFound(int index, const void* data, DWORD size) {
  std::lock_guard<std::mutex> hold(Game().mutex);
  const auto* p = static_cast<const std::uint8_t*>(data);
  Game().found.push_back({index, std::vector<std::uint8_t>(p, p + size)});
  return 0;
}

}  // namespace

void RegisterGameCallbacks() {
  ClearNetCallbacks();
  SetNetCallback(NETCB_SERVER_INDICATE_CONNECT, &IndicateConnect);
  SetNetCallback(NETCB_SERVER_PLAYER_CREATED, &PlayerCreated);
  SetNetCallback(NETCB_SERVER_PLAYER_DESTROYED, &PlayerDestroyed);
  SetNetCallback(NETCB_SERVER_GAME_MESSAGE, &HostMessage);
  SetNetCallback(NETCB_SERVER_ENUM_QUERY, &EnumQuery);
  SetNetCallback(NETCB_CLIENT_CONNECT_COMPLETE, &ConnectComplete);
  SetNetCallback(NETCB_CLIENT_SESSION_ENDED, &SessionEnded);
  SetNetCallback(NETCB_CLIENT_GAME_MESSAGE, &ClientMessage);
  SetNetCallback(NETCB_CLIENT_HOST_FOUND, &HostFound);
}

bool PumpUntil(const std::vector<CNetSession*>& sessions, const std::function<bool()>& done, int frames, int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (int frame = 0; frame < frames; ++frame) {
    for (CNetSession* s : sessions) {
      s->Update();
      s->DispatchReceived();
      s->FlushSend();
    }
    if (done()) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::yield();
  }
  return done();
}
