// Animation sets: one key-framed animation of one skeleton.  A set holds a
// track of pose keys per node (track i drives node i of the skeleton, in node
// order), optional per-frame bounds and optional timed events.  Sets are
// loaded by name from a ".prs" text file (with an optional ".aed" file of
// events beside it), cached as ".prb" binary files that later runs read
// instead, and shared by every animated object that plays them.  The one set
// manager keeps the loaded sets and their memory total.  Main thread only.
//
// ".prs" text (tokens separated by blanks and commas; labels are read and
// ignored):
//   <label> <header value>
//   <label> <track count>
//   BoundsData { <label> <bounds count> BoundsInfo {
//     per bounds: <l> <f>  <l> <min x y z>  <max x y z>  <l> <f>  <l> <centre x y z>  <l> <radius>
//   } }
//   per track: <word> { Name <name> Parent <name> <l> <key count> <l> <frame rate>
//     PRSInfo { per key: <l> <position> <l> <3 unused> <l> <scale> <l> <quaternion x y z w> } }
//
// ".aed" text: version, time unit (nonzero: event times in seconds, else in
// frames), event count, then per event its type, its time and, for type 1, a
// position.
//
// ".prb" cache (little-endian 32-bit words): header value, track count T,
// bounds count B, event count E, key count, time unit, two zero words; B
// bounds blocks of 160 bytes; E events of 40 bytes; T track offsets from the
// start of the file; per track key count, frame rate, 0xFFFFFFFF and its keys
// of 52 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "render/geometry/matrix.h"
#include "scene/model/tri_object.h"
#include "world/environment/env_object.h"

class CAnimObject;
struct AnimEvent;

// Called when channel 0 of an animated object passes an event's time.
using AnimEventCallback = void (*)(AnimEvent* event, CAnimObject* object);

// Sizes of the cache file's records.
inline constexpr std::size_t kAnimCacheHeaderBytes = 32;
inline constexpr std::size_t kAnimBoundsBytes = 160;
inline constexpr std::size_t kAnimEventBytes = 40;
inline constexpr std::size_t kAnimKeyBytes = 52;
inline constexpr std::size_t kAnimTrackHeaderBytes = 12;
// Size that a set record counts for itself in its bytes used.
inline constexpr std::int32_t kAnimSetRecordBytes = 64;
// Frame rate of a set without tracks.
inline constexpr float kAnimDefaultFrameRate = 2.0f;
// Most tracks, keys of one track, bounds blocks and events a file may give;
// larger counts are refused as damaged.
inline constexpr std::int32_t kAnimMaxTracks = 4096;
inline constexpr std::int32_t kAnimMaxKeys = kTriMaxKeys;
inline constexpr std::int32_t kAnimMaxBounds = 1 << 20;
inline constexpr std::int32_t kAnimMaxEvents = 1 << 16;

// Bounds of one frame: the box with its face planes, and the bounding sphere.
struct AnimBounds {
  EnvBounds Box;
  EnvSphere Sphere;
};

// Box and face planes (as the object files make them) from two opposite
// corners in any order.
void AnimMakeBounds(const CVector3& a, const CVector3& b, EnvBounds* out);

// The keys of one node.
struct AnimTrack {
  std::int32_t FrameRate = 0;  // frames per second
  std::vector<Pose> Keys;
  std::int32_t KeyCount() const { return static_cast<std::int32_t>(Keys.size()); }
};

// A timed event of a set.
struct AnimEvent {
  std::int32_t Type = 0;       // 1 carries a position
  float Time = 0.0f;           // in the set's time unit
  AnimEventCallback Callback = nullptr;
  CVector3 Position{};         // type 1 only
};

struct AnimSet {
  AnimSet() = default;
  AnimSet(const AnimSet&) = delete;
  AnimSet& operator=(const AnimSet&) = delete;

  // Loads the set from name (a path ending in ".prs"): from its ".prb" cache
  // when the switch 'r' is set or files come from catalogs, else from the
  // text (with the ".aed" beside it) and then writes the cache to
  // "data\characters\anims\" unless the switch 'q' is set.  1 on success, 0
  // when the text cannot be read or is damaged.
  int Load(const char* name);
  // Parses ".prs" text (NUL-terminated) into the set: 1 on success, 0 on a
  // missing keyword or brace, a bad count or a value missing before the end.
  // A track without "PRSInfo" keeps no keys and the load goes on.  A refused
  // text leaves the set as it was.
  int ParseText(const char* text);

  // Reads the ".aed" file; false when it is missing or damaged (the events
  // then stay as they were).
  bool LoadExtraData(const char* path);
  // Replaces the events by those of ".aed" text; false (events unchanged)
  // when it is damaged.
  bool ParseExtraData(const char* text);
  // The ".aed" text of the set's events.
  std::string ExtraDataText() const;
  // Writes the ".aed" file; false when it cannot be written.
  bool SaveExtraData(const char* path) const;

  // The ".prb" bytes of the set.
  std::vector<std::uint8_t> CacheBytes() const;
  // Writes the ".prb" file; false when it cannot be written.
  bool WriteCache(const char* path) const;
  // Reads the ".prb" file found on the search path; false (set unchanged)
  // when it cannot be opened or read or is damaged.
  bool LoadCache(const char* path);
  // Fills the set from ".prb" bytes; false (set unchanged) when the counts,
  // offsets or sizes do not fit the data.
  bool ReadCache(ByteReader& in);

  // Sets the callback of every event.
  void SetEventCallback(AnimEventCallback callback);
  // Drops tracks, bounds and events (the name hash stays).
  void Clear();

  std::int32_t BoundsCount() const { return static_cast<std::int32_t>(Bounds.size()); }
  std::int32_t EventCount() const { return static_cast<std::int32_t>(Events.size()); }
  // Keys of track i; null when there is no such track or it has no keys.
  const AnimTrack* GetTrack(int i) const {
    return i >= 0 && i < TrackCount ? &Tracks[static_cast<std::size_t>(i)] : nullptr;
  }

  std::uint32_t NameHash = 0;      // hash of the file name without folders
  std::int32_t HeaderValue = 0;    // first header value of the text (kept and cached)
  std::int32_t TrackCount = 0;     // must equal the node count of the skeleton
  std::int32_t KeyCount = 1;       // largest key count of any track, at least 1
  std::int32_t BytesUsed = kAnimSetRecordBytes;
  float FrameRate = kAnimDefaultFrameRate;  // track 0's
  std::vector<AnimTrack> Tracks;
  std::vector<AnimBounds> Bounds;  // one per frame
  std::int32_t EventTimeUnit = 1;  // nonzero: seconds (frame / frame rate); 0: frames
  std::vector<AnimEvent> Events;   // in file order
  bool FromCache = false;          // read from a ".prb" file
  AnimSet* Next = nullptr;         // the manager's list
};

// Counters for the statistics display.
struct AnimStatistics {
  std::uint32_t SetsLoaded = 0;
  std::uint32_t KeysLoaded = 0;
  std::uint32_t NodesEvaluated = 0;
};
extern AnimStatistics g_AnimStatistics;

// The list of loaded sets and their memory total.
class CAnimSetManager {
 public:
  CAnimSetManager() = default;
  ~CAnimSetManager() { FreeAll(); }
  CAnimSetManager(const CAnimSetManager&) = delete;
  CAnimSetManager& operator=(const CAnimSetManager&) = delete;

  // The set whose name hash equals the hash of the name's file part; else
  // loads it and appends it to the list.  Null when it does not load.
  AnimSet* GetAnimSet(const char* name);
  // Unlinks and frees the set.
  void Remove(AnimSet* set);
  // Frees every set and zeroes the counters and the total.
  void FreeAll();
  // Loads each name of a null-terminated list; 0 at the first failure, else 1.
  int LoadList(const char* const* names);
  // The n-th set, or null.
  AnimSet* GetByIndex(int n) const;
  // Sets the callback of every event of every loaded set.
  void SetEventCallback(AnimEventCallback callback);
  // Prints "Animations : %dk\n" with the total in kilobytes.
  void ReportMemory() const;

  std::int32_t TotalBytes = 0;
  AnimSet* First = nullptr;
};
extern CAnimSetManager g_AnimSetManager;

// The hash under which a set of that path is kept: of its file name
// without folders.
std::uint32_t AnimSetNameHash(const char* path);
