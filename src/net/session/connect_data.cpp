#include "net/session/connect_data.h"

#include <atomic>
#include <cstring>

#include "foundation/byte_reader.h"

namespace {
std::atomic<ConnectTextSource> g_textSource{nullptr};

void WriteField(ByteWriter& out, const std::string& text, std::size_t bytes) {
  // One byte is kept for the terminator.
  const std::string cut = text.substr(0, bytes - 1);
  out.FixedString(cut, bytes);
}

bool ReadField(ByteReader& in, std::size_t bytes, std::string* out) {
  const std::uint8_t* p = in.View(bytes);
  if (p == nullptr || std::memchr(p, 0, bytes) == nullptr) return false;
  *out = reinterpret_cast<const char*>(p);
  return true;
}
}  // namespace

void ConnectData::Write(std::uint8_t out[kSize]) const {
  ByteWriter w;
  WriteField(w, applicationName, kNameBytes);
  WriteField(w, text, kTextBytes);
  std::memcpy(out, w.Data().data(), kSize);
}

bool ConnectData::Read(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size != kSize) return false;
  ByteReader in(data, size);
  return ReadField(in, kNameBytes, &applicationName) && ReadField(in, kTextBytes, &text);
}

void SetConnectTextSource(ConnectTextSource source) { g_textSource = source; }

const char* GetConnectText() {
  ConnectTextSource source = g_textSource.load();
  const char* text = source ? source() : nullptr;
  return text ? text : "";
}
