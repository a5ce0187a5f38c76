#include "world/environment/render_info_block.h"

#include <cstdio>

#include "foundation/system/debug_output.h"
#include "world/environment/env_text_cursor.h"

bool EnvFileReadRenderInfo(RenderInfoBlock& block, EnvTextCursor& text) {
  char keyword[16];
  // The keywords "RINFO" and "ENVM" stand in the text for a reader's eye;
  // they are not compared.
  if (!text.Token(keyword)) return false;
  int flags = 0;
  if (!text.Int(&flags)) return false;
  block.flags = static_cast<std::uint32_t>(flags);
  if (block.flags & RenderInfoBlock::HAS_ENTRIES) {
    int count = 0;
    if (!text.Token(keyword) || !text.Int(&count)) return false;
    if (count < 0) {
      DebugTrace("Render info at line %d: entry count %d\n", text.Line(), count);
      return false;
    }
    if (count > RenderInfoBlock::kMaxEntries)
      DebugTrace("Render info at line %d: %d entries, only %d kept\n", text.Line(), count, RenderInfoBlock::kMaxEntries);
    for (int i = 0; i < count; ++i) {
      RenderInfoEntry scratch;
      RenderInfoEntry& entry = i < RenderInfoBlock::kMaxEntries ? block.entries[i] : scratch;
      if (!text.Word(entry.name) || !text.Real(&entry.value) || !text.Word(entry.envMapName)) return false;
      if (i < RenderInfoBlock::kMaxEntries) block.count = i + 1;
    }
  }
  if (block.flags & RenderInfoBlock::HAS_RENDER_VALUE) {
    int value = 0;
    if (!text.Int(&value)) return false;
    block.renderValue = value;
  }
  return true;
}

void EnvFileWriteRenderInfo(const RenderInfoBlock& block, std::string& out) {
  if (block.flags == 0) return;
  char line[192];
  std::snprintf(line, sizeof line, "RINFO %d ", static_cast<int>(block.flags));
  out += line;
  if (block.flags & RenderInfoBlock::HAS_ENTRIES) {
    int count = block.count < 0 ? 0 : block.count > RenderInfoBlock::kMaxEntries ? RenderInfoBlock::kMaxEntries : block.count;
    std::snprintf(line, sizeof line, "ENVM %d ", count);
    out += line;
    for (int i = 0; i < count; ++i) {
      const RenderInfoEntry& e = block.entries[i];
      std::snprintf(line, sizeof line, "\"%.63s\" %f \"%.63s\" ", e.name, static_cast<double>(e.value), e.envMapName);
      out += line;
    }
  }
  if (block.flags & RenderInfoBlock::HAS_RENDER_VALUE) {
    std::snprintf(line, sizeof line, "%d", block.renderValue);
    out += line;
  }
}
