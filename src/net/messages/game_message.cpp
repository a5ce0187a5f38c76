#include "net/messages/game_message.h"

#include <cstring>
#include <vector>

#include "net/bits/bit_stream.h"
#include "net/messages/message_blocks.h"

namespace {

template <typename Record>
bool WriteRecord(CBitStream& s, const Record& r) {
  ByteWriter out;
  r.Write(out);
  return WriteMessageBytes(s, out.Data().data(), out.Size());
}

template <typename Record>
bool ReadRecord(CBitStream& s, Record* r, std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  if (!ReadMessageBytes(s, bytes.data(), size)) return false;
  ByteReader in(bytes.data(), bytes.size());
  return r->Read(in);
}

}  // namespace

CGameMessage::CGameMessage() {
  settings.Defaults();
  record.Empty("");
}

void CGameMessage::SetText(const char* t) { MPCopyName(text, sizeof text, t); }

bool CGameMessage::Write(CBitStream& s) {
  if (!s.Begin(CBitStream::MODE_WRITE)) return false;
  bool ok = s.WriteBits(0, 1) && s.WriteBits(GMT_SESSION, 5) && s.WriteBits(kind, 8) && s.WriteBits(fromClient, 1);
  switch (kind) {
    case GSK_TEXT: {
      std::uint8_t bytes[kTextBytes] = {};
      std::memcpy(bytes, text, strnlen(text, kTextBytes));
      ok = ok && s.WriteBits(slot, 8) && WriteMessageBytes(s, bytes, kTextBytes);
      break;
    }
    case GSK_SETTINGS: ok = ok && WriteRecord(s, settings); break;
    case GSK_STATE: ok = ok && s.WriteBits(state, 4) && s.WriteBits(target, 4); break;
    case GSK_READY:
    case GSK_NOT_READY:
    case GSK_PLAYER_LEFT:
    case GSK_WORLD_REQUEST: ok = ok && s.WriteBits(slot, 8); break;
    case GSK_SEVEN:
    case GSK_EIGHT: break;
    case GSK_PLAYER_RECORD: ok = ok && s.WriteBits(slot, 8) && WriteRecord(s, record); break;
    case GSK_WORLD_STATE: ok = ok && WriteRecord(s, world); break;
    case GSK_PLAYER_TABLE: {
      ByteWriter out;
      for (const PlayerSummary& p : table) p.Write(out);
      ok = ok && WriteMessageBytes(s, out.Data().data(), out.Size());
      break;
    }
    default: ok = false;
  }
  return s.End() && ok;
}

bool CGameMessage::Read(CBitStream& s) {
  if (!s.ReadBits(&kind, 8) || !s.ReadBits(&fromClient, 1)) return false;
  switch (kind) {
    case GSK_TEXT: {
      std::uint8_t bytes[kTextBytes] = {};
      if (!s.ReadBits(&slot, 8) || !ReadMessageBytes(s, bytes, kTextBytes)) return false;
      std::memcpy(text, bytes, kTextBytes);
      text[kTextBytes] = '\0';
      return true;
    }
    case GSK_SETTINGS: return ReadRecord(s, &settings, MPSettings::kSize);
    case GSK_STATE: return s.ReadBits(&state, 4) && s.ReadBits(&target, 4);
    case GSK_READY:
    case GSK_NOT_READY:
    case GSK_PLAYER_LEFT:
    case GSK_WORLD_REQUEST: return s.ReadBits(&slot, 8);
    case GSK_SEVEN:
    case GSK_EIGHT: return true;
    case GSK_PLAYER_RECORD: return s.ReadBits(&slot, 8) && ReadRecord(s, &record, MPPlayerRecord::kSize);
    case GSK_WORLD_STATE: return ReadRecord(s, &world, MPWorldBlock::kSize);
    case GSK_PLAYER_TABLE: {
      std::uint8_t bytes[8 * PlayerSummary::kSize];
      if (!ReadMessageBytes(s, bytes, sizeof bytes)) return false;
      ByteReader in(bytes, sizeof bytes);
      for (PlayerSummary& p : table)
        if (!p.Read(in)) return false;
      return true;
    }
    default: return false;
  }
}
