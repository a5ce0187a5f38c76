#include "physics/collision/mcd_framework.h"

#include "physics/collision/mcd_framework_state.h"
#include "physics/collision/mcd_internal.h"
#include "physics/collision/mcd_model.h"
#include "physics/util/me_memory.h"
#include "physics/util/me_message.h"

McdFramework* g_mcdFramework = nullptr;

namespace {

McdIntersectRequest g_defaultRequest = {4, 0};
McdIntersectRequest* g_defaultRequestPtr = &g_defaultRequest;
McdHelloCallbackFn g_helloHook = nullptr;

}  // namespace

void McdInit(int geoTypeCount, int modelCount) {
  if (g_mcdFramework) McdTerm();
  McdFramework* fw = static_cast<McdFramework*>(MeAllocZeroed(sizeof(McdFramework)));
  if (!fw) {
    MeFatalError(0, "McdInit: could not allocate the collision framework.\n");
    return;
  }
  fw->defaultPadding = 0.005f;
  fw->version = MeVersionString();
  g_mcdFramework = fw;
  bool ok = McdGeometryRegistryCreate(geoTypeCount);
  ok = MeBlockPoolCreate(&fw->modelPool, modelCount, static_cast<int>(sizeof(McdModel)), 0) && ok;
  g_defaultRequest = McdIntersectRequest{4, 0};
  g_defaultRequestPtr = &g_defaultRequest;
  ok = McdInteractionTableCreate(geoTypeCount) && ok;
  g_helloHook = nullptr;
  if (!ok) MeFatalError(0, "McdInit: could not allocate the collision tables.\n");
}

void McdTerm() {
  McdFramework* fw = g_mcdFramework;
  if (!fw) return;
  McdGeometryRegistryDestroy();
  MeBlockPoolDestroy(&fw->modelPool);
  McdInteractionTableDestroy();
  // Termination functions, newest first.
  for (McdTermEntry* e = fw->termList; e;) {
    McdTermEntry* next = e->next;
    if (e->fn) e->fn();
    MeFree(e);
    e = next;
  }
  MeFree(fw);
  g_mcdFramework = nullptr;
}

void McdAddTermCallback(McdTermFn fn) {
  if (!g_mcdFramework) return;
  McdTermEntry* e = static_cast<McdTermEntry*>(MeAlloc(sizeof(McdTermEntry)));
  if (!e) return;
  e->fn = fn;
  e->next = g_mcdFramework->termList;
  g_mcdFramework->termList = e;
}

void McdSetDefaultPadding(const MeReal* padding) {
  if (g_mcdFramework) g_mcdFramework->defaultPadding = *padding;
}

MeReal McdGetDefaultPadding() { return g_mcdFramework ? g_mcdFramework->defaultPadding : 0.005f; }

McdIntersectRequest* McdGetDefaultRequestPtr() { return g_defaultRequestPtr; }
void McdSetDefaultRequestPtr(McdIntersectRequest* request) { g_defaultRequestPtr = request; }
void McdSetHelloCallback(McdHelloCallbackFn fn) { g_helloHook = fn; }
McdHelloCallbackFn McdGetHelloCallback() { return g_helloHook; }

const char* McdGetVersionString() {
  return g_mcdFramework ? g_mcdFramework->version : MeVersionString();
}
