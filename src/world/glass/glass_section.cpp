#include "world/glass/glass_section.h"

#include "render/device/render.h"
#include "world/environment/env_file_sections.h"
#include "world/environment/environment.h"
#include "world/glass/glazier.h"

namespace {

bool ReadGlassSection(EnvTextCursor& text, const EnvSectionContext& context) {
  CEnvironment* environment = context.environment;
  if (environment == nullptr) {
    CGlazier scratch(0);
    return scratch.ReadText(text, context.version, GlassModules{}) == 1;
  }
  if (environment->Glass == nullptr) environment->CreateGlass(kGlassLevelShards);
  CGlazier* glass = environment->Glass;
  if (glass == nullptr) return GetDefaultEnvSectionReader(ENVSECTION_GLASS)(text, context);
  glass->MakeShards();
  return glass->ReadText(text, context.version, GlassModulesOf(environment)) == 1;
}

}  // namespace

GlassModules GlassModulesOf(const CEnvironment* environment) {
  GlassModules m;
  if (environment == nullptr) return m;
  m.Materials = environment->Materials;
  m.Textures = environment->Textures;
  const CRender* render = environment->Render != nullptr ? environment->Render : g_Render;
  m.EnvironmentMaps = render != nullptr && (render->GetRenderOptions() & RENDER_OPTION_1) != 0;
  return m;
}

void InstallGlassSectionReader() { SetEnvSectionReader(ENVSECTION_GLASS, &ReadGlassSection); }
