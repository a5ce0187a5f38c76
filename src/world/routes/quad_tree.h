// The route quadtree: the level's ground plane (x and z) cut into square
// leaves that are open (walkable ground at the centre, nothing blocking) or
// closed.  It makes the route markers when a level has no stored route data
// (one marker per open leaf, linked to its open neighbours), answers the fast
// 2D line-of-way test units try before they ask the router, and maps any
// point to a leaf and so to a marker.  The smallest leaf is 250 units wide.
// One current tree (g_QuadTree) per level.  Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "render/geometry/vector3.h"

class ByteReader;
class ByteWriter;
class CEnvironment;
class CRouter;

enum QuadTreeNodeFlags : std::uint16_t {
  QTF_OPEN = 0x01,
  QTF_GROUND = 0x02,  // ground found: the leaf owns a marker
};

// The smallest half size, and how far beyond a leaf's edge its neighbours
// and the ray walk probe.
inline constexpr float kQuadLeafHalf = 125.0f;
inline constexpr float kQuadProbe = 31.25f;
// Bytes of a node record in the file.
inline constexpr std::uint32_t kQuadNodeBytes = 20;

struct CQuadTreeNode {
  std::uint16_t Flags = 0;
  // An open leaf's own marker; for a leaf without ground the marker nearest
  // to its centre.
  std::uint16_t MarkerIndex = 0;
  // Four consecutive children, or null for a leaf.
  CQuadTreeNode* Children = nullptr;
  float CentreX = 0, CentreZ = 0;
  float Half = 0;

  bool IsOpen() const { return (Flags & QTF_OPEN) != 0; }
  bool IsLeaf() const { return Children == nullptr; }
  // Child that holds (x, z): a point on a split line goes to the lower child.
  int ChildIndex(float x, float z) const { return (x > CentreX ? 1 : 0) + (z > CentreZ ? 2 : 0); }
  // Builds this node from the environment (see BuildQuadTree).
  void Build(CEnvironment& env, struct CQuadTree& tree);
  // Places the marker of every leaf with ground and links it to its open
  // neighbours (probes west, east, south, north).
  void CreateMarkers(struct CQuadTree& tree);
  // Every leaf without ground takes the marker nearest to its centre.
  void AssignNearestMarkers();
  // Where the segment p -> e leaves this node's square (e itself when inside).
  void ExitPoint(float px, float pz, float ex, float ez, float* outX, float* outZ) const;
};

struct CQuadTree {
  CQuadTree() = default;
  ~CQuadTree();
  CQuadTree(const CQuadTree&) = delete;
  CQuadTree& operator=(const CQuadTree&) = delete;

  // The leaf that holds (x, z) below node, or null outside the tree bounds
  // (bounds inclusive).
  CQuadTreeNode* FindLeafXZ(CQuadTreeNode* node, float x, float z) const;
  CQuadTreeNode* FindLeaf(const CVector3& point) const { return FindLeafXZ(Root, point.x, point.z); }
  // Root centre minus and plus the root half size.
  void SetBounds();
  std::uint32_t CountNodes() const;

  CQuadTreeNode* Root = nullptr;
  float MinX = 0, MinZ = 0, MaxX = 0, MaxZ = 0;
  std::uint32_t OpenLeaves = 0;
  std::uint32_t ClosedLeaves = 0;
  std::uint32_t NextMarker = 0;
  std::uint32_t NodeBytes = 0;
  // 1 when the whole tree is one array read from a file.
  std::uint32_t ArrayForm = 0;
  // Open leaves refused because the marker indices ran out (they stay closed).
  std::uint32_t RefusedLeaves = 0;
};

// The level's current tree, or null.
extern CQuadTree* g_QuadTree;
// The level's current router, or null.
extern CRouter* g_Router;

// Frees the current tree and builds a new one from the environment; answers
// the number of open leaves.
std::uint32_t BuildQuadTree(CEnvironment& env);
// Replaces the current marker list with markers made from the tree.
void BuildMarkersFromQuadTree();
// BuildQuadTree, BuildMarkersFromQuadTree, then the router.
void BuildRouteData(CEnvironment& env);
// Loads "<level>.qtd" and "<level>.rmd", validates and labels the markers and
// creates the router; 0, with nothing installed, when a file is missing or
// damaged or the two do not fit together.
int LoadRouteData(const char* levelName);
// One open root leaf with one marker; answers the router.
CRouter* MakeFlatRouteData(CEnvironment& env);
// The level start's choice: the stored data (unless the environment's flag
// word has bit 1), else the data built from the environment; with the bit,
// the flat data.  Installs the changed callback.  Answers 1 when the stored
// data was used.
int StartRouteData(CEnvironment& env, const char* levelName, void (*changedCallback)());
// Frees the current tree, marker list and router.
void FreeRouteData();
// Builds the level's route data from the environment and writes
// "<level>.qtd" and "<level>.rmd" (the data tools' step); 1 when both files
// were written.
int BuildAndSaveRouteData(CEnvironment& env, const char* levelName);

// ".qtd": node count, the records (children as byte offsets from the first
// record, 0 none), the open and closed leaf counts.  Null with *error set
// when a count does not fit, a child offset is not a whole record strictly
// after its parent with four records in range, or a value is not finite.
std::unique_ptr<CQuadTree> ReadQuadTree(ByteReader& in, std::string* error);
void WriteQuadTree(const CQuadTree& tree, ByteWriter& out);
// The current tree from / to a file; 1 or 0.
int LoadQuadTree(const char* fileName);
int SaveQuadTree(const char* path);
// Frees the tree; the current tree becomes null when it is the one freed.
void FreeQuadTree(CQuadTree* tree);
// ".rda": a quadtree file followed by a marker file in one stream; the level
// start does not use it.
int LoadRouteDataCombined(const char* fileName);
void WriteRouteDataCombined(const CQuadTree& tree, const class CRouteMarkerList& list, ByteWriter& out);

// The column test of one square: *hitWord set when the column meets
// geometry other than the given surface kind (the square must be split);
// the result nonzero when it meets only surfaces of that kind (blocked).
// Landscape templates are the ground and never block.
int QuadTreeBoxQuery(CEnvironment& env, float minX, float minZ, float maxX, float maxZ, std::uint32_t surfaceKind,
                     std::uint32_t* hitWord);

bool QuadTreeContains(const CVector3& point);
bool QuadTreeIsOpen(const CVector3& point);
// The leaf holding p (null outside).  An open leaf is answered and p left
// alone; for a closed leaf p moves to the leaf's marker.  *markerOut gets
// that marker (null for an open leaf or when the leaf has none).
CQuadTreeNode* QuadTreeSnapToMarker(CVector3* point, struct CRouteMarker** markerOut);
// 1 when the way from a to b (x, z) crosses only open leaves.
int QuadTreeRaycast(float ax, float az, float bx, float bz);
int QuadTreeRaycastPoints(const CVector3& a, const CVector3& b);
// The component label of the leaf's marker; 0 when it has none.
std::uint32_t QuadTreeGetLeafComponent(const CQuadTreeNode* leaf);

// Developer overlay: the map of the current tree in the top-left corner of
// the screen (north up, kQuadMapSize pixels across at kQuadMapOrigin), every
// leaf's square outlined (open leaves green, closed red), and a filled 4 x 4
// pixel mark at the point when the tree holds it.  Depth test and fog are
// off while it draws and put back afterwards.
inline constexpr float kQuadMapOrigin = 16.0f;
inline constexpr float kQuadMapSize = 256.0f;
void QuadTreeDebugDraw(const CVector3& point);
