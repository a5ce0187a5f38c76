// Writer of object files (".evo") for the data tools and the tests: one
// record per node, in the layout the reader takes, closed by "DONE".  The
// game never writes object files.
//
// Use: fill one EvoNodeSource per node (root first; a child names its parent
// by node name), then EvoWriteFile.  Mesh parts name their texture and
// material by identifier: ComputeTextureId(texture name) and
// ComputeMaterialId(colours) of the render library, the same identifiers
// the node's texture and material lists carry.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/bsp/bsp_tree.h"
#include "render/geometry/matrix.h"
#include "scene/mesh/mesh_section_writer.h"
#include "world/environment/env_object.h"

class ByteWriter;

// One material of a node's material list.
struct EvoMaterialSource {
  float Diffuse[4] = {1, 1, 1, 1};
  float Specular[4] = {0, 0, 0, 0};
  float Power = 0.0f;
  float Emissive[4] = {0, 0, 0, 0};
};

// One BSP entry: its flag and the tree (null writes an empty entry).
struct EvoBspEntrySource {
  std::uint32_t Flag = 0;
  const BspNode* Tree = nullptr;
};

struct EvoNodeSource {
  std::string ObjectName;
  std::string NodeName;
  std::string ParentName = "ROOT";
  std::int32_t Type = OTYPE_ENV;
  std::uint32_t Flags = 0;
  std::int32_t MeshKind = MESHKIND_PLAIN;
  // Three node words, the two level-of-detail counts, one further node word.
  std::uint32_t TemplateWords[6] = {0, 0, 0, 5, 5, 0};
  std::int32_t NodeIndex = -1;
  std::vector<std::pair<std::string, std::uint32_t>> NamedValues;  // names up to 127 characters
  std::string ShadowName = "NOSHADOW";
  std::vector<CVector3> ConnectorPoints;  // at most 5
  std::int32_t ConnectorSlots[kConnectorSlots] = {-1, -1, -1, -1, -1};  // written when there are points
  std::vector<std::string> Textures;
  std::vector<EvoMaterialSource> Materials;
  EnvBounds Bounds;
  EnvSphere Sphere;
  EnvBounds WholeBounds;
  EnvSphere WholeSphere;
  std::vector<MeshPartSource> MeshParts;    // mesh kinds 0 and 3
  std::vector<std::uint8_t> OtherMeshBody;  // mesh kinds 1 and 2: the body as its owner writes it
  std::vector<EvoBspEntrySource> BspEntries;
  bool HasTransforms = false;
  std::uint32_t TransformWord = 0;
  std::vector<Pose> TransformKeys;
};

// A bounds block from two corners, with its six face planes (facing into the box).
EnvBounds EvoMakeBounds(const CVector3& min, const CVector3& max);
// Writes one record and its end tag: "DONE" when last, else "NEXT".
void EvoWriteNode(ByteWriter& out, const EvoNodeSource& node, bool last);
// The whole file.
std::vector<std::uint8_t> EvoWriteFile(const std::vector<EvoNodeSource>& nodes);
// Writes the file to a path on disk; false when it cannot be written.
bool EvoWriteFileToDisk(const char* path, const std::vector<EvoNodeSource>& nodes);
