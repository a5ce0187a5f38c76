// The world queries over the placed instances' BSP trees: line tests through
// zones and portals or over the flat instance list, ground probes, sphere
// sweeps with collide-and-slide, polygons in a sphere, and zone changes.
//
// Frame: world units (centimetres), y up, row vectors (p' = p x M).  A
// segment query works in the hit node's local space: the node's segment is
// the world segment carried through the inverse matrix, so the BSP walk's
// factor along it is the factor along the world segment too.
#include "world/space/world_queries.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "foundation/system/debug_output.h"
#include "render/bsp/bsp_query.h"
#include "render/bsp/point_in_polygon.h"
#include "render/geometry/geometry_ops.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/environment.h"
#include "world/glass/glazier.h"
#include "world/space/octree.h"
#include "world/space/portal.h"
#include "world/space/segment_box.h"
#include "world/space/zone_record.h"

using geom::operator+;
using geom::operator-;
using geom::operator*;

namespace {

WorldHit g_StaticHit{};
WorldHit g_LastMove{};
std::uint32_t g_PortalStamp = 0;

// Instance flag word bits the queries read.
constexpr std::uint32_t kFlagOwner = 0x1;
constexpr std::uint32_t kFlagBit29 = 1u << 29;
constexpr std::uint32_t kFlag64 = 64;
constexpr float kStartDistance = 1e8f;
constexpr float kMissDistance = 1e10f;
constexpr float kGlassStartDistance = 1e14f;
// Any of these query flags leaves the glass panes out.
constexpr std::uint32_t kSkipGlassFlags = 0x111;

// The tree a query walks for a node: its collision tree, else its own.
const BspNode* NodeTree(const CEnvObject* node) {
  if (!node) return nullptr;
  return node->CollisionBsp ? node->CollisionBsp : node->Bsp;
}

// One node of an instance with its matrices: those of the instance itself
// (read in place) or a node's, with the inverse worked out (held here).
struct NodeFrame {
  const CEnvObject* node;
  int index;          // node index for the instance's transforms, -1 for the instance matrix
  float scale;        // world length per local length
  const CMatrix* worldRef = nullptr;
  const CMatrix* localRef = nullptr;
  CMatrix world{};
  CMatrix local{};

  const CMatrix& ToWorld() const { return worldRef ? *worldRef : world; }
  const CMatrix& ToLocal() const { return localRef ? *localRef : local; }
};

// Calls f(frame) for every node of the instance that has a tree: every plain
// node of a hierarchical template through its node matrix, otherwise the
// instance's own template through the world matrix.
template <typename F>
void ForEachNode(CEnvInstance* instance, F f) {
  const CEnvObject* t = instance->Template;
  if (!t) return;
  if (t->TemplateKind == OTYPE_TRANSFORMANIM) {
    for (const CEnvObject* node = t; node; node = node->NextNode) {
      if ((node->Flags & EOF_CONNECTOR) || !NodeTree(node)) continue;
      const CMatrix* m = instance->GetNodeWorldMatrix(node->NodeIndex);
      NodeFrame frame{node, node->NodeIndex, 1.0f};
      frame.world = m ? *m : instance->GetWorldMatrix();
      if (!frame.world.Invert(&frame.local, nullptr)) continue;
      f(frame);
    }
    return;
  }
  if (!NodeTree(t)) return;
  NodeFrame frame{t, -1,
                  std::max({std::fabs(instance->Scale.x), std::fabs(instance->Scale.y), std::fabs(instance->Scale.z)})};
  frame.worldRef = &instance->GetWorldMatrix();
  frame.localRef = &instance->GetInverseWorldMatrix();
  if (frame.scale <= 0) frame.scale = 1;
  f(frame);
}

bool Skipped(const CEnvInstance* instance, std::uint32_t flags) {
  if (instance->Flags & INSTF_DISABLED) return true;  // broken and disabled scenery no longer blocks
  if ((flags & WQF_SKIP_BIT29) && (instance->Flags & kFlagBit29)) return true;
  if ((flags & WQF_SKIP_FLAG64) && (instance->Flags & kFlag64)) return true;
  return false;
}

// The BSP filter bits from the query flags: 0x80, 0x100, 0x400 ... 0x4000
// become 1, 2, 4 ... 64.
std::uint32_t FilterBits(std::uint32_t flags) {
  static const std::uint32_t from[7] = {0x80, 0x100, 0x400, 0x800, 0x1000, 0x2000, 0x4000};
  std::uint32_t bits = 0;
  for (int i = 0; i < 7; ++i)
    if (flags & from[i]) bits |= 1u << i;
  return bits;
}

void RecordPolygonHit(WorldHit* hit, CEnvInstance* instance, const NodeFrame& frame, float t,
                      std::uint32_t hitFlags) {
  const BspSegmentResult& r = GetBspSegmentResult();
  hit->Hit = 1;
  hit->Point = r.Point;
  hit->Instance = instance;
  hit->Node = frame.node;
  hit->Polygon = r.Polygon;
  std::memcpy(hit->Plane, r.Plane, sizeof hit->Plane);
  hit->Distance = t;
  hit->Flags |= hitFlags;
  if (instance->Flags & kFlagOwner) {
    hit->Flags |= WHF_OWNER;
    hit->Owner = 1;
  } else {
    hit->Flags &= ~static_cast<std::uint32_t>(WHF_OWNER);
    hit->Owner = 0;
  }
  frame.ToWorld().TransformPoint(r.Point, &hit->WorldPoint);
}

// The intact panes of the environment's glass set against the segment, into
// the hit record: the segment meets a pane's plane at factor t (a start on
// the plane at 0; parallel or outside 0..1 misses), and a point inside the
// pane's outline at a factor not beyond the record's distance is recorded.
// Answers 1 when a pane was recorded.
int TestGlass(const CVector3& start, const CVector3& end, WorldHit* hit, std::uint32_t flags) {
  if ((flags & kSkipGlassFlags) || g_Environment == nullptr || g_Environment->Glass == nullptr) return 0;
  const CGlazier& glass = *g_Environment->Glass;
  int found = 0;
  for (int i = 0; i < kGlassMaxPanes; ++i) {
    const GlassPane& pane = *glass.GetPane(i);
    if (pane.State != GLASS_INTACT) continue;
    CVector3 point;
    float t = 0.0f;
    if (!geom::IntersectSegment(pane.Outline.Plane, start, end, &point, &t)) continue;
    if (t > hit->Distance) continue;
    if (!PointInPlanarPolygon(point, pane.Outline.Plane, static_cast<std::uint32_t>(pane.Outline.Count),
                              pane.Outline.Points))
      continue;
    hit->Hit = 1;
    hit->Flags |= kGlassHitFlags;
    if (geom::Distance(pane.Outline.Plane, start) > 0.0f) hit->Flags |= WHF_GLASS_FRONT;
    else hit->Flags &= ~static_cast<std::uint32_t>(WHF_GLASS_FRONT);
    std::memcpy(hit->Plane, pane.Outline.Plane, sizeof hit->Plane);
    hit->Pane = i;
    hit->GlassPoint = point;
    hit->Distance = t;
    found = 1;
  }
  return found;
}

// The instances one gathering has listed: an open-addressed table of
// instance pointers whose slots carry the number of the gathering that filled
// them, so that a new gathering starts empty at no cost and an instance met
// again (in another octree leaf) is known without reading its record.
class GatheredSet {
 public:
  void Begin() {
    if (++generation_ == 0) {  // the numbers wrapped: forget every slot
      for (Slot& slot : slots_) slot.generation = 0;
      generation_ = 1;
    }
    count_ = 0;
  }
  // True when the instance is new to the gathering (it is then taken in).
  bool Insert(const CEnvInstance* instance) {
    if (2 * (count_ + 1) > slots_.size()) Grow();
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = Hash(instance) & mask;; at = (at + 1) & mask) {
      Slot& slot = slots_[at];
      if (slot.generation != generation_) {
        slot = {instance, generation_};
        ++count_;
        return true;
      }
      if (slot.instance == instance) return false;
    }
  }

 private:
  struct Slot {
    const CEnvInstance* instance;
    std::uint32_t generation;
  };
  static std::size_t Hash(const CEnvInstance* instance) {
    std::uint64_t h = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(instance)) * 0x9E3779B97F4A7C15ull;
    return static_cast<std::size_t>(h ^ (h >> 29));
  }
  void Grow() {
    std::vector<Slot> old(std::max<std::size_t>(256, 2 * slots_.size()), Slot{nullptr, 0});
    old.swap(slots_);
    count_ = 0;
    const std::size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
      if (slot.generation != generation_) continue;
      std::size_t at = Hash(slot.instance) & mask;
      while (slots_[at].generation == generation_) at = (at + 1) & mask;
      slots_[at] = slot;
      ++count_;
    }
  }
  std::vector<Slot> slots_;
  std::uint32_t generation_ = 0;
  std::size_t count_ = 0;
};

// The instances of a zone along a segment or near a box: its octree's leaves
// on the way and its registered instances, each once, in gathering order.
// One gathering at a time uses the set (a gathering ends before anything
// else can start one).
GatheredSet g_Gathered;

struct Gathering {
  std::vector<CEnvInstance*>* out;

  void Add(CEnvInstance* i) const {
    if (g_Gathered.Insert(i)) out->push_back(i);
  }
};

void CollectLeaf(OctreeNode* leaf, void* context) {
  const auto* g = static_cast<const Gathering*>(context);
  if (const OctreeInstanceList* list = leaf->List)
    for (std::int32_t k = 0; k < list->Count; ++k) g->Add(list->Instances[k]);
}

void ZoneInstancesOnSegment(const ZoneRecord& zone, const CVector3& a, const CVector3& b,
                            std::vector<CEnvInstance*>* out) {
  out->clear();
  g_Gathered.Begin();
  Gathering g{out};
  OctreeWalkSegment(zone.Root(), a, b, &CollectLeaf, &g);
  for (CEnvInstance* i = zone.RegisteredInstances; i; i = i->ZoneLink) g.Add(i);
}

void ZoneInstancesInBox(const ZoneRecord& zone, const float* box, Gathering& g) {
  OctreeWalkBox(zone.Root(), box, &CollectLeaf, &g);
  for (CEnvInstance* i = zone.RegisteredInstances; i; i = i->ZoneLink) g.Add(i);
}

// A list of instances lent out by one query at a time; a query started while
// it is lent (a callback breaking the one-query-at-a-time rule) gets a list of
// its own rather than one being walked.
class InstanceScratch {
 public:
  InstanceScratch() {
    if (!g_Busy) {
      g_Busy = true;
      list_ = &g_Shared;
    } else {
      list_ = &own_;
    }
    list_->clear();
  }
  ~InstanceScratch() {
    if (list_ == &g_Shared) g_Busy = false;
  }
  InstanceScratch(const InstanceScratch&) = delete;
  InstanceScratch& operator=(const InstanceScratch&) = delete;
  std::vector<CEnvInstance*>& List() { return *list_; }

 private:
  static inline std::vector<CEnvInstance*> g_Shared;
  static inline bool g_Busy = false;
  std::vector<CEnvInstance*> own_;
  std::vector<CEnvInstance*>* list_;
};

// Sorts by entry, equal entries keeping their order (as std::stable_sort,
// without its buffer for the short lists of a walk).
template <typename T>
void StableSortByEntry(std::vector<T>* v) {
  if (v->size() > 32) {
    std::stable_sort(v->begin(), v->end(), [](const T& x, const T& y) { return x.entry < y.entry; });
    return;
  }
  for (std::size_t i = 1; i < v->size(); ++i) {
    T item = (*v)[i];
    std::size_t k = i;
    for (; k > 0 && item.entry < (*v)[k - 1].entry; --k) (*v)[k] = (*v)[k - 1];
    (*v)[k] = item;
  }
}

// Starts loading the parts of an instance record that Consider reads.
inline void Prefetch(const CEnvInstance* instance) {
  __builtin_prefetch(&instance->Flags);
  __builtin_prefetch(&instance->WorldBoxMax.z);
  __builtin_prefetch(&instance->NodeOverride);
  __builtin_prefetch(&instance->Template);
}

// An instance of a zone walk whose padded world box the segment enters, with
// the entry factor along the query's whole segment.
struct Candidate {
  float entry;
  CEnvInstance* instance;
};

// The segment a-b of one zone walk, whose start lies at factor t0 of the
// query's whole segment (distances are kept along the whole one).
struct ZoneSegment {
  const CVector3& a;
  const CVector3& b;
  CVector3 d;
  SegmentBounds bounds;
  float t0, span;
  std::uint32_t flags, filter;
  // The screen of the octree lists' box copies, padded as Consider pads a
  // box; unusable (and the copies unused) for a segment that is not finite,
  // for which the slab test's ranges need not follow the box.
  SegmentBoxScreen screen;
  bool screenUsable;

  ZoneSegment(const CVector3& start, const CVector3& end, float startFactor, std::uint32_t queryFlags)
      : a(start), b(end), d(end - start), bounds(start, d), t0(startFactor), span(1.0f - startFactor),
        flags(queryFlags), filter(FilterBits(queryFlags)) {
    screenUsable = screen.Set(a, d, 1.0f);
  }

  // Whether entry k's box copy of the list (see OctreeInstanceList) may hold
  // a box Consider keeps: false only when Consider's own test refuses the
  // copy, which holds every box Consider may test, so refuses those too (the
  // test only narrows a range as a box shrinks).  Only for a finite segment.
  bool CopyMayPass(const OctreeInstanceList& list, std::int32_t k) const {
    const float* group = list.Boxes + (k / 4) * kOctreeBoxGroupFloats;
    const int lane = k % 4;
    float entry;
    return EntersPadded({group[lane], group[4 + lane], group[8 + lane]},
                        {group[12 + lane], group[16 + lane], group[20 + lane]}, &entry);
  }

  // Whether the segment enters the box widened by 1 (its entry factor then).
  bool EntersPadded(const CVector3& boxLo, const CVector3& boxHi, float* entry) const {
    const CVector3 lo = boxLo - CVector3{1, 1, 1}, hi = boxHi + CVector3{1, 1, 1};
    return !bounds.Clear(lo, hi) && SegmentEntersBox(a, d, lo, hi, entry);
  }

  // Adds the instance to out when it is not skipped and the segment enters
  // its world box widened by 1.
  void Consider(CEnvInstance* instance, std::vector<Candidate>* out) const {
    if (Skipped(instance, flags) || !instance->Template) return;
    CVector3 lo, hi;
    if (instance->IsStatic()) {
      lo = instance->WorldBoxMin, hi = instance->WorldBoxMax;
    } else {
      instance->UpdateWorldBox(&lo, &hi);
    }
    float entry;
    if (!EntersPadded(lo, hi, &entry)) return;
    out->push_back({t0 + span * entry, instance});
    // What its test will read first, asked for ahead.
    const auto* inverse = reinterpret_cast<const char*>(&instance->GetInverseWorldMatrix());
    __builtin_prefetch(inverse);
    __builtin_prefetch(inverse + 64);
    PrefetchBspSegmentQuery(NodeTree(instance->Template));
  }

  // Ray-tests every node of the instance; a hit not farther than the best
  // replaces it (ties go to the later one).  With anyHit the first hit ends it.
  void Test(CEnvInstance* instance, WorldHit* hit, bool anyHit) const {
    ForEachNode(instance, [&](const NodeFrame& frame) {
      if (anyHit && hit->Hit) return;
      CVector3 la, lb;
      frame.ToLocal().TransformPoint(a, &la);
      frame.ToLocal().TransformPoint(b, &lb);
      const BspNode* tree = NodeTree(frame.node);
      if (!(anyHit ? BspSegmentQueryAny(tree, la, lb, filter) : BspSegmentQuery(tree, la, lb, filter))) return;
      float t = t0 + span * GetBspSegmentResult().Factor;
      if (t <= hit->Distance) RecordPolygonHit(hit, instance, frame, t, kZoneWalkHitFlags);
    });
  }
};

// The any-hit walk of a zone's instances: leaf by leaf along the segment, the
// instances new to the walk that the segment enters are tested at once,
// nearest entry first, and the first hit ends the walk.
struct AnyHitGathering {
  const ZoneSegment* segment;
  WorldHit* hit;
  std::vector<Candidate>* batch;

  bool Take(CEnvInstance* const* instances, std::int32_t count) const {
    batch->clear();
    for (std::int32_t k = 0; k < count; ++k)
      if (g_Gathered.Insert(instances[k])) segment->Consider(instances[k], batch);
    StableSortByEntry(batch);
    for (const Candidate& c : *batch) {
      segment->Test(c.instance, hit, true);
      if (hit->Hit) return true;
    }
    return false;
  }

  static void Collect(OctreeNode* leaf, void* context) {
    if (!leaf->List) return;
    // The list's count, box copies and entries, which follow it in one block.
    const OctreeInstanceList* list = leaf->List;
    const char* block = reinterpret_cast<const char*>(list);
    const char* end = reinterpret_cast<const char*>(list->Instances + list->Count);
    for (const char* line = block; line < end && line < block + 16 * 64; line += 64) __builtin_prefetch(line);
    static_cast<std::vector<const OctreeInstanceList*>*>(context)->push_back(leaf->List);
  }
};

// The zone walk of one zone for the segment a-b, whose start lies at factor
// t0 of the query's whole segment (distances are kept along the whole one).
// With anyHit the walk ends at the first surface found, nearest or not.
void ZoneWalk(CEnvInstance* zoneRoot, const CVector3& a, const CVector3& b, float t0, WorldHit* hit,
              std::uint32_t flags, CEnvInstance** zoneOut, int depth, bool anyHit) {
  if (!zoneRoot || !zoneRoot->Zone || depth > 64) return;
  const ZoneRecord& zone = *zoneRoot->Zone;
  if (zoneOut) *zoneOut = zoneRoot;
  const ZoneSegment segment(a, b, t0, flags);
  // Buffers kept from query to query, one pair per portal depth.
  static std::vector<CEnvInstance*> gathered_by_depth[65];
  static std::vector<Candidate> candidates_by_depth[65];
  std::vector<Candidate>& candidates = candidates_by_depth[depth];
  if (anyHit) {
    // The leaves' lists in order along the segment, and then the records
    // they name, scattered in memory, asked for all at once before any is read.
    static std::vector<const OctreeInstanceList*> lists_by_depth[65];
    std::vector<const OctreeInstanceList*>& lists = lists_by_depth[depth];
    lists.clear();
    OctreeWalkSegment(zone.Root(), a, b, &AnyHitGathering::Collect, &lists);
    // The entries whose box copies the segment may enter, list by list (an
    // entry refused here Consider would refuse wherever it is met).
    static std::vector<CEnvInstance*> passed_by_depth[65];
    static std::vector<std::size_t> ends_by_depth[65];
    std::vector<CEnvInstance*>& passed = passed_by_depth[depth];
    std::vector<std::size_t>& ends = ends_by_depth[depth];
    passed.clear();
    ends.clear();
    const bool copies = zone.Octree && segment.screenUsable;
    if (copies) OctreeEnsureBoxCopies(*zone.Octree);
    for (const OctreeInstanceList* list : lists) {
      if (!copies) {
        for (std::int32_t k = 0; k < list->Count; ++k) {
          Prefetch(list->Instances[k]);
          passed.push_back(list->Instances[k]);
        }
      } else {
        // The screen four at a time, the exact test on its survivors.
        for (std::int32_t group = 0; 4 * group < list->Count; ++group) {
          unsigned lanes = segment.screen.MayMeetFour(list->Boxes + group * kOctreeBoxGroupFloats);
          if (list->Count - 4 * group < 4) lanes &= (1u << (list->Count - 4 * group)) - 1;
          while (lanes) {
            const std::int32_t k = 4 * group + __builtin_ctz(lanes);
            lanes &= lanes - 1;
            if (!segment.CopyMayPass(*list, k)) continue;
            Prefetch(list->Instances[k]);
            passed.push_back(list->Instances[k]);
          }
        }
      }
      ends.push_back(passed.size());
    }
    g_Gathered.Begin();
    const AnyHitGathering g{&segment, hit, &candidates};
    for (std::size_t l = 0, from = 0; l < ends.size(); from = ends[l++])
      if (g.Take(passed.data() + from, static_cast<std::int32_t>(ends[l] - from))) return;
    std::vector<CEnvInstance*>& registered = gathered_by_depth[depth];
    registered.clear();
    for (CEnvInstance* i = zone.RegisteredInstances; i; i = i->ZoneLink) registered.push_back(i);
    if (g.Take(registered.data(), static_cast<std::int32_t>(registered.size()))) return;
  } else {
    std::vector<CEnvInstance*>& gathered = gathered_by_depth[depth];
    ZoneInstancesOnSegment(zone, a, b, &gathered);
    // Only instances whose world boxes the segment enters, nearest entry
    // first: once an entry lies beyond the best hit, nothing later can be
    // nearer.
    candidates.clear();
    for (CEnvInstance* instance : gathered) segment.Consider(instance, &candidates);
    StableSortByEntry(&candidates);
    for (const Candidate& c : candidates) {
      if (hit->Hit && c.entry > hit->Distance) break;
      segment.Test(c.instance, hit, false);
    }
  }
  for (Portal* p = zone.Portals; p; p = p->Next) {
    if (anyHit && hit->Hit) return;
    if (p->Closed == 1 || p->QueryStamp == g_PortalStamp) continue;
    CPlane plane = geom::AsPlane(p->Polygon.Plane);
    Vector3 cross;
    float f;
    if (!plane.IntersectSegmentFront(a, b, &cross, &f)) continue;
    float t = t0 + segment.span * f;
    if (hit->Hit && t > hit->Distance) continue;
    if (!p->ContainsPoint(cross)) continue;
    p->QueryStamp = g_PortalStamp;
    // A portal back into the zone being walked leads nowhere new.
    if (p->TargetZone == zoneRoot) continue;
    ZoneWalk(p->TargetZone, cross, b, t, hit, flags, zoneOut, depth + 1, anyHit);
  }
}

// A candidate of the flat tests: a node whose bounds the segment enters.
struct FlatCandidate {
  CEnvInstance* instance;
  NodeFrame frame;
  float entry;
  CVector3 localStart, localEnd;
};

void GatherFlat(CEnvironment& env, const CVector3& start, const CVector3& end, std::uint32_t flags,
                std::vector<FlatCandidate>* out) {
  out->clear();
  for (CEnvInstance* instance = env.InstanceList; instance; instance = instance->EnvLink) {
    if (Skipped(instance, flags) || instance == env.ExcludedInstance || !instance->Template) continue;
    // The stored box of a static instance, once it has been computed.
    const bool known = instance->WorldBoxMin.x <= instance->WorldBoxMax.x &&
                       (instance->WorldBoxMin.x != 0 || instance->WorldBoxMax.x != 0 ||
                        instance->WorldBoxMin.y != 0 || instance->WorldBoxMax.y != 0);
    if (instance->IsStatic() && known) {
      float entry;
      const CVector3 pad{1, 1, 1};
      if (!SegmentEntersBox(start, end - start, instance->WorldBoxMin - pad, instance->WorldBoxMax + pad, &entry))
        continue;
    }
    ForEachNode(instance, [&](const NodeFrame& frame) {
      FlatCandidate c{instance, frame, 0, {}, {}};
      frame.ToLocal().TransformPoint(start, &c.localStart);
      frame.ToLocal().TransformPoint(end, &c.localEnd);
      // Bounds of the node, slightly widened so that surfaces on the box pass.
      CVector3 lo = frame.node->Bounds.Min - CVector3{1, 1, 1}, hi = frame.node->Bounds.Max + CVector3{1, 1, 1};
      if (!SegmentEntersBox(c.localStart, c.localEnd - c.localStart, lo, hi, &c.entry)) return;
      out->push_back(c);
    });
  }
  std::stable_sort(out->begin(), out->end(), [](const FlatCandidate& x, const FlatCandidate& y) { return x.entry < y.entry; });
}

CEnvInstance* TopAncestor(CEnvInstance* i) { return i ? i->GetRoot() : nullptr; }

// The instances near a box in the outer world zone, the given zone (null:
// the view instance's) and the zones beyond any open portal of it whose
// sphere reaches the box: a sphere moving through a doorway meets what stands
// on the far side too.
void GatherSweepZones(CEnvironment& env, CEnvInstance* zone, const float* box, std::vector<CEnvInstance*>* out) {
  out->clear();
  static std::vector<CEnvInstance*> zones;
  zones.assign({env.RootInstance, zone ? TopAncestor(zone) : env.ViewInstance});
  if (zones[1] && zones[1]->Zone) {
    for (const Portal* p = zones[1]->Zone->Portals; p; p = p->Next) {
      if (p->Closed == 1 || !p->TargetZone) continue;
      const CVector3& c = p->Centre;
      float r = p->Radius;
      if (c.x + r < box[0] || c.x - r > box[3] || c.y + r < box[1] || c.y - r > box[4] || c.z + r < box[2] ||
          c.z - r > box[5])
        continue;
      zones.push_back(p->TargetZone);
    }
  }
  std::sort(zones.begin(), zones.end());
  zones.erase(std::unique(zones.begin(), zones.end()), zones.end());
  g_Gathered.Begin();
  Gathering g{out};
  for (CEnvInstance* z : zones)
    if (z && z->Zone) ZoneInstancesInBox(*z->Zone, box, g);
}

// Sweeps the sphere through one node; nearest contact (world travel) kept in best.
void SweepNode(CEnvInstance* instance, const NodeFrame& frame, const CSphere& sphere, const CVector3& velocity,
               float speed, WorldHit* best) {
  CSweptSphere s{};
  CVector3 c, m;
  frame.ToLocal().TransformPoint(sphere.Centre, &c);
  frame.ToLocal().RotateVector(velocity, &m);
  float r = sphere.Radius / frame.scale;
  float len = geom::Length(m);
  s.Sphere.Set(c, r);
  s.Motion = m;
  s.Direction = len > 0 ? m * (1.0f / len) : CVector3{0, 0, 0};
  s.Length = len;
  s.Bounds.Set(c + m * 0.5f, len * 0.5f + r);
  BspSweepQuery(NodeTree(frame.node), &s, 0);
  if (!s.Hit) return;
  float travel = s.HitDistance * frame.scale;
  if (speed > 0) travel = std::min(travel, speed);
  if (best->Hit && travel >= best->Distance) return;
  best->Hit = 1;
  best->Distance = std::max(travel, 0.0f);
  best->ContactKind = s.HitKind;
  best->StartedInside = s.StartedInside;
  best->ContactWord = s.HitDistance > 0 ? 0 : 1;
  best->Instance = instance;
  best->Node = frame.node;
  best->Polygon = s.HitPolygon;
  best->Point = s.ContactPoint;
  if (s.HasHitPlane) std::memcpy(best->Plane, s.HitPlane, sizeof best->Plane);
  frame.ToWorld().TransformPoint(s.ContactPoint, &best->WorldPoint);
  // Contact normal: from the contact point to the sphere's centre at contact.
  CVector3 centre_at = sphere.Centre + (speed > 0 ? velocity * (best->Distance / speed) : CVector3{0, 0, 0});
  CVector3 n = geom::Unit(centre_at - best->WorldPoint);
  if (geom::LengthSq(n) == 0 && s.HasHitPlane) {
    CVector3 ln{s.HitPlane[0], s.HitPlane[1], s.HitPlane[2]};
    frame.ToWorld().RotateVector(ln, &n);
    n = geom::Unit(n);
  }
  best->WorldNormal = n;
}

}  // namespace

CEnvironment& CWorldQueries::Env() { return *g_Environment; }

WorldHit& CWorldQueries::StaticHit() { return g_StaticHit; }
WorldHit& CWorldQueries::LastMove() { return g_LastMove; }

std::uint32_t CWorldQueries::AdvanceQueryStamp() {
  ++g_EnvQueryStamp;
  return ++g_PortalStamp;
}

int CWorldQueries::LineOfSight(CEnvInstance* from, const CVector3& start, const CVector3& end, CVector3* pointOut,
                               WorldHit** hitOut, std::uint32_t flags, CEnvInstance** zoneOut) {
  g_StaticHit = WorldHit{};
  if (!g_Environment) return 1;
  // Without a record, point or zone to hand out, only whether something
  // blocks matters: the zone walk may stop at the first surface it finds.
  const bool anyHit = !pointOut && !hitOut && !zoneOut;
  int hit = Env().UseZones ? LineTestZones(from, start, end, &g_StaticHit, flags | WQF_LINE_OF_SIGHT, zoneOut, anyHit)
                           : LineTestFlat(start, end, &g_StaticHit, flags);
  if (!hit) return 1;
  if (hitOut) *hitOut = &g_StaticHit;
  if (pointOut && (g_StaticHit.Flags & WHF_POLYGON_POINT)) *pointOut = g_StaticHit.WorldPoint;
  return 0;
}

int CWorldQueries::LineTestInstances(CEnvInstance* from, const CVector3& start, const CVector3& end, WorldHit* hit,
                                     std::uint32_t flags, CEnvInstance** zoneOut) {
  return LineTestZones(from, start, end, hit, flags, zoneOut, false);
}

int CWorldQueries::LineTestZones(CEnvInstance* from, const CVector3& start, const CVector3& end, WorldHit* hit,
                                 std::uint32_t flags, CEnvInstance** zoneOut, bool anyHit) {
  *hit = WorldHit{};
  hit->Distance = kStartDistance;
  AdvanceQueryStamp();
  if (!g_Environment) return 0;
  CEnvironment& env = Env();
  CEnvInstance* zone = from ? TopAncestor(from) : env.ViewInstance;
  ZoneWalk(env.RootInstance, start, end, 0.0f, hit, flags, nullptr, 0, anyHit);
  if (zone && zone != env.RootInstance && !(anyHit && hit->Hit))
    ZoneWalk(zone, start, end, 0.0f, hit, flags, zoneOut, 0, anyHit);
  if (!hit->Hit) hit->Distance = kMissDistance;
  const int walked = hit->Hit ? static_cast<int>(hit->Flags & WHF_POINT) : 0;
  // Blocked already: the panes cannot change the answer when only it is asked for.
  if (anyHit && walked) return walked;
  return walked | TestGlass(start, end, hit, flags);
}

int CWorldQueries::LineTestGlass(const CVector3& start, const CVector3& end, WorldHit* hit, std::uint32_t flags) {
  *hit = WorldHit{};
  hit->Distance = kGlassStartDistance;
  return TestGlass(start, end, hit, flags);
}

// The flat tests end with the glass panes, tested into a record of their
// own that replaces the result when a pane is nearer.
int CWorldQueries::NearerGlass(const CVector3& start, const CVector3& end, WorldHit* hit, std::uint32_t flags) {
  WorldHit glass;
  if (!LineTestGlass(start, end, &glass, flags)) return static_cast<int>(hit->Hit);
  if (!hit->Hit || glass.Distance < hit->Distance) *hit = glass;
  return 1;
}

int CWorldQueries::LineTestFlat(const CVector3& start, const CVector3& end, WorldHit* hit, std::uint32_t flags) {
  *hit = WorldHit{};
  hit->Distance = kStartDistance;
  if (!g_Environment) return 0;
  std::vector<FlatCandidate> candidates;
  GatherFlat(Env(), start, end, flags, &candidates);
  bool first = true;
  for (const FlatCandidate& c : candidates) {
    if (first) {
      first = false;
      hit->Flags |= WHF_BOUNDS | WHF_BOUNDS_2;
      hit->EntryPoint = start + (end - start) * c.entry;
      hit->Instance = c.instance;
      hit->Node = c.frame.node;
      if (flags & WQF_BOUNDS_ONLY) {
        hit->Hit = 1;
        hit->Flags |= WHF_POINT;
        hit->Point = hit->EntryPoint;
        hit->BoundsEntry = hit->EntryPoint;
        hit->Distance = c.entry;
        return 1;
      }
    }
    // Candidates are sorted by entry: none after the best hit can be nearer.
    if (hit->Hit && c.entry > hit->Distance) break;
    if (!BspSegmentQuery(NodeTree(c.frame.node), c.localStart, c.localEnd, 0)) continue;
    float t = GetBspSegmentResult().Factor;
    if (t <= hit->Distance) RecordPolygonHit(hit, c.instance, c.frame, t, kFlatHitFlags);
  }
  return NearerGlass(start, end, hit, flags);
}

int CWorldQueries::LineTestFlatNearest(const CVector3& start, const CVector3& end, float target, WorldHit* hit,
                                       std::uint32_t flags) {
  *hit = WorldHit{};
  hit->Distance = kStartDistance;  // here: best |f - target|
  if (!g_Environment) return 0;
  std::vector<FlatCandidate> candidates;
  GatherFlat(Env(), start, end, flags, &candidates);
  for (FlatCandidate& c : candidates) {
    // Each candidate is ray-tested again past each surface it finds.
    CVector3 ls = c.localStart;
    const CVector3 dir = geom::Unit(c.localEnd - c.localStart);
    const float whole = geom::Length(c.localEnd - c.localStart);
    float previous_diff = 1e30f;
    for (int guard = 0; guard < 256; ++guard) {
      if (!BspSegmentQuery(NodeTree(c.frame.node), ls, c.localEnd, 0)) break;
      const BspSegmentResult& r = GetBspSegmentResult();
      float f = whole > 0 ? geom::Length(r.Point - c.localStart) / whole : 0.0f;
      float diff = std::fabs(f - target);
      if (diff < hit->Distance) {
        RecordPolygonHit(hit, c.instance, c.frame, diff, kZoneWalkHitFlags);
      } else if (previous_diff < diff) {
        break;  // moving away from the target
      }
      previous_diff = diff;
      ls = r.Point + dir * 0.1f;
      if (geom::Dot(c.localEnd - ls, dir) <= 0) break;
    }
  }
  return static_cast<int>(hit->Hit);
}

CEnvInstance* CWorldQueries::FindGround(const CVector3& point, CVector3* groundOut) {
  if (!g_Environment) return nullptr;
  CEnvironment& env = Env();
  const float top = env.WorldBounds[4], bottom = env.WorldBounds[1];
  if (!(top > bottom)) return nullptr;
  WorldHit hit;
  float target = (top - point.y) / (top - bottom);
  if (!LineTestFlatNearest({point.x, top, point.z}, {point.x, bottom, point.z}, target, &hit, WQF_SKIP_FLAG64 | WQF_LINE_OF_SIGHT))
    return nullptr;
  if (groundOut) *groundOut = hit.WorldPoint;
  return TopAncestor(hit.Instance);
}

int CWorldQueries::ProbeDown(float x, float z, WorldHit* hit) {
  *hit = WorldHit{};
  if (!g_Environment) return 0;
  CEnvironment& env = Env();
  int r = LineTestFlat({x, env.WorldBounds[4], z}, {x, env.WorldBounds[1], z}, hit, 0x208);
  if (r) hit->Point = hit->WorldPoint;
  return r;
}

int CWorldQueries::ProbeVertical(const CVector3& point, float halfHeight, WorldHit* hit, bool nearest) {
  *hit = WorldHit{};
  if (!g_Environment) return 0;
  const CVector3 top{point.x, point.y + halfHeight, point.z}, bottom{point.x, point.y - halfHeight, point.z};
  int r = nearest ? LineTestFlatNearest(top, bottom, 0.5f, hit, 0x208) : LineTestFlat(top, bottom, hit, 0x208);
  if (r) hit->Point = hit->WorldPoint;
  return r;
}

int CWorldQueries::SweepSphere(CEnvInstance* zone, const CSphere& sphere, const CVector3& velocity, WorldHit* hit,
                               std::uint32_t flags) {
  *hit = WorldHit{};
  hit->Distance = kStartDistance;
  AdvanceQueryStamp();
  if (!g_Environment) return 0;
  CEnvironment& env = Env();
  const float speed = geom::Length(velocity);
  // Box around the whole sweep.
  CVector3 end = sphere.Centre + velocity;
  float r = sphere.Radius;
  float box[6] = {std::min(sphere.Centre.x, end.x) - r, std::min(sphere.Centre.y, end.y) - r,
                  std::min(sphere.Centre.z, end.z) - r, std::max(sphere.Centre.x, end.x) + r,
                  std::max(sphere.Centre.y, end.y) + r, std::max(sphere.Centre.z, end.z) + r};
  InstanceScratch scratch;
  std::vector<CEnvInstance*>& instances = scratch.List();
  GatherSweepZones(env, zone, box, &instances);
  for (CEnvInstance* instance : instances) {
    if (Skipped(instance, flags) || (instance->Flags & INSTF_NOT_COLLIDABLE)) continue;
    ForEachNode(instance, [&](const NodeFrame& frame) { SweepNode(instance, frame, sphere, velocity, speed, hit); });
  }
  if (!hit->Hit) hit->Distance = kStartDistance;
  return static_cast<int>(hit->Hit);
}

int CWorldQueries::SweepSpheres(CEnvInstance* zone, const CSphere* spheres, int count, const CVector3& velocity,
                                WorldHit* hit, std::uint32_t flags) {
  int nearest = -1;
  WorldHit best{};
  for (int i = 0; i < count; ++i) {
    WorldHit h;
    if (!SweepSphere(zone, spheres[i], velocity, &h, flags)) continue;
    if (nearest < 0 || h.Distance < best.Distance) nearest = i, best = h;
  }
  *hit = nearest >= 0 ? best : WorldHit{};
  return nearest;
}

CEnvInstance* CWorldQueries::MoveSphere(CEnvInstance* zone, CSphere* sphere, const CVector3& velocity,
                                        std::uint32_t flags, int* movedOut) {
  return MoveSpheres(zone, sphere, 1, velocity, flags, movedOut);
}

CEnvInstance* CWorldQueries::MoveSpheres(CEnvInstance* zone, CSphere* spheres, int count, const CVector3& velocity,
                                         std::uint32_t flags, int* movedOut) {
  if (movedOut) *movedOut = 0;
  if (!spheres || count < 1) return zone;
  const float speed = geom::Length(velocity);
  if (speed > 2000.0f) DebugTrace("MoveSphere velocity large!\n");
  // A velocity below 0.1 units does nothing at all: a resting sphere that
  // touches a surface is not pushed off it every frame.
  if (geom::LengthSq(velocity) < 0.01f) return zone;
  int moved = 0;
  // The zone the (first) sphere is in, followed through portals pass by pass
  // so that each sweep meets what stands where the spheres now are.
  CEnvInstance* current = zone;
  auto move_by = [&](const CVector3& delta) {
    current = ZoneAfterMove(current, spheres[0].Centre, spheres[0].Centre + delta);
    for (int i = 0; i < count; ++i) spheres[i].Centre = spheres[i].Centre + delta;
  };

  // The core: sweep along the remaining velocity, move to the contact, slide
  // along the contact plane (first contact) or the crease of two planes
  // (second contact); a third contact stops.  For a group, the nearest
  // contact of any sphere drives, and every sphere moves by the same amounts.
  CVector3 v = velocity;
  const CVector3 initial = geom::Unit(velocity);
  CVector3 normals[2];
  int contacts = 0;
  {
    const int passes = (flags & MSF_ONE_PASS) ? 1 : 6;
    moved = 1;
    for (int pass = 0; pass < passes; ++pass) {
      WorldHit hit;
      if (SweepSpheres(current, spheres, count, v, &hit, 0) < 0) {
        if (geom::Dot(geom::Unit(v), initial) > 0) move_by(v);
        break;
      }
      g_LastMove = hit;
      const float len = geom::Length(v);
      const CVector3 dir = v * (1.0f / len);
      if (hit.StartedInside) {
        // Already touching at the start of the pass: stop, 0.1 back against
        // the travel (an overlap is resolved after the core).
        move_by(dir * -0.1f);
        moved = 0;
        break;
      }
      // Up to the contact, then 0.1 back against the travel.
      float travel = std::min(hit.Distance, len);
      CVector3 delta = dir * (travel - 0.1f);
      // Keep a small clearance from the plane met when the approach grazed it.
      const CVector3 n = hit.WorldNormal;
      float clearance = 0.1f * std::fabs(geom::Dot(dir, n));
      if (clearance < 0.05f) delta = delta + n * (0.05f - clearance);
      move_by(delta);
      CVector3 rest = dir * (len - travel);
      CVector3 slide = rest - n * geom::Dot(rest, n);
      if (contacts == 0) {
        normals[0] = n;
        v = slide;
      } else if (contacts == 1) {
        normals[1] = n;
        CVector3 crease = geom::Unit(geom::Cross(normals[0], n));
        if (std::fabs(crease.x) < 0.01f) crease.x = 0;
        if (std::fabs(crease.y) < 0.01f) crease.y = 0;
        if (std::fabs(crease.z) < 0.01f) crease.z = 0;
        v = crease * geom::Dot(crease, rest);
      } else {
        moved = 0;
        break;
      }
      ++contacts;
      if ((flags & MSF_NO_UP) && v.y > 0) v.y = 0;
      if ((flags & MSF_NO_DOWN) && v.y < 0) v.y = 0;
      if (geom::LengthSq(v) < 0.01f) break;
    }
  }
  if (contacts > 0 || moved == 0) {
    // The largest push any sphere needs moves the whole group.
    CVector3 push{0, 0, 0};
    for (int i = 0; i < count; ++i) {
      CSphere probe = spheres[i];
      PushOutOfSurfaces(current, &probe);
      CVector3 d = probe.Centre - spheres[i].Centre;
      if (geom::LengthSq(d) > geom::LengthSq(push)) push = d;
    }
    if (geom::LengthSq(push) > 0) move_by(push);
  }
  if (movedOut) *movedOut = moved;
  return current;
}

CEnvInstance* CWorldQueries::TranslateSpheres(CEnvInstance* zone, CSphere* spheres, int count, const CVector3& delta) {
  if (!spheres || count < 1) return zone;
  CEnvInstance* next = ZoneAfterMove(zone, spheres[0].Centre, spheres[0].Centre + delta);
  for (int i = 0; i < count; ++i) spheres[i].Centre = spheres[i].Centre + delta;
  return next;
}

int CWorldQueries::SphereTestInstances(const CSphere& sphere, std::uint32_t surfaceKind, std::uint32_t* hitOut) {
  std::uint32_t blocked = 0;
  if (hitOut) *hitOut = 0;
  if (!g_Environment) return 0;
  int result = 0;
  for (CEnvInstance* instance = Env().InstanceList; instance; instance = instance->EnvLink) {
    if ((instance->Flags & kFlag64) || (instance->Flags & INSTF_DISABLED) || !instance->Template) continue;
    result |= instance->QueryBspTree(sphere, surfaceKind, &blocked) ? 1 : 0;
    if (blocked == 1) break;
  }
  if (hitOut) *hitOut = blocked;
  // No contact answers 0, apart from any contact.
  return result | static_cast<int>(blocked);
}

namespace {

// Closest point of a BSP polygon (local space) to p, and whether it lies in
// the polygon's face (inside every edge).
CVector3 ClosestOnPolygon(const BspPolygon* polygon, const float* plane, const CVector3& p, bool* inFace) {
  const CVector3 n{plane[0], plane[1], plane[2]};
  const CVector3 onto = p - n * (geom::Dot(n, p) + plane[3]);
  const unsigned count = polygon->VertexCount;
  bool inside = true;
  float best = 1e30f;
  CVector3 closest = onto;
  for (unsigned k = 0; k < count; ++k) {
    const float* va = polygon->Vertex(k);
    const float* vb = polygon->Vertex((k + 1) % count);
    CVector3 a{va[0], va[1], va[2]}, b{vb[0], vb[1], vb[2]};
    CVector3 ab = b - a;
    // Centroid side decides "inward" whatever the winding.
    CVector3 edge_out = geom::Cross(ab, n);
    CVector3 centre{polygon->Centre[0], polygon->Centre[1], polygon->Centre[2]};
    if (geom::Dot(edge_out, centre - a) > 0) edge_out = edge_out * -1.0f;
    if (geom::Dot(edge_out, onto - a) > 0) inside = false;
    float t = std::clamp(geom::Dot(p - a, ab) / std::max(geom::LengthSq(ab), 1e-12f), 0.0f, 1.0f);
    CVector3 q = a + ab * t;
    float d = geom::LengthSq(p - q);
    if (d < best) best = d, closest = q;
  }
  *inFace = inside;
  return inside ? onto : closest;
}

struct PushState {
  CVector3 push;   // world push so far
  float radius;    // world radius
};

void PushCallback(PolygonQuery* query, const BspPolygon* polygon, const float* plane) {
  auto* st = static_cast<PushState*>(query->Context);
  const CVector3 c = query->LocalSphere.Centre;
  const float r = query->LocalSphere.Radius;
  const CVector3 n{plane[0], plane[1], plane[2]};
  const float signed_distance = geom::Dot(n, c) + plane[3];
  // Surfaces are one-sided: only those the centre stands in front of push.
  if (signed_distance < 0 || signed_distance >= r) return;
  bool in_face;
  CVector3 q = ClosestOnPolygon(polygon, plane, c, &in_face);
  CVector3 away = c - q;
  float distance = geom::Length(away);
  if (distance >= r) return;
  CVector3 local = (in_face || distance < 1e-4f ? n : away * (1.0f / distance)) * (r - distance + 0.05f);
  CVector3 world;
  query->Instance->RotateToWorld(-1, local, &world);
  // Keep the largest push along each axis direction.
  auto merge = [](float have, float add) { return std::fabs(add) > std::fabs(have) ? add : have; };
  st->push = {merge(st->push.x, world.x), merge(st->push.y, world.y), merge(st->push.z, world.z)};
}

}  // namespace

void CWorldQueries::PushOutOfSurfaces(CEnvInstance* zone, CSphere* sphere) {
  // Sweeps meet faces exactly but may graze past an edge or corner by a hair;
  // a few passes over the polygons at the end position take the sphere back
  // out of anything it overlaps.
  for (int pass = 0; pass < 4; ++pass) {
    PushState st{{0, 0, 0}, sphere->Radius};
    PolygonQuery query;
    query.Callback = &PushCallback;
    query.Context = &st;
    ForEachPolygonInSphere(zone, *sphere, &query);
    if (geom::LengthSq(st.push) == 0) return;
    sphere->Centre = sphere->Centre + st.push;
  }
}

CEnvInstance* CWorldQueries::TranslateSphere(CEnvInstance* zone, CSphere* sphere, const CVector3& delta) {
  const CVector3 start = sphere->Centre;
  sphere->Centre = sphere->Centre + delta;
  return ZoneAfterMove(zone, start, sphere->Centre);
}

namespace {
PolygonQuery* g_CurrentPolygonQuery = nullptr;

void PolygonCallback(const BspPolygon* polygon, float a, float b, float c, float d, float, float, float, float) {
  if (!g_CurrentPolygonQuery || !g_CurrentPolygonQuery->Callback) return;
  const float plane[4] = {a, b, c, d};
  g_CurrentPolygonQuery->Callback(g_CurrentPolygonQuery, polygon, plane);
}
}  // namespace

void CWorldQueries::ForEachPolygonInSphere(CEnvInstance* zone, const CSphere& sphere, PolygonQuery* query) {
  if (!g_Environment || !query) return;
  CEnvironment& env = Env();
  const float r = sphere.Radius;
  const CVector3& c = sphere.Centre;
  float box[6] = {c.x - r, c.y - r, c.z - r, c.x + r, c.y + r, c.z + r};
  InstanceScratch scratch;
  std::vector<CEnvInstance*>& instances = scratch.List();
  GatherSweepZones(env, zone, box, &instances);
  SetBspPolygonCallback(&PolygonCallback);
  for (CEnvInstance* instance : instances) {
    if (instance->Flags & (INSTF_DISABLED | INSTF_NOT_COLLIDABLE)) continue;
    if (query->Flags & 1) {
      bool visible = !(instance->Flags & INSTF_HIDDEN);
      bool hidden_ok = (instance->Flags & INSTF_HIDDEN) && (query->Flags & 2);
      if (!visible && !hidden_ok && !(instance->Flags & kFlagOwner)) continue;
    }
    ForEachNode(instance, [&](const NodeFrame& frame) {
      query->Instance = instance;
      query->Node = frame.node;
      CVector3 lc;
      frame.ToLocal().TransformPoint(c, &lc);
      query->LocalSphere.Set(lc, r / frame.scale);
      float local[4] = {lc.x, lc.y, lc.z, r / frame.scale};
      std::uint32_t hit = 0;
      g_CurrentPolygonQuery = query;
      BspSphereQuery(NodeTree(frame.node), local, &hit, 0);
      g_CurrentPolygonQuery = nullptr;
    });
  }
}

CEnvInstance* CWorldQueries::FindZoneAt(CEnvInstance* zone, const CVector3& start, const CVector3& end) {
  CEnvInstance* root = TopAncestor(zone);
  if (!root || !root->Zone) return nullptr;
  return root->Zone->FindZoneCrossed(start, end);
}

CEnvInstance* CWorldQueries::ZoneAfterMove(CEnvInstance* zone, const CVector3& from, const CVector3& to) {
  CEnvInstance* next = FindZoneAt(zone, from, to);
  return next ? next : zone;
}

bool CWorldQueries::UpdateInstanceZone(CEnvInstance* instance, const CVector3& from, const CVector3& to) {
  if (!instance) return false;
  CEnvInstance* root = instance->GetRoot();
  const CVector3 up{0, 100, 0};
  CEnvInstance* next = ZoneAfterMove(root, from + up, to + up);
  if (!next || next == root) return false;
  instance->Detach();
  next->AttachChild(instance);
  return true;
}
