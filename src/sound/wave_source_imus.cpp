#include "sound/wave_source_imus.h"

#include <cstring>

#include "foundation/system/message_box.h"
#include "platform/win32/win_stdio.h"
#include "sound/music_intensity.h"
#include "sound/sound_chunk_reader.h"
#include "sound/wave_source_psf_stream.h"

std::vector<std::uint8_t> MakeIMusFile(const std::vector<IMusSection>& sections, std::vector<std::uint32_t>* offsets) {
  ByteWriter w;
  w.Tag("IMUF");
  w.U32(static_cast<std::uint32_t>(sections.size()));
  offsets->clear();
  for (const IMusSection& s : sections) {
    offsets->push_back(static_cast<std::uint32_t>(w.Size()));
    const std::uint8_t kind = s.raw ? 3 : s.psfFormat;
    w.U8(0);
    w.U8(0);
    w.U8(0);
    w.U8(static_cast<std::uint8_t>(kind << 5));
    w.U32(s.raw ? 0u : static_cast<std::uint32_t>(s.bytes.size() / 2 / kPsfBlockBytes) & 0xFFFFFu);
    if (s.raw) w.U32(static_cast<std::uint32_t>(s.bytes.size()));
    w.Bytes(s.bytes.data(), s.bytes.size());
  }
  return w.Data();
}

void WriteIMusChunk(ByteWriter& out, const std::string& fileName, const std::vector<IMusSection>& sections,
                    const std::vector<std::uint32_t>& offsets) {
  const std::size_t n = fileName.size() < 255 ? fileName.size() : 255;
  out.Tag("IMUS");
  const std::size_t sizeAt = out.Size();
  out.U32(0);
  out.U8(static_cast<std::uint8_t>(n));
  out.Bytes(fileName.data(), n);
  out.U32(static_cast<std::uint32_t>(sections.size()));
  for (std::size_t k = 0; k < sections.size(); ++k) {
    out.U32(k < offsets.size() ? offsets[k] : 0);
    out.U32(0);
    for (std::uint32_t next : sections[k].next) out.U32(next);
  }
  out.PatchU32(sizeAt, static_cast<std::uint32_t>(out.Size() - sizeAt - 4));
}

CWaveDataSourceIMus::~CWaveDataSourceIMus() {
  if (file_ != nullptr) std::fclose(file_);
}

bool CWaveDataSourceIMus::Load(SoundChunkReader& reader) {
  std::uint8_t length = 0;
  if (!reader.ReadU8(&length) || length == 0) return false;
  char name[256];
  if (!reader.Read(name, length)) return false;
  name_.assign(name, length);
  if (!reader.ReadU32(&sections_) || sections_ == 0 || sections_ > kIMusMaxSections) return false;
  auto words = std::make_shared<std::vector<std::uint32_t>>(6 * static_cast<std::size_t>(sections_));
  for (std::uint32_t& w : *words)
    if (!reader.ReadU32(&w)) return false;
  words_ = std::move(words);
  current_ = 0;
  return true;
}

std::unique_ptr<WaveDataSource> CWaveDataSourceIMus::NewPlayer() const {
  auto player = std::make_unique<CWaveDataSourceIMus>();
  player->name_ = name_;
  player->words_ = words_;
  player->sections_ = sections_;
  player->current_ = current_;
  player->intensity_ = intensity_;
  return player;
}

bool CWaveDataSourceIMus::Start() {
  int level = intensity_ != nullptr ? static_cast<int>(intensity_->GetLevel()) : 1;
  if (level < 1) level = 1;
  if (level > 4) level = 4;
  // The next section is word (current x 6 + level + 1) of the table; a
  // number outside the table stops the music.
  const std::size_t word = static_cast<std::size_t>(current_) * 6 + static_cast<std::size_t>(level) + 1;
  if (words_ == nullptr) return false;
  const std::vector<std::uint32_t>& table = *words_;
  if (word >= table.size() || table[word] >= sections_) return false;
  current_ = table[word];
  if (file_ == nullptr) {
    file_ = WinFopen(name_.c_str(), "rb");
    if (file_ == nullptr) {
      WarningBox("I-Music file %s not found!", name_.c_str());
      return false;
    }
  }
  std::uint8_t header[8];
  if (std::fseek(file_, static_cast<long>(table[6 * static_cast<std::size_t>(current_)]), SEEK_SET) != 0 ||
      std::fread(header, 1, 8, file_) != 8)
    return false;
  const int kind = (header[3] >> 5) & 3;
  raw_ = kind == 3;
  stream_ = PsfStream{};
  if (raw_) {
    std::uint8_t count[4];
    if (std::fread(count, 1, 4, file_) != 4) return false;
    rawLeft_ = count[0] | count[1] << 8 | count[2] << 16 | static_cast<std::uint32_t>(count[3]) << 24;
    rawLeft_ -= rawLeft_ % 4;  // whole stereo frames
    return true;
  }
  stream_.format = static_cast<std::uint32_t>(kind);
  const std::uint32_t second = header[4] | header[5] << 8 | header[6] << 16 | static_cast<std::uint32_t>(header[7]) << 24;
  remaining_ = (second & 0xFFFFFu) * kPsfBlockBytes;
  return true;
}

std::uint32_t CWaveDataSourceIMus::GetPcmSize() {
  if (raw_) return rawLeft_;
  PsfStream s = stream_;
  s.size = remaining_;
  const std::uint64_t pcm = 2ull * PsfDecoder::PcmSize(s);
  return pcm > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(pcm);
}

bool CWaveDataSourceIMus::Decode(void* out, std::uint32_t bytes) {
  if (file_ == nullptr) return false;
  if (!raw_) return DecodePsfFromFile(file_, &stream_, &remaining_, out, bytes);
  const std::uint32_t take = bytes < rawLeft_ ? bytes : rawLeft_;
  if (std::fread(out, 1, take, file_) != take) return false;
  rawLeft_ -= take;
  if (take < bytes) std::memset(static_cast<std::uint8_t*>(out) + take, 0, bytes - take);
  return true;
}
