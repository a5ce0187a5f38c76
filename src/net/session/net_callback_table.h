// The functions the game registers with the network library, by id (0 to
// 11).  The roles call them to ask for decisions and to hand over what
// arrived.  Ids 0, 1, 2, 5, 6, 8 and 11 are called on the transport's
// network thread (inside its callback lock): they must only copy what they
// need and post any work on the world or the screens for the main thread.
// Ids 4 and 10 are called on the main thread, from DispatchReceived.
// Ids 3, 7 and 9 are never called.
#pragma once

#include <cstdint>

#include "platform/dplay8/dplay8_types.h"

class CBitStream;
struct NetMessageRecord;
struct PlayerSlot;

enum NetCallbackId : int {
  NETCB_SERVER_INDICATE_CONNECT = 0,  // int () -> negative refuses the connection
  NETCB_SERVER_PLAYER_CREATED = 1,    // int (PlayerSlot*) -> ignored
  NETCB_SERVER_PLAYER_DESTROYED = 2,  // int (int slot) -> returned to the transport
  NETCB_SERVER_GAME_MESSAGE = 4,      // int (NetMessageRecord*, CBitStream*) -> negative: could not read it
  NETCB_SERVER_ENUM_QUERY = 5,        // int (void** responseData, DWORD* responseSize) -> ignored
  NETCB_CLIENT_CONNECT_COMPLETE = 6,  // HRESULT (DPNMSG_CONNECT_COMPLETE*) -> returned to the transport
  NETCB_CLIENT_SESSION_ENDED = 8,     // HRESULT (DWORD reason) -> returned
  NETCB_CLIENT_GAME_MESSAGE = 10,     // int (NetMessageRecord*, CBitStream*) -> negative: could not read it
  NETCB_CLIENT_HOST_FOUND = 11,       // int (int index, const void* data, DWORD size) -> ignored
  NETCB_COUNT = 12,
};

using NetCallback = void (*)();
using NetIndicateConnectFn = int (*)();
using NetPlayerCreatedFn = int (*)(PlayerSlot* slot);
using NetPlayerDestroyedFn = int (*)(int slot);
// Reads exactly one game message from the stream (positioned after its flag bit).
using NetGameMessageFn = int (*)(NetMessageRecord* record, CBitStream* stream);
using NetEnumQueryFn = int (*)(void** responseData, DWORD* responseSize);
using NetConnectCompleteFn = HRESULT (*)(DPNMSG_CONNECT_COMPLETE* message);
using NetSessionEndedFn = HRESULT (*)(DWORD reason);
using NetHostFoundFn = int (*)(int index, const void* data, DWORD size);

// Sets callback `id`; answers the one it replaces (null for an id outside 0..11).
NetCallback SetNetCallback(int id, NetCallback callback);
// The callback of `id`; null for an id outside 0..11 or one not set.
NetCallback GetNetCallback(int id);
// Clears every callback.
void ClearNetCallbacks();

// Typed forms.
template <typename Fn>
NetCallback SetNetCallback(int id, Fn callback) {
  return SetNetCallback(id, reinterpret_cast<NetCallback>(callback));
}
template <typename Fn>
Fn GetNetCallbackAs(int id) {
  return reinterpret_cast<Fn>(GetNetCallback(id));
}
