#include "make_objects/object_file_writer.h"

#include <algorithm>
#include <cmath>

#include "render/textures/material_list.h"
#include "render/textures/texture.h"
#include "world/environment/evo_writer.h"

namespace {

EvoMaterialSource MaterialOf(const ObjectDescription& description, const std::string& name) {
  EvoMaterialSource m;  // the default: white diffuse, nothing else
  if (const MaterialSource* source = description.FindMaterial(name)) {
    std::copy(std::begin(source->Diffuse), std::end(source->Diffuse), m.Diffuse);
    std::copy(std::begin(source->Specular), std::end(source->Specular), m.Specular);
    m.Power = source->Power;
    std::copy(std::begin(source->Emissive), std::end(source->Emissive), m.Emissive);
  }
  return m;
}

// Clamped in a direction when every coordinate lies within one repeat.
bool WithinOneRepeat(const std::vector<RenderVertex>& vertices, float RenderVertex::*field) {
  return std::all_of(vertices.begin(), vertices.end(),
                     [&](const RenderVertex& v) { return v.*field >= 0.0f && v.*field <= 1.0f; });
}

float Distance(const CVector3& a, const CVector3& b) {
  float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

}  // namespace

bool WriteObjectFile(const BuiltObject& object, const ObjectDescription& description, std::vector<std::uint8_t>* bytes,
                     std::string* error) {
  // The whole object's sphere: around the centre of its box, reaching every node's sphere.
  const CVector3 centre{(object.Min.x + object.Max.x) / 2, (object.Min.y + object.Max.y) / 2,
                        (object.Min.z + object.Max.z) / 2};
  float radius = 0;
  for (const BuiltNode& n : object.Nodes) radius = std::max(radius, Distance(centre, n.Centre) + n.Radius);

  std::vector<BspTreePtr> trees;  // kept until the file is written
  std::vector<EvoNodeSource> records;
  for (std::size_t i = 0; i < object.Nodes.size(); ++i) {
    const BuiltNode& node = object.Nodes[i];
    EvoNodeSource r;
    r.ObjectName = object.Name;
    r.NodeName = node.Name;
    r.ParentName = node.Parent;
    r.Type = object.Type;
    // A hierarchical object's nodes are numbered for the pose its instances evaluate.
    if (object.Type == kBuiltTypeHierarchical) r.NodeIndex = static_cast<std::int32_t>(i);
    r.Flags = node.Flags;
    r.MeshKind = MESHKIND_PLAIN;
    if (i == 0) {
      r.ConnectorPoints = object.ConnectorPoints;
      std::copy(std::begin(object.ConnectorSlots), std::end(object.ConnectorSlots), r.ConnectorSlots);
    }
    std::vector<std::string> materials;
    for (const BuiltPart& part : node.Parts) {
      if (!part.Texture.empty() && std::find(r.Textures.begin(), r.Textures.end(), part.Texture) == r.Textures.end())
        r.Textures.push_back(part.Texture);
      if (std::find(materials.begin(), materials.end(), part.Material) == materials.end()) {
        materials.push_back(part.Material);
        r.Materials.push_back(MaterialOf(description, part.Material));
      }
      const EvoMaterialSource m = MaterialOf(description, part.Material);
      MeshPartSource p;
      p.MaterialId = ComputeMaterialId(m.Diffuse, m.Specular, m.Power, m.Emissive);
      p.TextureId = part.Texture.empty() ? 0 : ComputeTextureId(part.Texture.c_str());
      p.Vertices = part.Vertices;
      p.ListIndices = part.Indices;
      p.ClampU = WithinOneRepeat(part.Vertices, &RenderVertex::u) ? 1 : 0;
      p.ClampV = WithinOneRepeat(part.Vertices, &RenderVertex::v) ? 1 : 0;
      r.MeshParts.push_back(std::move(p));
    }
    r.Bounds = EvoMakeBounds(node.Min, node.Max);
    r.Sphere = {node.Centre, node.Radius};
    r.WholeBounds = i == 0 ? EvoMakeBounds(object.Min, object.Max) : r.Bounds;
    r.WholeSphere = i == 0 ? EnvSphere{centre, radius} : r.Sphere;
    if (!node.Collision.empty()) {
      BspCompileReport report;
      BspTreePtr tree = CompileBspTree(node.Collision, &report);
      if (!tree) {
        *error = object.Name + ", node " + node.Name + ": " + report.Error;
        return false;
      }
      r.BspEntries.push_back({0, tree.get()});
      trees.push_back(std::move(tree));
    }
    records.push_back(std::move(r));
  }
  *bytes = EvoWriteFile(records);
  return true;
}
