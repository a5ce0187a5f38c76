// What the transport wrappers hand their messages to: the game server and
// the game client implement these.  Every operation is called on the
// transport's network thread, inside the process-wide server or client
// callback lock, and must only copy data into queues or tables.
#pragma once

#include "platform/dplay8/dplay8_types.h"

class CDP8ServerHandler {
 public:
  virtual ~CDP8ServerHandler() = default;
  virtual HRESULT OnEnumHostsQuery(DPNMSG_ENUM_HOSTS_QUERY* message) = 0;
  // DPN_OK admits the connection; anything else refuses it.
  virtual HRESULT OnIndicateConnect(DPNMSG_INDICATE_CONNECT* message) = 0;
  // An admitted connection that ended before its player was created.
  virtual HRESULT OnIndicatedConnectAborted(DPNMSG_INDICATED_CONNECT_ABORTED* message) = 0;
  virtual HRESULT OnCreatePlayer(DPNMSG_CREATE_PLAYER* message) = 0;
  virtual HRESULT OnDestroyPlayer(DPNMSG_DESTROY_PLAYER* message) = 0;
  virtual HRESULT OnTerminateSession(DPNMSG_TERMINATE_SESSION* message) = 0;
  // DPNSUCCESS_PENDING keeps the transport's buffer until it is given back.
  virtual HRESULT OnReceive(DPNMSG_RECEIVE* message) = 0;
  // Whether the host's own player goes without a slot.
  virtual bool SkipsOwnPlayer() const = 0;
  // Reserves a slot for a player about to be created; its player context,
  // or null when no slot is free.
  virtual void* ReserveSlot() = 0;
};

class CDP8ClientHandler {
 public:
  virtual ~CDP8ClientHandler() = default;
  virtual HRESULT OnConnectComplete(DPNMSG_CONNECT_COMPLETE* message) = 0;
  virtual HRESULT OnReceive(DPNMSG_RECEIVE* message) = 0;
  virtual HRESULT OnTerminateSession(DPNMSG_TERMINATE_SESSION* message) = 0;
};

// A slot index as a player context and back.  The context of slot i is
// i + 1, so that every slot, 0 included, is a context that is set; null
// (no context) and -1 (the host's own player, before its slot) are not slots.
void* SlotToContext(int slot);
// The slot of a context, or -1 when the context is not a slot.
int ContextToSlot(void* context);
// The context the host's own player is created with.
void* OwnPlayerContext();
