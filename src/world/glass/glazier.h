// The glass set of a level: up to 16 breakable panes (filled in file order
// from the "<GLAZIER>" section of the environment file) and a fixed pool of
// shards.  A bullet or a blast shatters a pane: the pane disappears and its
// area is cut into triangular shards (a fan from the impact point plus
// random splits) that fly off, spin, fall, bounce on a floor height and
// vanish.  Intact panes and flying shards are drawn through the transparent
// queue.  The environment owns the set (CEnvironment::CreateGlass) and the
// level load makes its shard pool; it is updated once a frame while the
// game clock runs.  Main thread only.
//
// Frame: world units (centimetres), y up; times in seconds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/geometry/vector3.h"
#include "world/glass/glass_pane.h"
#include "world/glass/glass_shard.h"

class DepthSortQueue;

constexpr int kGlassMaxPanes = 16;
// Shards of a level's glass set.
constexpr int kGlassLevelShards = 400;

// Sides of CGlazier::Shatter.
constexpr int kGlassSideBack = 1;    // shards fly to the back (against the normal)
constexpr int kGlassSideFront = -1;  // any other value: to the front

class CGlazier {
 public:
  // 16 empty panes, no shard pool yet (MakeShards makes it), default
  // reflection none with strength 0.5.  A negative count is taken as 0.
  explicit CGlazier(int shardCount);
  ~CGlazier();
  CGlazier(const CGlazier&) = delete;
  CGlazier& operator=(const CGlazier&) = delete;

  // Makes the shard pool (every shard free, each with its fixed mesh),
  // freeing an earlier one.  False when a shard's mesh cannot be made (the
  // pool is then left empty).
  bool MakeShards();
  // Frees the shard pool.
  void FreeShards();

  // The glass section at the cursor, read from version 34 on (before that
  // nothing is read and the answer is 1): "<GLAZIER>", "<PANE>" records
  // into the free slots in file order, "</GLAZIER>".  1 when the section
  // ended properly; 0 at a wrong block word, a damaged pane (that slot stays
  // empty), a 17th pane, or the end of the text, with the panes read whole
  // before kept.
  int ReadText(EnvTextCursor& text, int version, const GlassModules& modules);
  // Appends the section: "<GLAZIER>\r\n", every pane slot that is not empty,
  // "</GLAZIER> \r\n".
  void WriteText(std::string* out, int version = kGlassVersionCurrent) const;

  // Shatters an intact pane: side 1 from the back, any other from the
  // front, about the impact point (or the pane's centre when null).  The
  // pane disappears; as many shards as the pool has free make the fan of
  // its edges and the pane's extra splits.  Nothing for an index out of
  // range or a pane that is not intact.
  void Shatter(int pane, int side, const CVector3* impact);
  // Shatters every intact pane whose centre lies within the radius
  // (inclusive), towards the side away from the blast.
  void ExplosionHit(const CVector3& centre, float radius);
  // Advances every flying shard by the frame time.
  void Update(float frameTime);
  // Queues every flying shard and every intact pane as mesh items of the
  // queue (null: the running engine's); answers the items queued.
  int Draw(DepthSortQueue* queue = nullptr);
  // Flying shards with a corner strictly inside the box centre ±
  // (width / 2, height / 2, width / 2).
  int CountShardsIn(const CVector3& centre, float width, float height) const;

  // Slot i, null out of range.
  GlassPane* GetPane(int i);
  const GlassPane* GetPane(int i) const;
  // The slot of a pane of this set; -1 for any other pointer.
  int PaneIndex(const GlassPane* pane) const;
  // The first empty slot, or -1 when all 16 are used.
  int AddPane();
  // The render-effects file's default reflection: kept, and given to every
  // pane that has no reflection texture yet.
  void SetDefaultReflection(CTexture* texture, float strength);

  int GetShardCount() const { return shardCount_; }
  bool HasShards() const { return !shards_.empty(); }
  // Panes read from the file.
  int GetPaneCount() const { return paneCount_; }
  // Shard i of the pool, null out of range or before MakeShards.
  const GlassShard* GetShard(int i) const;
  // Shards now flying.
  int LiveShards() const;
  CTexture* GetDefaultReflection() const { return defaultReflection_; }
  float GetDefaultStrength() const { return defaultStrength_; }

 private:
  // The first free shard from the cursor on (wrapping), the cursor moved
  // past it; -1 when none is free.
  int FindFreeShard();
  void StartShard(GlassShard& shard, int pane, float push);

  std::vector<GlassShard> shards_;  // shardCount_ records once made
  GlassPane panes_[kGlassMaxPanes];
  int shardCursor_ = 0;
  int shardCount_ = 0;
  int paneCount_ = 0;
  CTexture* defaultReflection_ = nullptr;
  float defaultStrength_ = kGlassDefaultReflectStrength;
};

// The glass set of the level of the moment (the environment's), or null.
extern CGlazier* g_Glazier;
