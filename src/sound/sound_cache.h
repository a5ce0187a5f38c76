// The sound cache: every sample of a level (effects, speech, streamed music,
// interactive music) and banks, from one ".sch" file.  Loading the file
// makes a wave source of each sample chunk of the current sample set and a
// bank of each bank chunk; samples are then found by the hash of their name,
// which is also their handle.  Main thread only.
//
// File, little-endian: u32 magic 0x00484353 ("SCH" and a zero byte), u32
// length of all that follows, then chunks of u32 tag, u32 size and size
// bytes of body: "PFSM" and "PFST" (u32 sample-set id, 0xFFFFFFFF for every
// set, then the sample), "IMUS" (interactive music) and "BANK" (a bank).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "sound/sample_tree.h"

class CMusicIntensity;
class CSoundBank;
class SoundChunkReader;

inline constexpr std::uint32_t kAllSampleSets = 0xFFFFFFFFu;

// Writes the file header; PatchSoundCacheLength fills in the length once the
// chunks are written.
void WriteSoundCacheHeader(ByteWriter& out);
void PatchSoundCacheLength(ByteWriter& out);

// The handle (and tree key) of a sample name: the hash of its bytes.
std::uint32_t SampleHandleOf(const char* name);

class CSoundCache {
 public:
  CSoundCache();
  ~CSoundCache();
  CSoundCache(const CSoundCache&) = delete;
  CSoundCache& operator=(const CSoundCache&) = delete;

  // Loads a cache file through the engine's file layer, adding its samples
  // and banks to what is loaded.  An empty name loads nothing and succeeds.
  // False, quietly, when the file cannot be opened, its header is wrong or
  // short, or a chunk's tag is unknown.  A chunk whose sample or bank cannot
  // be read makes the file corrupt: the warning " Cache file "%s" seems to be
  // corrupt..." and the end of the program (ExitProgram); false when that
  // returns.
  bool Load(const char* name);
  // The same over the file's bytes in memory; `name` is for the messages.
  bool LoadFromMemory(const std::uint8_t* data, std::size_t size, const char* name);
  // Frees every sample and bank.
  void Free();

  // The sample set whose chunks load (0 at first); kAllSampleSets chunks
  // always load.
  void SetSampleSet(std::uint32_t set) { sampleSet_ = set; }
  // Interactive music made from now on reads this meter's level.
  void SetMusicIntensity(const CMusicIntensity* intensity) { intensity_ = intensity; }

  // The handle of a sample by name: 0 for an empty name; for a name not in
  // the cache the warning "Sample "%s" is not in the sound cache!" and 0.
  std::uint32_t FindSample(const char* name) const;
  bool HasSample(std::uint32_t handle) const { return tree_.Find(handle) != nullptr; }
  // The wave source of a handle, or null.
  WaveDataSource* GetSource(std::uint32_t handle) const { return tree_.Find(handle); }
  int SampleCount() const { return tree_.Count(); }
  const CSampleTree& Tree() const { return tree_; }

  // The banks of the loaded files' bank chunks, newest first.
  CSoundBank* Banks() const { return banks_; }
  // The bank whose name hash is `hash`, or null.
  CSoundBank* FindBank(std::uint32_t hash) const;
  // The name of the last file loaded.
  const std::string& FileName() const { return fileName_; }

 private:
  bool LoadChunks(SoundChunkReader& reader);
  bool Corrupt();

  std::string fileName_;
  std::uint32_t sampleSet_ = 0;
  const CMusicIntensity* intensity_ = nullptr;
  CSampleTree tree_;
  CSoundBank* banks_ = nullptr;
};
