// The item respawn queues: timing of a respawn, what reaches the client, the
// full ring, the state block of a joining player, and hostile indices.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

#include "mp_fixture.h"
#include "net/mp/mp_queues.h"

namespace {

struct FakeItem {
  float position[3] = {0, 0, 0};
  bool active = true;
  int ref = 0;
  int quantity = 0;
  bool weapon = false;
};

// Each machine has its own world: its own items, listed in the same order.
std::map<CMultiplayer*, std::vector<FakeItem>> g_items;
std::vector<std::pair<int, bool>> g_markers;

FakeItem* Item(void* p) { return static_cast<FakeItem*>(p); }

void InstallItemOps() {
  MPItemOps& ops = MPItems();
  ops.deactivate = [](void* i) { Item(i)->active = false; };
  ops.activate = [](void* i) { Item(i)->active = true; };
  ops.placeAt = [](void* i, const float* p) { std::memcpy(Item(i)->position, p, sizeof(float) * 3); };
  ops.queueRef = [](void* i) { return Item(i)->ref; };
  ops.setQueueRef = [](void* i, int id) { Item(i)->ref = id; };
  ops.isWeapon = [](void* i) { return Item(i)->weapon; };
  ops.setInitialQuantity = [](void* i, int q) { Item(i)->quantity = q; };
  ops.showMarker = [](int marker, bool show) { g_markers.push_back({marker, show}); };
  MPHooks().buildReplicationLists = [](CReplicationLists& lists) {
    auto& items = g_items[MPCurrent()];
    items.assign(24, FakeItem{});
    for (FakeItem& i : items) lists.Add(5, &i);
  };
}

class MPQueues : public ::testing::Test {
 protected:
  void SetUp() override {
    g_items.clear();
    g_markers.clear();
  }
  void TearDown() override { MPResetItemOps(); }
};

TEST_F(MPQueues, APointEmptiedAtTGetsItsItemInTheFirstFrameAfterTPlus30sOnHostAndClient) {
  MPTestSession t;
  InstallItemOps();
  ASSERT_TRUE(t.StartHost());
  CMultiplayer* client = t.NewClient();
  ASSERT_EQ(t.Join(client), 0);
  ASSERT_TRUE(t.ReachRound());
  ASSERT_TRUE(t.RunUntil([&] { return t.host.IsNetworkGame() && client->IsNetworkGame(); }));
  const float spot[3] = {120, 5, -300};
  for (CMultiplayer* m : {&t.host, client}) {
    CMultiplayer::Scope scope(m);
    MPInterfaceQueue(1)->Reset();
    MPInterfaceQueue(1)->active_ = 1;
    MPInterfaceQueue(1)->AddEntry(spot, 7);
  }
  FakeItem* hostItem = &g_items[&t.host][3];
  CMultiplayer::Scope hostScope(&t.host);
  CMPInterfaceQueue* queue = MPInterfaceQueue(1);
  hostItem->weapon = true;
  ASSERT_TRUE(queue->PushObject(hostItem));
  EXPECT_FALSE(hostItem->active);
  EXPECT_EQ(hostItem->ref, 1);
  EXPECT_EQ(hostItem->quantity, 3);
  EXPECT_FALSE(queue->PushObject(hostItem));  // already waiting
  EXPECT_EQ(queue->count_, 1u);

  const std::uint32_t emptied = queue->points_[0].time;
  t.Frame(0);
  AdvanceClock(emptied + 30000 - static_cast<std::uint32_t>(t.host.GetSessionTime()));
  t.Frame(0);
  ASSERT_EQ(static_cast<std::uint32_t>(t.host.GetSessionTime()), emptied + 30000);
  queue->Update();
  EXPECT_EQ(queue->points_[0].item, nullptr);
  AdvanceClock(1);
  t.Frame(0);
  queue->Update();
  ASSERT_EQ(queue->points_[0].item, hostItem);
  EXPECT_TRUE(hostItem->active);
  EXPECT_FLOAT_EQ(hostItem->position[2], -300.0f);
  // The client places the same item (its own copy, by replication index) on the same point.
  FakeItem* clientItem = &g_items[client][3];
  clientItem->active = false;
  ASSERT_TRUE(t.RunUntil([&] { return clientItem->active; }));
  EXPECT_FLOAT_EQ(clientItem->position[0], 120.0f);
  {
    CMultiplayer::Scope scope(client);
    EXPECT_EQ(MPInterfaceQueue(1)->points_[0].item, clientItem);
    // The client does not decide respawns itself.
    FakeItem* another = &g_items[client][4];
    EXPECT_FALSE(MPInterfaceQueue(1)->PushObject(another));
    EXPECT_EQ(MPInterfaceQueue(1)->count_, 0u);
  }
  // Picked up: the point is empty again from now on.
  EXPECT_EQ(queue->RemoveObject(hostItem), 0);
  EXPECT_EQ(queue->points_[0].item, nullptr);
  EXPECT_EQ(g_markers.back(), (std::pair<int, bool>{7, false}));
  FakeItem stray;
  EXPECT_EQ(queue->RemoveObject(&stray), -1);
}

TEST_F(MPQueues, TheRingRefusesATwentyFirstItemAndTwoDuePointsTakeItemsInOrder) {
  CMultiplayer m;
  InstallItemOps();
  CMultiplayer::Scope scope(&m);
  std::vector<FakeItem> items(21);
  CMPInterfaceQueue& q = m.queues_[1];
  q.Reset();
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(q.PushObject(&items[i])) << i;
  EXPECT_FALSE(q.PushObject(&items[20]));
  EXPECT_TRUE(items[20].active);  // refused: left as it was
  EXPECT_EQ(items[20].ref, 0);
  EXPECT_EQ(q.count_, 20u);
  // Oldest first, wrapping.
  EXPECT_EQ(q.PopObject(), &items[0]);
  ASSERT_TRUE(q.PushObject(&items[20]));
  for (int i = 1; i < 20; ++i) EXPECT_EQ(q.PopObject(), &items[i]);
  EXPECT_EQ(q.PopObject(), &items[20]);
  EXPECT_EQ(q.PopObject(), nullptr);

  // Eleven points: the eleventh is ignored.
  const float p[3] = {1, 2, 3};
  for (int i = 0; i < 10; ++i) EXPECT_TRUE(q.AddEntry(p, -1));
  EXPECT_FALSE(q.AddEntry(p, -1));
  // Without a session the clock is 0 and every point's time is 0: make two due.
  q.timeout_ = 0;
  q.points_[0].time = q.points_[1].time = static_cast<std::uint32_t>(-5);
  for (int i = 2; i < 10; ++i) q.points_[i].item = &items[0];
  q.active_ = 1;
  ASSERT_TRUE(q.PushObject(&items[5]));
  q.Update();
  EXPECT_EQ(q.points_[0].item, &items[5]);
  EXPECT_EQ(q.points_[1].item, nullptr);
}

TEST_F(MPQueues, TheStateBlockRoundTripsToAJoiningPlayer) {
  MPTestSession t;
  InstallItemOps();
  ASSERT_TRUE(t.StartHost());
  CMultiplayer* client = t.NewClient();
  ASSERT_EQ(t.Join(client), 0);
  ASSERT_TRUE(t.ReachRound());
  const float a[3] = {10, 0, 0}, b[3] = {20, 0, 0};
  for (CMultiplayer* m : {&t.host, client}) {
    CMultiplayer::Scope scope(m);
    MPInterfaceQueue(3)->Reset();
    MPInterfaceQueue(3)->AddEntry(a, -1);
    MPInterfaceQueue(3)->AddEntry(b, -1);
  }
  std::uint8_t block[CMPInterfaceQueue::kBlockSize];
  {
    CMultiplayer::Scope scope(&t.host);
    CMPInterfaceQueue* q = MPInterfaceQueue(3);
    auto& items = g_items[&t.host];
    q->PushObject(&items[9]);
    q->PushObject(&items[2]);
    q->PushObject(&items[17]);
    q->PopObject();  // the read index moves on
    q->points_[1].item = &items[11];
    q->WriteState(block);
  }
  EXPECT_EQ(block[4], 1);
  EXPECT_EQ(block[6], 3);    // items[2]: index 2 + 1
  EXPECT_EQ(block[8], 18);   // items[17]
  EXPECT_EQ(block[10], 0);
  EXPECT_EQ(block[46], 0);   // point 0 empty
  EXPECT_EQ(block[48], 12);  // point 1: items[11]
  {
    CMultiplayer::Scope scope(client);
    CMPInterfaceQueue* q = MPInterfaceQueue(3);
    q->ReadState(block);
    auto& items = g_items[client];
    EXPECT_EQ(q->active_, 1u);
    ASSERT_EQ(q->count_, 2u);
    EXPECT_EQ(q->PopObject(), &items[2]);
    EXPECT_EQ(q->PopObject(), &items[17]);
    EXPECT_EQ(q->points_[1].item, &items[11]);
    EXPECT_EQ(items[11].ref, 3);
    EXPECT_FLOAT_EQ(items[11].position[0], 20.0f);
    EXPECT_EQ(q->points_[0].item, nullptr);
  }
  // Respawn messages with a queue id, point or item out of range are refused.
  struct Bad {
    std::uint32_t queue, point, item;
  };
  CMultiplayer::Scope scope(client);
  for (const Bad& bad : {Bad{0, 0, 1}, Bad{4, 0, 1}, Bad{3, 2, 1}, Bad{3, 255, 1}, Bad{3, 0, 4095}})
    EXPECT_FALSE(MPQueueOnRespawn(bad.queue, bad.point, bad.item)) << bad.queue << " " << bad.point;
  EXPECT_TRUE(MPQueueOnRespawn(3, 1, 4));
}

TEST_F(MPQueues, ReleasingASoldiersItemsPushesThemAndAsksTheMissionForFamilyTwo) {
  CMultiplayer m;
  InstallItemOps();
  CMultiplayer::Scope scope(&m);
  static std::vector<FakeItem> held(3);
  held.assign(3, FakeItem{});
  held[0].ref = 1;
  held[1].ref = 2;
  held[2].ref = 0;
  MPItems().soldierItems = [](int, void* items[25]) {
    for (int i = 0; i < 25; ++i) items[i] = i < 3 ? &held[i] : nullptr;
  };
  MPItems().soldierId = [](int slot) { return 40 + slot; };
  MPItems().dropItem = [](int, void*) {};
  static int answer = 0;
  static std::vector<std::int32_t> asked;
  asked.clear();
  MPHooks().raiseEvent = [](std::uint32_t code, std::int32_t* block, int) {
    if (code == 44) {
      asked.push_back(block[0]);
      block[1] = answer;
    }
    return 0;
  };
  for (int i = 0; i < 3; ++i) m.queues_[i].Reset();
  answer = 0;
  ReleaseSoldierItems(2);
  EXPECT_EQ(m.queues_[0].count_, 1u);
  EXPECT_EQ(m.queues_[1].count_, 0u);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], 42);
  answer = 1;
  ReleaseSoldierItems(2);
  EXPECT_EQ(m.queues_[0].count_, 1u);  // not twice
  EXPECT_EQ(m.queues_[1].count_, 1u);
  MPResetHooks();
}

}  // namespace
