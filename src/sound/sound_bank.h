// Sound banks: game code plays events of a bank, never samples.  A bank maps
// 16-bit event ids to events; an event is a list of weighted entries, each
// naming a sample of the sound cache by the hash of its name, with a volume
// and a pitch variation.  Playing an event picks one entry at random by
// weight.  A bank comes from its own ".sbk" file or from a "BANK" chunk of
// the cache.  Main thread only.
//
// ".sbk" file, little-endian: u16 version (16, the size of an entry); the
// information bank (u32 count; per entry u32 value, u32 name length n, n
// name bytes); u16 event count; per event u16 id, u16 entry count k and k
// entries of 16 bytes (u32 sample key, f32 volume, f32 pitch variation,
// f32 weight).
// "BANK" chunk body: u32 name hash, u16 lowest id, u16 highest id, u32
// event count, the ids (u16 each), then per event u16 k and k entries.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"

class CSoundCache;
class SoundChunkReader;

inline constexpr std::uint16_t kSoundBankVersion = 16;

struct SoundEventEntry {
  std::uint32_t sampleKey = 0;   // HashBytes of the sample's name
  float volume = 1.0f;
  float pitchVariation = 0.0f;   // v: the rate may vary by a factor up to 1 + v
  float weight = 1.0f;
};

struct CSoundEvent {
  std::vector<SoundEventEntry> entries;
};

// The names behind the sample keys of a ".sbk" file (value = the key).
struct CInformationBank {
  struct Entry {
    std::uint32_t value = 0;
    std::string name;
  };
  std::vector<Entry> entries;
  // The name filed under value, or null.
  const char* Find(std::uint32_t value) const;
};

// A bank as its text source describes it, for the writers.
struct SoundBankSource {
  struct Entry {
    std::string sample;
    float volume = 1.0f;
    float pitchVariation = 0.0f;
    float weight = 1.0f;
  };
  struct Event {
    std::uint16_t id = 0;
    std::vector<Entry> entries;
  };
  std::string name;  // the bank's file name ("Explosion.sbk")
  std::vector<Event> events;
};

// The bytes of a ".sbk" file.
std::vector<std::uint8_t> MakeSoundBankFile(const SoundBankSource& bank);
// A whole "BANK" chunk (tag, size, body) of the bank.
void WriteSoundBankChunk(ByteWriter& out, const SoundBankSource& bank);

class CSoundBank {
 public:
  std::uint32_t NameHash = 0;
  std::uint16_t LowestEventId = 0xFFFF;
  std::uint16_t HighestEventId = 0;
  std::uint32_t EventCount = 0;
  CSoundBank* Next = nullptr;   // the next bank of its list
  std::vector<std::uint16_t> EventIds;
  std::vector<CSoundEvent> Events;

  // Reads a ".sbk" file through the engine's file layer and asks the cache
  // to find each entry's sample, warning "Failed to find "%s"" for one it
  // has not (unless the user is a developer).  False, silently, when the
  // file cannot be opened, its version is not 16, or it is cut short.
  bool LoadFromFile(const char* name, const CSoundCache* cache, int flag);
  // The same from the file's bytes; `info` receives the information bank.
  bool LoadFromBytes(const std::uint8_t* data, std::size_t size, CInformationBank* info);
  // Reads the cache form from a "BANK" chunk; false on a short read.
  bool LoadFromChunk(SoundChunkReader& reader);

  // The event of `id`, or null: none when the id lies outside
  // lowest .. highest, else the first of that id.
  const CSoundEvent* FindEvent(int id) const;
  // An entry of the event of `id` picked by weight, or null (no such event,
  // or an event of no entries).
  const SoundEventEntry* FindEntry(int id) const;
  // The weighted pick with the engine's 15-bit generator: r = rand x k /
  // 32767 lies in 0..k; the first entry whose stretch of the running sum of
  // weights holds r, or the first entry when the weights run out first.
  // Null for an event of no entries.
  static const SoundEventEntry* PickEntry(const CSoundEvent& event);

 private:
  void NoteId(std::uint16_t id);
};
