#include "world/render_effects/render_effects_file.h"

#include <cstdio>
#include <cstring>

#include "foundation/files/file_locator.h"
#include "foundation/files/path_helpers.h"
#include "foundation/system/command_switches.h"
#include "foundation/system/debug_output.h"
#include "foundation/text/hash.h"
#include "platform/win32/clocks.h"
#include "render/device/render.h"
#include "render/textures/text_compare.h"
#include "render/textures/texture_manager.h"
#include "world/environment/env_object.h"
#include "world/environment/environment.h"
#include "world/glass/glazier.h"
#include "world/render_effects/plant_sway.h"

const FileParseKeyword kRenderEffectsKeywords[] = {
    {"REFX_END", REFX_END},
    {"#INCLUDE", REFX_INCLUDE},
    {"REFX_PERTERB_GRASS", REFX_PERTERB_GRASS},
    {"REFX_DOT3_BUMP", REFX_DOT3_BUMP},
    {"REFX_REFLECT", REFX_REFLECT},
    {"REFX_DOT3_BUMP_REFLECT", REFX_DOT3_BUMP_REFLECT},
    {"REFX_DEFAULT_GLAZIER_REFLECT", REFX_DEFAULT_GLAZIER_REFLECT},
    {"REFX_DETAIL", REFX_DETAIL},
    {nullptr, -1},
};

const FileParseKeyword kRenderEffectsScales[] = {
    {"UV_SCALE", 0},
    {"U_SCALE", 1},
    {"V_SCALE", 2},
    {nullptr, -1},
};

const FileParseKeyword kRenderEffectsDetailModes[] = {
    {"SHADERMODE_DETAILBLEND", 18},     {"SHADERMODE_DETAILMODULATE", 19}, {"SHADERMODE_DETAILMODULATE2X", 20},
    {"SHADERMODE_DETAILADD", 21},       {"SHADERMODE_DETAILSUBTRACT", 22}, {nullptr, -1},
};

namespace {

constexpr std::size_t kWordSize = 64;   // keywords and other words: 63 characters
constexpr std::size_t kNameSize = 128;  // texture, part and object names: 127
// Texture load flags of the maps.
constexpr std::uint32_t kNormalMapFlags = 17;
constexpr std::uint32_t kEnvMapFlags = 1;
constexpr std::uint32_t kCubeMapFlags = 33;
constexpr std::uint32_t kDetailMapFlags = 1;
// Detail blend factor when the mode is not DETAILBLEND, and the detail mode
// used when the file names none the device knows.
constexpr float kDefaultDetailFactor = 0.5f;
constexpr std::uint32_t kFallbackDetailMode = 19;

bool Is(const char* word, const char* expected) { return std::strcmp(word, expected) == 0; }

// The detail flag of the texture for a mode: 128 blend and modulate-2x, 256
// modulate, 512 add and subtract, 0 any other.
std::uint32_t DetailFlag(const char* mode) {
  if (Is(mode, "SHADERMODE_DETAILBLEND") || Is(mode, "SHADERMODE_DETAILMODULATE2X")) return 128;
  if (Is(mode, "SHADERMODE_DETAILMODULATE")) return 256;
  if (Is(mode, "SHADERMODE_DETAILADD") || Is(mode, "SHADERMODE_DETAILSUBTRACT")) return 512;
  return 0;
}

class Reader {
 public:
  Reader(CEnvironment* environment, CFileParse& text, CEnvObject* scope, int depth, RenderEffectsStats* stats)
      : env_(environment), text_(text), scope_(scope), depth_(depth), stats_(*stats) {}

  void Run() {
    char word[kWordSize];
    for (;;) {
      text_.NextToken(word, sizeof word);
      if (word[0] == '\0' && text_.AtEnd()) return;  // the text ended without "REFX_END"
      const FileParseKeyword* k = CFileParse::FindKeyword(word, kRenderEffectsKeywords);
      if (k == nullptr) continue;  // not a keyword: skipped
      switch (k->value) {
        case REFX_END:
          return;
        case REFX_INCLUDE:
          Include();
          break;
        case REFX_PERTERB_GRASS:
          PlantSway();
          break;
        case REFX_DOT3_BUMP:
          Bump();
          break;
        case REFX_REFLECT:
          Reflect();
          break;
        case REFX_DEFAULT_GLAZIER_REFLECT:
          GlassReflect();
          break;
        case REFX_DETAIL:
          Detail();
          break;
        default:
          break;  // REFX_DOT3_BUMP_REFLECT: nothing after it is consumed
      }
    }
  }

 private:
  // --- capabilities --------------------------------------------------------------

  static bool BuildMode() { return IsCommandSwitchSet('c') != 0; }
  std::uint32_t Options() const {
    const CRender* render = env_ != nullptr && env_->Render != nullptr ? env_->Render : g_Render;
    return render != nullptr ? render->GetRenderOptions() : 0u;
  }
  bool ReflectionsAllowed() const { return (Options() & RENDER_OPTION_1) != 0 || BuildMode(); }
  bool DetailAllowed() const { return (Options() & RENDER_OPTION_0) != 0 || BuildMode(); }
  CTexture* Texture(const char* name, std::uint32_t flags) const {
    if (env_ == nullptr || env_->Textures == nullptr || name[0] == '\0') return nullptr;
    return env_->Textures->GetTexture(name, flags);
  }

  // --- the object of a block --------------------------------------------------------

  // Reads the object name and finds the template the block applies to: the
  // scope when the name is its id text, else (without a scope) the template
  // of that name; null when there is none.  The tokenizer upper-cases words,
  // so the id text ("#0x" and upper-case hex digits) is compared in any case.
  CEnvObject* Object() {
    char name[kNameSize];
    text_.NextToken(name, sizeof name);
    ++stats_.blocks;
    CEnvObject* object = nullptr;
    if (scope_ != nullptr)
      object = TextEqualNoCase(name, scope_->GetIdString()) ? scope_ : nullptr;
    else if (env_ != nullptr && name[0] != '\0')
      object = env_->FindObjectByHash(HashStringNoCase(name));
    if (object != nullptr) ++stats_.appliedBlocks;
    return object;
  }

  // Reads the word after the object name: true for "{" (the braced form).
  bool Braced(char* word) {
    text_.NextToken(word, kWordSize);
    return Is(word, "{");
  }
  // The leading word of the next braced entry; false at "}" or the end of the text.
  bool NextEntry() {
    char lead[kWordSize];
    text_.NextToken(lead, sizeof lead);
    return !Is(lead, "}") && !(lead[0] == '\0' && text_.AtEnd());
  }

  void Count(bool took) { stats_.nodeEffects += took ? 1 : 0; }

  // --- blocks ---------------------------------------------------------------------

  void Include() {
    char name[kNameSize];
    text_.NextToken(name, sizeof name);
    if (depth_ + 1 > kRenderEffectsMaxIncludeDepth) {
      DebugTrace("#INCLUDE \"%s\" nests deeper than %d files: not read\n", name, kRenderEffectsMaxIncludeDepth);
      ++stats_.refusedIncludes;
      return;
    }
    LoadRenderEffectsFile(env_, name, scope_, depth_ + 1, &stats_);
  }

  // "RANDOM_SCALE" min max "RANDOM_RATE" min max: every listed instance of
  // the object sways with its own random scale, rate and phase.
  void PlantSway() {
    CEnvObject* object = Object();
    float scale[2] = {0.0f, 0.0f}, rate[2] = {0.0f, 0.0f};
    if (text_.ReadKeywordFloat("RANDOM_SCALE", &scale[0])) text_.ReadFloat(&scale[1]);
    if (text_.ReadKeywordFloat("RANDOM_RATE", &rate[0])) text_.ReadFloat(&rate[1]);
    if (object == nullptr || env_ == nullptr) return;
    stats_.swayingInstances += AttachPlantSway(env_, object, scale[0], scale[1], rate[0], rate[1]);
  }

  // Single form: a word standing for "NORMAL_MAP", the map; braced form:
  // entries of leading word, texture name, "NORMAL_MAP" and the map.
  void Bump() {
    CEnvObject* object = Object();
    char word[kWordSize], part[kNameSize], map[kNameSize];
    auto apply = [&](const char* partName) {
      // A catalog build fetches the map even without the object, so that the catalog holds it.
      if (object == nullptr && !BuildMode()) return;
      CTexture* texture = Texture(map, kNormalMapFlags);
      for (CEnvObject* node = object; node != nullptr; node = node->NextNode)
        Count(node->SetBumpEffect(texture, partName));
    };
    if (!Braced(word)) {
      text_.NextToken(map, sizeof map);
      apply(nullptr);
      return;
    }
    while (NextEntry()) {
      text_.NextToken(part, sizeof part);
      map[0] = '\0';
      if (text_.ReadKeywordString("NORMAL_MAP", map, sizeof map)) apply(part);
    }
  }

  // The map keyword ("CUBE_MAP" or "ENV_MAP") and the map's name; the load
  // flags of the map, or 0 for any other word.
  std::uint32_t MapFlags(char* map) {
    char kind[kWordSize];
    text_.NextToken(kind, sizeof kind);
    text_.NextToken(map, kNameSize);
    if (Is(kind, "CUBE_MAP")) return kCubeMapFlags;
    if (Is(kind, "ENV_MAP")) return kEnvMapFlags;
    return 0;
  }

  // Single form: a word standing for "BLEND_FACTOR", the factor, the map;
  // braced form: entries of leading word, texture name, "BLEND_FACTOR" and
  // the factor, the map.
  void Reflect() {
    CEnvObject* object = Object();
    char word[kWordSize], part[kNameSize], map[kNameSize];
    auto apply = [&](const char* partName, float factor, std::uint32_t flags) {
      if (object == nullptr || flags == 0 || !ReflectionsAllowed()) return;
      CTexture* texture = Texture(map, flags);
      for (CEnvObject* node = object; node != nullptr; node = node->NextNode)
        Count(node->SetReflectionEffect(texture, factor, partName));
    };
    if (!Braced(word)) {
      float factor = 0.0f;
      text_.ReadFloat(&factor);
      const std::uint32_t flags = MapFlags(map);
      apply(nullptr, factor, flags);
      return;
    }
    while (NextEntry()) {
      text_.NextToken(part, sizeof part);
      float factor = 0.0f;
      text_.ReadKeywordFloat("BLEND_FACTOR", &factor);
      const std::uint32_t flags = MapFlags(map);
      apply(part, factor, flags);
    }
  }

  // A word (not interpreted), the strength, the map: the glass set's default reflection.
  void GlassReflect() {
    char word[kWordSize], map[kNameSize];
    text_.NextToken(word, sizeof word);
    float strength = 0.0f;
    text_.ReadFloat(&strength);
    const std::uint32_t flags = MapFlags(map);
    ++stats_.blocks;
    if (env_ == nullptr || env_->Glass == nullptr || flags == 0 || !ReflectionsAllowed()) return;
    ++stats_.appliedBlocks;
    env_->Glass->SetDefaultReflection(Texture(map, flags), strength);
  }

  // Single form: a word standing for "DETAIL_MODE", the mode; braced form:
  // entries of leading word, texture name, "DETAIL_MODE" and the mode.  Then
  // the settings (DetailSettings).  The scales start at 1 in the single
  // form; in the braced form at 0 and they carry over from entry to entry.
  void Detail() {
    CEnvObject* object = Object();
    char word[kWordSize], part[kNameSize], mode[kWordSize];
    float scale[2];
    if (!Braced(word)) {
      text_.NextToken(mode, sizeof mode);
      scale[0] = scale[1] = 1.0f;
      DetailSettings(object, nullptr, mode, scale);
      return;
    }
    scale[0] = scale[1] = 0.0f;
    while (NextEntry()) {
      text_.NextToken(part, sizeof part);
      mode[0] = '\0';
      text_.ReadKeywordString("DETAIL_MODE", mode, sizeof mode);
      DetailSettings(object, part, mode, scale);
    }
  }

  // "BLEND_FACTOR" and the factor (DETAILBLEND only; else 0.5), "BLEND_START"
  // and "BLEND_RANGE" with integers, any number of scale keywords with their
  // values, "DETAIL_MAP" and the map.
  void DetailSettings(CEnvObject* object, const char* partName, const char* mode, float scale[2]) {
    float factor = kDefaultDetailFactor;
    if (Is(mode, "SHADERMODE_DETAILBLEND")) text_.ReadKeywordFloat("BLEND_FACTOR", &factor);
    int start = 0, range = 0;
    text_.ReadKeywordInt("BLEND_START", &start);
    text_.ReadKeywordInt("BLEND_RANGE", &range);
    char word[kWordSize], map[kNameSize] = "";
    for (;;) {
      text_.NextToken(word, sizeof word);
      const FileParseKeyword* k = CFileParse::FindKeyword(word, kRenderEffectsScales);
      if (k == nullptr) {
        if (Is(word, "DETAIL_MAP")) text_.NextToken(map, sizeof map);
        break;
      }
      float value = 0.0f;
      text_.ReadFloat(&value);
      if (k->value != 2) scale[0] = value;
      if (k->value != 1) scale[1] = value;
    }
    if (object == nullptr || map[0] == '\0' || !DetailAllowed()) return;
    const FileParseKeyword* known = CFileParse::FindKeyword(mode, kRenderEffectsDetailModes);
    const std::uint32_t blendMode = known != nullptr ? static_cast<std::uint32_t>(known->value) : kFallbackDetailMode;
    CTexture* texture = Texture(map, kDetailMapFlags);
    if (texture != nullptr)
      texture->SetMipFade(static_cast<std::uint8_t>(start), static_cast<std::uint8_t>(range), DetailFlag(mode));
    for (CEnvObject* node = object; node != nullptr; node = node->NextNode)
      Count(node->SetDetailEffect(texture, blendMode, factor, scale[0], scale[1], partName));
  }

  CEnvironment* env_;
  CFileParse& text_;
  CEnvObject* scope_;
  int depth_;
  RenderEffectsStats& stats_;
};

}  // namespace

void ReadRenderEffects(CEnvironment* environment, CFileParse& text, CEnvObject* scope, int depth,
                       RenderEffectsStats* stats) {
  RenderEffectsStats local;
  Reader(environment, text, scope, depth, stats != nullptr ? stats : &local).Run();
}

int LoadRenderEffectsFile(CEnvironment* environment, const char* path, CEnvObject* scope, int depth,
                          RenderEffectsStats* stats) {
  RenderEffectsStats local;
  RenderEffectsStats& s = stats != nullptr ? *stats : local;
  DebugTrace("Parsing \"%s\" : ", path != nullptr ? path : "");
  const DWORD started = timeGetTime();
  CFileParse text;
  if (path == nullptr || !text.Open(path, kRenderEffectsParseFlags)) {
    DebugTrace("No File!\n");
    ++s.missingFiles;
    return 0;
  }
  ++s.files;
  ReadRenderEffects(environment, text, scope, depth, &s);
  DebugTrace("Done : %.2f seconds\n", static_cast<double>(timeGetTime() - started) * 0.001);
  return 1;
}

int CEnvironment::LoadRenderEffects(const char* path, CEnvObject* scope) {
  return LoadRenderEffectsFile(this, path, scope, 0, nullptr);
}

int LoadLevelRenderEffects(CEnvironment* environment, const char* levelPath) {
  if (environment == nullptr || levelPath == nullptr) return 0;
  char path[260];
  std::snprintf(path, sizeof path, "%s", levelPath);
  ChangePathExtension(path, sizeof path, ".rfx");
  if (!FileExists(path)) return 0;
  return environment->LoadRenderEffects(path, nullptr);
}
