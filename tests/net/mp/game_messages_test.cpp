// The session (27) and event (26) messages: every kind written and read back
// with its widths, and the records that travel inside them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "net/bits/bit_stream.h"
#include "net/messages/game_event_message.h"
#include "net/messages/game_message.h"
#include "net/mp/world_block.h"

namespace {

// Reads back the framing, then the message's own fields.
template <typename Message>
bool ReadBack(CBitStream& s, Message* out, std::uint32_t* type) {
  std::uint32_t flag = 9;
  if (!s.Begin(CBitStream::MODE_READ) || !s.ReadBits(&flag, 1) || flag != 0 || !s.ReadBits(type, 5)) return false;
  const bool ok = out->Read(s);
  return ok && s.IsReadAtEnd();
}

struct SessionCase {
  std::uint32_t kind;
  std::uint32_t bits;
};

TEST(GameMessages, EverySessionKindRoundTripsWithItsWidths) {
  const SessionCase cases[] = {{GSK_TEXT, 15 + 8 + 616},      {GSK_SETTINGS, 15 + 736},
                               {GSK_STATE, 15 + 8},           {GSK_READY, 15 + 8},
                               {GSK_NOT_READY, 15 + 8},       {GSK_PLAYER_LEFT, 15 + 8},
                               {GSK_SEVEN, 15},               {GSK_EIGHT, 15},
                               {GSK_PLAYER_RECORD, 15 + 8 + 416}, {GSK_WORLD_STATE, 15 + 2272},
                               {GSK_PLAYER_TABLE, 15 + 2816}, {GSK_WORLD_REQUEST, 15 + 8}};
  for (const SessionCase& c : cases) {
    SCOPED_TRACE("kind " + std::to_string(c.kind));
    CGameMessage m(c.kind);
    m.fromClient = 1;
    m.slot = 5;
    m.state = 7;
    m.target = 3;
    m.SetText("hello from slot five");
    m.settings.SetLevel(2);
    m.settings.maxPlayers = 6;
    m.settings.seed = 0xA1B2C3D4;
    std::strcpy(m.settings.sessionName, "Arena");
    std::strcpy(m.record.name, "Rook");
    m.record.team = 1;
    m.record.score = 12;
    m.record.state = 2;
    m.world.seats[3].inVehicle = 1;
    m.world.seats[3].vehicle = 513;
    m.world.queues[1][6] = 7;
    m.world.destroyedList2[1] = 0x80000001u;
    for (int i = 0; i < 8; ++i) {
      m.table[i] = PlayerSummary::Of(m.record);
      m.table[i].deaths = static_cast<std::uint32_t>(i);
    }
    CBitStream s;
    ASSERT_TRUE(m.Write(s));
    EXPECT_EQ(s.GetBitCount(), c.bits);
    CGameMessage back;
    std::uint32_t type = 0;
    ASSERT_TRUE(ReadBack(s, &back, &type));
    EXPECT_EQ(type, static_cast<std::uint32_t>(GMT_SESSION));
    EXPECT_EQ(back.kind, c.kind);
    EXPECT_EQ(back.fromClient, 1u);
    switch (c.kind) {
      case GSK_TEXT:
        EXPECT_EQ(back.slot, 5u);
        EXPECT_STREQ(back.text, "hello from slot five");
        break;
      case GSK_SETTINGS:
        EXPECT_EQ(back.settings.ToBytes(), m.settings.ToBytes());
        EXPECT_STREQ(back.settings.levelName, "MP_Mission3.dll");
        break;
      case GSK_STATE:
        EXPECT_EQ(back.state, 7u);
        EXPECT_EQ(back.target, 3u);
        break;
      case GSK_PLAYER_RECORD:
        EXPECT_EQ(back.slot, 5u);
        EXPECT_STREQ(back.record.name, "Rook");
        EXPECT_EQ(back.record.score, 12u);
        EXPECT_EQ(back.record.team, 1);
        break;
      case GSK_WORLD_STATE:
        EXPECT_EQ(back.world.size, 284u);
        EXPECT_EQ(back.world.seats[3].inVehicle, 1);
        EXPECT_EQ(back.world.seats[3].vehicle, 513);
        EXPECT_EQ(back.world.queues[1][6], 7);
        EXPECT_EQ(back.world.destroyedList2[1], 0x80000001u);
        break;
      case GSK_PLAYER_TABLE:
        for (int i = 0; i < 8; ++i) {
          EXPECT_STREQ(back.table[i].name, "Rook");
          EXPECT_EQ(back.table[i].deaths, static_cast<std::uint32_t>(i));
        }
        break;
      case GSK_SEVEN:
      case GSK_EIGHT: break;
      default: EXPECT_EQ(back.slot, 5u);
    }
  }
}

struct EventCase {
  std::uint32_t kind;
  std::uint32_t bits;
};

TEST(GameMessages, EveryEventKindRoundTripsWithItsWidths) {
  const EventCase cases[] = {{GEK_CHAT, 15 + 16 + 208}, {GEK_KILL, 15 + 48},         {GEK_LOADOUT, 15 + 8 + 416},
                             {GEK_ITEM_RESPAWNED, 15 + 26}, {GEK_STRIKE, 15 + 16 + 51}, {GEK_MISSION_NOTICE, 15 + 8},
                             {GEK_ROUND_RESET, 15 + 32}, {GEK_EIGHT, 15},             {GEK_NINE, 15 + 8},
                             {GEK_LEAVE_OBJECT, 15 + 16}};
  for (const EventCase& c : cases) {
    SCOPED_TRACE("kind " + std::to_string(c.kind));
    CGameEventMessage m(c.kind);
    m.a = c.kind == GEK_ITEM_RESPAWNED || c.kind == GEK_STRIKE ? 4095 : 200;
    m.b = c.kind == GEK_STRIKE ? 14 : 255;
    m.c = c.kind == GEK_ITEM_RESPAWNED ? 3 : 0xDEADBEEF;
    m.x = -65536.0f;
    m.y = 65535.0f;
    m.z = -12.75f;
    m.SetText("go go go");
    for (int i = 0; i < CGameEventMessage::kListSize; ++i) m.list[i] = static_cast<std::uint16_t>(1000 + i);
    CBitStream s;
    ASSERT_TRUE(m.Write(s));
    EXPECT_EQ(s.GetBitCount(), c.bits);
    CGameEventMessage back;
    std::uint32_t type = 0;
    ASSERT_TRUE(ReadBack(s, &back, &type));
    EXPECT_EQ(type, static_cast<std::uint32_t>(GMT_CHAT));
    EXPECT_EQ(back.kind, c.kind);
    switch (c.kind) {
      case GEK_CHAT:
        EXPECT_EQ(back.a, 200u);
        EXPECT_EQ(back.b, 255u);
        EXPECT_STREQ(back.text, "go go go");
        break;
      case GEK_KILL:
        EXPECT_EQ(back.b, 255u);
        EXPECT_EQ(back.c, 0xDEADBEEFu);
        break;
      case GEK_LOADOUT:
        for (int i = 0; i < CGameEventMessage::kListSize; ++i) EXPECT_EQ(back.list[i], 1000 + i);
        break;
      case GEK_ITEM_RESPAWNED:
        EXPECT_EQ(back.a, 4095u);
        EXPECT_EQ(back.b, 255u);
        EXPECT_EQ(back.c, 3u);
        break;
      case GEK_STRIKE:
        // 17 bits of signed whole units: -65536..65535, fractions dropped.
        EXPECT_EQ(back.a, 4095u);
        EXPECT_EQ(back.b, 14u);
        EXPECT_FLOAT_EQ(back.x, -65536.0f);
        EXPECT_FLOAT_EQ(back.y, 65535.0f);
        EXPECT_FLOAT_EQ(back.z, -12.0f);
        break;
      case GEK_ROUND_RESET: EXPECT_EQ(back.a, 200u); break;
      case GEK_EIGHT: break;
      default: EXPECT_EQ(back.a, 200u);
    }
  }
}

TEST(GameMessages, AFortyCharacterChatArrivesAsItsFirstTwentySix) {
  const std::string forty = "abcdefghijklmnopqrstuvwxyz0123456789ABCD";
  ASSERT_EQ(forty.size(), 40u);
  CGameEventMessage m(GEK_CHAT);
  m.SetText(forty.c_str());
  CBitStream s;
  ASSERT_TRUE(m.Write(s));
  CGameEventMessage back;
  std::uint32_t type = 0;
  ASSERT_TRUE(ReadBack(s, &back, &type));
  EXPECT_EQ(std::string(back.text), forty.substr(0, 26));
}

TEST(GameMessages, UnknownKindsAndShortDataAreRefused) {
  CGameMessage unknown(13);
  CBitStream s;
  EXPECT_FALSE(unknown.Write(s));
  CGameEventMessage unknownEvent(11);
  CBitStream e;
  EXPECT_FALSE(unknownEvent.Write(e));

  // A world state cut short after its first words.
  CGameMessage world(GSK_WORLD_STATE);
  CBitStream full;
  ASSERT_TRUE(world.Write(full));
  std::uint8_t bytes[400];
  std::uint32_t bits = 0, count = 0;
  ASSERT_TRUE(full.Begin(CBitStream::MODE_READ));
  ASSERT_TRUE(full.ExportBytes(bytes, sizeof bytes, &bits, &count));
  full.End();
  CBitStream cut;
  ASSERT_TRUE(cut.Begin(CBitStream::MODE_WRITE));
  ASSERT_TRUE(cut.ImportBytes(bytes, count, 200));
  cut.End();
  CGameMessage back;
  std::uint32_t type = 0;
  EXPECT_FALSE(ReadBack(cut, &back, &type));
}

TEST(GameMessages, RecordsKeepTheirLayouts) {
  MPSettings settings;
  settings.Defaults();
  std::strcpy(settings.sessionName, "Arena");
  settings.requestedState = 7;
  settings.seed = 0x01020304;
  const auto bytes = settings.ToBytes();
  EXPECT_EQ(bytes.size(), 92u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[4])), "Player");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[25])), "Arena");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[46])), "MP_Mission1.dll");
  EXPECT_EQ(bytes[73], 8);   // maximum players
  EXPECT_EQ(bytes[76], 1);   // defending side
  EXPECT_EQ(bytes[84], 7);   // requested state
  EXPECT_EQ(bytes[88], 4);   // seed, low byte first

  MPPlayerRecord r;
  r.Empty("Rook");
  r.deaths = 3;
  ByteWriter out;
  r.Write(out);
  ASSERT_EQ(out.Size(), 52u);
  EXPECT_EQ(out.Data()[0], 52);
  EXPECT_EQ(out.Data()[25], 3);   // team: empty slot
  EXPECT_EQ(out.Data()[32], 3);   // deaths
  EXPECT_EQ(out.Data()[49], 255); // pending character

  ByteWriter summary;
  PlayerSummary::Of(r).Write(summary);
  EXPECT_EQ(summary.Size(), 44u);

  MPWorldBlock w;
  w.seats[7].inVehicle = 1;
  w.seats[7].vehicle = 0x0102;
  w.queues[0][4] = 1;
  w.destroyedList0 = 0xFFu;
  ByteWriter block;
  w.Write(block);
  ASSERT_EQ(block.Size(), 284u);
  EXPECT_EQ(block.Data()[64], 1);
  EXPECT_EQ(block.Data()[66], 0x02);
  EXPECT_EQ(block.Data()[68 + 4], 1);
  EXPECT_EQ(block.Data()[272], 0xFF);
}

TEST(GameMessages, ReceivedSettingsKeepOnlyValuesInRange) {
  MPSettings local;
  local.Defaults();
  MPSettings hostile;
  hostile.Defaults();
  std::memset(hostile.sessionName, 'x', sizeof hostile.sessionName);  // no terminator
  std::memset(hostile.hostName, 'y', sizeof hostile.hostName);
  hostile.levelIndex = 9;
  hostile.maxPlayers = 40;
  hostile.missionType = 7;
  hostile.attackers = 4;
  hostile.defenders = 2;
  hostile.timeOption = 5;
  hostile.respawn = 0;
  // Read from bytes, as it arrives.
  const auto bytes = hostile.ToBytes();
  std::array<std::uint8_t, 92> raw = bytes;
  for (int i = 25; i < 46; ++i) raw[i] = 'x';
  ByteReader in(raw.data(), raw.size());
  MPSettings received;
  ASSERT_TRUE(received.Read(in));
  EXPECT_EQ(local.ApplyReceived(received), 5);
  EXPECT_EQ(std::strlen(local.sessionName), 20u);
  EXPECT_EQ(std::strlen(local.hostName), 19u);
  EXPECT_EQ(local.levelIndex, 0);
  EXPECT_STREQ(local.levelName, "MP_Mission1.dll");
  EXPECT_EQ(local.maxPlayers, 8);
  EXPECT_EQ(local.missionType, 0);
  EXPECT_EQ(local.attackers, 0);
  EXPECT_EQ(local.timeOption, 1);
  EXPECT_EQ(local.defenders, 2);  // in range: taken
  EXPECT_EQ(local.respawn, 0);
}

}  // namespace
