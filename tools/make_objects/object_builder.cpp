#include "make_objects/object_builder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <array>
#include <map>
#include <unordered_map>

#include "make_objects/shape_builder.h"

namespace {

// Bitwise key of a vertex: faces only share a vertex when every field matches.
using VertexKey = std::array<std::uint32_t, sizeof(RenderVertex) / 4>;
VertexKey KeyOf(const RenderVertex& v) {
  VertexKey k;
  std::memcpy(k.data(), &v, sizeof v);
  return k;
}
struct VertexKeyHash {
  std::size_t operator()(const VertexKey& k) const {
    std::size_t h = 1469598103934665603ull;
    for (std::uint32_t w : k) h = (h ^ w) * 1099511628211ull;
    return h;
  }
};

class PartBuilder {
 public:
  explicit PartBuilder(std::vector<BuiltPart>* parts) : parts_(parts) {}

  void AddFace(const std::string& texture, const std::string& material, const ShapeFace& face) {
    std::size_t n = face.Corners.size();
    BuiltPart* part = PartFor(texture, material, n);
    std::vector<std::uint16_t> at(n);
    for (std::size_t i = 0; i < n; ++i) at[i] = Index(part, face.Corners[i]);
    for (std::size_t k = 1; k + 1 < n; ++k) part->Indices.insert(part->Indices.end(), {at[0], at[k], at[k + 1]});
  }

 private:
  struct Open {
    std::size_t part;
    std::unordered_map<VertexKey, std::uint16_t, VertexKeyHash> index;
  };

  // The open part of the texture and material, or a new one when the open
  // part could not take `corners` more vertices.
  BuiltPart* PartFor(const std::string& texture, const std::string& material, std::size_t corners) {
    auto key = std::make_pair(texture, material);
    auto it = open_.find(key);
    if (it == open_.end() || (*parts_)[it->second.part].Vertices.size() + corners > kMaxPartVertices) {
      parts_->push_back({texture, material, {}, {}});
      open_[key] = {parts_->size() - 1, {}};
      it = open_.find(key);
    }
    current_ = &it->second;
    return &(*parts_)[it->second.part];
  }

  std::uint16_t Index(BuiltPart* part, const RenderVertex& v) {
    auto [it, added] = current_->index.emplace(KeyOf(v), static_cast<std::uint16_t>(part->Vertices.size()));
    if (added) part->Vertices.push_back(v);
    return it->second;
  }

  std::vector<BuiltPart>* parts_;
  std::map<std::pair<std::string, std::string>, Open> open_;
  Open* current_ = nullptr;
};

void Grow(CVector3* lo, CVector3* hi, const CVector3& p) {
  lo->x = std::min(lo->x, p.x), lo->y = std::min(lo->y, p.y), lo->z = std::min(lo->z, p.z);
  hi->x = std::max(hi->x, p.x), hi->y = std::max(hi->y, p.y), hi->z = std::max(hi->z, p.z);
}

BuiltNode BuildNode(const NodeSource& source, bool root) {
  BuiltNode node;
  node.Name = source.Name;
  node.Parent = root ? "ROOT" : source.Parent;
  node.Flags = (source.HitRegion ? kBuiltHitRegion : 0) | (source.CutOut ? kBuiltCutOut : 0) |
               (source.ShadowCaster ? kBuiltShadowCaster : 0);
  PartBuilder parts(&node.Parts);
  bool any = false;
  for (const ShapeSource& shape : source.Shapes) {
    std::vector<ShapeFace> faces;
    BuildShapeFaces(shape, &faces);
    for (const ShapeFace& face : faces) {
      // A shape's texture and material options win over a model face's own.
      parts.AddFace(shape.Texture.empty() ? face.Texture : shape.Texture,
                    shape.Material.empty() ? face.Material : shape.Material, face);
      if (shape.Collide) {
        BspSourcePolygon polygon;
        polygon.SurfaceId = shape.Surface;
        for (const RenderVertex& c : face.Corners) polygon.Vertices.push_back({c.x, c.y, c.z});
        node.Collision.push_back(std::move(polygon));
      }
      for (const RenderVertex& c : face.Corners) {
        CVector3 p{c.x, c.y, c.z};
        if (!any) node.Min = node.Max = p, any = true;
        Grow(&node.Min, &node.Max, p);
      }
    }
  }
  node.Centre = {(node.Min.x + node.Max.x) / 2, (node.Min.y + node.Max.y) / 2, (node.Min.z + node.Max.z) / 2};
  float r2 = 0;
  for (const BuiltPart& part : node.Parts)
    for (const RenderVertex& v : part.Vertices) {
      float dx = v.x - node.Centre.x, dy = v.y - node.Centre.y, dz = v.z - node.Centre.z;
      r2 = std::max(r2, dx * dx + dy * dy + dz * dz);
    }
  node.Radius = std::sqrt(r2);
  return node;
}

}  // namespace

BuiltObject BuildObject(const ObjectSource& object) {
  BuiltObject out;
  out.Name = object.Name;
  // The shadow caster is no part of the drawn hierarchy.
  std::size_t drawn = 0;
  for (const NodeSource& n : object.Nodes) drawn += n.ShadowCaster ? 0 : 1;
  out.Type = object.Landscape ? kBuiltTypeLandscape : drawn > 1 ? kBuiltTypeHierarchical : kBuiltTypeEnv;
  for (std::size_t i = 0; i < object.Nodes.size(); ++i) {
    out.Nodes.push_back(BuildNode(object.Nodes[i], i == 0));
    const BuiltNode& n = out.Nodes.back();
    if (i == 0) out.Min = n.Min, out.Max = n.Max;
    Grow(&out.Min, &out.Max, n.Min);
    Grow(&out.Min, &out.Max, n.Max);
  }
  for (const ConnectorSource& c : object.Connectors) {
    out.ConnectorSlots[c.Slot] = static_cast<std::int32_t>(out.ConnectorPoints.size());
    out.ConnectorPoints.push_back(c.Position);
  }
  return out;
}
