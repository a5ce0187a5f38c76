// One frame's network messages packed and unpacked through the bit stream:
// eight soldier states (every field present), two player inputs and a
// session message, with the game's field widths.  The same fields go
// through Protocol Buffers in the same run; the ratio lines give the time
// and the size of ours against theirs (goal: faster, and at most 60% of
// the bytes).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "bench_timing.h"
#include "net/bits/bit_stream.h"

#ifdef HALBERD_BENCH_PROTOBUF
#include "net_bitstream.pb.h"
#endif

namespace {

struct SoldierState {
  std::uint32_t sequence, soldier, presence, booleans[4], movement, upperBody;
  float position[3], heading, rotation[3], health;
  std::uint32_t animMode, stance;
};
struct PlayerInput {
  std::uint32_t unit, control, stance, movement;
  float yaw, rotation[3];
  std::uint32_t aiming;
};
struct SessionState {
  std::uint32_t kind, fromClient, state, target;
};
struct FrameMessages {
  SoldierState soldiers[8];
  PlayerInput inputs[2];
  SessionState session;
};

FrameMessages MakeFrame() {
  FrameMessages f{};
  for (std::uint32_t i = 0; i < 8; ++i) {
    SoldierState& s = f.soldiers[i];
    s = SoldierState{i & 3, i, 0xFF, {1, 0, i == 3 ? 1u : 0u, 0}, 12 + i, 3, {1200.0f + 37 * i, -40.0f, 5310.0f - 11 * i},
                     123.4f + i, {1.5f, -2.5f, 10.0f}, 87.0f - i, 2, 1};
  }
  for (std::uint32_t i = 0; i < 2; ++i)
    f.inputs[i] = PlayerInput{i, 0x105, 1, 7, -171.3f + i, {3.1f, -20.4f, 0.5f}, i};
  f.session = SessionState{3, 1, 7, 3};
  return f;
}

// Writes the frame's messages as the game does; answers the bytes.
std::uint32_t Pack(const FrameMessages& f, CBitStream& s) {
  s.Reset();
  s.Begin(CBitStream::MODE_WRITE);
  for (const SoldierState& m : f.soldiers) {
    s.WriteBits(0, 1);
    s.WriteBits(17, 5);
    s.WriteBits(m.sequence, 2);
    s.WriteBits(m.soldier, 4);
    s.WriteBits(m.presence, 8);
    for (std::uint32_t b : m.booleans) s.WriteBits(b == 1 ? 1 : 0, 1);
    s.WriteBits(m.movement, 8);
    s.WriteBits(m.upperBody, 8);
    for (float p : m.position) s.WriteScaledFloat(p, 17, 1);
    s.WriteScaledFloat(m.heading, 13, 10);
    for (float r : m.rotation) s.WriteScaledFloat(r, 10, 10);
    s.WriteScaledFloat(m.health, 10, 1);
    s.WriteBits(m.animMode, 2);
    s.WriteBits(m.stance, 3);
  }
  for (const PlayerInput& m : f.inputs) {
    s.WriteBits(0, 1);
    s.WriteBits(25, 5);
    s.WriteBits(m.unit, 8);
    s.WriteBits(m.control, 12);
    s.WriteBits(m.stance, 5);
    s.WriteBits(m.movement, 8);
    s.WriteScaledFloat(m.yaw, 13, 10);
    for (float r : m.rotation) s.WriteScaledFloat(r, 10, 10);
    s.WriteBits(m.aiming == 1 ? 1 : 0, 1);
  }
  s.WriteBits(0, 1);
  s.WriteBits(27, 5);
  s.WriteBits(f.session.kind, 8);
  s.WriteBits(f.session.fromClient, 1);
  s.WriteBits(f.session.state, 4);
  s.WriteBits(f.session.target, 4);
  s.End();
  return s.GetByteCount();
}

// Reads them back in the writer's order; answers a checksum of the fields.
std::uint32_t Unpack(CBitStream& s, FrameMessages* f) {
  s.Begin(CBitStream::MODE_READ);
  std::uint32_t v = 0, sum = 0;
  for (SoldierState& m : f->soldiers) {
    s.ReadBits(&v, 1);
    s.ReadBits(&v, 5);
    s.ReadBits(&m.sequence, 2);
    s.ReadBits(&m.soldier, 4);
    s.ReadBits(&m.presence, 8);
    for (std::uint32_t& b : m.booleans) s.ReadBits(&b, 1);
    s.ReadBits(&m.movement, 8);
    s.ReadBits(&m.upperBody, 8);
    for (float& p : m.position) s.ReadScaledFloat(&p, 17, 1);
    s.ReadScaledFloat(&m.heading, 13, 10);
    for (float& r : m.rotation) s.ReadScaledFloat(&r, 10, 10);
    s.ReadUnsignedScaledFloat(&m.health, 10, 1);
    s.ReadBits(&m.animMode, 2);
    s.ReadBits(&m.stance, 3);
    sum += m.soldier + m.movement + static_cast<std::uint32_t>(m.position[0]);
  }
  for (PlayerInput& m : f->inputs) {
    s.ReadBits(&v, 1);
    s.ReadBits(&v, 5);
    s.ReadBits(&m.unit, 8);
    s.ReadBits(&m.control, 12);
    s.ReadBits(&m.stance, 5);
    s.ReadBits(&m.movement, 8);
    s.ReadScaledFloat(&m.yaw, 13, 10);
    for (float& r : m.rotation) s.ReadScaledFloat(&r, 10, 10);
    s.ReadBits(&m.aiming, 1);
    sum += m.control;
  }
  s.ReadBits(&v, 1);
  s.ReadBits(&v, 5);
  s.ReadBits(&f->session.kind, 8);
  s.ReadBits(&f->session.fromClient, 1);
  s.ReadBits(&f->session.state, 4);
  s.ReadBits(&f->session.target, 4);
  s.End();
  return sum + f->session.state;
}

std::uint32_t BitStreamRoundTrip(const FrameMessages& in, FrameMessages* out) {
  CBitStream s;
  const std::uint32_t bytes = Pack(in, s);
  return Unpack(s, out) + bytes;
}

#ifdef HALBERD_BENCH_PROTOBUF
std::int32_t Scaled(float v, float scale) { return static_cast<std::int32_t>(static_cast<double>(v) * scale); }

std::size_t ProtobufEncode(const FrameMessages& f, std::string* bytes) {
  halberd_bench::Frame frame;
  for (const SoldierState& m : f.soldiers) {
    halberd_bench::SoldierState* s = frame.add_soldiers();
    s->set_sequence(m.sequence);
    s->set_soldier(m.soldier);
    s->set_presence(m.presence);
    s->set_plugin_mark(m.booleans[0] == 1);
    s->set_face_item(m.booleans[1] == 1);
    s->set_killed(m.booleans[2] == 1);
    s->set_damage_block(m.booleans[3] == 1);
    s->set_movement(m.movement);
    s->set_upper_body(m.upperBody);
    s->set_x(Scaled(m.position[0], 1));
    s->set_y(Scaled(m.position[1], 1));
    s->set_z(Scaled(m.position[2], 1));
    s->set_heading(Scaled(m.heading, 10));
    s->set_rot_x(Scaled(m.rotation[0], 10));
    s->set_rot_y(Scaled(m.rotation[1], 10));
    s->set_rot_z(Scaled(m.rotation[2], 10));
    s->set_health(static_cast<std::uint32_t>(Scaled(m.health, 1)));
    s->set_anim_mode(m.animMode);
    s->set_stance(m.stance);
  }
  for (const PlayerInput& m : f.inputs) {
    halberd_bench::PlayerInput* p = frame.add_inputs();
    p->set_unit(m.unit);
    p->set_control(m.control);
    p->set_stance(m.stance);
    p->set_movement(m.movement);
    p->set_yaw(Scaled(m.yaw, 10));
    p->set_rot_x(Scaled(m.rotation[0], 10));
    p->set_rot_y(Scaled(m.rotation[1], 10));
    p->set_rot_z(Scaled(m.rotation[2], 10));
    p->set_aiming(m.aiming == 1);
  }
  frame.mutable_session()->set_kind(f.session.kind);
  frame.mutable_session()->set_from_client(f.session.fromClient == 1);
  frame.mutable_session()->set_state(f.session.state);
  frame.mutable_session()->set_target(f.session.target);
  frame.SerializeToString(bytes);
  return bytes->size();
}

std::uint32_t ProtobufDecode(const std::string& bytes, FrameMessages* f) {
  halberd_bench::Frame frame;
  frame.ParseFromString(bytes);
  std::uint32_t sum = 0;
  for (int i = 0; i < frame.soldiers_size() && i < 8; ++i) {
    const halberd_bench::SoldierState& s = frame.soldiers(i);
    SoldierState& m = f->soldiers[i];
    m.sequence = s.sequence();
    m.soldier = s.soldier();
    m.presence = s.presence();
    m.booleans[0] = s.plugin_mark();
    m.booleans[1] = s.face_item();
    m.booleans[2] = s.killed();
    m.booleans[3] = s.damage_block();
    m.movement = s.movement();
    m.upperBody = s.upper_body();
    m.position[0] = static_cast<float>(s.x());
    m.position[1] = static_cast<float>(s.y());
    m.position[2] = static_cast<float>(s.z());
    m.heading = static_cast<float>(s.heading()) / 10.0f;
    m.rotation[0] = static_cast<float>(s.rot_x()) / 10.0f;
    m.rotation[1] = static_cast<float>(s.rot_y()) / 10.0f;
    m.rotation[2] = static_cast<float>(s.rot_z()) / 10.0f;
    m.health = static_cast<float>(s.health());
    m.animMode = s.anim_mode();
    m.stance = s.stance();
    sum += m.soldier + m.movement + static_cast<std::uint32_t>(m.position[0]);
  }
  for (int i = 0; i < frame.inputs_size() && i < 2; ++i) {
    const halberd_bench::PlayerInput& p = frame.inputs(i);
    PlayerInput& m = f->inputs[i];
    m.unit = p.unit();
    m.control = p.control();
    m.stance = p.stance();
    m.movement = p.movement();
    m.yaw = static_cast<float>(p.yaw()) / 10.0f;
    m.rotation[0] = static_cast<float>(p.rot_x()) / 10.0f;
    m.rotation[1] = static_cast<float>(p.rot_y()) / 10.0f;
    m.rotation[2] = static_cast<float>(p.rot_z()) / 10.0f;
    m.aiming = p.aiming();
    sum += m.control;
  }
  f->session.kind = frame.session().kind();
  f->session.fromClient = frame.session().from_client();
  f->session.state = frame.session().state();
  f->session.target = frame.session().target();
  return sum + f->session.state;
}

std::uint32_t ProtobufRoundTrip(const FrameMessages& in, FrameMessages* out) {
  std::string bytes;
  const std::size_t size = ProtobufEncode(in, &bytes);
  return ProtobufDecode(bytes, out) + static_cast<std::uint32_t>(size);
}
#endif

const FrameMessages kFrame = MakeFrame();

void BM_BitStreamFrame(benchmark::State& state) {
  FrameMessages out{};
  for (auto _ : state) benchmark::DoNotOptimize(BitStreamRoundTrip(kFrame, &out));
}
BENCHMARK(BM_BitStreamFrame);

#ifdef HALBERD_BENCH_PROTOBUF
void BM_ProtobufFrame(benchmark::State& state) {
  FrameMessages out{};
  for (auto _ : state) benchmark::DoNotOptimize(ProtobufRoundTrip(kFrame, &out));
}
BENCHMARK(BM_ProtobufFrame);
#endif

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  constexpr int kFrames = 20000;
  FrameMessages out{};
  const double ours = bench::BestSeconds([&] {
    std::uint32_t sum = 0;
    for (int i = 0; i < kFrames; ++i) sum += BitStreamRoundTrip(kFrame, &out);
    return sum;
  }, 5);
  CBitStream s;
  const std::uint32_t ourBytes = Pack(kFrame, s);
  std::printf("bit stream: one frame (8 soldier states, 2 inputs, 1 session message) packed and unpacked in %.3f us, %u bytes\n",
              ours / kFrames * 1e6, ourBytes);
#ifdef HALBERD_BENCH_PROTOBUF
  const double theirs = bench::BestSeconds([&] {
    std::uint32_t sum = 0;
    for (int i = 0; i < kFrames; ++i) sum += ProtobufRoundTrip(kFrame, &out);
    return sum;
  }, 5);
  std::string bytes;
  const std::size_t theirBytes = ProtobufEncode(kFrame, &bytes);
  std::printf("Protocol Buffers: the same fields in %.3f us, %zu bytes\n", theirs / kFrames * 1e6, theirBytes);
  std::printf("ratio time (ours / Protocol Buffers): %.2f (goal below 1)\n", ours / theirs);
  std::printf("ratio size (ours / Protocol Buffers): %.2f (goal at most 0.60)\n",
              static_cast<double>(ourBytes) / static_cast<double>(theirBytes));
#else
  std::printf("Protocol Buffers not installed: no comparison (tools/install-deps.sh bench)\n");
#endif
  return 0;
}
