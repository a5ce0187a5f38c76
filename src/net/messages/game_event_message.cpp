#include "net/messages/game_event_message.h"

#include <cstring>

#include "net/bits/bit_stream.h"
#include "net/messages/message_blocks.h"
#include "net/mp/mp_records.h"

void CGameEventMessage::SetText(const char* t) { MPCopyName(text, sizeof text, t); }

bool CGameEventMessage::Write(CBitStream& s) {
  if (!s.Begin(CBitStream::MODE_WRITE)) return false;
  bool ok = s.WriteBits(0, 1) && s.WriteBits(GMT_CHAT, 5) && s.WriteBits(kind, 8) && s.WriteBits(fromClient, 1);
  switch (kind) {
    case GEK_CHAT: {
      std::uint8_t bytes[kTextBytes] = {};
      std::memcpy(bytes, text, strnlen(text, kTextBytes));
      ok = ok && s.WriteBits(a, 8) && s.WriteBits(b, 8) && WriteMessageBytes(s, bytes, kTextBytes);
      break;
    }
    case GEK_KILL: ok = ok && s.WriteBits(a, 8) && s.WriteBits(b, 8) && s.WriteBits(c, 32); break;
    case GEK_LOADOUT: {
      std::uint8_t bytes[kListSize * 2];
      for (int i = 0; i < kListSize; ++i) {
        bytes[2 * i] = static_cast<std::uint8_t>(list[i]);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(list[i] >> 8);
      }
      ok = ok && s.WriteBits(a, 8) && WriteMessageBytes(s, bytes, sizeof bytes);
      break;
    }
    case GEK_ITEM_RESPAWNED: ok = ok && s.WriteBits(a, 12) && s.WriteBits(b, 8) && s.WriteBits(c, 6); break;
    case GEK_STRIKE:
      ok = ok && s.WriteBits(a, 12) && s.WriteBits(b, 4) && s.WriteScaledFloat(x, 17, 1) &&
           s.WriteScaledFloat(y, 17, 1) && s.WriteScaledFloat(z, 17, 1);
      break;
    case GEK_MISSION_NOTICE:
    case GEK_NINE: ok = ok && s.WriteBits(a, 8); break;
    case GEK_ROUND_RESET: ok = ok && s.WriteBits(a, 32); break;
    case GEK_EIGHT: break;
    case GEK_LEAVE_OBJECT: ok = ok && s.WriteBits(a, 8) && s.WriteBits(b, 8); break;
    default: ok = false;
  }
  return s.End() && ok;
}

bool CGameEventMessage::Read(CBitStream& s) {
  if (!s.ReadBits(&kind, 8) || !s.ReadBits(&fromClient, 1)) return false;
  switch (kind) {
    case GEK_CHAT: {
      std::uint8_t bytes[kTextBytes] = {};
      if (!s.ReadBits(&a, 8) || !s.ReadBits(&b, 8) || !ReadMessageBytes(s, bytes, kTextBytes)) return false;
      std::memcpy(text, bytes, kTextBytes);
      text[kTextBytes] = '\0';
      return true;
    }
    case GEK_KILL: return s.ReadBits(&a, 8) && s.ReadBits(&b, 8) && s.ReadBits(&c, 32);
    case GEK_LOADOUT: {
      std::uint8_t bytes[kListSize * 2];
      if (!s.ReadBits(&a, 8) || !ReadMessageBytes(s, bytes, sizeof bytes)) return false;
      for (int i = 0; i < kListSize; ++i)
        list[i] = static_cast<std::uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
      return true;
    }
    case GEK_ITEM_RESPAWNED: return s.ReadBits(&a, 12) && s.ReadBits(&b, 8) && s.ReadBits(&c, 6);
    case GEK_STRIKE:
      return s.ReadBits(&a, 12) && s.ReadBits(&b, 4) && s.ReadScaledFloat(&x, 17, 1) &&
             s.ReadScaledFloat(&y, 17, 1) && s.ReadScaledFloat(&z, 17, 1);
    case GEK_MISSION_NOTICE:
    case GEK_NINE: return s.ReadBits(&a, 8);
    case GEK_ROUND_RESET: return s.ReadBits(&a, 32);
    case GEK_EIGHT: return true;
    case GEK_LEAVE_OBJECT: return s.ReadBits(&a, 8) && s.ReadBits(&b, 8);
    default: return false;
  }
}
