#include "world/environment/env_object.h"

#include <gtest/gtest.h>

TEST(EnvObject, InitClearsToTheNodeDefaults) {
  CEnvObject node;
  node.Flags = 0xFFFF;
  node.NodeIndex = 3;
  node.DetailCounts[0] = 1;
  node.Init(EnvLoadContext{});
  EXPECT_EQ(node.RecordSize, 448u);
  EXPECT_EQ(node.TemplateKind, -1);
  EXPECT_EQ(node.Flags, 0x30u);
  EXPECT_EQ(node.DetailCounts[0], 5);
  EXPECT_EQ(node.DetailCounts[1], 5);
  EXPECT_EQ(node.NodeIndex, -1);
  EXPECT_EQ(node.Mesh, nullptr);
}

TEST(EnvObject, ConnectorNamesAndEnabling) {
  CEnvObject node;
  struct Case {
    const char* name;
    bool connector;
  } cases[] = {{"gun_connector_primary", true}, {"CONNECTOR", true}, {"Connect", false}, {"", false}};
  for (const Case& c : cases) {
    node.MarkConnectorNode(c.name);
    EXPECT_EQ((node.Flags & EOF_CONNECTOR) != 0, c.connector) << c.name;
  }
  node.SetNodeEnabled(0);
  EXPECT_TRUE(node.Flags & EOF_DISABLED);
  node.SetNodeEnabled(7);
  EXPECT_FALSE(node.Flags & EOF_DISABLED);
}

TEST(EnvObject, NearestCornerOfTheNodeBox) {
  CEnvObject node;
  node.Bounds.Min = {0, 0, 0};
  node.Bounds.Max = {2, 4, 6};
  CVector3 corner;
  float d = 0;
  ASSERT_TRUE(node.NearestCorner({3, 5, -1}, &corner, &d));
  EXPECT_FLOAT_EQ(corner.x, 2);
  EXPECT_FLOAT_EQ(corner.y, 4);
  EXPECT_FLOAT_EQ(corner.z, 0);
  EXPECT_FLOAT_EQ(d, 3.0f);
}

TEST(EnvObject, AnimatedMeshKindsAnywhereInTheChain) {
  CEnvObject root, child;
  root.NextNode = &child;
  EXPECT_FALSE(root.HasAnimatedMesh());
  child.MeshKind = MESHKIND_SKINNED;
  EXPECT_TRUE(root.HasAnimatedMesh());
  child.MeshKind = MESHKIND_VERTEXANIM;
  EXPECT_FALSE(root.HasAnimatedMesh());
  root.NextNode = nullptr;
}

TEST(EnvObject, VisibilityScale) {
  EnvSetVisibilityScale(2.0f);
  EXPECT_FLOAT_EQ(EnvGetVisibilityScale(), 2.0f);
  EXPECT_FLOAT_EQ(EnvGetBaseVisibilityScale(), 2.0f);
  EnvSetCurrentVisibilityScale(-1.0f);
  EXPECT_FLOAT_EQ(EnvGetVisibilityScale(), 0.1f);
  EXPECT_FLOAT_EQ(EnvGetBaseVisibilityScale(), 2.0f);
  EnvSetVisibilityScale(1.0f);
}
