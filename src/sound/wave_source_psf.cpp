#include "sound/wave_source_psf.h"

#include <cstring>

#include "sound/sound_chunk_reader.h"

namespace {
// Sample rates a sample may claim: the range of a channel's frequency.
constexpr std::uint32_t kLowestRate = 100;
constexpr std::uint32_t kHighestRate = 100000;
}  // namespace

void WritePsfMemoryChunk(ByteWriter& out, std::uint32_t sampleSet, const PsfMemorySample& sample) {
  const std::size_t n = sample.name.size() < 255 ? sample.name.size() : 255;
  out.Tag("PFSM");
  const std::size_t sizeAt = out.Size();
  out.U32(0);
  out.U32(sampleSet);
  out.U8(sample.formatByte);
  out.U8(static_cast<std::uint8_t>(n));
  out.Bytes(sample.name.data(), n);
  out.U32(sample.rate);
  out.U32(static_cast<std::uint32_t>(sample.blocks.size()));
  out.Bytes(sample.blocks.data(), sample.blocks.size());
  out.PatchU32(sizeAt, static_cast<std::uint32_t>(out.Size() - sizeAt - 4));
}

bool CWaveDataSourcePsf::Load(SoundChunkReader& reader) {
  std::uint8_t length = 0;
  if (!reader.ReadU8(&formatByte_) || !reader.ReadU8(&length)) return false;
  char name[256];
  if (!reader.Read(name, length)) return false;
  name_.assign(name, length);
  std::uint32_t size = 0;
  if (!reader.ReadU32(&rate_) || !reader.ReadU32(&size)) return false;
  if (rate_ < kLowestRate || rate_ > kHighestRate) return false;
  // The size must be what the chunk holds, in whole blocks.
  if (size != reader.ChunkLeft() || size % kPsfBlockBytes != 0) return false;
  auto data = std::make_shared<std::vector<std::uint8_t>>(size);
  if (!reader.Read(data->data(), size)) return false;
  data_ = std::move(data);
  return true;
}

std::unique_ptr<WaveDataSource> CWaveDataSourcePsf::NewPlayer() const {
  auto player = std::make_unique<CWaveDataSourcePsf>();
  player->name_ = name_;
  player->formatByte_ = formatByte_;
  player->rate_ = rate_;
  player->data_ = data_;
  return player;
}

bool CWaveDataSourcePsf::Start() {
  stream_ = PsfStream{};
  if (data_ == nullptr) return false;
  stream_.size = static_cast<std::uint32_t>(data_->size());
  stream_.read = data_->data();
  stream_.format = PsfFormatOfByte(formatByte_);
  return true;
}

std::uint32_t CWaveDataSourcePsf::GetPcmSize() { return PsfDecoder::PcmSize(stream_); }

bool CWaveDataSourcePsf::Decode(void* out, std::uint32_t bytes) {
  auto* pcm = static_cast<std::int16_t*>(out);
  const std::uint32_t used = PsfDecoder::Decode(&stream_, bytes / 2, pcm, false);
  stream_.size -= used;
  const std::uint32_t written = used / kPsfBlockBytes * PsfDecoder::SamplesPerBlock(stream_.format) * 2;
  if (written < bytes) std::memset(static_cast<std::uint8_t*>(out) + written, 0, bytes - written);
  return true;
}
