#include "world/environment/evo_fixture.h"

#include <cstring>

#include "render/textures/texture.h"

namespace evo_fixture {

BspTreePtr FloorTree(float size, std::uint16_t surface) {
  // Node (32 bytes), then its list: one 4-vertex polygon (20 + 48 bytes) and
  // the closing zero word, rounded up to 16 bytes.
  std::vector<std::uint8_t> block(32 + 80, 0);
  BspNode node{{0, 1, 0, 0}, 32, 0, 0, 0};
  std::memcpy(block.data(), &node, sizeof node);
  auto* polygon = reinterpret_cast<BspPolygon*>(block.data() + 32);
  polygon->VertexCount = 4;
  polygon->SurfaceId = surface;
  const float corners[4][3] = {{-size, 0, -size}, {-size, 0, size}, {size, 0, size}, {size, 0, -size}};
  for (unsigned k = 0; k < 4; ++k) std::memcpy(polygon->Vertex(k), corners[k], 12);
  ComputeBspPolygonBounds(polygon);
  return MakeBspTree(block.data(), block.size());
}

MeshPartSource FloorPart(std::uint32_t textureId, std::uint32_t materialId) {
  MeshPartSource part;
  part.TextureId = textureId;
  part.MaterialId = materialId;
  part.Vertices = {{-10, 0, -10, 0, 1, 0, 0xFF102030, 0.0f, 0.0f},
                   {10, 0, -10, 0.1f, 0.99f, 0, 0xFF405060, 1.0f, 0.0f},
                   {10, 0, 10, 0, 0.99f, 0.1f, 0xFF708090, 1.0f, 1.0f},
                   {-10, 0, 10, -0.1f, 0.99f, 0, 0xFFA0B0C0, 0.0f, 1.0f}};
  part.ListIndices = {0, 2, 1, 0, 3, 2};
  part.ClampU = part.ClampV = 1;
  return part;
}

std::vector<EvoNodeSource> TankTemplate(const BspNode* floor) {
  EvoNodeSource body;
  body.ObjectName = "TANK";
  body.NodeName = "Body";
  body.Type = OTYPE_TRANSFORMANIM;
  body.NodeIndex = 0;
  body.TemplateWords[3] = 3;
  body.TemplateWords[4] = 4;
  body.NamedValues = {{"BONE_HULL", 7}, {"BONE_TRACK", 9}};
  body.ShadowName = "TANK_SHADOW";
  body.ConnectorPoints = {{1, 2, 3}, {4, 5, 6}};
  body.ConnectorSlots[CONNECTOR_PRIMARY] = 1;
  body.ConnectorSlots[CONNECTOR_LADDER_TOP] = 0;
  body.Textures = {"hull.png", "tracks.png"};
  body.Materials = {EvoMaterialSource{}};
  body.Bounds = EvoMakeBounds({-10, 0, -10}, {10, 5, 10});
  body.Sphere = {{0, 2.5f, 0}, 15};
  body.WholeBounds = EvoMakeBounds({-10, 0, -10}, {10, 8, 10});
  body.WholeSphere = {{0, 4, 0}, 16};
  body.MeshParts = {FloorPart(ComputeTextureId("hull.png"), 0x77), FloorPart(ComputeTextureId("tracks.png"), 0x77)};
  body.BspEntries = {{0, floor}};
  body.HasTransforms = true;
  body.TransformWord = 42;
  Pose key{};
  key.translation = {1, 2, 3};
  key.scale = {1, 1, 1};
  key.rotation = {0, 0.70710678f, 0, 0.70710678f};
  body.TransformKeys = {key};

  EvoNodeSource turret;
  turret.ObjectName = "TANK";
  turret.NodeName = "Turret";
  turret.ParentName = "Body";
  turret.Type = OTYPE_TRANSFORMANIM;
  turret.NodeIndex = 1;
  turret.Bounds = EvoMakeBounds({-2, 5, -2}, {2, 8, 2});
  turret.Sphere = {{0, 6.5f, 0}, 3};
  turret.MeshParts = {FloorPart(ComputeTextureId("hull.png"), 0x77)};
  return {body, turret};
}

}  // namespace evo_fixture
