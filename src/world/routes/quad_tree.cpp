#include "world/routes/quad_tree.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>
#include <vector>

#include "foundation/byte_reader.h"
#include "foundation/files/buffered_file.h"
#include "foundation/files/file_locator.h"
#include "foundation/system/debug_output.h"
#include "render/bsp/bsp_tree.h"
#include "render/geometry/matrix.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/environment.h"
#include "world/routes/route_marker.h"
#include "world/routes/router.h"

CQuadTree* g_QuadTree = nullptr;
CRouter* g_Router = nullptr;

namespace {

// Surface kind whose polygons alone block a square.
constexpr std::uint32_t kBlockingSurfaceKind = 8;
// Line-test filter of the ground test at a leaf's centre.
constexpr std::uint32_t kGroundFilter = 0x200;
constexpr float kColumnTop = 100000.0f;
constexpr int kRaycastSteps = 1001;
// Squares are tested a little inside their edges, so that geometry lying
// exactly on a leaf's edge belongs to neither side.
constexpr float kEdgeTolerance = 0.01f;
// Deepest tree a file may hold: 125 doubled 48 times is far beyond any level.
constexpr std::uint8_t kMaxQuadDepth = 48;

// A collision polygon seen from above, with its surface kind.
struct ColumnPolygon {
  std::vector<float> xz;  // x, z pairs
  float minX, minZ, maxX, maxZ;
  std::uint32_t kind;
};

// The polygons the column tests of one build look at.
std::vector<ColumnPolygon>* g_BuildPolygons = nullptr;

void GatherNodePolygons(const BspNode* root, const BspNode* node, const CMatrix& world, bool identity,
                        std::vector<ColumnPolygon>* out, int depth) {
  if (!node || depth > static_cast<int>(kBspMaxDepth)) return;
  for (std::uint32_t listLink : {node->PositiveList, node->NegativeList}) {
    for (const BspPolygon* p = BspListAt(root, listLink); p; p = NextBspPolygon(p)) {
      ColumnPolygon c;
      c.kind = p->SurfaceId & 0x3FFu;
      c.minX = c.minZ = 1e30f;
      c.maxX = c.maxZ = -1e30f;
      for (unsigned k = 0; k < p->VertexCount; ++k) {
        const float* v = p->Vertex(k);
        CVector3 w{v[0], v[1], v[2]};
        if (!identity) world.TransformPoint({v[0], v[1], v[2]}, &w);
        c.xz.push_back(w.x);
        c.xz.push_back(w.z);
        c.minX = std::min(c.minX, w.x);
        c.maxX = std::max(c.maxX, w.x);
        c.minZ = std::min(c.minZ, w.z);
        c.maxZ = std::max(c.maxZ, w.z);
      }
      if (!c.xz.empty()) out->push_back(std::move(c));
    }
  }
  GatherNodePolygons(root, BspNodeAt(root, node->Back), world, identity, out, depth + 1);
  GatherNodePolygons(root, BspNodeAt(root, node->Front), world, identity, out, depth + 1);
}

void GatherTemplateNode(const CEnvObject* node, const CMatrix& world, std::vector<ColumnPolygon>* out) {
  if ((node->Flags & EOF_CONNECTOR) != 0 || node->Bsp == nullptr || node->MeshKind != MESHKIND_PLAIN) return;
  GatherNodePolygons(node->Bsp, node->Bsp, world, world.TypeFlags == MATF_IDENTITY, out, 0);
}

// Every polygon the instance test would look at: listed instances without
// flag 64, enabled, with a template that is not the landscape.
std::vector<ColumnPolygon> GatherColumnPolygons(CEnvironment& env) {
  std::vector<ColumnPolygon> out;
  for (CEnvInstance* instance = env.InstanceList; instance; instance = instance->EnvLink) {
    if ((instance->Flags & 64u) || (instance->Flags & INSTF_DISABLED) || !instance->Template) continue;
    if (instance->Template->TemplateKind == OTYPE_LANDSCAPE) continue;
    if (instance->Template->TemplateKind == OTYPE_TRANSFORMANIM) {
      instance->EvaluatePose();
      for (const CEnvObject* node = instance->Template; node; node = node->NextNode) {
        const CMatrix* m = instance->GetNodeWorldMatrix(node->NodeIndex);
        GatherTemplateNode(node, m ? *m : instance->WorldMatrix, &out);
      }
    } else {
      GatherTemplateNode(instance->Template, instance->WorldMatrix, &out);
    }
  }
  return out;
}

// Whether the polygon's outline seen from above (possibly a mere segment for
// an upright wall) reaches inside the square: clipped against its four sides,
// something must be left.
bool ReachesSquare(const ColumnPolygon& p, float minX, float minZ, float maxX, float maxZ) {
  if (p.maxX <= minX || p.minX >= maxX || p.maxZ <= minZ || p.minZ >= maxZ) return false;
  std::vector<float> poly = p.xz, next;
  const float bounds[4] = {minX, maxX, minZ, maxZ};
  for (int side = 0; side < 4 && !poly.empty(); ++side) {
    const int axis = side < 2 ? 0 : 1;
    const float limit = bounds[side];
    const bool keepAbove = side % 2 == 0;
    auto inside = [&](float v) { return keepAbove ? v > limit : v < limit; };
    next.clear();
    const std::size_t n = poly.size() / 2;
    for (std::size_t i = 0; i < n; ++i) {
      const float* a = &poly[2 * i];
      const float* b = &poly[2 * ((i + 1) % n)];
      const bool ina = inside(a[axis]), inb = inside(b[axis]);
      if (ina) next.insert(next.end(), {a[0], a[1]});
      if (ina != inb) {
        const float t = (limit - a[axis]) / (b[axis] - a[axis]);
        next.insert(next.end(), {a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t});
      }
    }
    poly.swap(next);
  }
  return !poly.empty();
}

int ColumnTest(const std::vector<ColumnPolygon>& polygons, float minX, float minZ, float maxX, float maxZ,
               std::uint32_t surfaceKind, std::uint32_t* hitWord) {
  int result = 0;
  *hitWord = 0;
  minX += kEdgeTolerance;
  minZ += kEdgeTolerance;
  maxX -= kEdgeTolerance;
  maxZ -= kEdgeTolerance;
  for (const ColumnPolygon& p : polygons) {
    if (!ReachesSquare(p, minX, minZ, maxX, maxZ)) continue;
    if (p.kind == surfaceKind) {
      result = 1;
    } else {
      *hitWord = 1;
      return 1;
    }
  }
  return result;
}

void FreeChildren(CQuadTreeNode* node) {
  if (!node->Children) return;
  for (int i = 0; i < 4; ++i) FreeChildren(&node->Children[i]);
  delete[] node->Children;
  node->Children = nullptr;
}

}  // namespace

int QuadTreeBoxQuery(CEnvironment& env, float minX, float minZ, float maxX, float maxZ, std::uint32_t surfaceKind,
                     std::uint32_t* hitWord) {
  if (g_BuildPolygons) return ColumnTest(*g_BuildPolygons, minX, minZ, maxX, maxZ, surfaceKind, hitWord);
  const std::vector<ColumnPolygon> polygons = GatherColumnPolygons(env);
  return ColumnTest(polygons, minX, minZ, maxX, maxZ, surfaceKind, hitWord);
}

// --- nodes ---------------------------------------------------------------------------------

void CQuadTreeNode::Build(CEnvironment& env, CQuadTree& tree) {
  std::uint32_t hitWord = 0;
  const int result =
      QuadTreeBoxQuery(env, CentreX - Half, CentreZ - Half, CentreX + Half, CentreZ + Half, kBlockingSurfaceKind,
                       &hitWord);
  Flags = 0;
  if (hitWord == 0 && result != 0) {
    ++tree.ClosedLeaves;
    return;
  }
  if (hitWord == 0) {
    WorldHit hit;
    if (!env.LineTestFlat({CentreX, kColumnTop, CentreZ}, {CentreX, -kColumnTop, CentreZ}, &hit, kGroundFilter)) {
      ++tree.ClosedLeaves;
      return;
    }
    // Marker indices are 16-bit with 65535 meaning none: a leaf beyond that stays closed.
    if (tree.NextMarker >= kMaxRouteMarkers - 1) {
      ++tree.RefusedLeaves;
      ++tree.ClosedLeaves;
      return;
    }
    Flags = QTF_OPEN | QTF_GROUND;
    MarkerIndex = static_cast<std::uint16_t>(tree.NextMarker++);
    ++tree.OpenLeaves;
    return;
  }
  if (Half <= kQuadLeafHalf) {
    ++tree.ClosedLeaves;
    return;
  }
  Children = new CQuadTreeNode[4];
  tree.NodeBytes += 4 * kQuadNodeBytes;
  const float q = Half / 2;
  for (int i = 0; i < 4; ++i) {
    CQuadTreeNode& c = Children[i];
    c.Half = q;
    c.CentreX = (i & 1) ? CentreX + q : CentreX - q;
    c.CentreZ = (i & 2) ? CentreZ + q : CentreZ - q;
    c.Build(env, tree);
  }
  for (int i = 0; i < 4; ++i)
    if (Children[i].Children || Children[i].IsOpen()) return;
  FreeChildren(this);
  tree.NodeBytes -= 4 * kQuadNodeBytes;
  Flags = 0;
  tree.ClosedLeaves -= 3;
}

void CQuadTreeNode::CreateMarkers(CQuadTree& tree) {
  if (Children) {
    for (int i = 0; i < 4; ++i) Children[i].CreateMarkers(tree);
    return;
  }
  if ((Flags & QTF_GROUND) == 0) return;
  CRouteMarkerList* list = g_RouteMarkerList;
  if (!list || MarkerIndex >= list->Count) return;
  CRouteMarker* marker = list->SetPosition(MarkerIndex, {CentreX, 0, CentreZ});
  marker->SetLeafMarker(true);
  const float out = Half + kQuadProbe;
  // West, east, south, north: (offset along x, along z) of the probe across the edge.
  const float probes[4][2] = {{-out, 0}, {out, 0}, {0, -out}, {0, out}};
  for (const auto& p : probes) {
    for (float side : {-kQuadProbe, kQuadProbe}) {
      const float x = CentreX + p[0] + (p[0] == 0 ? side : 0);
      const float z = CentreZ + p[1] + (p[1] == 0 ? side : 0);
      const CQuadTreeNode* leaf = tree.FindLeafXZ(tree.Root, x, z);
      if (leaf && leaf->IsOpen()) {
        marker->AddLink(leaf->MarkerIndex);
        break;
      }
    }
  }
}

void CQuadTreeNode::AssignNearestMarkers() {
  if (Children) {
    for (int i = 0; i < 4; ++i) Children[i].AssignNearestMarkers();
    return;
  }
  if ((Flags & QTF_GROUND) != 0 || !g_RouteMarkerList) return;
  MarkerIndex = static_cast<std::uint16_t>(g_RouteMarkerList->FindNearestIndex({CentreX, 0, CentreZ}));
}

void CQuadTreeNode::ExitPoint(float px, float pz, float ex, float ez, float* outX, float* outZ) const {
  const float x0 = CentreX - Half, x1 = CentreX + Half, z0 = CentreZ - Half, z1 = CentreZ + Half;
  auto atX = [&](float x, float* cx, float* cz) {
    const float t = (x - px) / (ex - px);
    *cx = x;
    *cz = pz + (ez - pz) * t;
  };
  auto atZ = [&](float z, float* cx, float* cz) {
    const float t = (z - pz) / (ez - pz);
    *cx = px + (ex - px) * t;
    *cz = z;
  };
  float cx = ex, cz = ez;
  if (ex < x0)
    atX(x0, &cx, &cz);
  else if (ex > x1)
    atX(x1, &cx, &cz);
  if (cz < z0)
    atZ(z0, &cx, &cz);
  else if (cz > z1)
    atZ(z1, &cx, &cz);
  *outX = cx;
  *outZ = cz;
}

// --- the tree --------------------------------------------------------------------------------

CQuadTree::~CQuadTree() {
  if (!Root) return;
  if (ArrayForm) {
    delete[] Root;
  } else {
    FreeChildren(Root);
    delete Root;
  }
  Root = nullptr;
}

CQuadTreeNode* CQuadTree::FindLeafXZ(CQuadTreeNode* node, float x, float z) const {
  if (!node || !(x >= MinX && x <= MaxX && z >= MinZ && z <= MaxZ)) return nullptr;
  while (node->Children) node = &node->Children[node->ChildIndex(x, z)];
  return node;
}

void CQuadTree::SetBounds() {
  MinX = Root->CentreX - Root->Half;
  MaxX = Root->CentreX + Root->Half;
  MinZ = Root->CentreZ - Root->Half;
  MaxZ = Root->CentreZ + Root->Half;
}

namespace {
std::uint32_t CountBelow(const CQuadTreeNode* node) {
  std::uint32_t n = 1;
  if (node->Children)
    for (int i = 0; i < 4; ++i) n += CountBelow(&node->Children[i]);
  return n;
}

// The root's size and centre for the environment's bounds.
void SizeRoot(const CEnvironment& env, CQuadTreeNode* root) {
  const float halfX = (env.WorldBounds[3] - env.WorldBounds[0]) / 2;
  const float halfZ = (env.WorldBounds[5] - env.WorldBounds[2]) / 2;
  const float m = halfX >= halfZ ? halfX : halfZ;
  float half = kQuadLeafHalf;
  while (half < m) half *= 2;
  root->Half = half;
  root->CentreX = env.WorldBounds[0] + halfX;
  root->CentreZ = env.WorldBounds[2] + halfZ;
}
}  // namespace

std::uint32_t CQuadTree::CountNodes() const { return Root ? CountBelow(Root) : 0; }

void FreeQuadTree(CQuadTree* tree) {
  if (g_QuadTree == tree) g_QuadTree = nullptr;
  delete tree;
}

std::uint32_t BuildQuadTree(CEnvironment& env) {
  FreeQuadTree(g_QuadTree);
  auto* tree = new CQuadTree;
  tree->Root = new CQuadTreeNode;
  tree->NodeBytes = kQuadNodeBytes;
  SizeRoot(env, tree->Root);
  g_QuadTree = tree;
  std::vector<ColumnPolygon> polygons = GatherColumnPolygons(env);
  g_BuildPolygons = &polygons;
  tree->Root->Build(env, *tree);
  g_BuildPolygons = nullptr;
  tree->SetBounds();
  if (tree->RefusedLeaves)
    DebugTrace("Route quadtree: %u open leaves left closed, the marker indices ran out\n", tree->RefusedLeaves);
  return tree->OpenLeaves;
}

void BuildMarkersFromQuadTree() {
  CQuadTree* tree = g_QuadTree;
  auto* list = new CRouteMarkerList;
  list->Init(tree ? tree->OpenLeaves : 0);
  SetRouteMarkerList(list);
  if (!tree || !tree->Root) return;
  tree->Root->CreateMarkers(*tree);
  tree->Root->AssignNearestMarkers();
  list->LabelComponents();
  list->DropToGround();
}

namespace {
void ReplaceRouter(std::uint32_t markerCount) {
  delete g_Router;
  g_Router = new CRouter(markerCount);
}
}  // namespace

void BuildRouteData(CEnvironment& env) {
  BuildQuadTree(env);
  BuildMarkersFromQuadTree();
  ReplaceRouter(g_RouteMarkerList ? g_RouteMarkerList->Count : 0);
}

CRouter* MakeFlatRouteData(CEnvironment& env) {
  FreeQuadTree(g_QuadTree);
  auto* tree = new CQuadTree;
  tree->Root = new CQuadTreeNode;
  tree->NodeBytes = kQuadNodeBytes;
  SizeRoot(env, tree->Root);
  tree->Root->Flags = QTF_OPEN | QTF_GROUND;
  tree->Root->MarkerIndex = 0;
  tree->OpenLeaves = 1;
  tree->SetBounds();
  g_QuadTree = tree;
  auto* list = new CRouteMarkerList;
  list->Init(1);
  list->SetPosition(0, {tree->Root->CentreX, 0, tree->Root->CentreZ});
  SetRouteMarkerList(list);
  ReplaceRouter(1);
  return g_Router;
}

void FreeRouteData() {
  FreeQuadTree(g_QuadTree);
  FreeRouteMarkerList();
  delete g_Router;
  g_Router = nullptr;
}

// --- files ----------------------------------------------------------------------------------

namespace {

void CopyDepthFirst(const CQuadTreeNode* node, std::uint32_t index, std::vector<const CQuadTreeNode*>* order,
                    std::vector<std::uint32_t>* childOffset, std::uint32_t* nextFree) {
  (*order)[index] = node;
  if (!node->Children) {
    (*childOffset)[index] = 0;
    return;
  }
  const std::uint32_t block = *nextFree;
  *nextFree += 4;
  (*childOffset)[index] = block * kQuadNodeBytes;
  for (int i = 0; i < 4; ++i) CopyDepthFirst(&node->Children[i], block + static_cast<std::uint32_t>(i), order, childOffset, nextFree);
}

bool ReadWholeFile(const char* fileName, std::vector<std::uint8_t>* bytes) {
  BufferedFile* file = FileOpenOnSearchPath(fileName, 0);
  if (!file) return false;
  bytes->assign(FileGetSize(file), 0);
  const std::size_t got = bytes->empty() ? 0 : FileRead(bytes->data(), 1, bytes->size(), file);
  FileClose(file);
  return got == bytes->size();
}

bool WriteWholeFile(const char* path, const ByteWriter& out) {
  std::FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  const bool written = std::fwrite(out.Data().data(), 1, out.Size(), f) == out.Size();
  return std::fclose(f) == 0 && written;
}

// Every open leaf's own marker must be in the list.
bool LeavesFitMarkers(const CQuadTreeNode* node, std::uint32_t markerCount) {
  if (node->Children) {
    for (int i = 0; i < 4; ++i)
      if (!LeavesFitMarkers(&node->Children[i], markerCount)) return false;
    return true;
  }
  return (node->Flags & QTF_GROUND) == 0 || node->MarkerIndex < markerCount;
}

// Makes the tree and list current, validates and labels the markers and
// creates the router; on failure frees both and answers 0.
int InstallRouteData(std::unique_ptr<CQuadTree> tree, std::unique_ptr<CRouteMarkerList> list) {
  FreeQuadTree(g_QuadTree);
  g_QuadTree = tree.release();
  if (!list || !LeavesFitMarkers(g_QuadTree->Root, list->Count) || !list->Validate()) {
    FreeQuadTree(g_QuadTree);
    return 0;
  }
  SetRouteMarkerList(list.release());
  g_RouteMarkerList->LabelComponents();
  ReplaceRouter(g_RouteMarkerList->Count);
  if (!g_Router->Nodes) {
    FreeRouteData();
    return 0;
  }
  return 1;
}

}  // namespace

void WriteQuadTree(const CQuadTree& tree, ByteWriter& out) {
  const std::uint32_t n = tree.CountNodes();
  std::vector<const CQuadTreeNode*> order(n);
  std::vector<std::uint32_t> childOffset(n);
  std::uint32_t nextFree = 1;
  if (tree.Root) CopyDepthFirst(tree.Root, 0, &order, &childOffset, &nextFree);
  out.U32(n);
  for (std::uint32_t i = 0; i < n; ++i) {
    const CQuadTreeNode* node = order[i];
    out.U16(node->Flags);
    out.U16(node->MarkerIndex);
    out.U32(childOffset[i]);
    out.F32(node->CentreX);
    out.F32(node->CentreZ);
    out.F32(node->Half);
  }
  out.U32(tree.OpenLeaves);
  out.U32(tree.ClosedLeaves);
}

std::unique_ptr<CQuadTree> ReadQuadTree(ByteReader& in, std::string* error) {
  auto fail = [&](const char* why) -> std::unique_ptr<CQuadTree> {
    if (error) *error = why;
    return nullptr;
  };
  const std::uint32_t n = in.U32();
  if (!in.Ok()) return fail("short header");
  if (n == 0) return fail("no nodes");
  if (!in.HasRoomFor(n, kQuadNodeBytes)) return fail("node records past the end of the file");
  auto tree = std::make_unique<CQuadTree>();
  tree->Root = new (std::nothrow) CQuadTreeNode[n];
  if (!tree->Root) return fail("out of memory");
  tree->ArrayForm = 1;
  // Depth of each record below the root, 0 for one no node names as a child.
  std::vector<std::uint8_t> depth(n, 0);
  for (std::uint32_t i = 0; i < n; ++i) {
    CQuadTreeNode& node = tree->Root[i];
    node.Flags = in.U16();
    node.MarkerIndex = in.U16();
    const std::uint32_t offset = in.U32();
    node.CentreX = in.F32();
    node.CentreZ = in.F32();
    node.Half = in.F32();
    if (!std::isfinite(node.CentreX) || !std::isfinite(node.CentreZ) || !std::isfinite(node.Half) ||
        !(node.Half > 0))
      return fail("node square out of range");
    if (offset != 0) {
      // Four whole records, strictly after this one: the descent always ends.
      if (offset % kQuadNodeBytes != 0) return fail("child offset not on a record");
      const std::uint32_t first = offset / kQuadNodeBytes;
      if (n < 4 || first <= i || first > n - 4) return fail("child offset out of range");
      // Every record has one parent at most, and the tree stays shallow, so
      // the walks over it stay small.
      for (std::uint32_t k = first; k < first + 4; ++k)
        if (depth[k] != 0) return fail("children shared by two nodes");
      if (depth[i] >= kMaxQuadDepth) return fail("tree too deep");
      for (std::uint32_t k = first; k < first + 4; ++k) depth[k] = static_cast<std::uint8_t>(depth[i] + 1);
      node.Children = &tree->Root[first];
    }
  }
  tree->OpenLeaves = in.U32();
  tree->ClosedLeaves = in.U32();
  if (!in.Ok()) return fail("short leaf counts");
  tree->NodeBytes = n * kQuadNodeBytes;
  tree->SetBounds();
  return tree;
}

int LoadQuadTree(const char* fileName) {
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(fileName, &bytes)) return 0;
  ByteReader in(bytes.data(), bytes.size());
  std::unique_ptr<CQuadTree> tree = ReadQuadTree(in, nullptr);
  if (!tree) return 0;
  FreeQuadTree(g_QuadTree);
  g_QuadTree = tree.release();
  return 1;
}

int SaveQuadTree(const char* path) {
  if (!g_QuadTree || !path) return 0;
  ByteWriter out;
  WriteQuadTree(*g_QuadTree, out);
  return WriteWholeFile(path, out) ? 1 : 0;
}

int LoadRouteData(const char* levelName) {
  const std::string base = levelName ? levelName : "";
  std::vector<std::uint8_t> treeBytes, markerBytes;
  if (!ReadWholeFile((base + ".qtd").c_str(), &treeBytes)) return 0;
  ByteReader treeIn(treeBytes.data(), treeBytes.size());
  std::unique_ptr<CQuadTree> tree = ReadQuadTree(treeIn, nullptr);
  if (!tree) return 0;
  std::unique_ptr<CRouteMarkerList> list;
  if (ReadWholeFile((base + ".rmd").c_str(), &markerBytes)) {
    ByteReader markerIn(markerBytes.data(), markerBytes.size());
    list = ReadRouteMarkers(markerIn, nullptr);
  }
  return InstallRouteData(std::move(tree), std::move(list));
}

int LoadRouteDataCombined(const char* fileName) {
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(fileName, &bytes)) return 0;
  ByteReader in(bytes.data(), bytes.size());
  std::unique_ptr<CQuadTree> tree = ReadQuadTree(in, nullptr);
  if (!tree) return 0;
  return InstallRouteData(std::move(tree), ReadRouteMarkers(in, nullptr));
}

void WriteRouteDataCombined(const CQuadTree& tree, const CRouteMarkerList& list, ByteWriter& out) {
  WriteQuadTree(tree, out);
  WriteRouteMarkers(list, out);
}

int BuildAndSaveRouteData(CEnvironment& env, const char* levelName) {
  const std::string base = levelName ? levelName : "";
  BuildRouteData(env);
  const int tree = SaveQuadTree((base + ".qtd").c_str());
  const int markers = SaveRouteMarkers(g_RouteMarkerList, (base + ".rmd").c_str());
  return tree && markers ? 1 : 0;
}

int StartRouteData(CEnvironment& env, const char* levelName, void (*changedCallback)()) {
  int loaded = 0;
  if ((env.Flags & 2u) == 0) {
    loaded = LoadRouteData(levelName);
    if (!loaded) BuildRouteData(env);
  } else {
    MakeFlatRouteData(env);
  }
  if (g_RouteMarkerList) g_RouteMarkerList->SetChangedCallback(changedCallback);
  return loaded;
}

// --- queries ------------------------------------------------------------------------------------

bool QuadTreeContains(const CVector3& p) {
  const CQuadTree* t = g_QuadTree;
  return t && t->Root && p.x >= t->MinX && p.x <= t->MaxX && p.z >= t->MinZ && p.z <= t->MaxZ;
}

bool QuadTreeIsOpen(const CVector3& p) {
  if (!g_QuadTree) return false;
  const CQuadTreeNode* leaf = g_QuadTree->FindLeaf(p);
  return leaf && leaf->IsOpen();
}

CQuadTreeNode* QuadTreeSnapToMarker(CVector3* point, CRouteMarker** markerOut) {
  if (markerOut) *markerOut = nullptr;
  if (!g_QuadTree) return nullptr;
  CQuadTreeNode* leaf = g_QuadTree->FindLeaf(*point);
  if (!leaf || leaf->IsOpen()) return leaf;
  // A leaf of a level without markers names marker 0 of an empty list.
  if (!g_RouteMarkerList || leaf->MarkerIndex >= g_RouteMarkerList->Count) return leaf;
  CRouteMarker* marker = g_RouteMarkerList->GetMarker(leaf->MarkerIndex);
  *point = marker->Position;
  if (markerOut) *markerOut = marker;
  return leaf;
}

int QuadTreeRaycast(float ax, float az, float bx, float bz) {
  const CQuadTree* t = g_QuadTree;
  if (!t) return 0;
  const CQuadTreeNode* a = t->FindLeafXZ(t->Root, ax, az);
  const CQuadTreeNode* b = t->FindLeafXZ(t->Root, bx, bz);
  if (!a || !b) return 0;
  if (a == b) return a->IsOpen() ? 1 : 0;
  if (!a->IsOpen() || !b->IsOpen()) return 0;
  float dx = bx - ax, dz = bz - az;
  if (dx != 0 || dz != 0) {
    const float l = std::sqrt(dx * dx + dz * dz);
    dx /= l;
    dz /= l;
  }
  const CQuadTreeNode* current = a;
  float px = ax, pz = az;
  for (int step = 0; step < kRaycastSteps; ++step) {
    float ex, ez;
    current->ExitPoint(px, pz, bx, bz, &ex, &ez);
    px = ex + dx * kQuadProbe;
    pz = ez + dz * kQuadProbe;
    const CQuadTreeNode* next = t->FindLeafXZ(t->Root, px, pz);
    if (!next || next == current) return 0;
    if (!next->IsOpen()) return 0;
    if (next == b) return 1;
    current = next;
  }
  DebugTrace("Aborted raycast - smells like an infinite loop\n");
  return 0;
}

int QuadTreeRaycastPoints(const CVector3& a, const CVector3& b) { return QuadTreeRaycast(a.x, a.z, b.x, b.z); }

std::uint32_t QuadTreeGetLeafComponent(const CQuadTreeNode* leaf) {
  if (!leaf || !g_RouteMarkerList || leaf->MarkerIndex >= g_RouteMarkerList->Count) return 0;
  return g_RouteMarkerList->GetMarker(leaf->MarkerIndex)->Component;
}
