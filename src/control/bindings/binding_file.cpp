// Reading and writing binding files.
#include <cstdio>
#include <cstring>

#include "control/bindings/control_mapper.h"
#include "control/bindings/input_action.h"
#include "platform/win32/win_move_file.h"
#include "platform/win32/win_stdio.h"

namespace {

// Applies one line (without CR and LF); answers whether it set a binding.
bool ApplyLine(CControlMapper& mapper, const char* line, std::size_t length, int player) {
  const char* comma = static_cast<const char*>(std::memchr(line, ',', length));
  if (!comma) return false;
  const std::size_t afterComma = static_cast<std::size_t>(comma - line) + 1;
  const char* equals = static_cast<const char*>(std::memchr(comma + 1, '=', length - afterComma));
  if (!equals) return false;
  const int action = ActionCodeFromName(line, static_cast<std::size_t>(comma - line));
  if (action < 0) return false;
  // The slot: a decimal number (blanks before it allowed), 0, 1 or 2.
  const char* p = comma + 1;
  while (p < equals && *p == ' ') ++p;
  if (p == equals || equals - p > 9) return false;
  int slot = 0;
  for (; p < equals; ++p) {
    if (*p < '0' || *p > '9') return false;
    slot = slot * 10 + (*p - '0');
  }
  if (slot >= kBindingSlots) return false;
  // The binding text, upper-cased.
  char text[kBindingLineLimit + 1];
  const std::size_t n = length - static_cast<std::size_t>(equals + 1 - line);
  for (std::size_t i = 0; i < n; ++i) {
    const char c = equals[1 + i];
    text[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  const InputBindingCode code = ParseBinding(text, n);
  if (code == kNoBinding) return false;
  return mapper.SetBinding(player, slot, action, code) >= 0;
}

}  // namespace

bool CControlMapper::LoadBindingsFromText(const char* bytes, std::size_t size, int player,
                                          BindingFileReport* report) {
  if (player < 0 || player >= players_ || (!bytes && size > 0)) return false;
  BindingFileReport local;
  BindingFileReport& r = report ? *report : local;
  r = BindingFileReport{};
  char line[kBindingLineLimit + 1];
  std::size_t length = 0;
  bool tooLong = false;
  std::size_t at = 0;
  for (;;) {
    const bool end = at == size;
    const char c = end ? '\n' : bytes[at++];
    if (c == '\r') continue;
    if (c != '\n') {
      // Characters beyond the line buffer are not kept; the line is ignored.
      if (length < kBindingLineLimit) line[length++] = c;
      else tooLong = true;
      continue;
    }
    if (length == 0 && !tooLong) {
      // An empty line ends the reading (and so does the end of the file).
      r.stoppedAtEmptyLine = !end;
      break;
    }
    ++r.linesRead;
    if (!tooLong && ApplyLine(*this, line, length, player))
      ++r.linesApplied;
    else
      r.ignoredLines.push_back(r.linesRead);
    length = 0;
    tooLong = false;
    if (end) break;
  }
  return true;
}

bool CControlMapper::LoadBindings(const char* fileName, int player, BindingFileReport* report) {
  if (!fileName || player < 0 || player >= players_) return false;
  std::FILE* f = WinFopen(fileName, "rb");
  if (!f) return false;
  std::string bytes;
  char chunk[4096];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) return false;
  return LoadBindingsFromText(bytes.data(), bytes.size(), player, report);
}

std::string CControlMapper::FormatRow(int player) const {
  std::string text;
  for (int action = 0; action < actions_; ++action) {
    const char* name = ActionNameFromCode(action);
    if (!name) continue;
    for (int slot = 0; slot < slots_; ++slot) {
      const InputBindingCode code = GetBinding(player, slot, action);
      if (code == kNoBinding) continue;
      std::string binding;
      if (!FormatBinding(binding, code)) continue;
      char head[64];
      std::snprintf(head, sizeof head, "%s,%d=", name, slot);
      text += head;
      text += binding;
      text += "\r\n";
    }
  }
  return text;
}

bool CControlMapper::SaveBindings(const char* fileName, int player) const {
  if (!fileName || !*fileName || player < 0 || player >= players_) return false;
  const std::string text = FormatRow(player);
  const std::string temporary = std::string(fileName) + ".tmp";
  std::FILE* f = WinFopen(temporary.c_str(), "wb");
  if (!f) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  const bool closed = std::fclose(f) == 0;
  if (!written || !closed ||
      !MoveFileExA(temporary.c_str(), fileName, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    WinRemove(temporary.c_str());
    return false;
  }
  return true;
}
