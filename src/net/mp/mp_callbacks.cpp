#include "net/mp/mp_callbacks.h"

#include <atomic>
#include <cstring>

#include "net/bits/bit_stream.h"
#include "net/mp/multiplayer.h"
#include "net/queues/net_message_record.h"
#include "net/session/net_callback_table.h"
#include "net/session/player_table.h"

namespace {

std::atomic<CMultiplayer*> g_hostLayer{nullptr};
std::atomic<CMultiplayer*> g_clientLayer{nullptr};

int OnIndicateConnect() {
  CMultiplayer* layer = g_hostLayer.load();
  return layer != nullptr ? layer->AnswerConnectVeto() : -1;
}

int OnPlayerCreated(PlayerSlot* slot) {
  CMultiplayer* layer = g_hostLayer.load();
  if (layer != nullptr && slot != nullptr)
    layer->Post({CMultiplayer::Posted::kCreated, static_cast<int>(slot->slotIndex), {}});
  return 0;
}

int OnPlayerDestroyed(int slot) {
  CMultiplayer* layer = g_hostLayer.load();
  if (layer != nullptr) layer->Post({CMultiplayer::Posted::kDestroyed, slot, {}});
  return 0;
}

// The game-message callbacks run inside a layer's MPUpdate (on the main
// thread): the message belongs to the layer that is dispatching.
int OnHostMessage(NetMessageRecord* record, CBitStream* stream) {
  return MPCurrent()->DispatchGameMessage(record, stream, true);
}

int OnEnumQuery(void** data, DWORD* size) {
  CMultiplayer* layer = g_hostLayer.load();
  return layer != nullptr ? layer->AnswerEnumQuery(data, size) : -1;
}

HRESULT OnConnectComplete(DPNMSG_CONNECT_COMPLETE* message) {
  CMultiplayer* layer = g_clientLayer.load();
  if (layer != nullptr && message != nullptr)
    layer->Post({CMultiplayer::Posted::kConnectComplete, message->hResultCode >= 0 ? 0 : -1, {}});
  return 0;
}

HRESULT OnSessionEnded(DWORD reason) {
  CMultiplayer* layer = g_clientLayer.load();
  if (layer != nullptr) layer->Post({CMultiplayer::Posted::kSessionEnded, static_cast<int>(reason), {}});
  return 0;
}

int OnClientMessage(NetMessageRecord* record, CBitStream* stream) {
  return MPCurrent()->DispatchGameMessage(record, stream, false);
}

int OnHostFound(int index, const void* data, DWORD size) {
  CMultiplayer* layer = g_clientLayer.load();
  // An answer of any other size is not a host of this game's settings.
  if (layer == nullptr || data == nullptr || size != MPSettings::kSize) return 0;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  layer->Post({CMultiplayer::Posted::kHostFound, index, std::vector<std::uint8_t>(bytes, bytes + size)});
  return 0;
}

}  // namespace

void MPRegisterCallbacks() {
  SetNetCallback(NETCB_SERVER_INDICATE_CONNECT, OnIndicateConnect);
  SetNetCallback(NETCB_SERVER_PLAYER_CREATED, OnPlayerCreated);
  SetNetCallback(NETCB_SERVER_PLAYER_DESTROYED, OnPlayerDestroyed);
  SetNetCallback(NETCB_SERVER_GAME_MESSAGE, OnHostMessage);
  SetNetCallback(NETCB_SERVER_ENUM_QUERY, OnEnumQuery);
  SetNetCallback(NETCB_CLIENT_CONNECT_COMPLETE, OnConnectComplete);
  SetNetCallback(NETCB_CLIENT_SESSION_ENDED, OnSessionEnded);
  SetNetCallback(NETCB_CLIENT_GAME_MESSAGE, OnClientMessage);
  SetNetCallback(NETCB_CLIENT_HOST_FOUND, OnHostFound);
}

void MPSetHostLayer(CMultiplayer* layer) {
  g_hostLayer = layer;
  CMultiplayer* self = layer;
  g_clientLayer.compare_exchange_strong(self, nullptr);
}

void MPSetClientLayer(CMultiplayer* layer) {
  g_clientLayer = layer;
  CMultiplayer* self = layer;
  g_hostLayer.compare_exchange_strong(self, nullptr);
}

void MPForgetLayer(CMultiplayer* layer) {
  CMultiplayer* a = layer;
  g_hostLayer.compare_exchange_strong(a, nullptr);
  CMultiplayer* b = layer;
  g_clientLayer.compare_exchange_strong(b, nullptr);
}
