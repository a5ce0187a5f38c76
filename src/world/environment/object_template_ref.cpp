// The intact-or-damaged model pair of an instance (CEnvInstance::SwapObject).
#include <string>

#include "world/environment/env_instance.h"
#include "world/environment/environment.h"

bool ObjectTemplatePair::Load(CEnvironment* environment, const char* name) {
  Template = nullptr;
  OverrideTexture = 0;
  if (name == nullptr || name[0] == '\0') return true;
  if (environment == nullptr) return false;
  // The ".pi2" source name is what messages show; the loader reads the ".evo" beside it.
  const std::string source = std::string(name) + ".pi2";
  Template = environment->LoadObject(source.c_str(), 0, true, 0);
  return Template != nullptr;
}
