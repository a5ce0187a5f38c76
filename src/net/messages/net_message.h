// A game message: an object that writes itself into a bit stream (the
// framing of a game message, flag bit 0 and its 5-bit type, then its fields)
// and reads its fields back after the type.  Main thread only.
#pragma once

#include <cstdint>

class CBitStream;
class CNetSession;
struct NetMessageRecord;

// The game message types.
enum GameMessageType : std::uint32_t {
  GMT_WELCOME = 1,
  GMT_GRUNT_STATE = 17,
  GMT_GRUNT_EVENT = 20,
  GMT_GRUNT_ITEM = 21,
  GMT_GRUNT_PAIR = 22,
  GMT_GRUNT_EVENT_TO_HOST = 24,
  GMT_PLAYER_INPUT = 25,
  GMT_CHAT = 26,
  GMT_SESSION = 27,
  GMT_DOOR_STATE = 28,
  GMT_VEHICLE_STATE = 29,
  GMT_VEHICLE_STATE2 = 30,
};

class CNetMessage {
 public:
  virtual ~CNetMessage() = default;
  // Begins writing, writes the framing and the fields, ends; false when the
  // message does not fit or its kind has no form.
  virtual bool Write(CBitStream& stream) = 0;
  // Reads the fields after the type; false when the data is cut short or
  // names something this game does not know.
  virtual bool Read(CBitStream& stream) = 0;

  // Queues the message on `session` when the record is an outgoing one
  // (kind word 2): the message fills a fresh stream, its bits become the
  // record's payload, and the record goes to every player (as host) or to
  // the host (as client).  0, or -1 when it could not be written or queued.
  static int Send(CNetMessage& message, CNetSession* session, bool asHost, NetMessageRecord& record);
};
