#include "world/environment/pool_size_file.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "foundation/files/file_locator.h"
#include "foundation/files/load_file.h"
#include "foundation/memory/fast_allocator.h"
#include "foundation/system/debug_output.h"
#include "platform/win32/win_stdio.h"

int g_EnvLoadProgressTotal = 0;

namespace {

FastAllocatorBase* gPools[kPoolSlotCount] = {};

// Reads the words and numbers of the file text, which need not end in a NUL.
// Blanks, tabs and line ends separate them.
class PoolSizeCursor {
 public:
  PoolSizeCursor(const char* text, std::size_t size) : p_(text), end_(text + size) {}

  int Line() const { return line_; }

  // One value: a double-quoted string (without its quotes; it runs to the
  // next quote or the end of the text) or a bare word.  False at the end.
  bool Value(std::string* out) {
    SkipBlanks();
    out->clear();
    if (p_ >= end_) return false;
    if (*p_ == '"') {
      ++p_;
      while (p_ < end_ && *p_ != '"') {
        if (*p_ == '\n') ++line_;
        out->push_back(*p_++);
      }
      if (p_ < end_) ++p_;  // the closing quote
      return true;
    }
    while (p_ < end_ && !IsBlank(*p_)) out->push_back(*p_++);
    return true;
  }

  // A decimal number with an optional sign, saturated to the int range.
  // False, with nothing consumed but blanks, when there is none.
  bool Number(long long* out, bool* tooLarge) {
    SkipBlanks();
    const char* q = p_;
    bool negative = false;
    if (q < end_ && (*q == '-' || *q == '+')) negative = *q++ == '-';
    if (q >= end_ || !std::isdigit(static_cast<unsigned char>(*q))) return false;
    long long value = 0;
    *tooLarge = false;
    for (; q < end_ && std::isdigit(static_cast<unsigned char>(*q)); ++q) {
      if (value > 0x7FFFFFFFLL) {
        *tooLarge = true;
        continue;
      }
      value = value * 10 + (*q - '0');
    }
    if (value > 0x7FFFFFFFLL) *tooLarge = true;
    *out = negative ? -value : value;
    p_ = q;
    return true;
  }

 private:
  static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
  void SkipBlanks() {
    for (; p_ < end_ && IsBlank(*p_); ++p_)
      if (*p_ == '\n') ++line_;
  }

  const char* p_;
  const char* end_;
  int line_ = 1;
};

void Warn(std::string* warnings, const char* fileName, int line, const std::string& what) {
  char text[256];
  std::snprintf(text, sizeof(text), "%s, line %d: %s\n", fileName ? fileName : "pool-size file", line, what.c_str());
  *warnings += text;
}

}  // namespace

void PoolSizeRecord::blank() {
  progressTotal = -1;
  for (int i = 0; i < kPoolSlotCount; ++i) {
    counts[i] = kPoolSizeDefaultCount;
    fromFile[i] = false;
  }
  warnings.clear();
}

void PoolSizeRecord::load(const char* text, std::size_t size, const char* fileName) {
  blank();
  PoolSizeCursor cursor(text, size);
  std::string name;
  long long number = 0;
  bool tooLarge = false;

  // "Loading Bar" <progress total>; the name is not compared.
  if (!cursor.Value(&name)) return;
  if (!cursor.Number(&number, &tooLarge)) {
    Warn(&warnings, fileName, cursor.Line(), "no progress total after \"" + name + "\"");
  } else if (tooLarge || number < -1) {
    Warn(&warnings, fileName, cursor.Line(), "progress total out of range, not used");
  } else {
    progressTotal = static_cast<int>(number);
  }

  // One line per pool, in order.  A name that is neither the pool's own nor
  // the one this program writes leaves the pool at its default; its number
  // is then read as the next pool's name.
  for (int slot = 0; slot < kPoolSlotCount; ++slot) {
    if (!cursor.Value(&name)) return;  // short file: the rest keep their defaults
    if (name.size() > kPoolSizeNameMax || (name != kPoolSizeNames[slot] && name != kPoolSizeAnyName)) continue;
    if (!cursor.Number(&number, &tooLarge)) {
      Warn(&warnings, fileName, cursor.Line(),
           std::string("no count for \"") + kPoolSizeNames[slot] + "\", default used");
      continue;
    }
    if (number > kPoolSizeMaxCount || (tooLarge && number > 0)) {
      Warn(&warnings, fileName, cursor.Line(),
           std::string("count for \"") + kPoolSizeNames[slot] + "\" too large, cut to " +
               std::to_string(kPoolSizeMaxCount));
      number = kPoolSizeMaxCount;
    }
    counts[slot] = number < 1 ? 0 : static_cast<int>(number);
    fromFile[slot] = true;
  }
}

std::string PoolSizeRecord::save(int progressTotal, const int counts[kPoolSlotCount]) {
  std::string out;
  char line[64];
  std::snprintf(line, sizeof(line), "\"Loading Bar\" %d\n", progressTotal);
  out += line;
  for (int slot = 0; slot < kPoolSlotCount; ++slot) {
    std::snprintf(line, sizeof(line), "\"%s\" %d\n", kPoolSizeAnyName, counts[slot]);
    out += line;
  }
  return out;
}

void PoolSizeFileSetPool(PoolSizeSlot slot, FastAllocatorBase* pool) {
  if (slot >= 0 && slot < kPoolSlotCount) gPools[slot] = pool;
}

FastAllocatorBase* PoolSizeFileGetPool(PoolSizeSlot slot) {
  return slot >= 0 && slot < kPoolSlotCount ? gPools[slot] : nullptr;
}

int PoolSizeFileRead(const char* levelName) {
  std::string fileName = std::string(levelName ? levelName : "") + ".FAS";
  for (char& c : fileName) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

  PoolSizeRecord record;
  record.blank();
  // A level without the file is normal: look before loading, so that no
  // error box is shown for it.
  if (levelName != nullptr && levelName[0] != '\0' && FileExists(fileName.c_str())) {
    char* text = nullptr;
    std::uint32_t size = 0;
    if (LoadFile(fileName.c_str(), &text, &size, nullptr, 1)) {
      record.load(text, size, fileName.c_str());
      FreeLoadedFile(text);
    }
  }
  if (!record.warnings.empty()) DebugTrace("%s", record.warnings.c_str());

  for (int slot = 0; slot < kPoolSlotCount; ++slot) {
    if (gPools[slot] == nullptr) continue;
    if (!gPools[slot]->Resize(kPoolSizeNames[slot], record.counts[slot], kPoolSizeCategories[slot]))
      DebugTrace("Pool \"%s\": no memory for %d records, every record comes from the heap\n", kPoolSizeNames[slot],
                 record.counts[slot]);
  }
  g_EnvLoadProgressTotal = record.progressTotal;
  return record.progressTotal;
}

bool PoolSizeFileWrite(const char* levelName, int progressTotal) {
  if (levelName == nullptr || levelName[0] == '\0') return false;
  std::string path = GetWorkDirectory();
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
  path += levelName;
  path += ".FAS";

  int counts[kPoolSlotCount];
  for (int slot = 0; slot < kPoolSlotCount; ++slot)
    counts[slot] = gPools[slot] != nullptr ? gPools[slot]->Needed() : kPoolSizeDefaultCount;
  const std::string text = PoolSizeRecord::save(progressTotal, counts);

  std::FILE* f = WinFopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && written;
}
