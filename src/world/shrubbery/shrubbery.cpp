#include "world/shrubbery/shrubbery.h"

#include <cmath>
#include <new>

#include "foundation/maths/random_tables.h"
#include "foundation/memory/linear_buffer.h"
#include "foundation/system/debug_output.h"
#include "render/device/render.h"
#include "scene/lights/light_table.h"
#include "scene/mesh/mesh_draw_params.h"
#include "scene/mesh/vbuffer_object.h"
#include "scene/transparent/depth_sort_queue.h"
#include "world/environment/env_file.h"
#include "world/environment/env_file_sections.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/environment.h"
#include "world/shrubbery/shrub_variants.h"
#include "world/shrubbery/shrubbery_section.h"

namespace {

// Half the queue's buckets: where the fade reaches 0.
std::uint32_t HalfBuckets(const DepthSortQueue& queue) {
  const std::uint32_t half = queue.BucketCount / 2;
  return half > 0 ? half : 1;
}

bool ReadSectionOfLevel(EnvTextCursor& text, const EnvSectionContext& context) {
  CEnvironment* env = context.environment;
  if (env != nullptr && env->Shrubbery != nullptr) return env->Shrubbery->Read(text, context.version, nullptr);
  // Without the environment's shrubbery the section is still read whole.
  CShrubbery scratch(env);
  return scratch.Read(text, context.version, nullptr);
}

}  // namespace

CShrubbery::CShrubbery(CEnvironment* owner) : owner_(owner) {}

CShrubbery::~CShrubbery() { Clear(); }

void CShrubbery::Clear() {
  for (int i = 0; i < gardenCount_; ++i) delete[] gardens_[i].Shrubs;
  delete[] gardens_;
  gardens_ = nullptr;
  gardenCount_ = 0;
}

void CShrubbery::ResetGardens(int n) {
  Clear();
  if (n <= 0) return;
  gardens_ = new (std::nothrow) Garden[static_cast<std::size_t>(n)];
  gardenCount_ = gardens_ != nullptr ? n : 0;
}

void CShrubbery::SetDensity(float density) {
  if (std::isnan(density)) return;
  density_ = density < 0.0f ? 0.0f : density > 1.0f ? 1.0f : density;
}

int ShrubKeptCount(int n, float density, double accumulator) {
  // In double precision the product and the running sums of (1 - density)
  // are exact, so this agrees with the shrub-by-shrub decisions of Apply.
  const double drop = 1.0 - static_cast<double>(density);
  const double dropped = std::trunc(drop * n + accumulator);
  const int kept = n - static_cast<int>(dropped);
  return kept < 0 ? 0 : kept > n ? n : kept;
}

bool CShrubbery::Read(EnvTextCursor& text, int version, CLinearBuffer* buffer) {
  ShrubberyMakeVariants();
  ShrubberySectionData data;
  int line = 0;
  const bool whole = ReadShrubberySection(text, version, &data, &line);
  Apply(data, buffer);
  return whole;
}

void CShrubbery::Apply(const ShrubberySectionData& data, CLinearBuffer* buffer) {
  ResetGardens(static_cast<int>(data.Gardens.size()));
  badTemplateIndices_ = 0;

  // The template table: from the buffer when it has room, else the heap.
  const std::size_t t = data.Templates.size();
  CEnvObject** table = nullptr;
  std::uint32_t taken = 0;
  bool onHeap = false;
  if (t > 0) {
    const std::uint64_t bytes = static_cast<std::uint64_t>(t) * sizeof(CEnvObject*);
    if (buffer != nullptr && bytes <= 0xFFFFFFFFull) {
      const std::uint32_t before = buffer->GetUsed();
      table = static_cast<CEnvObject**>(buffer->Alloc(static_cast<std::uint32_t>(bytes), alignof(CEnvObject*)));
      taken = buffer->GetUsed() - before;
    }
    if (table == nullptr) {
      table = new (std::nothrow) CEnvObject*[t];
      onHeap = table != nullptr;
    }
  }
  for (std::size_t i = 0; i < t && table != nullptr; ++i) {
    const char* name = data.Templates[i].c_str();
    CEnvObject* templ = nullptr;
    if (owner_ != nullptr) {
      templ = owner_->FindObjectByName(name);
      if (templ == nullptr) templ = EnvFileLoadObjectByKind(owner_, -1, name);
    }
    if (templ == nullptr) DebugTrace("Shrubbery: no template \"%s\"; its shrubs draw nothing\n", name);
    table[i] = templ;
  }

  // The keep accumulator runs over all gardens, so that the remainder of
  // one garden carries over to the next.  It is kept in double precision,
  // where its sums of (1 - density) are exact: the shrub-by-shrub decisions
  // then keep exactly the count the density gives, which sizes the garden.
  const double drop = 1.0 - static_cast<double>(density_);
  double a = 0.0;
  for (int g = 0; g < gardenCount_; ++g) {
    const std::vector<ShrubFileRecord>& records = data.Gardens[static_cast<std::size_t>(g)];
    const int n = static_cast<int>(records.size());
    const int slots = ShrubKeptCount(n, density_, a);
    Garden& garden = gardens_[g];
    garden.Shrubs = slots > 0 ? new (std::nothrow) Shrub[static_cast<std::size_t>(slots)] : nullptr;
    const int capacity = garden.Shrubs != nullptr ? slots : 0;
    int kept = 0;
    for (const ShrubFileRecord& r : records) {
      a += drop;
      if (a >= 1.0) {
        a -= 1.0;  // dropped
        continue;
      }
      if (kept >= capacity) continue;  // never past the slots the count gave
      Shrub& s = garden.Shrubs[kept++];
      s.Position = r.Position;
      s.AngleZ = r.AngleZ;
      s.AngleX = r.AngleX;
      s.AngleY = r.AngleY;
      s.Size = r.Size;
      s.Flags = (r.Flags & ~kShrubVariantMask) | static_cast<std::uint32_t>(RandomIntBelow(kShrubVariantCount));
      if (r.TemplateIndex >= 0 && static_cast<std::size_t>(r.TemplateIndex) < t) {
        s.Template = table != nullptr ? table[r.TemplateIndex] : nullptr;
      } else {
        s.Template = nullptr;
        ++badTemplateIndices_;
      }
    }
    garden.Count = kept;
  }
  if (badTemplateIndices_ > 0)
    DebugTrace("Shrubbery: %d shrubs name a template the section does not list\n", badTemplateIndices_);

  // Give the table back.
  if (onHeap) delete[] table;
  else if (taken > 0) buffer->FreeTop(taken);
}

void CShrubbery::QueueGarden(CEnvInstance* instance) {
  if (instance == nullptr) return;
  const Garden* garden = GetGarden(instance->GardenIndex);
  if (garden == nullptr || garden->Count == 0) return;
  DepthSortQueue* queue = owner_ != nullptr && owner_->Queue != nullptr ? owner_->Queue : g_DepthSortQueue;
  if (queue == nullptr) return;
  const CRender* render = owner_ != nullptr ? owner_->Render : nullptr;
  const std::uint32_t options = render != nullptr ? render->GetRenderOptions() : 0;
  const std::uint32_t half = HalfBuckets(*queue);
  const std::uint32_t limit = (options & kRenderOptionShrubNearHalf) ? half : queue->BucketCount;
  for (int i = 0; i < garden->Count; ++i) {
    Shrub& shrub = garden->Shrubs[i];
    const std::uint32_t bucket = queue->BucketOf(shrub.Position);
    if (bucket >= limit) continue;
    // Past half the buckets the fade would fall below 0 (and its alpha
    // wrap round to a large value): such shrubs are not queued at all.
    const float fade = 1.0f - static_cast<float>(bucket) / static_cast<float>(half);
    if (!(fade > 0.0f)) continue;
    auto* item = queue->AllocItem<ShrubBatchItem>(DSK_SHRUB_BATCH);
    if (item == nullptr) return;
    item->Shrub = &shrub;
    item->Fade = fade > 1.0f ? 1.0f : fade;
    item->Lights.Count = 0;  // the queue's fixed light
    if (shrub.Flags & kShrubAlternativeState) {
      const int n = CLightTable::ActiveCount < CLightTable::kMaxActive ? CLightTable::ActiveCount
                                                                        : CLightTable::kMaxActive;
      item->Lights.Count = static_cast<std::uint8_t>(n);
      for (int k = 0; k < n; ++k) item->Lights.Index[k] = CLightTable::Active[k];
    }
    queue->Insert(bucket, item);
  }
}

bool CShrubbery::CheckGardens() const {
  if (owner_ == nullptr) return true;
  constexpr float kGrowth = 0.5f;
  for (CEnvInstance* instance = owner_->InstanceList; instance != nullptr; instance = instance->EnvLink) {
    const Garden* garden = GetGarden(instance->GardenIndex);
    if (garden == nullptr || instance->Template == nullptr) continue;
    const EnvBounds& box = instance->Template->GetBounds();
    for (int i = 0; i < garden->Count; ++i) {
      const CVector3& p = garden->Shrubs[i].Position;
      if (p.x < box.Min.x - kGrowth || p.x > box.Max.x + kGrowth || p.y < box.Min.y - kGrowth ||
          p.y > box.Max.y + kGrowth || p.z < box.Min.z - kGrowth || p.z > box.Max.z + kGrowth)
        return false;
    }
  }
  return true;
}

int ShrubberyAddTemplate(std::vector<CEnvObject*>* table, CEnvObject* templ) {
  if (table == nullptr) return -1;
  for (std::size_t i = 0; i < table->size(); ++i)
    if ((*table)[i] == templ) return static_cast<int>(i);
  table->push_back(templ);
  return static_cast<int>(table->size()) - 1;
}

void CShrubbery::WriteSection(std::string* out, int version) const {
  if (out == nullptr) return;
  std::vector<CEnvObject*> templates;
  ShrubberySectionData data;
  for (int g = 0; g < gardenCount_; ++g) {
    std::vector<ShrubFileRecord> records;
    for (int i = 0; i < gardens_[g].Count; ++i) {
      const Shrub& s = gardens_[g].Shrubs[i];
      ShrubFileRecord r;
      r.Position = s.Position;
      r.AngleZ = s.AngleZ;
      r.AngleX = s.AngleX;
      r.AngleY = s.AngleY;
      r.Size = s.Size;
      r.Flags = s.Flags;
      r.TemplateIndex = s.Template != nullptr ? ShrubberyAddTemplate(&templates, s.Template) : -1;
      records.push_back(r);
    }
    data.Gardens.push_back(std::move(records));
  }
  for (const CEnvObject* t : templates) data.Templates.push_back(t->ObjectName);
  WriteShrubberySection(out, data, version);
}

void ShrubWorldMatrix(const Shrub& shrub, CMatrix* out) {
  CMatrix& m = *out;
  m.SetIdentity();
  m.RotateY(shrub.AngleY);
  m.RotateZ(shrub.AngleZ);
  m.RotateX(shrub.AngleX);
  m.SetTranslation(shrub.Position);
  if (!(shrub.Flags & kShrubSways)) return;
  // A lean: p' = p x M + p.y x s, with s the sway offset turned into the
  // world by the rotation, that is M's y row grows by s.  The base stays
  // put and the top moves by s for each unit of height.
  const CVector3& offset = GetShrubVariant(shrub.Variant()).Offset;
  CVector3 s{};
  CMatrix rotation = m;
  rotation.TypeFlags |= MATF_ROTATION;
  rotation.RotateVector(offset, &s);
  m.m[1][0] += s.x;
  m.m[1][1] += s.y;
  m.m[1][2] += s.z;
  m.TypeFlags = (m.TypeFlags & ~static_cast<std::uint32_t>(MATF_IDENTITY)) | MATF_ROTATION;
}

std::uint32_t ShrubDrawColour(const Shrub& shrub, float fade) {
  const float f = fade > 0.0f ? (fade < 1.0f ? fade : 1.0f) : 0.0f;  // also 0 for a fade that is not a number
  const std::uint32_t alpha = static_cast<std::uint32_t>(f * 255.0f);
  return (GetShrubVariant(shrub.Variant()).Tint & 0x00FFFFFFu) | alpha << 24;
}

void ShrubDraw(void* item, float fade) {
  const auto* shrub = static_cast<const Shrub*>(item);
  if (shrub == nullptr || shrub->Template == nullptr || shrub->Template->Mesh == nullptr) return;
  // The device the mesh parts draw through.
  CRender* render = CVertexBuffer::Engine().Render != nullptr ? CVertexBuffer::Engine().Render : g_Render;
  if (render == nullptr) return;
  CMatrix world;
  ShrubWorldMatrix(*shrub, &world);
  render->SetWorldMatrix(world);
  MeshDrawParams params;
  params.Kind = kMeshDrawTintBlend;
  params.Colour = ShrubDrawColour(*shrub, fade);
  render->SetAlphaTest(1, kDepthSortAlphaRef);
  // Drawn at once: the queue is drawing this item already.
  for (CVertexBuffer* part = shrub->Template->Mesh->FirstPart; part != nullptr; part = part->Next)
    part->DrawDirect(nullptr, &params);
}

void InstallShrubDraw(DepthSortQueue* queue) {
  if (queue == nullptr) return;
  DepthSortDrawHooks hooks = queue->GetDrawHooks();
  hooks.DrawShrubBatch = ShrubDraw;
  queue->SetDrawHooks(hooks);
}

void InstallShrubbery() {
  SetEnvSectionReader(ENVSECTION_SHRUBBERY, ReadSectionOfLevel);
  InstallShrubDraw(g_DepthSortQueue);
  if (g_Environment != nullptr) InstallShrubDraw(g_Environment->Queue);
}
