#include "sound/wave_source_psf_stream.h"

#include <cstring>

#include "platform/win32/win_stdio.h"
#include "sound/sound_chunk_reader.h"
#include "sound/wave_source_psf.h"

namespace {
constexpr std::uint32_t kLowestRate = 100;
constexpr std::uint32_t kHighestRate = 100000;
// The compressed bytes of the largest piece (8-bit blocks need the most).
constexpr std::uint32_t kPieceCompressed = kPsfStreamPiece * 16 / 30;
std::uint8_t g_compressed[kPieceCompressed];
}  // namespace

void WritePsfStreamChunk(ByteWriter& out, std::uint32_t sampleSet, const PsfStreamSample& sample) {
  const std::size_t n = sample.fileName.size() < 255 ? sample.fileName.size() : 255;
  out.Tag("PFST");
  const std::size_t sizeAt = out.Size();
  out.U32(0);
  out.U32(sampleSet);
  out.U32(sample.blockBytes / 2);
  out.U32(sample.rate);
  out.U16(0);
  out.U8(sample.formatByte);
  out.U8(static_cast<std::uint8_t>(n));
  out.Bytes(sample.fileName.data(), n);
  out.PatchU32(sizeAt, static_cast<std::uint32_t>(out.Size() - sizeAt - 4));
}

std::vector<std::uint8_t> MakePsfStreamFile(const std::vector<std::uint8_t>& blocks) {
  ByteWriter w;
  w.Tag("PSFS");
  w.U32(static_cast<std::uint32_t>(blocks.size()));
  w.Bytes(blocks.data(), blocks.size());
  return w.Data();
}

bool DecodePsfFromFile(std::FILE* file, PsfStream* stream, std::uint32_t* remaining, void* out, std::uint32_t bytes) {
  auto* pcm = static_cast<std::uint8_t*>(out);
  std::uint32_t done = 0;
  while (done < bytes) {
    std::uint32_t piece = bytes - done < kPsfStreamPiece ? bytes - done : kPsfStreamPiece;
    // Whole pairs of blocks only, and no more than the stream has left.
    const std::uint32_t perPair = PsfDecoder::SamplesPerBlock(stream->format) * 4;
    if (perPair == 0) break;
    piece -= piece % perPair;
    const std::uint32_t leftPairs = *remaining / kPsfBlockBytes;
    if (piece / perPair > leftPairs) piece = leftPairs * perPair;
    if (piece == 0) break;
    const std::uint32_t compressed = PsfDecoder::CompressedSize(*stream, piece);
    if (std::fread(g_compressed, 1, compressed, file) != compressed) return false;
    stream->read = g_compressed;
    stream->size = compressed;
    const std::uint32_t used = PsfDecoder::Decode(stream, piece / 2, reinterpret_cast<std::int16_t*>(pcm + done), true);
    *remaining -= used / 2;
    done += piece;
  }
  if (done < bytes) std::memset(pcm + done, 0, bytes - done);
  return true;
}

CWaveDataSourcePsfStream::~CWaveDataSourcePsfStream() {
  if (file_ != nullptr) std::fclose(file_);
}

bool CWaveDataSourcePsfStream::Load(SoundChunkReader& reader) {
  std::uint16_t flags = 0;
  std::uint8_t length = 0;
  if (!reader.ReadU32(&size_) || !reader.ReadU32(&rate_) || !reader.ReadU16(&flags) ||
      !reader.ReadU8(&formatByte_) || !reader.ReadU8(&length))
    return false;
  char name[256];
  if (!reader.Read(name, length) || length == 0) return false;
  name_.assign(name, length);
  return rate_ >= kLowestRate && rate_ <= kHighestRate;
}

std::unique_ptr<WaveDataSource> CWaveDataSourcePsfStream::NewPlayer() const {
  auto player = std::make_unique<CWaveDataSourcePsfStream>();
  player->name_ = name_;
  player->size_ = size_;
  player->rate_ = rate_;
  player->formatByte_ = formatByte_;
  return player;
}

bool CWaveDataSourcePsfStream::Start() {
  if (file_ == nullptr) {
    file_ = WinFopen(name_.c_str(), "rb");
    if (file_ == nullptr) return false;
  }
  if (std::fseek(file_, 8, SEEK_SET) != 0) return false;
  remaining_ = size_;
  stream_ = PsfStream{};
  stream_.format = PsfFormatOfByte(formatByte_);
  return true;
}

std::uint32_t CWaveDataSourcePsfStream::GetPcmSize() {
  PsfStream s = stream_;
  s.size = remaining_;
  const std::uint64_t pcm = 2ull * PsfDecoder::PcmSize(s);
  return pcm > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(pcm);
}

bool CWaveDataSourcePsfStream::Decode(void* out, std::uint32_t bytes) {
  if (file_ == nullptr) return false;
  return DecodePsfFromFile(file_, &stream_, &remaining_, out, bytes);
}
