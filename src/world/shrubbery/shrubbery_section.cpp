#include "world/shrubbery/shrubbery_section.h"

#include <cstdarg>
#include <cstdio>

#include "foundation/system/debug_output.h"
#include "world/environment/env_file_sections.h"
#include "world/environment/env_text_cursor.h"

namespace {

constexpr std::size_t kNameSize = 128;

void Put(std::string* out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Put(std::string* out, const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  if (n > 0) out->append(line, static_cast<std::size_t>(n) < sizeof line ? static_cast<std::size_t>(n) : sizeof line - 1);
}

bool Stopped(EnvTextCursor& text, int* line, const char* what) {
  if (line != nullptr) *line = text.Line();
  DebugTrace("Environment file: the shrubbery section stops at line %d (%s)\n", text.Line(), what);
  return false;
}

}  // namespace

bool ShrubFileRecord::Load(EnvTextCursor& text, int version) {
  if (!text.Real(&Position.x) || !text.Real(&Position.y) || !text.Real(&Position.z)) return false;
  Flags = kShrubSways;
  if (version >= kShrubVersionFlags) {
    int flags = 0;
    if (!text.Int(&flags)) return false;
    Flags = static_cast<std::uint32_t>(flags);
  }
  if (version >= kShrubVersionThreeAngles) {
    if (!text.Real(&AngleZ) || !text.Real(&AngleX) || !text.Real(&AngleY)) return false;
  } else {
    AngleZ = AngleX = 0.0f;
    if (!text.Real(&AngleY)) return false;
  }
  int index = 0;
  if (!text.Real(&Size) || !text.Int(&index)) return false;
  TemplateIndex = index;
  return true;
}

void ShrubFileRecord::Save(std::string* out, int version) const {
  Put(out, "%f %f %f ", static_cast<double>(Position.x), static_cast<double>(Position.y),
      static_cast<double>(Position.z));
  if (version >= kShrubVersionFlags) Put(out, "%d ", static_cast<int>(static_cast<std::int32_t>(Flags)));
  if (version >= kShrubVersionThreeAngles)
    Put(out, "%f %f %f ", static_cast<double>(AngleZ), static_cast<double>(AngleX), static_cast<double>(AngleY));
  else
    Put(out, "%f ", static_cast<double>(AngleY));
  Put(out, "%f %d\r\n", static_cast<double>(Size), static_cast<int>(TemplateIndex));
}

int ShrubberySectionData::AddTemplate(const std::string& name) {
  for (std::size_t i = 0; i < Templates.size(); ++i)
    if (Templates[i] == name) return static_cast<int>(i);
  Templates.push_back(name);
  return static_cast<int>(Templates.size()) - 1;
}

bool ReadShrubberySection(EnvTextCursor& text, int version, ShrubberySectionData* out, int* line) {
  ShrubberySectionData local;
  ShrubberySectionData& data = out != nullptr ? *out : local;
  data = ShrubberySectionData{};
  char word[kNameSize];
  // The keyword is not compared.
  if (!text.Token(word)) return Stopped(text, line, "no keyword");
  data.Keyword = word;
  int templates = 0, gardens = 0;
  if (!text.Int(&templates) || !text.Int(&gardens)) return Stopped(text, line, "no counts");
  if (templates < 0 || gardens < 0) return Stopped(text, line, "a negative count");
  // Each name and each garden stands in the text, so a count larger than
  // the text can hold stops at the text's end, before anything is kept.
  for (int i = 0; i < templates; ++i) {
    if (!text.Word(word)) return Stopped(text, line, "a template name is missing or too long");
    data.Templates.emplace_back(word);
  }
  for (int g = 0; g < gardens; ++g) {
    int n = 0;
    if (!text.Int(&n)) return Stopped(text, line, "a garden's shrub count is missing");
    if (n < 0) return Stopped(text, line, "a negative shrub count");
    std::vector<ShrubFileRecord> garden;
    for (int i = 0; i < n; ++i) {
      ShrubFileRecord record;
      if (!record.Load(text, version)) return Stopped(text, line, "a damaged shrub");
      garden.push_back(record);
    }
    data.Gardens.push_back(std::move(garden));
  }
  if (!EnvSkipToWord(text, "ENDGARDEN")) return Stopped(text, line, "no ENDGARDEN");
  if (!text.Token(word)) return Stopped(text, line, "no word after ENDGARDEN");
  return true;
}

void WriteShrubberySection(std::string* out, const ShrubberySectionData& data, int version) {
  Put(out, "%s %d %d\r\n", data.Keyword.empty() ? "GARDENS" : data.Keyword.c_str(),
      static_cast<int>(data.Templates.size()), static_cast<int>(data.Gardens.size()));
  for (const std::string& name : data.Templates) Put(out, "\"%s\"\r\n", name.c_str());
  for (const std::vector<ShrubFileRecord>& garden : data.Gardens) {
    Put(out, "%d\r\n", static_cast<int>(garden.size()));
    for (const ShrubFileRecord& record : garden) record.Save(out, version);
  }
  out->append("ENDGARDEN END\r\n");
}
