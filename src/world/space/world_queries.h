// The world's geometric questions: is a line clear, where is the ground, what
// does a segment hit first, how does a sphere move through the world, which
// polygons touch a sphere and which zone a moving point ends up in.  Every
// test runs against the placed instances' BSP trees of the level's
// environment (g_Environment); the environment derives from CWorldQueries so
// that they read as its own.  Without an environment a line is clear and
// nothing is hit.
//
// Frame: world units (centimetres), y up.  Segment distances are the factor
// along the segment given (0 at its start, 1 at its end).
//
// The queries share static records (the hit handed out by LineOfSight, the
// last-move record) and are not re-entrant: main thread only, and a callback
// of ForEachPolygonInSphere must not start another query.
#pragma once

#include <cstdint>
#include <vector>

#include "render/geometry/vector3.h"
#include "render/volumes/sphere.h"
#include "world/space/world_hit.h"

class CEnvInstance;
class CEnvironment;
class CEnvObject;
class CMaterial;
class CTexture;
struct BspPolygon;
struct Decal;
struct Portal;

// Query flags of the line tests.
enum WorldQueryFlags : std::uint32_t {
  WQF_BOUNDS_ONLY = 0x1,      // the first candidate's bounds are enough
  WQF_SURFACE_DATA = 0x2,
  WQF_LINE_OF_SIGHT = 0x8,
  WQF_SKIP_BIT29 = 0x10,      // skip instances whose flag word has bit 29
  WQF_SKIP_FLAG64 = 0x200,    // skip instances with flag 64
};

// MoveSphere flags.
enum MoveSphereFlags : std::uint32_t {
  MSF_NO_UP = 0x1,     // remove upward remaining velocity
  MSF_NO_DOWN = 0x2,   // remove downward remaining velocity
  MSF_ONE_PASS = 0x4,
};

// Polygon callback of ForEachPolygonInSphere: the polygon, its plane in the
// node's local space, and the query (its Instance and Node name the owner).
struct PolygonQuery;
using PolygonQueryCallback = void (*)(PolygonQuery* query, const BspPolygon* polygon, const float* plane);

struct PolygonQuery {
  std::uint32_t Flags = 0;            // 1: only visible instances (or hidden ones with 2, or flag bit 0)
  PolygonQueryCallback Callback = nullptr;
  CSphere LocalSphere{};              // the sphere in the current node's space
  CEnvInstance* Instance = nullptr;   // instance being walked
  const CEnvObject* Node = nullptr;   // node being walked
  void* Context = nullptr;
};

// Instance flag word bits the decal walk reads.
inline constexpr std::uint32_t kInstanceFlagNoDecals = 1u << 20;
inline constexpr std::uint32_t kInstanceFlagBit31 = 1u << 31;

// What PlaceDecal is asked to make: where, how large, and how the finished
// decal looks and lives.
struct DecalRequest {
  std::int32_t Kind = 0;             // the caller's decal kind (bullet hole, scorch ...); not read here
  CEnvInstance* Target = nullptr;    // the instance hit; the whole tree of its top ancestor takes the decal
  CVector3 Position{};               // the hit point, world space
  CVector3 Normal{0, 1, 0};          // the surface normal there; the projector looks against it
  float Size = 10.0f;                // half size of the projected square
  float Depth = 10.0f;               // reach of the volume either side of the point
  float Roll = 0.0f;                 // turn of the square about the normal, degrees
  // Spreading: with a start size other than 0 the decal grows from it
  // towards Size by the growth factor (1.0 = not growing).
  float StartSize = 0.0f;
  float Growth = 1.0f;
  // Fading of the finished decal: applied when Fade is set.
  bool Fade = false;
  float FadeDelay = 0.0f;            // seconds
  float FadeTime = 0.0f;             // seconds
  // Clipping options: only surfaces facing up; also instances with bit 31.
  bool UpOnly = false;
  bool IncludeBit31 = false;
  CTexture* Texture = nullptr;
  CMaterial* Material = nullptr;
  float Colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
};

class CWorldQueries {
 public:
  // 1 when the line from start to end is clear, 0 when blocked.  Zone walk
  // (portals) when the environment uses zones, else the flat test.  When
  // blocked, *hitOut (may be null) receives the static hit record and
  // *pointOut (may be null) the hit point in world space.  When pointOut,
  // hitOut and zoneOut are all null the zone walk stops at the first
  // blocking surface it finds, and the static record then names that
  // surface, which need not be the nearest.
  int LineOfSight(CEnvInstance* from, const CVector3& start, const CVector3& end, CVector3* pointOut,
                  WorldHit** hitOut, std::uint32_t flags, CEnvInstance** zoneOut);
  // The zone walk from the outer world zone and then from from's zone (null:
  // the view instance's), then the glass panes; nonzero when something was
  // hit.  *zoneOut (may be null) receives the zone the segment ended in.
  int LineTestInstances(CEnvInstance* from, const CVector3& start, const CVector3& end, WorldHit* hit,
                        std::uint32_t flags, CEnvInstance** zoneOut);
  // The flat test over every listed instance, nearest hit wins; then the
  // glass panes, a nearer pane replacing the result.
  int LineTestFlat(const CVector3& start, const CVector3& end, WorldHit* hit, std::uint32_t flags);
  // The intact glass panes alone (none with any of the query flags 0x111):
  // the nearest pane the segment meets inside its outline, recorded with
  // flags 0xC800 (0x1C800 when the start lies in front of it), its plane,
  // index, point and factor along the segment.  1 when a pane was met.
  int LineTestGlass(const CVector3& start, const CVector3& end, WorldHit* hit, std::uint32_t flags);
  // The flat test keeping the surface whose position along the segment is
  // nearest to target (0 start, 1 end).
  int LineTestFlatNearest(const CVector3& start, const CVector3& end, float target, WorldHit* hit,
                          std::uint32_t flags);
  // The top ancestor of the instance whose surface is met nearest to the
  // point's own height on the vertical through it, or null; *groundOut gets
  // the world point.
  CEnvInstance* FindGround(const CVector3& point, CVector3* groundOut);
  // The flat test of the vertical at (x, z) from the world's top to its
  // bottom; the point is returned in world space in hit->Point.
  int ProbeDown(float x, float z, WorldHit* hit);

  // The flat test of the vertical from point.y + halfHeight down to
  // point.y - halfHeight; with nearest the surface nearest the middle wins,
  // otherwise the first from the top.  The point in world space in hit->Point.
  int ProbeVertical(const CVector3& point, float halfHeight, WorldHit* hit, bool nearest);
  // Sweeps the sphere (x, y, z, radius) by the velocity through the outer
  // world zone and the given zone; the nearest contact is kept in *hit
  // (Distance = travel to contact, WorldPoint, WorldNormal).  1 on contact.
  int SweepSphere(CEnvInstance* zone, const CSphere& sphere, const CVector3& velocity, WorldHit* hit,
                  std::uint32_t flags);
  // The same for several spheres: the index of the sphere with the nearest
  // contact, -1 when none hit or count is below 1.
  int SweepSpheres(CEnvInstance* zone, const CSphere* spheres, int count, const CVector3& velocity, WorldHit* hit,
                   std::uint32_t flags);
  // Moves the sphere by the velocity, sliding along what it meets (at most 6
  // passes, a crease of two surfaces, stopping at a third).  Answers the zone
  // the sphere is in afterwards; *movedOut (may be null) gets 1 when the
  // core ended with the whole move made or a slide finished, 0 when stopped.
  // A velocity of squared length below 0.01 leaves the sphere untouched,
  // even where it overlaps a surface (answers the zone given, moved 0).
  CEnvInstance* MoveSphere(CEnvInstance* zone, CSphere* sphere, const CVector3& velocity, std::uint32_t flags,
                           int* movedOut);
  // Moves a rigid group of spheres together by the rules of MoveSphere: the
  // nearest contact of any sphere drives the slide and every sphere moves by
  // the same amounts.  Answers the zone of the first sphere's centre after the
  // move.
  CEnvInstance* MoveSpheres(CEnvInstance* zone, CSphere* spheres, int count, const CVector3& velocity,
                            std::uint32_t flags, int* movedOut);
  // Move without collision; answer the zone after the move of the (first) centre.
  CEnvInstance* TranslateSphere(CEnvInstance* zone, CSphere* sphere, const CVector3& delta);
  CEnvInstance* TranslateSpheres(CEnvInstance* zone, CSphere* spheres, int count, const CVector3& delta);
  // The sphere against the BSP trees of every listed instance without flag
  // 64, stopping at the first that reports a blocking surface (*hitOut 1):
  // 1 when a polygon of the surface kind or a blocking one was touched, 0
  // when nothing was.
  int SphereTestInstances(const CSphere& sphere, std::uint32_t surfaceKind, std::uint32_t* hitOut);
  // Hands every polygon touching the sphere to the query's callback (null
  // zone: the view instance's).
  void ForEachPolygonInSphere(CEnvInstance* zone, const CSphere& sphere, PolygonQuery* query);
  // The target of the first portal of zone's zone that the segment crosses
  // from the front inside its polygon, else zone itself.
  CEnvInstance* ZoneAfterMove(CEnvInstance* zone, const CVector3& from, const CVector3& to);
  // The target of that portal, or null.
  CEnvInstance* FindZoneAt(CEnvInstance* zone, const CVector3& start, const CVector3& end);
  // Moves the instance under the zone it ends up in after moving from -> to
  // (both raised by 100); true when it changed zone.
  bool UpdateInstanceZone(CEnvInstance* instance, const CVector3& from, const CVector3& to);
  // The first portal of zone's zone (its top ancestor's) that the segment
  // crosses from the front or from on its plane, inside its polygon; null
  // when none, or when the zone has no zone record.
  Portal* FindPortalCrossed(CEnvInstance* zone, const CVector3& start, const CVector3& end);

  // The ground test through zones: from every zone root of the static list
  // whose zone centre lies, in the x-z plane, within 1.4122 times the zone's
  // half size of the segment start, the zone walk (portals followed) keeps
  // the surface whose position along the segment (0 start, 1 end) is
  // nearest to target; with WQF_SKIP_BIT29 templates whose mesh flags have
  // bit 8 are left out.  hit->Distance holds |position - target|.  Nonzero
  // when a surface was found.
  int LineTestLandscape(const CVector3& start, const CVector3& end, float target, WorldHit* hit,
                        std::uint32_t flags);

  // Projects a decal onto the tree of the request's target (children before
  // their parents; instances with flag bit 20 left out, and those with bit
  // 31 unless the request includes them): every visible mesh part that the
  // projector's volume touches is clipped into the decal.  Answers the
  // finished decal (faded as asked), or null when there is no decal
  // manager, decals are off, there is no target or nothing was touched.
  Decal* PlaceDecal(const DecalRequest& request);
  // Removes the decals lying on every instance of the tree, children first.
  void RemoveDecals(CEnvInstance* instance);

  // The hit record of the last LineOfSight and the last-move record.
  static WorldHit& StaticHit();
  static WorldHit& LastMove();
  // Query stamp: advanced by every zone-walk query and by the frame update.
  static std::uint32_t AdvanceQueryStamp();

 private:
  static CEnvironment& Env();
  // The glass panes into a record of their own, replacing *hit when nearer;
  // answers whether *hit holds a hit afterwards.
  int NearerGlass(const CVector3& start, const CVector3& end, WorldHit* hit, std::uint32_t flags);
  // LineTestInstances, ending at the first surface found when anyHit is set.
  int LineTestZones(CEnvInstance* from, const CVector3& start, const CVector3& end, WorldHit* hit,
                    std::uint32_t flags, CEnvInstance** zoneOut, bool anyHit);
  // Moves the sphere out of any surface it overlaps at its position.
  void PushOutOfSurfaces(CEnvInstance* zone, CSphere* sphere);
};
