#include "world/environment/evo_writer.h"

#include <cstdio>

#include "foundation/byte_reader.h"
#include "foundation/text/hash.h"
#include "render/textures/material_list.h"
#include "render/textures/texture.h"
#include "world/environment/evo_file.h"

namespace {

void WriteBounds(ByteWriter& out, const EnvBounds& b) {
  out.U32(0);
  EvoWriteVector(out, b.Min);
  EvoWriteVector(out, b.Max);
  for (const auto& plane : b.Planes) EvoWritePlane(out, plane);
}

void WriteSphere(ByteWriter& out, const EnvSphere& s) {
  out.U32(0);
  EvoWriteVector(out, s.Centre);
  out.F32(s.Radius);
}

}  // namespace

EnvBounds EvoMakeBounds(const CVector3& min, const CVector3& max) {
  EnvBounds b;
  b.Min = min;
  b.Max = max;
  // a·x + b·y + c·z + d >= 0 inside: +z through min, -z through max, +x, -x, +y, -y.
  const float planes[6][4] = {{0, 0, 1, -min.z}, {0, 0, -1, max.z}, {1, 0, 0, -min.x},
                              {-1, 0, 0, max.x}, {0, 1, 0, -min.y}, {0, -1, 0, max.y}};
  for (int i = 0; i < 6; ++i)
    for (int k = 0; k < 4; ++k) b.Planes[i][k] = planes[i][k];
  return b;
}

void EvoWriteNode(ByteWriter& out, const EvoNodeSource& node, bool last) {
  out.Tag("EOBJ");
  out.U32(kEvoRecordVersion);
  out.FixedString(node.ObjectName, kEvoNameSize);
  out.FixedString(node.NodeName, kEvoNameSize);
  out.U32(HashString(node.NodeName.c_str()));
  out.I32(node.Type);
  out.U32(node.Flags);
  out.I32(node.MeshKind);
  for (std::uint32_t w : node.TemplateWords) out.U32(w);
  out.FixedString(node.ParentName, kEvoNameSize);
  out.I32(node.NodeIndex);
  out.U32(static_cast<std::uint32_t>(node.NamedValues.size()));
  for (const auto& [name, value] : node.NamedValues) {
    out.FixedString(name, kEvoLongNameSize);
    out.U32(value);
  }
  out.U32(node.HasTransforms ? 1 : 0);
  out.FixedString("", kEvoLongNameSize);
  out.FixedString(node.ShadowName, kEvoLongNameSize);
  std::uint32_t bspCount = static_cast<std::uint32_t>(node.BspEntries.size());
  out.U32(bspCount);
  out.U32(static_cast<std::uint32_t>(node.ConnectorPoints.size()));
  for (const CVector3& p : node.ConnectorPoints) EvoWriteVector(out, p);
  if (!node.ConnectorPoints.empty())
    for (std::int32_t slot : node.ConnectorSlots) out.I32(slot);

  out.Tag("TEXL");
  out.U32(static_cast<std::uint32_t>(node.Textures.size()));
  for (const std::string& name : node.Textures) {
    out.U32(ComputeTextureId(name.c_str()));
    out.FixedString(name, 64);
  }
  out.Tag("MATL");
  out.U32(static_cast<std::uint32_t>(node.Materials.size()));
  for (const EvoMaterialSource& m : node.Materials) {
    out.U32(ComputeMaterialId(m.Diffuse, m.Specular, m.Power, m.Emissive));
    for (float f : m.Diffuse) out.F32(f);
    for (float f : m.Specular) out.F32(f);
    out.F32(m.Power);
    for (float f : m.Emissive) out.F32(f);
  }

  WriteBounds(out, node.Bounds);
  WriteSphere(out, node.Sphere);
  WriteBounds(out, node.WholeBounds);
  WriteSphere(out, node.WholeSphere);

  if (node.MeshKind == MESHKIND_PLAIN || node.MeshKind == MESHKIND_PLAIN_ALT) {
    WriteMeshSection(out, node.MeshParts);
  } else {
    out.Bytes(node.OtherMeshBody.data(), node.OtherMeshBody.size());
  }

  for (const EvoBspEntrySource& entry : node.BspEntries) {
    ByteWriter tree;
    if (entry.Tree != nullptr) WriteBspTree(entry.Tree, tree);
    out.U32(static_cast<std::uint32_t>(tree.Size()));
    out.U32(entry.Flag);
    out.Bytes(tree.Data().data(), tree.Size());
  }

  if (node.HasTransforms) {
    out.U32(0);
    out.U32(node.TransformWord);
    out.U32(static_cast<std::uint32_t>(node.TransformKeys.size()));
    for (const Pose& key : node.TransformKeys) {
      EvoWriteVector(out, key.translation);
      for (int i = 0; i < 3; ++i) out.F32(0.0f);
      EvoWriteVector(out, key.scale);
      out.F32(key.rotation.x);
      out.F32(key.rotation.y);
      out.F32(key.rotation.z);
      out.F32(key.rotation.w);
    }
  }
  out.Tag(last ? "DONE" : "NEXT");
}

std::vector<std::uint8_t> EvoWriteFile(const std::vector<EvoNodeSource>& nodes) {
  ByteWriter out;
  for (std::size_t i = 0; i < nodes.size(); ++i) EvoWriteNode(out, nodes[i], i + 1 == nodes.size());
  return out.Data();
}

bool EvoWriteFileToDisk(const char* path, const std::vector<EvoNodeSource>& nodes) {
  const std::vector<std::uint8_t> bytes = EvoWriteFile(nodes);
  std::FILE* f = std::fopen(path, "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}
