// Route markers: the nodes of the graph over which units find their way.
// Each marker is a point with up to five directed links to other markers, a
// connected-component label and a cost weight.  A level has one current
// marker list (g_RouteMarkerList), loaded from the level's ".rmd" file or
// made from the open leaves of the route quadtree.  Route paths raise the
// weights of the markers they pass through and the list lowers them back to
// 1.0 over time, so that units spread over parallel routes.  Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "render/geometry/vector3.h"

class ByteReader;
class CFont;
class ByteWriter;
class EnvTextCursor;

inline constexpr std::uint16_t kNoLink = 65535;
inline constexpr int kMarkerLinks = 5;
// Marker indices are 16-bit and 65535 means none, so a list holds fewer.
inline constexpr std::uint32_t kMaxRouteMarkers = 65535;

enum RouteMarkerFlags : std::uint16_t {
  RMF_LEAF = 0x01,      // made from a quadtree leaf
  RMF_ISOLATED = 0x20,  // no links, or disabled
};

// One marker; also the 32-byte file record (x, y, z, five links, component,
// flags, two reserved bytes, weight).
struct CRouteMarker {
  CVector3 Position{0, 0, 0};
  std::uint16_t Links[kMarkerLinks] = {kNoLink, kNoLink, kNoLink, kNoLink, kNoLink};
  std::uint16_t Component = 0;
  std::uint16_t Flags = 0;
  std::uint8_t Reserved[2] = {0, 0};
  float Weight = 1.0f;

  // Writes the target into the first empty slot.  Refuses (0) 65535, a
  // target not below the current list's count, this marker's own index, a
  // target already held, and a full set of slots.
  int AddLink(std::uint32_t target);
  // Empties the first slot holding the target; 0 when none does.
  int RemoveLink(std::uint32_t target);
  bool HasLink(std::uint32_t target) const;
  int CountLinks() const;
  void ClearLinks();
  void AddCost(float amount) { Weight += amount; }
  void SetIsolated(bool on);
  void SetLeafMarker(bool on);
  bool IsLeafMarker() const { return (Flags & RMF_LEAF) != 0; }
  bool IsIsolated() const { return (Flags & RMF_ISOLATED) != 0; }
};

using RouteMarkersChangedCallback = void (*)();

class CRouteMarkerList {
 public:
  CRouteMarkerList() = default;
  ~CRouteMarkerList() { Free(); }
  CRouteMarkerList(const CRouteMarkerList&) = delete;
  CRouteMarkerList& operator=(const CRouteMarkerList&) = delete;

  // Create, then every counter, the callback and the changed flag cleared.
  CRouteMarkerList* Init(std::uint32_t count);
  // Allocates count new markers (replacing any); 0 when the count is not
  // below 65535 or the allocation fails.
  int Create(std::uint32_t count);
  void Free();

  // No bound check: the caller passes an index below the count.
  CRouteMarker* GetMarker(std::uint32_t index) { return &Markers[index]; }
  const CRouteMarker* GetMarker(std::uint32_t index) const { return &Markers[index]; }
  std::uint16_t GetLink(std::uint32_t index, int slot) const { return Markers[index].Links[slot]; }
  CRouteMarker* SetPosition(std::uint32_t index, const CVector3& point);
  void SetMarker(const CRouteMarker& record, std::uint32_t index) { Markers[index] = record; }
  // The index of a marker of this list, or 65535 for one that is not.
  std::uint32_t IndexOf(const CRouteMarker* marker) const;

  // 0 when a marker links to itself or a link is neither 65535 nor below
  // the count; otherwise marks every marker without links isolated.
  int Validate();
  // Makes the links between touching leaves mutual, then labels the
  // markers by flooding along links (one way) in index order; markers that
  // already carry a label keep it.
  void LabelComponents();
  void MakeLinksMutual();
  bool LeavesTouch(std::uint32_t a, std::uint32_t b) const;
  void FloodComponent(std::uint32_t start, std::uint16_t label, std::uint32_t* labelled);
  // Each marker 1 + 50 above the ground under it (top bound + 51 without).
  void DropToGround();
  // Nearest by 3D distance within 1,000,000 units, ties to the lower index;
  // null (and *indexOut 65535) when none.
  CRouteMarker* FindNearest(const CVector3& point, std::uint32_t* indexOut);
  // The same index, 0 when none.
  std::uint32_t FindNearestIndex(const CVector3& point);
  // Cuts every link into and out of the marker, marks it isolated, closes
  // its quadtree leaf for a leaf marker and sets the changed flag.
  void DisableMarker(std::uint32_t index);
  void SetChanged() { Changed = 1; }
  void SetChangedCallback(RouteMarkersChangedCallback callback) { ChangedCallback = callback; }
  // Per frame: decays up to 50 weights toward 1.0 by 5 per game second,
  // calls the changed callback once after a change, clears the frame counters.
  void Update();
  // Developer overlay through the current camera: every marker within 5000
  // units of it and its links.  A marker on screen is labelled
  // "index (component) [weight]" in the font (red for leaf markers, green
  // for others; no labels without a font).  Each link is a line 25 units
  // above the two markers, with an arrow head 20 units short of the target
  // and a point that runs along it once every 4 game-clock seconds.  The
  // world matrix and the font's colour are put back afterwards.
  void DebugDraw(CFont* labelFont) const;

  std::unique_ptr<CRouteMarker[]> Markers;
  std::uint32_t Count = 0;
  std::uint32_t ComponentCount = 0;
  std::uint32_t DecayCursor = 0;
  RouteMarkersChangedCallback ChangedCallback = nullptr;
  std::uint32_t Changed = 0;
  std::uint32_t LineTestsThisFrame = 0;
};

// The level's current list (null when the level has none).  The route data
// start-up installs it; FreeRouteMarkerList frees it.
extern CRouteMarkerList* g_RouteMarkerList;
// Makes list current, freeing the previous current list.
void SetRouteMarkerList(CRouteMarkerList* list);
void FreeRouteMarkerList();

// ".rmd": 0xFFFFFFFF, version, count and 32-byte records; or (version 0)
// the count first and 28-byte records without weights.  Null with *error
// set when the count does not fit in the bytes, is 65535 or more, or a
// record holds a position or weight that is not a finite number (a weight
// also must not be negative).
std::unique_ptr<CRouteMarkerList> ReadRouteMarkers(ByteReader& in, std::string* error);
// Version 1: 0xFFFFFFFF, 1, the count and the 32-byte records.
void WriteRouteMarkers(const CRouteMarkerList& list, ByteWriter& out);
// Through the engine's search folders; null when the file cannot be opened
// or read whole, or the records are damaged.
CRouteMarkerList* LoadRouteMarkers(const char* fileName);
// 1 when the file was written and closed without error; 0 for no list.
int SaveRouteMarkers(const CRouteMarkerList* list, const char* path);

// Reads the route-marker section of the level text ("NEWENVMARKER" records
// up to "ENDMARKERS") and keeps nothing: 1 at "ENDMARKERS", 0 at any other
// word or when the text ends.
int SkipMarkerSection(EnvTextCursor& cursor, int version);
