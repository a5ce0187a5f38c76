#include "world/effects/particle_emitters.h"

#include <cmath>
#include <string>

#include "effects_fixture.h"
#include "world/objects/hlo_test_world_fixture.h"
#include "foundation/byte_reader.h"
#include "world/effects/particle_pool.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_text_cursor.h"

namespace effects_test {
namespace {

// A version-53 record: countdown, position, type, velocities, size, targets,
// rate, region, lifetimes, running time, delays, instance, flags, name, colour.
std::string Record(int type, const char* instance = "-NULL_OBJECT-", const char* delays = "0.5 1.0",
                   int flags = 0x1) {
  return "* 0.25 10 20 30 " + std::to_string(type) + " -1 2 -3 1 4 3 150 200 300 12.5 0 500 900 0 " + delays +
         " " + instance + " " + std::to_string(flags) + " \"smoke\" 0.5 0.25 0.125 0.75\r\n";
}

class EmittersTest : public EffectsTest {
 protected:
  void SetUp() override {
    EffectsTest::SetUp();
    pool_ = std::make_unique<CParticlePool>(g_ParticleTypes, 50000, &clock_);
    ASSERT_TRUE(pool_->CreatePools(buffer_.get()));
    g_ParticlePool = pool_.get();
    g_EffectsHooks.ViewCount = 1;
    g_EffectsHooks.ViewPositions[0] = CVector3{0, 0, 0};
    g_EffectsHooks.FogEnd = 1000.0f;
  }
  void TearDown() override {
    g_ParticlePool = nullptr;
    EffectsTest::TearDown();
  }
  bool Read(const std::string& text, int version = 53) {
    EnvTextCursor cursor(text.c_str());
    const bool ok = list_.ReadSection(cursor, version, env_);
    rest_.clear();
    char token[64];
    if (cursor.Token(token)) rest_ = token;
    return ok;
  }
  int Loaded() {
    int n = 0;
    for (int i = 0; i < list_.GetCount(); ++i)
      if (list_.Get(i)->Flags & PEF_FROM_LEVEL) ++n;
    return n;
  }
  int AliveParticles() { return pool_->GetLiveCount(); }

  std::unique_ptr<CParticlePool> pool_;
  CParticleEmitterList list_;
  std::string rest_;  // the token after the section
};

TEST_F(EmittersTest, SectionReadsRecordsAndWritesThemBack) {
  ASSERT_TRUE(Read("<EMIT>\r\n" + Record(6) + Record(9, "-NULL_OBJECT-", "0.3 0.6", 0x13) + "</EMIT>\r\nNEXT"));
  EXPECT_EQ(rest_, "NEXT");
  ASSERT_EQ(Loaded(), 2);
  const ParticleEmitter& e = *list_.Get(0);
  EXPECT_EQ(e.Type, 6);
  EXPECT_FLOAT_EQ(e.Countdown, 0.25f);
  EXPECT_FLOAT_EQ(e.Position.y, 20.0f);
  EXPECT_FLOAT_EQ(e.MinVelocity.z, -3.0f);
  EXPECT_FLOAT_EQ(e.MaxVelocity.y, 4.0f);
  EXPECT_FLOAT_EQ(e.MinTargetSize, 200.0f);
  EXPECT_FLOAT_EQ(e.MaxTargetSize, 300.0f);
  EXPECT_FLOAT_EQ(e.SizeRate, 12.5f);
  EXPECT_FLOAT_EQ(e.MaxLifetime, 900.0f);
  EXPECT_FLOAT_EQ(e.Colour[3], 0.75f);
  EXPECT_STREQ(e.Name, "smoke");
  EXPECT_EQ(e.Flags, PEF_RUNNING | PEF_RUNNING_AT_START | PEF_FROM_LEVEL);
  EXPECT_EQ(list_.Get(1)->Flags, 0x13u | PEF_RUNNING_AT_START | PEF_FROM_LEVEL);

  std::string written;
  list_.WriteSection(&written);
  CParticleEmitterList again;
  EnvTextCursor cursor(written.c_str());
  ASSERT_TRUE(again.ReadSection(cursor, 53, nullptr));
  for (int i = 0; i < 2; ++i) {
    const ParticleEmitter& a = *list_.Get(i);
    const ParticleEmitter& b = *again.Get(i);
    EXPECT_EQ(a.Type, b.Type);
    EXPECT_EQ(a.Flags, b.Flags);
    EXPECT_FLOAT_EQ(a.InitialCountdown, b.InitialCountdown);
    EXPECT_FLOAT_EQ(a.MaxDelay, b.MaxDelay);
    EXPECT_FLOAT_EQ(a.SizeRate, b.SizeRate);
    EXPECT_FLOAT_EQ(a.Colour[1], b.Colour[1]);
    EXPECT_FLOAT_EQ(a.Position.z, b.Position.z);
  }
}

TEST_F(EmittersTest, OlderVersionsTakeTheTypesRateAndEarlierOnesHaveNoSection) {
  const std::string old = "* 0.25 10 20 30 6 -1 2 -3 1 4 3 150 200 300 500 900 0 0.5 1.0 -NULL_OBJECT- 1 \"s\" 1 1 1 1";
  ASSERT_TRUE(Read("<EMIT> " + old + " </EMIT>", 52));
  EXPECT_FLOAT_EQ(list_.Get(0)->SizeRate, g_ParticleTypes[6].SizeRate);
  EXPECT_FLOAT_EQ(list_.Get(0)->MaxDelay, 1.0f);
  CParticleEmitterList none;
  EnvTextCursor cursor("<EMIT> </EMIT>");
  EXPECT_TRUE(none.ReadSection(cursor, 37, nullptr));
  EXPECT_EQ(cursor.Offset(), 0u);
}

TEST_F(EmittersTest, TooSmallDelaysAreRaised) {
  ASSERT_TRUE(Read("<EMIT> " + Record(6, "-NULL_OBJECT-", "0.1 0.15") + Record(6, "-NULL_OBJECT-", "0.1 0.5") +
                   "</EMIT>"));
  EXPECT_FLOAT_EQ(list_.Get(0)->MinDelay, 0.2f);
  EXPECT_FLOAT_EQ(list_.Get(0)->MaxDelay, 0.2f);
  EXPECT_FLOAT_EQ(list_.Get(1)->MinDelay, 0.2f);
  EXPECT_FLOAT_EQ(list_.Get(1)->MaxDelay, 0.5f);
}

TEST_F(EmittersTest, DamagedRecordsAreSkippedWholeAndTheSectionStillEnds) {
  CEnvInstance* crate = Place("Crate01", NewBoxTemplate("crate", 50.0f), CVector3{0, 0, 0});
  ASSERT_NE(crate, nullptr);
  struct Case {
    const char* what;
    std::string bad;
  };
  const Case cases[] = {
      {"type past the table", Record(19)},
      {"negative type", Record(-2)},
      {"missing instance", Record(6, "NoSuchCrate")},
      {"word for a number", "* 0.25 10 twenty 30 6 -1 2 -3 1 4 3 150 200 300 12.5 0 500 900 0 0.5 1 "
                            "-NULL_OBJECT- 1 \"x\" 1 1 1 1\r\n"},
      {"record cut short", "* 0.25 10 20 30 6 -1 2\r\n"},
      {"stray words", "garbage words here\r\n"},
  };
  for (const Case& c : cases) {
    list_.ResetAll();
    ASSERT_TRUE(Read("<EMIT>\r\n" + Record(6) + c.bad + Record(9, "Crate01") + "</EMIT>\r\nNEXT")) << c.what;
    EXPECT_EQ(rest_, "NEXT") << c.what;
    EXPECT_EQ(Loaded(), 2) << c.what;
    EXPECT_EQ(list_.Get(1)->Type, 9) << c.what;
    EXPECT_EQ(list_.Get(1)->Instance, crate) << c.what;
    EXPECT_EQ(list_.GetSkippedRecords(), 1) << c.what;
  }
  EXPECT_FALSE(Read("<EMI> " + Record(6) + "</EMIT>"));
  list_.ResetAll();
  EXPECT_FALSE(Read("<EMIT> " + Record(6) + Record(7)));  // no end: what was whole is kept
  EXPECT_EQ(Loaded(), 2);
}

TEST_F(EmittersTest, MoreRecordsThanTheListAreReadPast) {
  std::string text = "<EMIT> ";
  for (int i = 0; i < 45; ++i) text += Record(i % 19);
  ASSERT_TRUE(Read(text + "</EMIT> NEXT")) << list_.GetSkippedRecords();
  EXPECT_EQ(rest_, "NEXT");
  EXPECT_EQ(Loaded(), 40);
  EXPECT_EQ(list_.Get(39)->Type, 39 % 19);
}

TEST_F(EmittersTest, FarEmitterStaysDueAndEmitsWhenAViewComesNear) {
  ParticleEmitter* e = list_.FindFree();
  ASSERT_NE(e, nullptr);
  e->Type = 9;
  e->Position = CVector3{5000, 0, 0};  // 1183 units is the reach (√1.4 × 1000)
  e->MinDelay = e->MaxDelay = 0.5f;
  e->MinLifetime = e->MaxLifetime = 300.0f;
  for (int i = 0; i < 5; ++i) {
    Step(100);
    list_.Update();
  }
  EXPECT_EQ(AliveParticles(), 0);
  EXPECT_LT(e->Countdown, 0.0f);
  g_EffectsHooks.ViewPositions[0] = CVector3{4000, 0, 0};
  Step(10);
  list_.Update();
  EXPECT_EQ(AliveParticles(), 1);
  EXPECT_FLOAT_EQ(e->Countdown, 0.5f);
  const CParticle* p = pool_->GetParticle(0);
  EXPECT_EQ(p->Lifetime, 300u);
  EXPECT_NE(p->Flags & PF_MOVING, 0u);
  EXPECT_EQ(p->Flags & PF_GROWING, 0u);
}

TEST_F(EmittersTest, LimitedEmitterWithNoRunningTimeEmitsOnceThenStops) {
  ParticleEmitter* e = list_.FindFree();
  e->Type = 9;
  e->Flags |= PEF_LIMITED;
  e->RunningTime = e->RunningTimeLeft = 0.0f;
  e->MinDelay = e->MaxDelay = 0.01f;
  Step(20);
  list_.Update();
  EXPECT_EQ(AliveParticles(), 1);
  Step(20);
  list_.Update();
  EXPECT_EQ(e->Flags & PEF_RUNNING, 0u);
  EXPECT_EQ(AliveParticles(), 1);
  EXPECT_TRUE(list_.Restart(0));
  EXPECT_NE(e->Flags & PEF_RUNNING, 0u);
  EXPECT_FALSE(list_.Restart(40));
}

TEST_F(EmittersTest, ParticlesTakeVelocityColourAndTargetSizeFromTheEmitter) {
  ParticleEmitter* e = list_.FindFree();
  e->Type = 6;
  e->MinVelocity = CVector3{10, 20, 30};
  e->MaxVelocity = CVector3{10, 20, 30};
  e->Size = 200.0f;
  e->MinTargetSize = e->MaxTargetSize = 600.0f;
  e->MinLifetime = e->MaxLifetime = 2000.0f;
  e->Colour[0] = 1.0f;
  e->Colour[1] = 0.5f;
  e->Colour[2] = 0.0f;
  e->Colour[3] = 0.25f;
  e->Flags |= PEF_COLOURED | PEF_TARGET_SIZE | PEF_RATE_FROM_LIFETIME;
  Step(10);
  list_.Update();
  const CParticle* p = pool_->GetParticle(0);
  EXPECT_FLOAT_EQ(p->Velocity.y, 20.0f);
  EXPECT_EQ(p->Colour, 0x3FFF7F00u);
  EXPECT_NE(p->Flags & PF_COLOURED, 0u);
  EXPECT_FLOAT_EQ(p->Size, 200.0f);
  EXPECT_FLOAT_EQ(p->TargetSize, 600.0f);
  EXPECT_FLOAT_EQ(p->SizeRate, 200.0f);  // (600 - 200) × 1000 / 2000
}

TEST_F(EmittersTest, AnObjectStandingOnTheEmitterBlowsItsParticlesSideways) {
  TestWorld world;
  TestObject tank(TestRecord(HLO_VEHICLE, 0, 0, 1, true, 300.0f));
  const CVector3 at = tank.GetPosition();
  ParticleEmitter* e = list_.FindFree();
  e->Type = 9;
  e->MinVelocity = e->MaxVelocity = CVector3{10, 20, 30};
  e->Position = CVector3{at.x, at.y - 50.0f, at.z};
  ParticleEmitter* far = list_.FindFree();
  far->Position = CVector3{at.x + 500.0f, at.y - 50.0f, at.z};
  list_.Disturb(&tank, 100.0f);
  EXPECT_EQ(e->DisturbingObject, &tank);
  EXPECT_EQ(far->DisturbingObject, nullptr);
  // Exactly on it: closeness 1, no rise and six times the sideways speed.
  e->Position = at;
  Step(10);
  list_.Update();
  const CParticle* p = pool_->GetParticle(0);
  EXPECT_FLOAT_EQ(p->Velocity.x, 60.0f);
  EXPECT_FLOAT_EQ(p->Velocity.y, 0.0f);
  EXPECT_FLOAT_EQ(p->Velocity.z, 180.0f);
  // Once the object has gone out of reach the emitter forgets it.
  e->Position = CVector3{at.x + 400.0f, at.y, at.z};
  e->Countdown = -1.0f;
  Step(10);
  list_.Update();
  EXPECT_EQ(e->DisturbingObject, nullptr);
  EXPECT_FLOAT_EQ(pool_->GetParticle(2)->Velocity.y, 20.0f);
}

TEST_F(EmittersTest, SavedStatesRestoreTheLevelEmitters) {
  ASSERT_TRUE(Read("<EMIT> " + Record(6) + Record(7, "-NULL_OBJECT-", "0.5 1", 0) + "</EMIT>"));
  list_.Get(1)->Flags |= PEF_RUNNING;
  list_.Get(1)->RunningTimeLeft = 7.0f;
  ParticleEmitter* runtime = list_.FindFree();  // not from the level: not saved
  ASSERT_EQ(runtime, list_.Get(2));
  list_.Get(0)->Countdown = 0.125f;
  list_.Get(0)->Flags &= ~PEF_RUNNING;
  ByteWriter out;
  list_.SaveStates(out, 40);
  EXPECT_EQ(out.Size(), 40u * kEmitterStateBytes);

  CParticleEmitterList copy;
  const std::string section = "<EMIT> " + Record(6) + Record(7, "-NULL_OBJECT-", "0.5 1", 0) + "</EMIT>";
  EnvTextCursor cursor(section.c_str());
  ASSERT_TRUE(copy.ReadSection(cursor, 53, nullptr));
  ByteReader in(out.Data().data(), out.Size());
  ASSERT_TRUE(copy.LoadStates(in, 40));
  EXPECT_FLOAT_EQ(copy.Get(0)->Countdown, 0.125f);
  EXPECT_EQ(copy.Get(0)->Flags & PEF_RUNNING, 0u);
  EXPECT_NE(copy.Get(1)->Flags & PEF_RUNNING, 0u);
  EXPECT_FLOAT_EQ(copy.Get(1)->RunningTimeLeft, 7.0f);
  EXPECT_EQ(copy.Get(2)->Flags, 0u);

  // A record naming no slot is skipped; a cut buffer is reported.
  out.PatchU32(0, 5000);
  ByteReader again(out.Data().data(), out.Size());
  EXPECT_TRUE(copy.LoadStates(again, 40));
  EXPECT_NE(copy.Get(0)->Flags & PEF_RUNNING, 0u);  // back to its level-start state
  ByteReader cut(out.Data().data(), 20);
  EXPECT_FALSE(copy.LoadStates(cut, 40));
}

}  // namespace
}  // namespace effects_test
