#include "scene/mesh/vbuffer_object.h"

#include <strings.h>

#include <algorithm>

#include "foundation/byte_reader.h"
#include "render/textures/texture.h"
#include "scene/mesh/mesh_pools.h"

namespace {

MeshShadowFree g_ShadowFree = nullptr;

// Smallest part record: the header words of a version 1 record and the two
// sub-chunk headers every version carries.
constexpr std::size_t kMinPartRecord = 40 + 16;

// Parts come from the "VertexBuffer" pool, or the heap when it is used up.
CVertexBuffer* NewPart() { return VertexBufferPool().Construct(); }

void ReleasePart(CVertexBuffer* part) {
  part->Free();
  VertexBufferPool().Free(part);
}

bool NameMatches(const CTexture* texture, const char* name) {
  const char* own = texture != nullptr && texture->Name != nullptr ? texture->Name : "";
  if (name == nullptr) return strcasecmp(own, "default") != 0;
  return strcasecmp(own, name) == 0;
}

}  // namespace

void SetMeshShadowFree(MeshShadowFree hook) { g_ShadowFree = hook; }

CVBufferObject::CVBufferObject() = default;

CVBufferObject::CVBufferObject(CRender* render, CTextureManager* textures, CMaterialList* materials,
                               CLinearBuffer* queueAllocator, DepthSortQueue* queue) {
  // The part constructor keeps the modules for both classes.
  CVertexBuffer keep(render, textures, materials, queueAllocator, queue);
}

CVBufferObject::~CVBufferObject() { Free(); }

bool CVBufferObject::Load(ByteReader& in, std::uint32_t objectFileVersion) {
  in.U32();  // tag
  const std::uint32_t count = in.U32();
  if (!in.Ok() || !in.HasRoomFor(count, kMinPartRecord)) return false;
  CVertexBuffer* last = FirstPart;
  while (last != nullptr && last->Next != nullptr) last = last->Next;
  for (std::uint32_t i = 0; i < count; ++i) {
    CVertexBuffer* part = NewPart();
    if (part == nullptr) return false;
    const bool ok = part->Load(in, objectFileVersion);
    (last != nullptr ? last->Next : FirstPart) = part;
    last = part;
    ++PartCount;
    MemoryBytes += part->MemoryBytes;
    if (!ok) return false;
  }
  return true;
}

void CVBufferObject::Free() {
  if (FirstPart != nullptr && g_ShadowFree != nullptr) g_ShadowFree(this);
  for (CVertexBuffer* part = FirstPart; part != nullptr;) {
    CVertexBuffer* next = part->Next;
    part->Next = nullptr;
    ReleasePart(part);
    part = next;
  }
  FirstPart = nullptr;
  PartCount = 0;
  MemoryBytes = sizeof(CVBufferObject);
}

CVertexBuffer* CVBufferObject::GetPart(std::uint32_t i) const {
  CVertexBuffer* part = FirstPart;
  for (; part != nullptr && i != 0; --i) part = part->Next;
  return part;
}

template <typename F>
bool CVBufferObject::ForPartsNamed(const char* name, F apply) {
  bool matched = false;
  for (CVertexBuffer* part = FirstPart; part != nullptr; part = part->Next) {
    if (!NameMatches(part->Texture, name)) continue;
    apply(part);
    matched = true;
  }
  return matched;
}

bool CVBufferObject::SetBumpByTexture(CTexture* bumpTexture, const char* name) {
  return ForPartsNamed(name, [&](CVertexBuffer* p) { p->PrepareBump(bumpTexture); });
}

bool CVBufferObject::SetReflectionByTexture(CTexture* texture, float strength, const char* name) {
  return ForPartsNamed(name, [&](CVertexBuffer* p) { p->SetPartParams(texture, strength); });
}

bool CVBufferObject::SupportsBumpByTexture(int, int, int, const char* name) {
  return ForPartsNamed(name, [](CVertexBuffer*) {});
}

bool CVBufferObject::SetDetailByTexture(CTexture* texture, std::uint32_t blendMode, float strength, float scaleU,
                                        float scaleV, const char* name) {
  return ForPartsNamed(name,
                       [&](CVertexBuffer* p) { p->SetDetailParams(texture, blendMode, strength, scaleU, scaleV); });
}

void CVBufferObject::MarkTexture(const CTexture* texture) {
  for (CVertexBuffer* part = FirstPart; part != nullptr; part = part->Next)
    if (texture == nullptr || part->Texture == texture) part->Marked = 1;
}

void CVBufferObject::SetCutOut() {
  for (CVertexBuffer* part = FirstPart; part != nullptr; part = part->Next) part->Flags |= MESHPART_CUT_OUT;
}

namespace {
void AddDistinct(std::vector<std::uint32_t>* ids, std::uint32_t id) {
  if (std::find(ids->begin(), ids->end(), id) == ids->end()) ids->push_back(id);
}
}  // namespace

void CVBufferObject::GetTextureIds(std::vector<std::uint32_t>* ids) const {
  ids->clear();
  for (const CVertexBuffer* part = FirstPart; part != nullptr; part = part->Next) AddDistinct(ids, part->TextureId);
}

void CVBufferObject::GetMaterialIds(std::vector<std::uint32_t>* ids) const {
  ids->clear();
  for (const CVertexBuffer* part = FirstPart; part != nullptr; part = part->Next) AddDistinct(ids, part->MaterialId);
}

bool IsMeshKindRecord(const std::uint32_t* record) {
  if (record == nullptr) return true;
  const std::uint32_t kind = record[0];
  return kind == 0 || kind == 1 || kind == 3 || kind == 4;
}
