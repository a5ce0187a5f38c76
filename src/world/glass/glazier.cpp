#include "world/glass/glazier.h"

#include <cstring>
#include <new>

#include "foundation/maths/random_tables.h"
#include "foundation/system/debug_output.h"
#include "render/geometry/geometry_ops.h"
#include "scene/transparent/depth_sort_queue.h"
#include "world/environment/env_text_cursor.h"

using geom::operator+;
using geom::operator-;
using geom::operator*;

CGlazier* g_Glazier = nullptr;

namespace {

constexpr int kWordSize = 64;
// Spin speeds of a new shard: random in [-180, 180) degrees per second.
constexpr float kMaxSpin = 180.0f;

bool Is(const char* word, const char* expected) { return std::strcmp(word, expected) == 0; }

// The pane's plane frame: u along the first edge, v = n x u, so that
// (u, v, n) is right-handed.  Plane coordinates are taken relative to a point.
struct PlaneFrame {
  CVector3 u, v, n;
  void Coordinates(const CVector3& p, const CVector3& origin, float out[2]) const {
    const CVector3 d = p - origin;
    out[0] = geom::Dot(d, u);
    out[1] = geom::Dot(d, v);
  }
};

PlaneFrame FrameOf(const GlassPane& pane) {
  PlaneFrame f;
  f.n = geom::Normal(pane.Outline.Plane);
  const CVector3 edge = pane.Outline.Points[1] - pane.Outline.Points[0];
  f.u = geom::Unit(edge - f.n * geom::Dot(edge, f.n));
  f.v = geom::Cross(f.n, f.u);
  return f;
}

void SetCorner(GlassShard& s, int k, const float p[2]) {
  s.Corners[k][0] = p[0];
  s.Corners[k][1] = p[1];
}

// Queues one mesh item; false when the queue's block is full.
bool QueueMesh(DepthSortQueue* queue, CVertexBuffer* part, const CMatrix& world, const CVector3& at,
               const GlassPane& pane) {
  auto* item = queue->AllocItem<MeshPartItem>(DSK_MESH);
  if (item == nullptr) return false;
  item->World = world;
  item->Part = part;
  item->TextureOverride = nullptr;
  item->Flags = kMeshItemQueued;
  item->Params = MeshDrawParams{};
  item->Params.Colour = 0;
  item->Lights.Count = static_cast<std::uint8_t>(pane.EffectCount);
  std::memcpy(item->Lights.Index, pane.Effects, sizeof item->Lights.Index);
  item->PixelLight = nullptr;
  queue->Insert(queue->BucketOf(at), item);
  return true;
}

}  // namespace

CGlazier::CGlazier(int shardCount) : shardCount_(shardCount > 0 ? shardCount : 0) {}

CGlazier::~CGlazier() {
  FreeShards();
  for (GlassPane& p : panes_) p.FreeMesh();
  if (g_Glazier == this) g_Glazier = nullptr;
}

bool CGlazier::MakeShards() {
  FreeShards();
  if (shardCount_ == 0) return true;
  try {
    std::vector<GlassShard> made(static_cast<std::size_t>(shardCount_));
    shards_.swap(made);
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (int i = 0; i < shardCount_; ++i) {
    if (!shards_[i].MakeMesh()) {
      DebugTrace("Glass: the mesh of shard %d could not be made\n", i);
      FreeShards();
      return false;
    }
  }
  shardCursor_ = 0;
  return true;
}

void CGlazier::FreeShards() {
  std::vector<GlassShard>().swap(shards_);
  shardCursor_ = 0;
}

int CGlazier::ReadText(EnvTextCursor& text, int version, const GlassModules& modules) {
  if (version < kGlassVersionSection) return 1;
  char word[kWordSize];
  if (!text.Token(word) || !Is(word, "<GLAZIER>")) {
    DebugTrace("Environment file: \"<GLAZIER>\" expected at line %d\n", text.Line());
    return 0;
  }
  if (!text.Token(word)) return 0;
  while (Is(word, "<PANE>")) {
    const int slot = AddPane();
    if (slot < 0) {
      DebugTrace("Environment file: more than %d glass panes at line %d\n", kGlassMaxPanes, text.Line());
      return 0;
    }
    if (!panes_[slot].ReadText(text, version, modules)) return 0;
    if (defaultReflection_ != nullptr && panes_[slot].ReflectionTexture == nullptr) {
      panes_[slot].ReflectionTexture = defaultReflection_;
      panes_[slot].ReflectionStrength = defaultStrength_;
    }
    ++paneCount_;
    if (!text.Token(word)) return 0;
  }
  if (!Is(word, "</GLAZIER>")) {
    DebugTrace("Environment file: \"</GLAZIER>\" expected at line %d\n", text.Line());
    return 0;
  }
  return 1;
}

void CGlazier::WriteText(std::string* out, int version) const {
  *out += "<GLAZIER>\r\n";
  for (const GlassPane& p : panes_)
    if (p.State != GLASS_EMPTY) p.WriteText(out, version);
  *out += "</GLAZIER> \r\n";
}

int CGlazier::FindFreeShard() {
  for (int k = 0; k < shardCount_ && !shards_.empty(); ++k) {
    const int i = (shardCursor_ + k) % shardCount_;
    if (shards_[i].Owner == -1) {
      shardCursor_ = (i + 1) % shardCount_;
      return i;
    }
  }
  return -1;
}

void CGlazier::StartShard(GlassShard& shard, int pane, float push) {
  const GlassPane& p = panes_[pane];
  shard.Owner = pane;
  shard.PushFactor = RandomFloat(1.0f) * push;
  shard.FallSpeed = 0.0f;
  for (float& s : shard.Spin) s = RandomFloatRange(-kMaxSpin, kMaxSpin);
  shard.SpinAngle = 0.0f;
  shard.Mesh.SetPartParams(p.ReflectionTexture, p.ReflectionStrength);
  shard.Mesh.Material = p.Material;
  shard.Mesh.MaterialId = p.Mesh != nullptr ? p.Mesh->MaterialId : 0;
}

void CGlazier::Shatter(int paneIndex, int side, const CVector3* impact) {
  GlassPane* pane = GetPane(paneIndex);
  if (pane == nullptr || pane->State != GLASS_INTACT) return;
  const PlaneFrame frame = FrameOf(*pane);
  // The impact point, brought onto the pane's plane.
  CVector3 c = impact != nullptr ? *impact : pane->Centre;
  c = c - frame.n * geom::Distance(pane->Outline.Plane, c);
  float push;
  if (side == kGlassSideBack) {
    pane->State = GLASS_SHATTERED_BACK;
    push = -pane->PushSpeed[1];
  } else {
    pane->State = GLASS_SHATTERED_FRONT;
    push = pane->PushSpeed[0];
  }
  if (shards_.empty()) return;

  // The fan: one triangle (c, edge start, edge end) per outline edge.
  const int n = pane->Outline.Count;
  int firstShard = -1;
  for (int e = 0; e < n; ++e) {
    const int i = FindFreeShard();
    if (i < 0) break;
    if (firstShard < 0) firstShard = i;
    GlassShard& s = shards_[i];
    StartShard(s, paneIndex, push);
    const float origin[2] = {0.0f, 0.0f};
    float a[2], b[2];
    frame.Coordinates(pane->Outline.Points[e], c, a);
    frame.Coordinates(pane->Outline.Points[(e + 1) % n], c, b);
    SetCorner(s, 0, origin);
    SetCorner(s, 1, a);
    SetCorner(s, 2, b);
  }
  if (firstShard < 0) return;

  // The splits: a shard of this pane (the search goes on cyclically from
  // where the last one ended) is cut at a random point P inside it.  With r
  // and s random in 0..1, folded back when r + s >= 1, P = r A + s B + w C
  // (w = 1 - r - s) is uniform over the triangle.  The cut runs from A
  // through P to the edge BC, which it meets at Q = (s B + w C) / (s + w);
  // the two shards (A, B, Q) and (A, Q, C) cover the triangle.
  int search = firstShard;
  for (int k = 0; k < pane->Splits[1]; ++k) {
    const int freeIndex = FindFreeShard();
    if (freeIndex < 0) break;
    int found = -1;
    for (int j = 0; j < shardCount_; ++j) {
      const int i = (search + j) % shardCount_;
      if (i != freeIndex && shards_[i].Owner == paneIndex) {
        found = i;
        search = (i + 1) % shardCount_;
        break;
      }
    }
    if (found < 0) break;
    GlassShard& old = shards_[found];
    GlassShard& cut = shards_[freeIndex];
    float r = RandomFloat(1.0f), s = RandomFloat(1.0f);
    if (r + s >= 1.0f) r = 1.0f - r, s = 1.0f - s;
    const float w = 1.0f - r - s;
    const float* A = old.Corners[0];
    const float* B = old.Corners[1];
    const float* C = old.Corners[2];
    float q[2];
    if (s + w > 1e-6f) {
      q[0] = (s * B[0] + w * C[0]) / (s + w);
      q[1] = (s * B[1] + w * C[1]) / (s + w);
    } else {
      q[0] = 0.5f * (B[0] + C[0]);
      q[1] = 0.5f * (B[1] + C[1]);
    }
    StartShard(cut, paneIndex, push);
    SetCorner(cut, 0, A);
    SetCorner(cut, 1, q);
    SetCorner(cut, 2, C);
    SetCorner(old, 2, q);
  }

  // Finish: each shard's origin moves to its corners' average, where it is
  // placed in the world with the pane's frame as its orientation.
  CMatrix orientation;
  orientation.SetIdentity();
  const CVector3 rows[3] = {frame.u, frame.v, frame.n};
  for (int r = 0; r < 3; ++r) {
    orientation.m[r][0] = rows[r].x;
    orientation.m[r][1] = rows[r].y;
    orientation.m[r][2] = rows[r].z;
  }
  orientation.TypeFlags = MATF_ROTATION;
  for (int i = 0; i < shardCount_; ++i) {
    GlassShard& s = shards_[i];
    if (s.Owner != paneIndex) continue;
    const float g[2] = {(s.Corners[0][0] + s.Corners[1][0] + s.Corners[2][0]) / 3.0f,
                        (s.Corners[0][1] + s.Corners[1][1] + s.Corners[2][1]) / 3.0f};
    for (auto& corner : s.Corners) corner[0] -= g[0], corner[1] -= g[1];
    s.Position = c + frame.u * g[0] + frame.v * g[1];
    s.Orientation = orientation;
    s.WriteVertices(*pane);
  }
}

void CGlazier::ExplosionHit(const CVector3& centre, float radius) {
  for (int i = 0; i < kGlassMaxPanes; ++i) {
    const GlassPane& p = panes_[i];
    if (p.State != GLASS_INTACT) continue;
    if (geom::LengthSq(p.Centre - centre) > radius * radius) continue;
    // d < 0: the blast is behind the pane, so the shards fly to the front.
    const float d = geom::Dot(geom::Normal(p.Outline.Plane), centre - p.Centre);
    Shatter(i, d < 0.0f ? kGlassSideFront : kGlassSideBack, nullptr);
  }
}

void CGlazier::Update(float frameTime) {
  if (shards_.empty()) return;
  for (int i = 0; i < shardCount_; ++i) {
    GlassShard& s = shards_[i];
    if (s.Owner < 0) continue;
    const GlassPane& p = panes_[s.Owner];
    const float floor = p.State == GLASS_SHATTERED_FRONT ? p.FloorHeight[0] : p.FloorHeight[1];
    s.Step(frameTime, geom::Normal(p.Outline.Plane), floor);
  }
}

int CGlazier::Draw(DepthSortQueue* queue) {
  if (queue == nullptr) queue = g_DepthSortQueue;
  if (queue == nullptr) return 0;
  int queued = 0;
  for (int i = 0; !shards_.empty() && i < shardCount_; ++i) {
    GlassShard& s = shards_[i];
    if (s.Owner < 0) continue;
    CMatrix world;
    s.WorldMatrix(&world);
    queued += QueueMesh(queue, &s.Mesh, world, s.Position, panes_[s.Owner]) ? 1 : 0;
  }
  CMatrix identity;
  identity.SetIdentity();
  for (GlassPane& p : panes_) {
    if (p.State != GLASS_INTACT || p.Mesh == nullptr) continue;
    p.Mesh->SetPartParams(p.ReflectionTexture, p.ReflectionStrength);
    queued += QueueMesh(queue, p.Mesh, identity, p.Centre, p) ? 1 : 0;
  }
  return queued;
}

int CGlazier::CountShardsIn(const CVector3& centre, float width, float height) const {
  const float hw = width * 0.5f, hh = height * 0.5f;
  int count = 0;
  for (int i = 0; !shards_.empty() && i < shardCount_; ++i) {
    const GlassShard& s = shards_[i];
    if (s.Owner < 0) continue;
    CVector3 corners[3];
    s.WorldCorners(corners);
    for (const CVector3& p : corners) {
      if (p.x > centre.x - hw && p.x < centre.x + hw && p.y > centre.y - hh && p.y < centre.y + hh &&
          p.z > centre.z - hw && p.z < centre.z + hw) {
        ++count;
        break;
      }
    }
  }
  return count;
}

GlassPane* CGlazier::GetPane(int i) { return i >= 0 && i < kGlassMaxPanes ? &panes_[i] : nullptr; }
const GlassPane* CGlazier::GetPane(int i) const { return i >= 0 && i < kGlassMaxPanes ? &panes_[i] : nullptr; }

int CGlazier::PaneIndex(const GlassPane* pane) const {
  for (int i = 0; i < kGlassMaxPanes; ++i)
    if (&panes_[i] == pane) return i;
  return -1;
}

int CGlazier::AddPane() {
  for (int i = 0; i < kGlassMaxPanes; ++i)
    if (panes_[i].State == GLASS_EMPTY) return i;
  return -1;
}

void CGlazier::SetDefaultReflection(CTexture* texture, float strength) {
  defaultReflection_ = texture;
  defaultStrength_ = strength;
  for (GlassPane& p : panes_) {
    if (p.State == GLASS_EMPTY || p.ReflectionTexture != nullptr) continue;
    p.ReflectionTexture = texture;
    p.ReflectionStrength = strength;
  }
}

const GlassShard* CGlazier::GetShard(int i) const {
  return !shards_.empty() && i >= 0 && i < shardCount_ ? &shards_[i] : nullptr;
}

int CGlazier::LiveShards() const {
  int n = 0;
  for (int i = 0; !shards_.empty() && i < shardCount_; ++i) n += shards_[i].Owner >= 0 ? 1 : 0;
  return n;
}
