#include "world/animation/anim_loader_hooks.h"

#include "world/animation/anim_object.h"
#include "world/environment/env_file.h"

void InstallAnimationLoaderHooks() {
  SetEnvAnimatedInstanceMaker(&MakeAnimObjectInstance);
  SetEnvPlayNamedAnim(&PlayNamedAnimOnInstance);
}
