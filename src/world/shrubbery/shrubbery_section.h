// The shrubbery section of the environment text file (version 52 on): a
// keyword, the template and garden counts, the template names, then per
// garden its shrub count and its shrubs, up to "ENDGARDEN" and one more word.
// A shrub record reads and writes itself side by side; the section reader
// parses the whole section into records (every count checked against the
// text it stands in) and keeps nothing else, so that applying it to the
// shrubbery (thinning, templates, variants) is a separate step.  Main thread
// only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/geometry/vector3.h"
#include "world/shrubbery/shrub.h"

class EnvTextCursor;

// First file versions of the section and of its gated fields.
constexpr int kShrubberyVersion = 52;
constexpr int kShrubVersionThreeAngles = 55;
constexpr int kShrubVersionFlags = 56;

struct ShrubFileRecord {
  CVector3 Position{};
  float AngleZ = 0.0f, AngleX = 0.0f, AngleY = 0.0f;
  float Size = 0.0f;
  std::uint32_t Flags = kShrubSways;  // before version 56 every shrub sways
  std::int32_t TemplateIndex = 0;     // into the section's template names

  // Reads the record at the file's version: the position; from version 56
  // the flags; from version 55 the three angles (Z, X, Y), before that the
  // Y angle alone; the size and the template index.  False at the first
  // missing or malformed value.
  bool Load(EnvTextCursor& text, int version);
  // Appends the record as the version writes it, one line.
  void Save(std::string* out, int version) const;
};

struct ShrubberySectionData {
  std::string Keyword = "GARDENS";
  std::vector<std::string> Templates;
  std::vector<std::vector<ShrubFileRecord>> Gardens;

  // The index of a template name in the table, appending it when absent.
  int AddTemplate(const std::string& name);
};

// Reads the section from its keyword to the word after "ENDGARDEN".  False,
// with *line set to the line of the fault, when a count is negative or runs
// past the text, a value is missing or malformed, or the text ends before
// "ENDGARDEN" and its word; the template names and the gardens read whole
// before the fault stay in *out.
bool ReadShrubberySection(EnvTextCursor& text, int version, ShrubberySectionData* out, int* line);
// Appends the section as the version writes it, "ENDGARDEN END" last.
void WriteShrubberySection(std::string* out, const ShrubberySectionData& data, int version);
