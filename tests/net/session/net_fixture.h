// What the network library's tests share: the game's callbacks as
// recorders, messages of random fields that check themselves, and a
// bounded pump of the sessions' frames.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <limits>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "net/bits/bit_stream.h"
#include "net/queues/net_message_record.h"
#include "net/session/net_callback_table.h"
#include "net/session/net_session.h"
#include "net/session/player_table.h"
#include "platform/dplay8/dplay8_counters.h"

inline const GUID kNetTestApplication = {0x4E455454, 0x4841, 0x4C42, {0x45, 0x52, 0x44, 0x54, 0x45, 0x53, 0x54, 0x31}};

// Game message type of the tests' messages.
constexpr std::uint32_t kTestMessageType = 20;
// The host's acknowledgement of the messages it has checked.
constexpr std::uint32_t kTestAckType = 21;

// The fields of test message `sequence` of stream `seed`: widths 1 to 32,
// random values, all derived from the two numbers.
struct TestField {
  std::uint32_t value, bits;
};
inline std::vector<TestField> TestFields(std::uint32_t seed, std::uint32_t sequence) {
  std::mt19937 random(seed * 7919u + sequence);
  std::vector<TestField> fields(1 + random() % 12);
  for (TestField& f : fields) {
    f.bits = 1 + random() % 32;
    f.value = static_cast<std::uint32_t>(random()) & (f.bits == 32 ? 0xFFFFFFFFu : (1u << f.bits) - 1u);
  }
  return fields;
}

// An outgoing record of test message `sequence`.
inline NetMessageRecord TestMessage(std::uint32_t seed, std::uint32_t sequence, std::uint32_t peer,
                                    std::uint32_t guaranteed, std::uint32_t loopback = 1) {
  CBitStream s;
  s.Begin(CBitStream::MODE_WRITE);
  s.WriteBits(0, 1);
  s.WriteBits(kTestMessageType, 5);
  s.WriteBits(sequence, 32);
  for (const TestField& f : TestFields(seed, sequence)) s.WriteBits(f.value, f.bits);
  s.End();
  NetMessageRecord r;
  r.Blank();
  r.kind = NetMessageRecord::kKindOutgoing;
  r.type = kTestMessageType;
  r.guaranteed = guaranteed;
  r.loopback = loopback;
  r.peer = peer;
  r.SetPayload(s);
  return r;
}

inline NetMessageRecord AckMessage(std::uint32_t count, std::uint32_t peer) {
  CBitStream s;
  s.Begin(CBitStream::MODE_WRITE);
  s.WriteBits(0, 1);
  s.WriteBits(kTestAckType, 5);
  s.WriteBits(count, 32);
  s.End();
  NetMessageRecord r;
  r.Blank();
  r.kind = NetMessageRecord::kKindOutgoing;
  r.type = kTestAckType;
  r.guaranteed = 1;
  r.loopback = 0;
  r.peer = peer;
  r.SetPayload(s);
  return r;
}

// One message read by a game-message callback.
struct ReceivedMessage {
  std::uint32_t sender = 0;
  std::uint32_t type = 0;
  std::uint32_t sequence = 0;
  bool intact = false;  // every field as its sequence says
};

// Reads one test or acknowledgement message from the stream (after its flag bit).
inline int ReadTestMessage(std::uint32_t seed, NetMessageRecord* record, CBitStream* stream, ReceivedMessage* out) {
  out->sender = record->peer;
  if (!stream->ReadBits(&out->type, 5) || !stream->ReadBits(&out->sequence, 32)) return -1;
  if (out->type == kTestAckType) {
    out->intact = true;
    return 0;
  }
  if (out->type != kTestMessageType) return -1;
  out->intact = true;
  for (const TestField& f : TestFields(seed, out->sequence)) {
    std::uint32_t v = 0;
    if (!stream->ReadBits(&v, f.bits)) return -1;
    if (v != f.value) out->intact = false;
  }
  return 0;
}

// The game's side of the callbacks, recording what the library hands over.
struct GameRecorder {
  std::mutex mutex;
  std::uint32_t seed = 1;
  std::atomic<int> refuseConnections{0};
  std::vector<std::uint8_t> enumResponse;
  std::vector<PlayerSlot> created;
  std::vector<int> destroyed;
  std::vector<ReceivedMessage> atHost;
  std::vector<ReceivedMessage> atClient;
  struct Found {
    int index;
    std::vector<std::uint8_t> data;
  };
  std::vector<Found> found;
  std::vector<HRESULT> connectResults;
  std::vector<DWORD> endings;

  void Clear() {
    std::lock_guard<std::mutex> hold(mutex);
    refuseConnections = 0;
    enumResponse.clear();
    created.clear();
    destroyed.clear();
    atHost.clear();
    atClient.clear();
    found.clear();
    connectResults.clear();
    endings.clear();
  }
  template <typename T>
  std::vector<T> Copy(const std::vector<T>& v) {
    std::lock_guard<std::mutex> hold(mutex);
    return v;
  }
  template <typename T>
  std::size_t Size(const std::vector<T>& v) {
    std::lock_guard<std::mutex> hold(mutex);
    return v.size();
  }
};

// The one recorder the callbacks write to (the callback table is process-wide).
GameRecorder& Game();
// Registers the recorder's callbacks (ids 0, 1, 2, 4, 5, 6, 8, 10, 11).
void RegisterGameCallbacks();

// Runs frames of the sessions (update, dispatch, flush) until `done` holds;
// false after `frames` frames or `ms` milliseconds. By default only the time
// bounds the wait: an idle frame costs microseconds, so a frame count would run
// out long before the network answered on a loaded machine.
bool PumpUntil(const std::vector<CNetSession*>& sessions, const std::function<bool()>& done,
               int frames = std::numeric_limits<int>::max(), int ms = 10000);
