#include "world/environment/evo_file.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "foundation/files/buffered_file.h"
#include "foundation/files/file_locator.h"
#include "foundation/files/path_helpers.h"
#include "foundation/system/command_switches.h"
#include "foundation/system/debug_output.h"
#include "foundation/system/fpu_control.h"
#include "foundation/system/message_box.h"
#include "foundation/text/hash.h"
#include "render/textures/material_list.h"
#include "render/textures/texture_manager.h"
#include "render/volumes/sphere.h"
#include "scene/mesh/mesh_pools.h"

namespace {

EvoMeshReader g_MeshReaders[2] = {nullptr, nullptr};  // mesh kinds 1 and 2
EvoProgressHook g_Progress = nullptr;
EvoStatusHook g_Status = nullptr;
EvoShadowBuilder g_ShadowBuilder = nullptr;
EvoSkinPoser g_SkinPoser = nullptr;
std::uint32_t g_BspBytes = 0;
int g_LoadedObjects = 0;

constexpr std::uint32_t kTexlRecord = 68;
constexpr std::uint32_t kMatlRecord = 56;

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  return s;
}

// A list section that has no library to go into is read past: tag, count, records.
bool SkipListSection(ByteReader& in, const char (&tag)[5], std::uint32_t recordSize) {
  if (!in.Tag(tag)) return false;
  const std::int32_t count = in.I32();
  if (!in.Ok()) return false;
  if (count <= 0) return true;
  if (!in.HasRoomFor(static_cast<std::size_t>(count), recordSize)) return false;
  return in.Skip(static_cast<std::size_t>(count) * recordSize);
}

bool ReadTextureList(const EnvLoadContext& context, ByteReader& in) {
  if (context.Textures != nullptr) return context.Textures->ReadTEXL(in) != 0;
  return SkipListSection(in, "TEXL", kTexlRecord);
}

bool ReadMaterialList(const EnvLoadContext& context, ByteReader& in) {
  if (context.Materials != nullptr) return context.Materials->ReadMATL(in) != 0;
  return SkipListSection(in, "MATL", kMatlRecord);
}

int ExpectedTypeError(int expectedKind, std::int32_t type) {
  switch (expectedKind) {
    case OTYPE_ENV:
      return type == OTYPE_ENV ? 0 : EVO_NOT_ENV;
    case OTYPE_VERTEXANIM:
      return type == OTYPE_VERTEXANIM ? 0 : EVO_NOT_VERTEXANIM;
    case OTYPE_TRANSFORMANIM:
      return type == OTYPE_TRANSFORMANIM ? 0 : EVO_NOT_TRANSFORMANIM;
    case OTYPE_LANDSCAPE:
      return type == OTYPE_LANDSCAPE ? 0 : EVO_NOT_LANDSCAPE;
    default:
      return 0;
  }
}

// Grows the parent's box and sphere over a collision-only child's.
void MergeIntoParent(CEnvObject* parent, const CEnvObject& child) {
  parent->Bounds.Min = {std::min(parent->Bounds.Min.x, child.Bounds.Min.x),
                        std::min(parent->Bounds.Min.y, child.Bounds.Min.y),
                        std::min(parent->Bounds.Min.z, child.Bounds.Min.z)};
  parent->Bounds.Max = {std::max(parent->Bounds.Max.x, child.Bounds.Max.x),
                        std::max(parent->Bounds.Max.y, child.Bounds.Max.y),
                        std::max(parent->Bounds.Max.z, child.Bounds.Max.z)};
  CSphere mine, other;
  mine.Set(parent->Sphere.Centre, parent->Sphere.Radius);
  other.Set(child.Sphere.Centre, child.Sphere.Radius);
  MergeSpheres(&mine, other);
  parent->Sphere = {mine.Centre, mine.Radius};
}

}  // namespace

void SetEvoMeshReader(std::int32_t meshKind, EvoMeshReader reader) {
  if (meshKind == MESHKIND_VERTEXANIM || meshKind == MESHKIND_SKINNED) g_MeshReaders[meshKind - 1] = reader;
}
void SetEvoSkinPoser(EvoSkinPoser poser) { g_SkinPoser = poser; }
void SetEvoProgressHook(EvoProgressHook hook) { g_Progress = hook; }
void SetEvoStatusHook(EvoStatusHook hook) { g_Status = hook; }
void SetEvoShadowBuilder(EvoShadowBuilder builder) { g_ShadowBuilder = builder; }
std::uint32_t EvoBspByteCount() { return g_BspBytes; }
int EnvFileLoadedObjectCount() { return g_LoadedObjects; }

void EvoBuildShadowIfPlain(CEnvObject* node) {
  if (g_ShadowBuilder != nullptr && (node->MeshKind == MESHKIND_PLAIN || node->MeshKind == MESHKIND_PLAIN_ALT))
    g_ShadowBuilder(node);
}

bool EnvFileReadVector(ByteReader& in, CVector3* out) {
  out->x = in.F32();
  out->y = in.F32();
  out->z = in.F32();
  return in.Ok();
}

bool EvoReadPlane(ByteReader& in, float* plane) {
  for (int i = 0; i < 4; ++i) plane[i] = in.F32();
  return in.Ok();
}

bool EvoReadBounds(ByteReader& in, EnvBounds* out) {
  in.U32();
  EnvFileReadVector(in, &out->Min);
  EnvFileReadVector(in, &out->Max);
  for (auto& plane : out->Planes) EvoReadPlane(in, plane);
  return in.Ok();
}

bool EvoReadSphere(ByteReader& in, EnvSphere* out) {
  in.U32();
  EnvFileReadVector(in, &out->Centre);
  out->Radius = in.F32();
  return in.Ok();
}

void EvoWriteVector(ByteWriter& out, const CVector3& v) {
  out.F32(v.x);
  out.F32(v.y);
  out.F32(v.z);
}

void EvoWritePlane(ByteWriter& out, const float* plane) {
  for (int i = 0; i < 4; ++i) out.F32(plane[i]);
}

bool EvoSkipBytes(ByteReader& in, std::uint32_t n) {
  while (n > 0) {
    const std::uint32_t step = std::min<std::uint32_t>(n, 256);
    if (!in.Skip(step)) return false;
    n -= step;
  }
  return true;
}

// Transform key, 52 bytes: position, three floats read and replaced by
// zeros, scale, rotation quaternion (x, y, z, w).
bool EvoReadTransformList(ByteReader& in, EnvTransformList* out) {
  in.U32();
  out->StoredWord = in.U32();
  const std::uint32_t count = in.U32();
  if (!in.Ok() || !in.HasRoomFor(count, kEvoTransformKeySize)) return false;
  out->Keys.resize(count);
  out->Matrices.resize(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    Pose& key = out->Keys[i];
    EnvFileReadVector(in, &key.translation);
    for (float& f : key.unused) {
      in.F32();
      f = 0.0f;
    }
    EnvFileReadVector(in, &key.scale);
    key.rotation = {in.F32(), in.F32(), in.F32(), in.F32()};
    PrsKeyToMatrix(key, &out->Matrices[i]);
  }
  return in.Ok();
}

int EvoReadNode(CEnvObject* root, CEnvObject* node, ByteReader& in, int expectedKind, int meshParam1,
                int meshParam2) {
  const EnvLoadContext& context = node->Context();
  if (!in.Tag("EOBJ")) return EVO_INVALID;
  const std::uint32_t version = in.U32();
  node->ObjectName = in.FixedString(kEvoNameSize);
  if (!in.Ok()) return EVO_INVALID;
  // Every node shows the template's id: the no-case hash of its file name,
  // or of the object name when the template was not loaded by name.
  if (root->ObjectNameHash == 0) root->ObjectNameHash = HashStringNoCase(node->ObjectName.c_str());
  node->ObjectNameHash = root->ObjectNameHash;
  if (version != kEvoRecordVersion) return EVO_BAD_VERSION;

  const std::string nodeName = in.FixedString(kEvoNameSize);
  node->NameHash = in.U32();
  node->TemplateKind = in.I32();
  if (!in.Ok()) return EVO_INVALID;
  if (const int error = ExpectedTypeError(expectedKind, node->TemplateKind)) return error;

  node->Flags = in.U32();
  node->MeshKind = in.I32();
  std::uint32_t words[6];
  for (std::uint32_t& w : words) w = in.U32();
  node->NodeWords[0] = words[0], node->NodeWords[1] = words[1], node->NodeWords[2] = words[2];
  node->DetailCounts[0] = static_cast<std::int32_t>(words[3]);
  node->DetailCounts[1] = static_cast<std::int32_t>(words[4]);
  node->NodeWords[3] = words[5];
  node->NodeName = Upper(nodeName);
  node->MarkConnectorNode(node->NodeName.c_str());

  node->ParentName = in.FixedString(kEvoNameSize);
  if (!in.Ok()) return EVO_INVALID;
  node->ParentNode = nullptr;
  if (node->ParentName != "ROOT") {
    const std::uint32_t parentHash = HashString(node->ParentName.c_str());
    for (CEnvObject* n = root; n != nullptr && n != node; n = n->NextNode)
      if (n->NameHash == parentHash) {
        node->ParentNode = n;
        break;
      }
    if (node->ParentNode == nullptr)
      ErrorBox("Failed to find parent for EVO node\nObject %s\nNode %s\n,Parent %s\n", node->GetIdString(),
               node->NodeName.c_str(), node->ParentName.c_str());
  } else if (node->TemplateKind == OTYPE_LANDSCAPE && node != root) {
    node->ParentNode = root;
  }

  node->NodeIndex = in.I32();
  const std::uint32_t namedCount = in.U32();
  if (!in.Ok() || !in.HasRoomFor(namedCount, kEvoNamedValueSize)) return EVO_INVALID;
  node->NamedValues.resize(namedCount);
  for (EnvNamedValue& value : node->NamedValues) {
    value.Name = in.FixedString(kEvoLongNameSize);
    value.Value = in.U32();
    value.Hash = HashString(value.Name.c_str());
  }

  const std::uint32_t hasTransforms = in.U32();
  in.Skip(kEvoLongNameSize);
  const std::string shadow = in.FixedString(kEvoLongNameSize);
  node->ShadowName = (shadow == "NOSHADOW" || strcasecmp(shadow.c_str(), "(NULL)") == 0) ? std::string() : shadow;
  const std::uint32_t bspCount = in.U32();
  const std::uint32_t connectorCount = in.U32();
  if (!in.Ok() || connectorCount > kConnectorSlots) return EVO_INVALID;
  node->ConnectorCount = static_cast<std::int32_t>(connectorCount);
  for (std::uint32_t i = 0; i < connectorCount; ++i) EnvFileReadVector(in, &node->ConnectorPositions[i]);
  if (connectorCount > 0) {
    for (std::int32_t& slot : node->ConnectorSlots) {
      slot = in.I32();
      if (slot < -1 || slot >= static_cast<std::int32_t>(connectorCount)) return EVO_INVALID;
    }
  }
  if (!in.Ok()) return EVO_INVALID;

  if (!ReadTextureList(context, in) || !ReadMaterialList(context, in)) return EVO_INVALID;

  if (!EvoReadBounds(in, &node->Bounds) || !EvoReadSphere(in, &node->Sphere) ||
      !EvoReadBounds(in, &node->WholeBounds) || !EvoReadSphere(in, &node->WholeSphere))
    return EVO_INVALID;

  switch (node->MeshKind) {
    case MESHKIND_PLAIN:
    case MESHKIND_PLAIN_ALT:
      node->Mesh = NewVBufferObject(context.Render, context.Textures, context.Materials, context.QueueAllocator,
                                    context.Queue);
      if (node->Mesh == nullptr) return EVO_INVALID;
      if (!node->Mesh->Load(in, kEvoMeshSectionVersion)) return EVO_INVALID;
      break;
    case MESHKIND_VERTEXANIM:
    case MESHKIND_SKINNED: {
      EvoMeshReader reader = g_MeshReaders[node->MeshKind - 1];
      if (reader == nullptr || !reader(node, in, meshParam1, meshParam2)) return EVO_INVALID;
      break;
    }
    default:
      break;
  }

  // BSP entries: a size word and a flag, then, when the size is not 0, a
  // compiled tree in its "BSPT" section.  The size word only counts bytes
  // and says whether a tree follows: the section is read or skipped by its
  // own size word, so a size that counts the whole section (8 + block, as
  // this system writes) and one that counts the block alone both load.  The
  // tree of an entry whose flag is 0 becomes the node's collision tree (the
  // last such wins, every one counting in the node's BSP bytes), unless the
  // mesh is vertex-animated; "BIRD_STATIC" keeps every tree.
  if (!in.HasRoomFor(bspCount, 8)) return EVO_INVALID;
  for (std::uint32_t i = 0; i < bspCount; ++i) {
    const std::uint32_t size = in.U32();
    const std::uint32_t flag = in.U32();
    if (!in.Ok()) return EVO_INVALID;
    g_BspBytes += size;
    if (size == 0) continue;
    const bool keep = (flag == 0 && node->MeshKind != MESHKIND_VERTEXANIM) || node->ObjectName == "BIRD_STATIC";
    if (keep) {
      BspTreePtr tree = LoadBspTree(in);
      if (!tree) return EVO_INVALID;
      FreeBspTree(node->Bsp);
      node->Bsp = tree.release();
      BspStatistics stats;
      node->BspBytes += static_cast<std::uint32_t>(GetBspStatistics(node->Bsp, &stats));
    } else if (!SkipBspTree(in)) {
      return EVO_INVALID;
    }
  }
  if (node->CollisionBsp == nullptr) node->CollisionBsp = node->Bsp;

  if (hasTransforms != 0) {
    node->Transforms = new EnvTransformList;
    if (!EvoReadTransformList(in, node->Transforms)) return EVO_INVALID;
  }

  // A hierarchical template's caster node casts its own shadow from the
  // animated draw's rigid shadow pass, so it needs its faces as well.
  if ((node->Flags & EOF_SHADOW_CASTER) != 0) {
    if (root->TemplateKind == OTYPE_ENV) {
      root->ShadowTemplate = node;
      root->Flags |= EOF_HAS_SHADOW_CASTER;
    }
    EvoBuildShadowIfPlain(node);
  }

  if (!in.HasRoom(4)) return EVO_INVALID;
  return in.Tag("DONE") ? EVO_LAST_RECORD : (in.Skip(4), EVO_MORE_RECORDS);
}

int EvoReadFile(CEnvObject* root, ByteReader& file, int expectedKind, int meshParam1, int meshParam2) {
  g_BspBytes = 0;
  CEnvObject* current = root;
  CEnvObject* previous = nullptr;
  int result;
  do {
    result = EvoReadNode(root, current, file, expectedKind, meshParam1, meshParam2);
    if (result >= 0 && (current->Flags & EOF_COLLISION_ONLY) != 0) {
      if (current != root) {
        MergeIntoParent(current->ParentNode != nullptr ? current->ParentNode : root, *current);
        if (root->ShadowTemplate == current) {
          root->ShadowTemplate = nullptr;
          root->Flags &= ~EOF_HAS_SHADOW_CASTER;
        }
        previous->NextNode = nullptr;
        FreeEnvObjectTemplate(current);
        current = previous;
      } else {
        WarningBox("Oh No! it's a root object and a bsp mesh, what do I do??");
      }
    }
    if (result == EVO_MORE_RECORDS) {
      CEnvObject* node = NewEnvObjectNode();
      node->Init(root->Context());
      // The previous node of a node made now is the current one, whatever
      // the next record turns out to be.
      current->NextNode = node;
      previous = current;
      current = node;
    }
    if (g_Progress != nullptr) g_Progress();
  } while (result == EVO_MORE_RECORDS);

  const char* id = root->GetIdString();
  switch (result) {
    case EVO_INVALID:
      WarningBox("%s.evo has invalid data\nAttempting rebuild from .pi2 data", id);
      return 0;
    case EVO_BAD_VERSION:
      return 0;
    case EVO_NOT_LANDSCAPE:
      WarningBox("%s.evo is not expected type, expected OTYPE_LANDSCAPE\n", id);
      return 0;
    case EVO_NOT_ENV:
      WarningBox("%s.evo is not expected type, expected OTYPE_ENV\n", id);
      return 0;
    case EVO_NOT_TRANSFORMANIM:
      WarningBox("%s.evo is not expected type, expected OTYPE_TRANSFORMANIM\n", id);
      return 0;
    case EVO_NOT_VERTEXANIM:
      WarningBox("%s.evo is not expected type, expected OTYPE_VERTEXANIM\n", id);
      return 0;
    default:
      break;
  }
  for (CEnvObject* node = root; node != nullptr; node = node->NextNode)
    if ((node->Flags & EOF_CUT_OUT) != 0 && node->Mesh != nullptr) node->Mesh->SetCutOut();
  root->BuildHitRegions();
  bool skinned = false;
  for (const CEnvObject* node = root; node != nullptr; node = node->NextNode)
    skinned = skinned || node->MeshKind == MESHKIND_SKINNED;
  if (skinned && g_SkinPoser != nullptr) g_SkinPoser(root);
  return 1;
}

CEnvObject* EnvFileLoadObject(int kind, const char* name, const EnvLoadContext& context, int meshParam1,
                              int meshParam2) {
  if (g_Status != nullptr) {
    char text[300];
    std::snprintf(text, sizeof text, "Loading object \"%s\"", name);
    g_Status(text);
  }
  const std::uint32_t fpu = GetFpuControl();
  SaveFpuControl();
  SetFpuControl(fpu);

  std::string base = name != nullptr ? name : "";
  const std::size_t slash = base.find_last_of("\\/");
  const std::size_t dot = base.find_last_of('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) base.resize(dot);
  const std::string pi2 = base + ".pi2";
  const std::string evo = base + ".evo";

  CEnvObject* root = nullptr;
  if (BufferedFile* file = FileOpenOnSearchPath(evo.c_str(), 0)) {
    std::vector<std::uint8_t> bytes(FileGetSize(file));
    const std::size_t got = bytes.empty() ? 0 : FileRead(bytes.data(), 1, bytes.size(), file);
    FileClose(file);
    ByteReader reader(bytes.data(), got);
    root = NewEnvObjectNode();
    root->Init(context);
    root->ObjectNameHash = HashStringNoCase(GetPathFileName(base.c_str()));
    const int ok = EvoReadFile(root, reader, -1, meshParam1, meshParam2);
    if (!ok || (kind != -1 && kind != root->TemplateKind)) {
      FreeEnvObjectTemplate(root);
      root = nullptr;
    }
  } else if (IsCommandSwitchSet('d')) {
    DebugTrace("Failed to load EVO file \"%s\"\n", evo.c_str());
  }
  if (root == nullptr)
    ErrorBox(
        "Attempting to re-compile EVO file for \"%s\" in release build\nYou need to run a debug build or use the "
        "Pellicor tool to rebuild EVO's",
        pi2.c_str());
  RestoreFpuControl();
  if (root != nullptr) ++g_LoadedObjects;
  return root;
}

EnvTransformList* EnvFileMakeTransformSet(void* const* objects, int count, std::uint32_t storedWord,
                                          EnvTransformKeySource getKey) {
  auto* list = new EnvTransformList;
  list->StoredWord = storedWord;
  for (int i = 0; i < count; ++i) {
    Pose key{};
    if (!getKey(objects[i], &key)) {
      delete list;
      return nullptr;
    }
    for (float& f : key.unused) f = 0.0f;
    CMatrix m;
    PrsKeyToMatrix(key, &m);
    list->Keys.push_back(key);
    list->Matrices.push_back(m);
  }
  return list;
}
