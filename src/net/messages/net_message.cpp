#include "net/messages/net_message.h"

#include "net/bits/bit_stream.h"
#include "net/queues/net_message_record.h"
#include "net/session/net_session.h"

int CNetMessage::Send(CNetMessage& message, CNetSession* session, bool asHost, NetMessageRecord& record) {
  if (session == nullptr || record.kind != NetMessageRecord::kKindOutgoing) return -1;
  CBitStream stream;
  if (!message.Write(stream)) return -1;
  if (!record.SetPayload(stream)) return -1;
  return asHost ? session->QueueSendAsHost(record) : session->QueueSendAsClient(record);
}
