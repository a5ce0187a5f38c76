// Dynamic instances that stand in a portal of their zone are seen from both
// zones, so they are registered in the global dynamic list.
#include <gtest/gtest.h>

#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/space/portal.h"
#include "world/space/zone_record.h"

TEST(EnvInstancePortals, ChildInAPortalGoesToTheGlobalListOthersToTheZone) {
  CEnvObject box;
  box.TemplateKind = OTYPE_ENV;
  box.Sphere.Radius = 10.0f;
  CEnvInstance root, inDoorway, inRoom;
  for (CEnvInstance* i : {&root, &inDoorway, &inRoom}) i->Construct(nullptr, {}, 0);
  root.Setup(0, &box, nullptr, {}, {}, 1);
  inDoorway.Setup(0, &box, nullptr, {}, {0, 0, 0}, 2);
  inRoom.Setup(0, &box, nullptr, {}, {500, 0, -300}, 3);
  inDoorway.StateBits |= INSTS_DYNAMIC;
  inRoom.StateBits |= INSTS_DYNAMIC;

  ZoneRecord zone;
  root.Zone = &zone;
  PortalPolygon square{{0, 0, 1, 0}, 4, {{-50, -50, 0}, {50, -50, 0}, {50, 50, 0}, {-50, 50, 0}}};
  Portal doorway;
  doorway.Init();
  doorway.Build(square, &root, nullptr, "door", 1, false);
  zone.Portals = &doorway;
  ASSERT_EQ(root.FindPortalAt({0, 0, 0}), &doorway);

  root.AttachChild(&inDoorway);
  root.AttachChild(&inRoom);
  EXPECT_TRUE(inDoorway.StateBits & INSTS_GLOBAL_DYNAMIC);
  EXPECT_EQ(g_GlobalDynamicInstances, &inDoorway);
  EXPECT_FALSE(inRoom.StateBits & INSTS_GLOBAL_DYNAMIC);
  EXPECT_EQ(zone.RegisteredInstances, &inRoom);

  inDoorway.Detach();
  inRoom.Detach();
  EXPECT_EQ(g_GlobalDynamicInstances, nullptr);
  EXPECT_EQ(zone.RegisteredInstances, nullptr);
  zone.Portals = nullptr;
  root.Zone = nullptr;
}
