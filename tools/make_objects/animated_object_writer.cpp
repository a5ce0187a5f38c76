#include "make_objects/animated_object_writer.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <map>
#include <numbers>

#include "foundation/byte_reader.h"
#include "make_objects/object_builder.h"
#include "make_objects/object_file_writer.h"
#include "make_objects/shape_builder.h"
#include "render/textures/material_list.h"
#include "render/textures/texture.h"
#include "scene/skin/skin.h"
#include "scene/vertex_anim/vertex_anim.h"
#include "world/environment/evo_writer.h"

namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

EvoMaterialSource MaterialOf(const ObjectDescription& description, const std::string& name) {
  EvoMaterialSource m;
  if (const MaterialSource* source = description.FindMaterial(name)) {
    std::copy(std::begin(source->Diffuse), std::end(source->Diffuse), m.Diffuse);
    std::copy(std::begin(source->Specular), std::end(source->Specular), m.Specular);
    m.Power = source->Power;
    std::copy(std::begin(source->Emissive), std::end(source->Emissive), m.Emissive);
  }
  return m;
}

std::int32_t MaterialIdOf(const ObjectDescription& description, const std::string& name) {
  const EvoMaterialSource m = MaterialOf(description, name);
  return static_cast<std::int32_t>(ComputeMaterialId(m.Diffuse, m.Specular, m.Power, m.Emissive));
}

std::int32_t TextureIdOf(const std::string& name) {
  return name.empty() ? 0 : static_cast<std::int32_t>(ComputeTextureId(name.c_str()));
}

// Grows a box over a point; the first point sets it.
struct Box {
  bool Any = false;
  CVector3 Min{}, Max{};
  void Add(float x, float y, float z) {
    if (!Any) {
      Min = Max = {x, y, z};
      Any = true;
    }
    Min = {std::min(Min.x, x), std::min(Min.y, y), std::min(Min.z, z)};
    Max = {std::max(Max.x, x), std::max(Max.y, y), std::max(Max.z, z)};
  }
  EnvSphere Sphere() const {
    const CVector3 c{(Min.x + Max.x) / 2, (Min.y + Max.y) / 2, (Min.z + Max.z) / 2};
    const float dx = Max.x - c.x, dy = Max.y - c.y, dz = Max.z - c.z;
    return {c, std::sqrt(dx * dx + dy * dy + dz * dz)};
  }
};

void SetBounds(EvoNodeSource* node, const Box& box) {
  node->Bounds = EvoMakeBounds(box.Min, box.Max);
  node->Sphere = box.Sphere();
  node->WholeBounds = node->Bounds;
  node->WholeSphere = node->Sphere;
}

// The texture and material lists of a node that uses these.
void AddLists(EvoNodeSource* node, const ObjectDescription& description, const std::string& texture,
              const std::string& material) {
  if (!texture.empty() && std::find(node->Textures.begin(), node->Textures.end(), texture) == node->Textures.end())
    node->Textures.push_back(texture);
  const EvoMaterialSource m = MaterialOf(description, material);
  const bool known = std::any_of(node->Materials.begin(), node->Materials.end(), [&](const EvoMaterialSource& x) {
    return std::memcmp(&x, &m, sizeof m) == 0;
  });
  if (!known) node->Materials.push_back(m);
}

EvoNodeSource NodeOf(const ObjectSource& object, const std::string& name, const std::string& parent,
                     std::int32_t type, std::int32_t index) {
  EvoNodeSource node;
  node.ObjectName = object.Name;
  node.NodeName = name;
  node.ParentName = parent;
  node.Type = type;
  node.NodeIndex = index;
  return node;
}

}  // namespace

std::vector<CVector3> BoneRestPositions(const ObjectSource& object) {
  std::vector<CVector3> out;
  for (const BoneSource& b : object.Bones) {
    CVector3 p = b.At;
    for (std::size_t i = 0; i < out.size(); ++i) {
      if (object.Bones[i].Name == b.Parent) {
        p = {out[i].x + b.At.x, out[i].y + b.At.y, out[i].z + b.At.z};
        break;
      }
    }
    out.push_back(p);
  }
  return out;
}

bool WriteSkinnedObjectFile(const ObjectSource& object, const ObjectDescription& description,
                            std::vector<std::uint8_t>* bytes, std::string* error) {
  const std::vector<CVector3> rest = BoneRestPositions(object);
  auto boneIndex = [&object](const std::string& name) {
    for (std::size_t i = 0; i < object.Bones.size(); ++i)
      if (object.Bones[i].Name == name) return static_cast<std::uint16_t>(i);
    return static_cast<std::uint16_t>(0);
  };

  // Skins by texture and material, in first-use order.
  std::vector<std::pair<std::string, std::string>> groups;
  for (const SkinBoxSource& box : object.SkinBoxes) {
    const auto key = std::make_pair(box.Box.Texture, box.Box.Material);
    if (std::find(groups.begin(), groups.end(), key) == groups.end()) groups.push_back(key);
  }

  const std::int32_t bones = static_cast<std::int32_t>(object.Bones.size());
  const std::string root = Upper(object.Bones[0].Name);
  std::vector<EvoNodeSource> nodes;
  Box whole;
  for (std::int32_t i = 0; i < bones; ++i) {
    const BoneSource& b = object.Bones[static_cast<std::size_t>(i)];
    nodes.push_back(NodeOf(object, Upper(b.Name), i == 0 ? "ROOT" : Upper(b.Parent), kBuiltTypeTransformAnim, i));
    nodes.back().MeshKind = MESHKIND_PLAIN_ALT;  // a bone: no mesh of its own
  }
  // The rest keys of every node, by node index: bones at their offsets, skins where the root is.
  nodes[0].HasTransforms = true;
  for (std::int32_t i = 0; i < bones + static_cast<std::int32_t>(groups.size()); ++i) {
    Pose key{};
    key.translation = i < bones ? object.Bones[static_cast<std::size_t>(i)].At : CVector3{0, 0, 0};
    key.scale = {1, 1, 1};
    key.rotation = {0, 0, 0, 1};
    nodes[0].TransformKeys.push_back(key);
  }

  for (std::size_t g = 0; g < groups.size(); ++g) {
    SkinSource source;
    source.TextureId = TextureIdOf(groups[g].first);
    source.MaterialId = MaterialIdOf(description, groups[g].second);
    std::map<std::vector<std::uint8_t>, std::uint16_t> welded;
    for (const SkinBoxSource& box : object.SkinBoxes) {
      if (std::make_pair(box.Box.Texture, box.Box.Material) != groups[g]) continue;
      const std::uint16_t bone = boneIndex(box.Bone);
      const CVector3& at = rest[bone];
      ShapeSource shape = box.Box;
      shape.At = {at.x + box.Box.At.x, at.y + box.Box.At.y, at.z + box.Box.At.z};
      const float bottom = shape.At.y;
      std::vector<ShapeFace> faces;
      BuildShapeFaces(shape, &faces);
      for (const ShapeFace& face : faces) {
        std::vector<std::uint16_t> corners;
        for (const RenderVertex& c : face.Corners) {
          std::vector<std::uint8_t> key(sizeof c + 2);
          std::memcpy(key.data(), &c, sizeof c);
          key[sizeof c] = static_cast<std::uint8_t>(bone);
          key[sizeof c + 1] = static_cast<std::uint8_t>(box.Blend.empty() ? 255 : boneIndex(box.Blend));
          auto it = welded.find(key);
          if (it == welded.end()) {
            // Positions in the bone's space: the rest pose has no rotation,
            // so p_bone = p_object - rest position of the bone.
            SkinInfluence first;
            first.Position = {c.x - at.x, c.y - at.y, c.z - at.z};
            first.Normal = {c.nx, c.ny, c.nz};
            first.Colour = c.Colour;
            first.U = c.u;
            first.V = c.v;
            first.Bone = bone;
            first.Weight = 1.0f;
            std::vector<SkinInfluence> list = {first};
            if (!box.Blend.empty() && std::fabs(c.y - bottom) < 1e-3f) {
              const std::uint16_t other = boneIndex(box.Blend);
              SkinInfluence second = first;
              second.Position = {c.x - rest[other].x, c.y - rest[other].y, c.z - rest[other].z};
              second.Bone = other;
              second.Weight = 0.5f;
              list[0].Weight = 0.5f;
              list.push_back(second);
            }
            if (source.Vertices.size() >= static_cast<std::size_t>(kSkinMaxVertices)) {
              *error = object.Name + ": too many skinned vertices";
              return false;
            }
            it = welded.emplace(key, static_cast<std::uint16_t>(source.Vertices.size())).first;
            source.Vertices.push_back(list);
          }
          corners.push_back(it->second);
          whole.Add(c.x, c.y, c.z);
        }
        for (std::size_t k = 1; k + 1 < corners.size(); ++k)
          source.ListIndices.insert(source.ListIndices.end(), {corners[0], corners[k], corners[k + 1]});
      }
    }
    CSkin skin(nullptr, nullptr, nullptr, nullptr, nullptr);
    if (!skin.Build(source)) {
      *error = object.Name + ": the skin cannot be built";
      return false;
    }
    ByteWriter chunk;
    skin.Write(chunk);
    EvoNodeSource node = NodeOf(object, Upper(object.Name) + "_SKIN" + std::to_string(g), root,
                                kBuiltTypeTransformAnim, bones + static_cast<std::int32_t>(g));
    node.MeshKind = MESHKIND_SKINNED;
    for (std::int32_t i = 0; i < bones; ++i)
      node.NamedValues.push_back({Upper(object.Bones[static_cast<std::size_t>(i)].Name), static_cast<std::uint32_t>(i)});
    AddLists(&node, description, groups[g].first, groups[g].second);
    node.OtherMeshBody = chunk.Data();
    nodes.push_back(std::move(node));
  }
  for (EvoNodeSource& node : nodes) SetBounds(&node, whole);
  *bytes = EvoWriteFile(nodes);
  return true;
}

bool WriteVertexAnimObjectFile(const ObjectSource& object, const ObjectDescription& description,
                               std::vector<std::uint8_t>* bytes, std::string* error) {
  const int frames = object.Frames;
  std::vector<VertexAnimSourcePolygon> polygons;
  Box whole;
  auto addTriangle = [&](const ShapeSource& shape, const std::vector<RenderVertex>& base,
                         const std::vector<std::vector<VertexAnimPose>>& later) {
    VertexAnimSourcePolygon p;
    p.TextureId = static_cast<std::uint32_t>(TextureIdOf(shape.Texture));
    p.MaterialId = static_cast<std::uint32_t>(MaterialIdOf(description, shape.Material));
    p.Points = base;
    p.FramePoints = later;
    for (const RenderVertex& v : base) whole.Add(v.x, v.y, v.z);
    for (const auto& frame : later)
      for (const VertexAnimPose& q : frame) whole.Add(q.Position.x, q.Position.y, q.Position.z);
    polygons.push_back(std::move(p));
  };

  // Shapes that stand still: every frame repeats the base frame.
  for (const ShapeSource& shape : object.Nodes[0].Shapes) {
    std::vector<ShapeFace> faces;
    BuildShapeFaces(shape, &faces);
    for (const ShapeFace& face : faces) {
      for (std::size_t k = 1; k + 1 < face.Corners.size(); ++k) {
        const std::vector<RenderVertex> base = {face.Corners[0], face.Corners[k], face.Corners[k + 1]};
        std::vector<VertexAnimPose> still;
        for (const RenderVertex& v : base) still.push_back({{v.x, v.y, v.z}, {v.nx, v.ny, v.nz}});
        addTriangle(shape, base, std::vector<std::vector<VertexAnimPose>>(static_cast<std::size_t>(frames - 1), still));
      }
    }
  }

  // Flags: grid point (i, j) at x = W i / columns, y = H j / rows; frame k
  // moves it along z by z = A (x / W) sin(2 pi k / F - 3 pi x / W), and its
  // normal is (-dz/dx, 0, 1) normalised (the back side takes the opposite).
  for (const FlagSource& flag : object.Flags) {
    const int nx = flag.Columns, ny = flag.Rows;
    auto point = [&](int i, int j, int k, bool back) {
      const float s = static_cast<float>(i) / static_cast<float>(nx);
      const float x = flag.Width * s, y = flag.Height * static_cast<float>(j) / static_cast<float>(ny);
      const float phase = 2.0f * std::numbers::pi_v<float> * static_cast<float>(k) / static_cast<float>(frames) -
                          3.0f * std::numbers::pi_v<float> * s;
      const float z = flag.Amplitude * s * std::sin(phase);
      const float dzdx = flag.Amplitude / flag.Width *
                         (std::sin(phase) - 3.0f * std::numbers::pi_v<float> * s * std::cos(phase));
      const float length = std::sqrt(dzdx * dzdx + 1.0f);
      const float sign = back ? -1.0f : 1.0f;
      RenderVertex v{flag.Cloth.At.x + x, flag.Cloth.At.y + y, flag.Cloth.At.z + z, sign * -dzdx / length, 0.0f,
                     sign / length, flag.Cloth.Colour, s, 1.0f - static_cast<float>(j) / static_cast<float>(ny)};
      return v;
    };
    for (int j = 0; j < ny; ++j) {
      for (int i = 0; i < nx; ++i) {
        for (int side = 0; side < 2; ++side) {
          // Front faces +z (counter-clockwise seen from +z), the back the other way round.
          const int cells[2][3][2] = {{{i, j}, {i + 1, j}, {i + 1, j + 1}}, {{i, j}, {i + 1, j + 1}, {i, j + 1}}};
          for (const auto& tri : cells) {
            std::vector<RenderVertex> base;
            std::vector<std::vector<VertexAnimPose>> later(static_cast<std::size_t>(frames - 1));
            for (int c = 0; c < 3; ++c) {
              const int at = side == 0 ? c : 2 - c;
              base.push_back(point(tri[at][0], tri[at][1], 0, side == 1));
              for (int k = 1; k < frames; ++k) {
                const RenderVertex v = point(tri[at][0], tri[at][1], k, side == 1);
                later[static_cast<std::size_t>(k - 1)].push_back({{v.x, v.y, v.z}, {v.nx, v.ny, v.nz}});
              }
            }
            addTriangle(flag.Cloth, base, later);
          }
        }
      }
    }
  }

  CVertexAnim anim(nullptr, nullptr, nullptr, nullptr, nullptr);
  if (!anim.Build(polygons, frames) || anim.MeshCount == 0) {
    *error = object.Name + ": the vertex animation cannot be built";
    return false;
  }
  ByteWriter chunk;
  anim.Write(chunk);
  EvoNodeSource node = NodeOf(object, object.Name, "ROOT", kBuiltTypeVertexAnim, -1);
  node.MeshKind = MESHKIND_VERTEXANIM;
  for (const ShapeSource& shape : object.Nodes[0].Shapes) AddLists(&node, description, shape.Texture, shape.Material);
  for (const FlagSource& flag : object.Flags) AddLists(&node, description, flag.Cloth.Texture, flag.Cloth.Material);
  node.OtherMeshBody = chunk.Data();
  SetBounds(&node, whole);
  *bytes = EvoWriteFile({node});
  return true;
}

bool WriteDescribedObjectFile(const ObjectSource& object, const ObjectDescription& description,
                              std::vector<std::uint8_t>* bytes, std::string* error) {
  switch (object.Kind) {
    case ObjectKind::Skinned:
      return WriteSkinnedObjectFile(object, description, bytes, error);
    case ObjectKind::VertexAnim:
      return WriteVertexAnimObjectFile(object, description, bytes, error);
    case ObjectKind::Plain:
      break;
  }
  return WriteObjectFile(BuildObject(object), description, bytes, error);
}

std::vector<std::string> DescribedObjectTextures(const ObjectSource& object) {
  std::vector<std::string> names;
  auto add = [&names](const std::string& name) {
    if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  };
  for (const NodeSource& node : object.Nodes)
    for (const ShapeSource& shape : node.Shapes) {
      add(shape.Texture);
      if (shape.Texture.empty())
        for (const ModelFaceSource& face : shape.ModelFaces) add(face.Texture);
    }
  for (const SkinBoxSource& box : object.SkinBoxes) add(box.Box.Texture);
  for (const FlagSource& flag : object.Flags) add(flag.Cloth.Texture);
  return names;
}
