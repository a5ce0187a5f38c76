#include "sound/sound_bank.h"

#include <cstring>

#include "foundation/files/file_locator.h"
#include "foundation/maths/random15.h"
#include "foundation/system/developer_user.h"
#include "foundation/system/message_box.h"
#include "foundation/text/hash.h"
#include "sound/sound_cache.h"
#include "sound/sound_chunk_reader.h"

namespace {

// Counts no real bank comes near; larger ones are damaged data.
constexpr std::uint32_t kMaxInformation = 65536;
constexpr std::uint32_t kMaxNameLength = 4096;

void WriteEntries(ByteWriter& w, const SoundBankSource::Event& e) {
  w.U16(static_cast<std::uint16_t>(e.entries.size()));
  for (const SoundBankSource::Entry& x : e.entries) {
    w.U32(HashBytes(x.sample.data(), x.sample.size()));
    w.F32(x.volume);
    w.F32(x.pitchVariation);
    w.F32(x.weight);
  }
}

SoundEventEntry ReadEntry(ByteReader& r) {
  SoundEventEntry e;
  e.sampleKey = r.U32();
  e.volume = r.F32();
  e.pitchVariation = r.F32();
  e.weight = r.F32();
  return e;
}

}  // namespace

const char* CInformationBank::Find(std::uint32_t value) const {
  for (const Entry& e : entries)
    if (e.value == value) return e.name.c_str();
  return nullptr;
}

std::vector<std::uint8_t> MakeSoundBankFile(const SoundBankSource& bank) {
  ByteWriter w;
  w.U16(kSoundBankVersion);
  // The information bank names each sample once.
  std::vector<std::string> names;
  for (const auto& e : bank.events)
    for (const auto& x : e.entries) {
      bool seen = false;
      for (const std::string& n : names) seen = seen || n == x.sample;
      if (!seen) names.push_back(x.sample);
    }
  w.U32(static_cast<std::uint32_t>(names.size()));
  for (const std::string& n : names) {
    w.U32(HashBytes(n.data(), n.size()));
    w.U32(static_cast<std::uint32_t>(n.size()));
    w.Bytes(n.data(), n.size());
  }
  w.U16(static_cast<std::uint16_t>(bank.events.size()));
  for (const auto& e : bank.events) {
    w.U16(e.id);
    WriteEntries(w, e);
  }
  return w.Data();
}

void WriteSoundBankChunk(ByteWriter& w, const SoundBankSource& bank) {
  w.Tag("BANK");
  const std::size_t sizeAt = w.Size();
  w.U32(0);
  std::uint16_t lowest = 0xFFFF, highest = 0;
  for (const auto& e : bank.events) {
    if (e.id < lowest) lowest = e.id;
    if (e.id > highest) highest = e.id;
  }
  w.U32(HashStringElf(bank.name.c_str()));
  w.U16(lowest);
  w.U16(highest);
  w.U32(static_cast<std::uint32_t>(bank.events.size()));
  for (const auto& e : bank.events) w.U16(e.id);
  for (const auto& e : bank.events) WriteEntries(w, e);
  w.PatchU32(sizeAt, static_cast<std::uint32_t>(w.Size() - sizeAt - 4));
}

void CSoundBank::NoteId(std::uint16_t id) {
  if (id < LowestEventId) LowestEventId = id;
  if (id > HighestEventId) HighestEventId = id;
}

bool CSoundBank::LoadFromBytes(const std::uint8_t* data, std::size_t size, CInformationBank* info) {
  ByteReader r(data, size);
  if (r.U16() != kSoundBankVersion || !r.Ok()) return false;
  const std::uint32_t infoCount = r.U32();
  if (!r.Ok() || infoCount > kMaxInformation || !r.HasRoomFor(infoCount, 8)) return false;
  info->entries.clear();
  for (std::uint32_t i = 0; i < infoCount; ++i) {
    CInformationBank::Entry e;
    e.value = r.U32();
    const std::uint32_t n = r.U32();
    if (!r.Ok() || n > kMaxNameLength) return false;
    const std::uint8_t* bytes = r.View(n);
    if (bytes == nullptr) return false;
    e.name.assign(reinterpret_cast<const char*>(bytes), n);
    info->entries.push_back(std::move(e));
  }
  const std::uint16_t count = r.U16();
  if (!r.Ok() || !r.HasRoomFor(count, 4)) return false;
  EventIds.assign(count, 0);
  Events.assign(count, CSoundEvent{});
  EventCount = count;
  LowestEventId = 0xFFFF;
  HighestEventId = 0;
  for (std::uint16_t i = 0; i < count; ++i) {
    EventIds[i] = r.U16();
    NoteId(EventIds[i]);
    const std::uint16_t k = r.U16();
    if (!r.Ok() || !r.HasRoomFor(k, 16)) return false;
    Events[i].entries.resize(k);
    for (SoundEventEntry& e : Events[i].entries) e = ReadEntry(r);
  }
  return r.Ok();
}

bool CSoundBank::LoadFromFile(const char* name, const CSoundCache* cache, int) {
  BufferedFile* file = FileOpenOnSearchPath(name, 0);
  if (file == nullptr) return false;
  const std::uint32_t size = FileGetSize(file);
  std::vector<std::uint8_t> bytes(size);
  const bool read = size == 0 || FileRead(bytes.data(), 1, size, file) == size;
  FileClose(file);
  CInformationBank info;
  if (!read || !LoadFromBytes(bytes.data(), bytes.size(), &info)) return false;
  // Every entry's sample, from the last entry of each event to the first.
  for (const CSoundEvent& event : Events) {
    for (std::size_t i = event.entries.size(); i-- > 0;) {
      const std::uint32_t key = event.entries[i].sampleKey;
      if (cache != nullptr && cache->HasSample(key)) continue;
      const char* sample = info.Find(key);
      if (IsDeveloperUser() == 0) WarningBox("Failed to find \"%s\"", sample != nullptr ? sample : "?");
    }
  }
  return true;
}

bool CSoundBank::LoadFromChunk(SoundChunkReader& reader) {
  std::uint32_t count = 0;
  if (!reader.ReadU32(&NameHash) || !reader.ReadU16(&LowestEventId) || !reader.ReadU16(&HighestEventId) ||
      !reader.ReadU32(&count))
    return false;
  // Each event needs at least its id and its entry count.
  if (count > reader.ChunkLeft() / 4) return false;
  EventCount = count;
  EventIds.assign(count, 0);
  Events.assign(count, CSoundEvent{});
  for (std::uint16_t& id : EventIds)
    if (!reader.ReadU16(&id)) return false;
  for (CSoundEvent& event : Events) {
    std::uint16_t k = 0;
    if (!reader.ReadU16(&k) || k > reader.ChunkLeft() / 16) return false;
    event.entries.resize(k);
    for (SoundEventEntry& e : event.entries) {
      std::uint8_t raw[16];
      if (!reader.Read(raw, 16)) return false;
      ByteReader r(raw, 16);
      e = ReadEntry(r);
    }
  }
  return true;
}

const CSoundEvent* CSoundBank::FindEvent(int id) const {
  if (id < LowestEventId || id > HighestEventId) return nullptr;
  for (std::size_t i = 0; i < EventIds.size(); ++i)
    if (EventIds[i] == id) return &Events[i];
  return nullptr;
}

const SoundEventEntry* CSoundBank::FindEntry(int id) const {
  const CSoundEvent* event = FindEvent(id);
  return event != nullptr ? PickEntry(*event) : nullptr;
}

const SoundEventEntry* CSoundBank::PickEntry(const CSoundEvent& event) {
  const std::size_t k = event.entries.size();
  if (k == 0) return nullptr;
  const float r = static_cast<float>(Rand15()) * static_cast<float>(k) * 3.051851e-5f;
  float sum = 0.0f;
  for (const SoundEventEntry& e : event.entries) {
    const float after = sum + e.weight;
    if (sum <= r && after > r) return &e;
    sum = after;
  }
  return &event.entries.front();
}
