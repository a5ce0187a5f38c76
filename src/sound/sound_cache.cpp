#include "sound/sound_cache.h"

#include <cstring>

#include "foundation/files/file_locator.h"
#include "foundation/system/message_box.h"
#include "foundation/system/program_exit.h"
#include "foundation/text/hash.h"
#include "sound/sound_bank.h"
#include "sound/sound_chunk_reader.h"
#include "sound/wave_source_imus.h"
#include "sound/wave_source_psf.h"
#include "sound/wave_source_psf_stream.h"

void WriteSoundCacheHeader(ByteWriter& out) {
  out.U32(kSoundCacheMagic);
  out.U32(0);
}

void PatchSoundCacheLength(ByteWriter& out) { out.PatchU32(4, static_cast<std::uint32_t>(out.Size() - 8)); }

std::uint32_t SampleHandleOf(const char* name) { return HashBytes(name, std::strlen(name)); }

CSoundCache::CSoundCache() = default;

CSoundCache::~CSoundCache() { Free(); }

void CSoundCache::Free() {
  tree_.Clear();
  while (banks_ != nullptr) {
    CSoundBank* next = banks_->Next;
    delete banks_;
    banks_ = next;
  }
}

bool CSoundCache::Corrupt() {
  WarningBox(" Cache file \"%s\" seems to be corrupt.\n  It has been iradicated.  Please restart the game.",
             fileName_.c_str());
  ExitProgram(1);
  return false;
}

bool CSoundCache::Load(const char* name) {
  fileName_ = name != nullptr ? name : "";
  if (fileName_.empty()) return true;
  BufferedFile* file = FileOpenOnSearchPath(name, 0);
  if (file == nullptr) return false;
  std::uint8_t header[8];
  if (FileRead(header, 1, 8, file) != 8) {
    FileClose(file);
    return false;
  }
  ByteReader h(header, 8);
  const std::uint32_t magic = h.U32();
  const std::uint32_t length = h.U32();
  if (magic != kSoundCacheMagic) {
    FileClose(file);
    return false;
  }
  SoundChunkReader reader(file, length);
  const bool ok = LoadChunks(reader);
  FileClose(file);
  return ok;
}

bool CSoundCache::LoadFromMemory(const std::uint8_t* data, std::size_t size, const char* name) {
  fileName_ = name != nullptr ? name : "";
  ByteReader h(data, size);
  const std::uint32_t magic = h.U32();
  const std::uint32_t length = h.U32();
  if (!h.Ok() || magic != kSoundCacheMagic) return false;
  SoundChunkReader reader(data + 8, size - 8, length);
  return LoadChunks(reader);
}

bool CSoundCache::LoadChunks(SoundChunkReader& reader) {
  for (;;) {
    const std::uint32_t tag = reader.NextChunk();
    std::unique_ptr<WaveDataSource> source;
    if (tag == kSoundTagEnd) return true;
    if (tag == kSoundTagOversized) return Corrupt();
    if (tag == kSoundTagIMus) {
      auto music = std::make_unique<CWaveDataSourceIMus>();
      music->SetIntensity(intensity_);
      source = std::move(music);
    } else if (tag == kSoundTagPsfMemory || tag == kSoundTagPsfStream) {
      std::uint32_t set = 0;
      if (!reader.ReadU32(&set)) return Corrupt();
      // A chunk of another sample set is passed over unread.
      if (set != sampleSet_ && set != kAllSampleSets) continue;
      if (tag == kSoundTagPsfMemory)
        source = std::make_unique<CWaveDataSourcePsf>();
      else
        source = std::make_unique<CWaveDataSourcePsfStream>();
    } else if (tag == kSoundTagBank) {
      CSoundBank* bank = new CSoundBank;
      bank->Next = banks_;
      banks_ = bank;
      if (!bank->LoadFromChunk(reader)) return Corrupt();
      continue;
    } else {
      return false;
    }
    if (!source->Load(reader)) return Corrupt();
    const std::uint32_t key = SampleHandleOf(source->GetName().c_str());
    tree_.Insert(key, std::move(source));
  }
}

std::uint32_t CSoundCache::FindSample(const char* name) const {
  if (name == nullptr || name[0] == 0) return 0;
  const std::uint32_t handle = SampleHandleOf(name);
  if (tree_.Find(handle) != nullptr) return handle;
  WarningBox("Sample \"%s\" is not in the sound cache!", name);
  return 0;
}

CSoundBank* CSoundCache::FindBank(std::uint32_t hash) const {
  for (CSoundBank* b = banks_; b != nullptr; b = b->Next)
    if (b->NameHash == hash) return b;
  return nullptr;
}
