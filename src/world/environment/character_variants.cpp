#include "world/environment/character_variants.h"

#include <cstring>

const CharacterVariant CharacterVariantTable[] = {
    {"HERO_LEADER", 0, "HERO_LEADER_SKIN.bmp"},
    {"HERO_SCOUT", 1, "HERO_SCOUT_SKIN.bmp"},
    {"HERO_MEDIC", 1, "HERO_MEDIC_SKIN.bmp"},
    {"HERO_GUNNER", 0, "HERO_GUNNER_SKIN.bmp"},
    {"IRAQINFANTRY01_SANDY", 0, "IRAQINFANTRY01_SANDY.bmp"},
    {"IRAQOFFICER01_SANDY", 0, "IRAQOFFICER01_SANDY.bmp"},
    {"IRAQOFFICER01_SANDY", 0, "IRAQOFFICER01_SANDY.bmp"},
    {"IRAQINTOFFICER", 0, "IRAQINTOFFICER.bmp"},
    {"IRAQTORTURER", 1, "IRAQTORTURER.bmp"},
    {"GOATHERDER", 0, "GOATHERDER.bmp"},
    {nullptr, 0, nullptr},
};

namespace {

bool g_variantsEnabled = false;
CEnvObject* g_baseTemplates[2] = {nullptr, nullptr};

}  // namespace

const CharacterVariant* EnvFileFindCharacterVariant(const char* name) {
  if (!g_variantsEnabled || !name) return nullptr;
  for (const CharacterVariant* v = CharacterVariantTable; v->name; ++v)
    if (std::strcmp(v->name, name) == 0) return v;
  return nullptr;
}

void EnvFileEnableCharacterVariants(bool enabled) { g_variantsEnabled = enabled; }

CEnvObject* EnvFileCharacterBaseTemplate(int slot) { return slot == 0 || slot == 1 ? g_baseTemplates[slot] : nullptr; }

void EnvFileSetCharacterBaseTemplate(int slot, CEnvObject* base) {
  if (slot == 0 || slot == 1) g_baseTemplates[slot] = base;
}

void EnvFileResetCharacterVariants() {
  g_variantsEnabled = false;
  g_baseTemplates[0] = g_baseTemplates[1] = nullptr;
}
