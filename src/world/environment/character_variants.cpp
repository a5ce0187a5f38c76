#include "world/environment/character_variants.h"

#include <cstring>

#include "foundation/text/hash.h"
#include "render/textures/texture_manager.h"
#include "world/environment/env_object.h"
#include "world/environment/environment.h"

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

CEnvObject* EnvFileMakeCharacterTemplate(CEnvironment* environment, const CharacterVariant& variant) {
  if (environment == nullptr || variant.name == nullptr) return nullptr;
  CEnvObject* base = EnvFileCharacterBaseTemplate(variant.baseSlot);
  if (base == nullptr) return nullptr;
  CEnvObject* copy = NewEnvObjectNode();
  copy->Init(base->Context());
  copy->CopySharedChain(*base);
  // Found by the variant's name from now on.
  copy->ObjectName = variant.name;
  copy->ObjectNameHash = HashStringNoCase(variant.name);
  CTexture* texture = nullptr;
  if (environment->Textures != nullptr && variant.textureName != nullptr)
    texture = environment->Textures->GetTexture(variant.textureName, 0);
  for (CEnvObject* n = copy; n != nullptr; n = n->NextNode) n->VariantTexture = texture;
  return environment->AddObject(copy);
}
